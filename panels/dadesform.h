// The installation-data form without a window: the values of a CDades as the texts, link-kind
// entry and ticks the form shows, and the way they are stored back.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

class CDades;

// The form's text fields (the baud rate and the ports as decimal text).
enum DadesText : int {
    DadesNomInstal,
    DadesNomClient,
    DadesDireccio,
    DadesTelefon,
    DadesEmail,
    DadesBaudRate,
    DadesTelfConexio,
    DadesTelfConexioCSD,
    DadesIpDest,
    DadesIpPort,
    DadesIpGprsDest,
    DadesIpGprsPort,
    DadesIpCraLnkDest,
    DadesIpCraLnkPort,
    kDadesTextCount
};

// The label of a text field's row.
const char* DadesTextLabel(DadesText field);
extern const char* const kDadesKindLabel;
extern const char* const kDadesCallbackLabel;
extern const char* const kDadesEspecialLabel;
// The link-kind list: entry n is link kind n.
extern const std::array<const char*, 7> kLinkKindEntries;

struct DadesForm {
    // nullopt: the field holds a character the installation's text cannot carry.
    std::array<std::optional<std::string>, kDadesTextCount> texts;
    int kindEntry = -1;  // the chosen entry of the link-kind list; -1 none
    bool callback = false;
    bool especial = false;
};

// What the form shows for a record. A link kind outside the list selects no entry.
DadesForm FormOfDades(const CDades& dades);

struct DadesStoreResult {
    bool changed = false;              // some value of the record changed
    std::vector<DadesText> refused;    // fields left as they were
};
// Stores the form into the record. Texts go in as typed; the baud rate and the ports are read as
// decimal numbers (an empty field is 0). Refused, the record's value kept: a text that the
// installation's text cannot carry, and a port outside 0..65535. With no entry chosen the link
// kind stays as it was.
DadesStoreResult StoreDadesForm(const DadesForm& form, CDades& dades);

// The box text for the fields a store refused, one paragraph per field: the value typed (typed:
// every field's text as shown, '?' where a character cannot be kept), the field, why, and the
// value the record keeps. Empty when nothing was refused.
std::string DadesRefusalText(const std::array<std::string, kDadesTextCount>& typed, const DadesForm& form,
                             const DadesStoreResult& result, const CDades& dades);
