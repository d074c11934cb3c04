// The installation file "*.voski": the text of the open installation as the file stores it, built
// in memory with "\n" line ends (StoreTextFile of core/report.h stores it with CR LF).
#pragma once

#include <string>
#include <string_view>

class CDades;
class CInstalacio;
class CModel;

// Appends the whole installation file: the `instalacio` element, its `dades` block and one
// `component` element for the central and each bus component in order. Values are escaped so
// a '<' or '&' in a name or a path reads back as written.
void AppendInstalacioXml(CInstalacio& instalacio, std::string& out);
// Appends the `dades` block (one tab deep).
void AppendDadesXml(const CDades& dades, std::string& out);
// Appends one `component` element (one tab deep).
void AppendComponentXml(CModel& model, std::string& out);


// Whether the text, stored with CR LF line ends, is a file the program can open again (the
// loader's cap on installation files). When it is not, error says why and how large it would be:
// the installation is then not saved at all, rather than saved beyond what can be reopened.
bool InstalacioFitsOpenCap(std::string_view text, std::string& error);
