// The programming report "*.txt", and the storing of the texts the core writes to files (the
// report, the installation file of core/installfile.h). Texts are built in memory with "\n" line
// ends; WithCrLf turns them into the stored form (CR LF, as the files have always been written),
// so one whole text goes to the disk at once.
#pragma once

#include <string>
#include <string_view>

class CInstalacio;
class CModel;

// Appends the programming report: the installation lines, a block per component, a final "\n".
void AppendReport(CInstalacio& instalacio, std::string& out);
// Appends one component block of the report.
void AppendComponentReport(CModel& model, std::string& out);

// Every "\n" stored as "\r\n".
std::string WithCrLf(std::string_view text);

// Stores text (with CR LF line ends) as the file named by the record text name, replacing it only
// once the whole text is written; the old file stays intact otherwise. False with error set to
// "No se pudo abrir el fichero para escritura: \n" + name when the file cannot be created, or to
// "No se pudo escribir el fichero: \n" + name when writing or replacing it fails, each followed
// by the system's reason on a line of its own.
bool StoreTextFile(const std::string& name, std::string_view text, std::string& error);
