#include "core/report.h"

#include "datamodel/contactid.h"
#include "datamodel/events.h"
#include "datamodel/files.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "datamodel/text.h"

void AppendComponentReport(CModel& model, std::string& out) {
    if (!model.GetId().empty()) out += model.GetId();
    if (!model.GetVersio().empty()) out += " versión " + model.GetVersio();
    out += "\n";
    out += "Dirección bus:";
    out += " ";
    out += model.GetBusDir();
    out += "\n";
    for (int i = 0; i < model.GetCodiCount(); ++i) {
        const CCodi* codi = model.GetCodi(i);
        out += codi->GetKpAddress();
        out += " - ";
        out += codi->GetDescr();
        out += ": ";
        // Values line up at the sixth tab stop for descriptions of up to 47 characters.
        const int tabs = 6 - static_cast<int>(codi->GetDescr().size() / 8);
        if (tabs > 0) out.append(static_cast<std::size_t>(tabs), '\t');
        out += codi->GetValue();
        out += "\n";
    }
    for (int g = 0; g < model.GetFlashGrupCount(); ++g) {
        CGrupFlash& grup = *model.GetGrupFlash(g);
        out += "\nFlash: " + grup.GetDescr() + "\n";
        if (grup.GetKind() == FlashGroupFiles) {
            for (int f = 0; f < grup.GetFitxerCount(); ++f) {
                out += "Fichero";
                out += ": ";
                out += grup.GetFitxer(f)->GetPath();
                out += "\n";
            }
        } else if (grup.GetKind() == FlashGroupTable) {
            for (int e = 0; e < grup.GetElements(); ++e) {
                for (int c = 0; c < grup.GetColumnaCount(); ++c) out += "\t" + grup.GetCellText(e, c);
                out += "\n";
            }
        }
        out += "\n";
    }
    out += "\n";
}

void AppendReport(CInstalacio& instalacio, std::string& out) {
    const CDades& d = instalacio.GetDades();
    out += "Nombre de la instalación: " + d.GetNomInstal() + "\n";
    out += "Nombre del cliente: " + d.GetNomClient() + "\n";
    out += "Dirección del cliente: " + d.GetDireccio() + "\n";
    out += "Número de teléfono del cliente: " + d.GetTelefon() + "\n";
    out += "Email del cliente: " + d.GetEmail() + "\n";
    out += "\n";
    AppendComponentReport(instalacio.GetCentral(), out);
    for (int i = 0; i < instalacio.GetComponentCount(); ++i) {
        AppendComponentReport(*instalacio.GetComponent(i), out);
    }
    out += "\n";
}

std::string WithCrLf(std::string_view text) {
    std::string stored;
    stored.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') stored += '\r';
        stored += c;
    }
    return stored;
}

bool StoreTextFile(const std::string& name, std::string_view text, std::string& error) {
    bool openFailed = true;
    std::string reason;
    if (!name.empty() && WriteFileSafely(ToOsPath(name), WithCrLf(text), &reason, &openFailed)) return true;
    error = WriteErrorText(name, reason, openFailed);
    return false;
}
