#include "core/installfile.h"

#include <algorithm>

#include "datamodel/files.h"

#include "datamodel/events.h"
#include "datamodel/estat.h"
#include "datamodel/fitxer.h"
#include "datamodel/grupflash.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "datamodel/text.h"

namespace {

// One leaf on its own line: tabs, <tag>value</tag>, line end.
void Leaf(std::string& out, int tabs, const char* tag, std::string_view value) {
    out.append(static_cast<std::size_t>(tabs), '\t');
    out += '<';
    out += tag;
    out += '>';
    out += XmlEscape(value);
    out += "</";
    out += tag;
    out += ">\n";
}

void Leaf(std::string& out, int tabs, const char* tag, int value) {
    Leaf(out, tabs, tag, IntToString(value));
}

void Line(std::string& out, int tabs, std::string_view text) {
    out.append(static_cast<std::size_t>(tabs), '\t');
    out += text;
    out += '\n';
}

// name="value" with the value escaped for an attribute.
std::string Attr(const char* name, std::string_view value) {
    return std::string(name) + "=\"" + XmlEscape(value, true) + "\"";
}

// One character per bit, bit 0 first.
std::string ByteBits(int value) {
    std::string bits;
    for (int i = 0; i < 8; ++i) bits += ((value >> i) & 1) ? '1' : '0';
    return bits;
}

std::string ZoneBits(const CEstat& estat, bool (CEstat::*test)(int) const) {
    std::string bits;
    for (int i = 0; i < estat.GetZoneCount(); ++i) bits += (estat.*test)(i) ? '1' : '0';
    return bits;
}

}  // namespace

void AppendDadesXml(const CDades& d, std::string& out) {
    Line(out, 1, "<dades>");
    Leaf(out, 2, "nominstal", d.GetNomInstal());
    Leaf(out, 2, "nomclient", d.GetNomClient());
    Leaf(out, 2, "direccio", d.GetDireccio());
    Leaf(out, 2, "telefon", d.GetTelefon());
    Leaf(out, 2, "email", d.GetEmail());
    Leaf(out, 2, "telfconexio", d.GetTelfConexio());
    Leaf(out, 2, "telfconexioCSD", d.GetTelfConexioCSD());
    Leaf(out, 2, "tipusconexio", d.GetTipusConexio());
    Leaf(out, 2, "baudrate", d.GetBaudRate());
    Leaf(out, 2, "callback", d.GetCallback() ? "yes" : "no");
    Leaf(out, 2, "especial", d.GetEspecial() ? "yes" : "no");
    Leaf(out, 2, "ipdest", d.GetIpDest());
    Leaf(out, 2, "ipport", d.GetIpPort());
    Leaf(out, 2, "ipgprsdest", d.GetIpGprsDest());
    Leaf(out, 2, "ipgprsport", d.GetIpGprsPort());
    Leaf(out, 2, "ipcralnkdest", d.GetIpCraLnkDest());
    Leaf(out, 2, "ipcralnkport", d.GetIpCraLnkPort());
    Line(out, 1, "</dades>");
}

