#include "panels/dadesform.h"

#include "datamodel/dades.h"
#include "datamodel/strings.h"
#include "panels/editrefusal.h"

namespace {

struct TextBinding {
    const char* label;
    const std::string& (CDades::*get)() const;
    bool (CDades::*set)(std::string_view);
};

struct NumberBinding {
    const char* label;
    int (CDades::*get)() const;
    bool (CDades::*set)(int);
    bool port;
};

// Indexed by DadesText; a field is either a text or a number.
struct Binding {
    const TextBinding* text;
    const NumberBinding* number;
};

constexpr TextBinding kNomInstal{"Nombre de la instalación", &CDades::GetNomInstal, &CDades::SetNomInstal};
constexpr TextBinding kNomClient{"Nombre del cliente", &CDades::GetNomClient, &CDades::SetNomClient};
constexpr TextBinding kDireccio{"Dirección del cliente", &CDades::GetDireccio, &CDades::SetDireccio};
constexpr TextBinding kTelefon{"Número de teléfono del cliente", &CDades::GetTelefon, &CDades::SetTelefon};
constexpr TextBinding kEmail{"Email del cliente", &CDades::GetEmail, &CDades::SetEmail};
constexpr NumberBinding kBaudRate{"BaudRate conexión local", &CDades::GetBaudRate, &CDades::SetBaudRate, false};
constexpr TextBinding kTelfConexio{"Teléfono analógico para llamada bidireccional", &CDades::GetTelfConexio,
                                   &CDades::SetTelfConexio};
constexpr TextBinding kTelfConexioCSD{"Teléfono digital (CSD) para llamada bidireccional",
                                      &CDades::GetTelfConexioCSD, &CDades::SetTelfConexioCSD};
constexpr TextBinding kIpDest{"IP destino", &CDades::GetIpDest, &CDades::SetIpDest};
constexpr NumberBinding kIpPort{"Puerto TCP destino", &CDades::GetIpPort, &CDades::SetIpPort, true};
constexpr TextBinding kIpGprsDest{"IP destino (GPRS)", &CDades::GetIpGprsDest, &CDades::SetIpGprsDest};
constexpr NumberBinding kIpGprsPort{"Puerto TCP destino (GPRS)", &CDades::GetIpGprsPort, &CDades::SetIpGprsPort,
                                    true};
constexpr TextBinding kIpCraLnkDest{"IP destino (CRA-LINK)", &CDades::GetIpCraLnkDest, &CDades::SetIpCraLnkDest};
constexpr NumberBinding kIpCraLnkPort{"Puerto TCP destino (CRA-LINK)", &CDades::GetIpCraLnkPort,
                                      &CDades::SetIpCraLnkPort, true};

const std::array<Binding, kDadesTextCount> kBindings{{
    {&kNomInstal, nullptr},
    {&kNomClient, nullptr},
    {&kDireccio, nullptr},
    {&kTelefon, nullptr},
    {&kEmail, nullptr},
    {nullptr, &kBaudRate},
    {&kTelfConexio, nullptr},
    {&kTelfConexioCSD, nullptr},
    {&kIpDest, nullptr},
    {nullptr, &kIpPort},
    {&kIpGprsDest, nullptr},
    {nullptr, &kIpGprsPort},
    {&kIpCraLnkDest, nullptr},
    {nullptr, &kIpCraLnkPort},
}};

constexpr int kMaxPort = 65535;

}  // namespace

const char* const kDadesKindLabel = "Tipo de conexión a usar";
const char* const kDadesCallbackLabel = "Utilizar modo callback (sólo para tipos Modem y CSD)";
const char* const kDadesEspecialLabel = "Utilizar llamada especial (sólo para conexión Módem)";
const std::array<const char*, 7> kLinkKindEntries{"0 - Ninguna", "1 - Local", "2 - Modem", "3 - CSD",
                                                  "4 - TCP/IP", "5 - GPRS", "6 - CRA LINK"};

const char* DadesTextLabel(DadesText field) {
    if (field < 0 || field >= kDadesTextCount) return "";
    const Binding& b = kBindings[static_cast<std::size_t>(field)];
    return b.text ? b.text->label : b.number->label;
}

DadesForm FormOfDades(const CDades& dades) {
    DadesForm form;
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        const Binding& b = kBindings[i];
        form.texts[i] = b.text ? (dades.*(b.text->get))() : IntToString((dades.*(b.number->get))());
    }
    const int kind = dades.GetTipusConexio();
    form.kindEntry = kind >= 0 && kind < static_cast<int>(kLinkKindEntries.size()) ? kind : -1;
    form.callback = dades.GetCallback();
    form.especial = dades.GetEspecial();
    return form;
}

DadesStoreResult StoreDadesForm(const DadesForm& form, CDades& dades) {
    DadesStoreResult result;
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        const Binding& b = kBindings[i];
        const auto field = static_cast<DadesText>(i);
        if (!form.texts[i]) {
            result.refused.push_back(field);
            continue;
        }
        const std::string& typed = *form.texts[i];
        if (b.text) {
            if ((dades.*(b.text->get))() == typed) continue;
            (dades.*(b.text->set))(typed);
        } else {
            const int value = StringToInt(typed);
            if (b.number->port && (value < 0 || value > kMaxPort)) {
                result.refused.push_back(field);
                continue;
            }
            if ((dades.*(b.number->get))() == value) continue;
            (dades.*(b.number->set))(value);
        }
        result.changed = true;
    }
    if (form.kindEntry >= 0 && form.kindEntry < static_cast<int>(kLinkKindEntries.size()) &&
        form.kindEntry != dades.GetTipusConexio()) {
        dades.SetTipusConexio(form.kindEntry);
        result.changed = true;
    }
    if (form.callback != dades.GetCallback()) {
        dades.SetCallback(form.callback);
        result.changed = true;
    }
    if (form.especial != dades.GetEspecial()) {
        dades.SetEspecial(form.especial);
        result.changed = true;
    }
    return result;
}

std::string DadesRefusalText(const std::array<std::string, kDadesTextCount>& typed, const DadesForm& form,
                             const DadesStoreResult& result, const CDades& dades) {
    const DadesForm kept = FormOfDades(dades);
    std::string text;
    for (DadesText field : result.refused) {
        const auto i = static_cast<std::size_t>(field);
        if (!text.empty()) text += "\n";
        const std::string keptText = kept.texts[i].value_or(std::string());
        // A text the record cannot carry comes as no text; a number refused is a port out of range.
        text += form.texts[i] ? UnfitValueText(DadesTextLabel(field), typed[i],
                                               "se espera un número de 0 a " + IntToString(kMaxPort), keptText)
                              : UnholdableValueText(DadesTextLabel(field), typed[i], keptText);
    }
    return text;
}