namespace {

void AppendFlashXml(CGrupFlash& grup, std::string& out) {
    Line(out, 2, "<grup-flash " + Attr("id", grup.GetId()) + ">");
    if (grup.GetKind() == FlashGroupFiles) {
        for (int f = 0; f < grup.GetFitxerCount(); ++f) {
            const CFitxer* fitxer = grup.GetFitxer(f);
            Line(out, 3, "<fitxer " + Attr("id", fitxer->GetId()) + ">");
            Leaf(out, 4, "nom", fitxer->GetPath());
            Line(out, 3, "</fitxer>");
        }
    } else if (grup.GetKind() == FlashGroupTable) {
        for (int e = 0; e < grup.GetElements(); ++e) {
            std::string row = "<element>";
            for (int c = 0; c < grup.GetColumnaCount(); ++c) {
                row += "<col>" + XmlEscape(grup.GetCellText(e, c)) + "</col>";
            }
            row += "</element>";
            Line(out, 3, row);
        }
    }
    Line(out, 2, "</grup-flash>");
}

void AppendEstatXml(const CEstat& estat, std::string& out) {
    Line(out, 2, "<estat>");
    Leaf(out, 3, "detectz", ZoneBits(estat, &CEstat::IsZoneDetect));
    Leaf(out, 3, "alarmz", ZoneBits(estat, &CEstat::IsZoneAlarm));
    Leaf(out, 3, "omitz", ZoneBits(estat, &CEstat::IsZoneOmit));
    Leaf(out, 3, "averiaz", ZoneBits(estat, &CEstat::IsZoneAveria));
    Leaf(out, 3, "areast", ByteBits(estat.GetAreaStatus()));
    Leaf(out, 3, "stpanel", ByteBits(estat.GetPanelStatus()));
    Leaf(out, 3, "ppe", estat.GetEventPointer());
    if (estat.HasGrafic()) {
        const CGrafic& grafic = estat.GetGrafic();
        Line(out, 3, "<grafic>");
        for (int n = 0; n < CGrafic::kPlans; ++n) {
            Line(out, 4, "<mapa " + Attr("num", IntToString(n)) + ">" + XmlEscape(grafic.GetMapa(n)) +
                             "</mapa>");
        }
        for (int i = 0; i < grafic.GetCompGrafCount(); ++i) {
            const CCompGraf* e = grafic.GetCompGraf(i);
            Line(out, 4, "<compgraf>");
            Leaf(out, 5, "nummapa", e->GetNumMapa());
            Leaf(out, 5, "tipus", e->GetTipus());
            Leaf(out, 5, "posx", e->GetPosX());
            Leaf(out, 5, "posy", e->GetPosY());
            if (e->GetArea() != -1) Leaf(out, 5, "area", e->GetArea());
            if (e->GetZona() != -1) Leaf(out, 5, "zona", e->GetZona());
            if (e->GetSortida() != -1) Leaf(out, 5, "sortida", e->GetSortida());
            if (e->GetRele() != -1) Leaf(out, 5, "rele", e->GetRele());
            Line(out, 4, "</compgraf>");
        }
        Line(out, 3, "</grafic>");
    }
    Line(out, 2, "</estat>");
}

void AppendEventsXml(const CEvents& events, std::string& out) {
    Line(out, 2, "<events>");
    Leaf(out, 3, "myppe", events.GetMyPpe());
    for (int i = 0; i < events.GetCount(); ++i) {
        const CEvent* ev = events.GetEvent(i);
        const bool phone = ev->GetClass() == EventClassPhoneCall;
        Line(out, 3, "<event " + Attr("ord", IntToString(i)) + ">");
        Leaf(out, 4, "hora", ev->GetTime());
        Leaf(out, 4, "data", ev->GetDate());
        Leaf(out, 4, "contactid", ev->GetContactId());
        if (phone || ev->GetZone() != 0) Leaf(out, 4, "zona", ev->GetZoneText());
        if (phone) {
            Leaf(out, 4, "descphonecall", ev->GetDescPhoneCall());
        } else {
            Leaf(out, 4, "area", ev->GetArea());
        }
        if (ev->GetFormat() == EventFormatMixed || ev->GetFormat() == EventFormatExtended) {
            Leaf(out, 4, "abonat", ev->GetAbonat());
        }
        if (ev->GetFormat() == EventFormatExtended) {
            Leaf(out, 4, "linia", ev->GetLinia());
            Leaf(out, 4, "numero", ev->GetNumero());
        }
        Line(out, 3, "</event>");
    }
    Line(out, 2, "</events>");
}

}  // namespace

void AppendComponentXml(CModel& model, std::string& out) {
    // The attributes are separated by one blank each; a missing version leaves the blank after
    // the model, as the files have always had it.
    std::string tag = "<component ";
    if (!model.GetName().empty()) tag += Attr("id", model.GetName()) + " ";
    if (!model.GetId().empty()) tag += Attr("model", model.GetId()) + " ";
    if (!model.GetVersio().empty()) tag += Attr("versio", model.GetVersio());
    tag += ">";
    Line(out, 1, tag);
    Leaf(out, 2, "busdir", model.GetBusDir());
    Leaf(out, 2, "descr", model.GetDescr());
    for (int i = 0; i < model.GetCodiCount(); ++i) {
        const CCodi* codi = model.GetCodi(i);
        std::string open = "<codi";
        if (!codi->GetId().empty()) open += " " + Attr("id", codi->GetId());
        open += ">";
        Line(out, 2, open);
        Leaf(out, 3, "val", codi->GetValue());
        Line(out, 2, "</codi>");
    }
    for (int g = 0; g < model.GetFlashGrupCount(); ++g) AppendFlashXml(*model.GetGrupFlash(g), out);
    AppendEstatXml(model.GetEstat(), out);
    AppendEventsXml(model.GetEvents(), out);
    Line(out, 1, "</component>");
}

void AppendInstalacioXml(CInstalacio& instalacio, std::string& out) {
    Line(out, 0, "<instalacio>");
    AppendDadesXml(instalacio.GetDades(), out);
    AppendComponentXml(instalacio.GetCentral(), out);
    for (int i = 0; i < instalacio.GetComponentCount(); ++i) {
        AppendComponentXml(*instalacio.GetComponent(i), out);
    }
    Line(out, 0, "</instalacio>");
}


bool InstalacioFitsOpenCap(std::string_view text, std::string& error) {
    const std::uintmax_t stored =
        text.size() + static_cast<std::uintmax_t>(std::count(text.begin(), text.end(), '\n'));
    if (stored <= kMaxDataFileBytes) return true;
    constexpr std::uintmax_t kMb = 1024u * 1024u;
    error = "No se ha guardado la instalación: ocuparía " + std::to_string((stored + kMb - 1) / kMb) +
            " MB y el programa solo abre instalaciones de hasta " + std::to_string(kMaxDataFileBytes / kMb) +
            " MB.";
    return false;
}
