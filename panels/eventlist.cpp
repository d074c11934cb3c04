#include "panels/eventlist.h"

#include <unordered_set>

#include "core/report.h"
#include "datamodel/events.h"
#include "datamodel/files.h"
#include "datamodel/strings.h"

void EventNames::Fill(const CGrup* zoneGroup, const CGrup* areaGroup, const CGrup* userGroup) {
    zones = MakeNames(zoneGroup, "Zona");
    areas = MakeNames(areaGroup, "Area");
    users = MakeNames(userGroup, "Usuario");
}

bool EventFilter::ShowsClass(int eventClass) const {
    switch (eventClass) {
        case EventClassAlarm: return alarms;
        case EventClassSupervision: return supervisions;
        case EventClassTrouble: return troubles;
        case EventClassOpenClose: return openClose;
        case EventClassBypass: return bypasses;
        case EventClassTest: return tests;
        case EventClassPhoneCall: return phoneCalls;
        default: return false;
    }
}

std::vector<int> SelectEvents(const CEvents& events, const EventFilter& filter, bool forCsv) {
    const int count = events.GetCount();
    const bool byAccount = filter.byAccount && events.GetTipus() == EventFormatExtended;
    std::vector<int> shown;
    shown.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int index = filter.reverse ? i : count - 1 - i;
        const CEvent* event = events.GetEvent(index);
        if (!event) continue;
        if (byAccount && event->GetAbonat() != filter.account) continue;
        if (forCsv && event->IsPhoneClass()) continue;
        if (!filter.ShowsClass(event->GetClass())) continue;
        shown.push_back(index);
    }
    return shown;
}

namespace {
// The type column's text for a telephone call.
constexpr const char* kPhoneCallType = "Llamada telefónica";

bool HasAccount(int format) { return format == EventFormatMixed || format == EventFormatExtended; }
bool HasReceiver(int format) { return format == EventFormatExtended; }

// The number followed by " : " and the name of table entry `entry` as stored (name codes keep
// their padding blanks; an empty name still gets " : "); the number alone for an entry outside
// the table.
std::string Named(int number, const NameTable* table, int entry) {
    std::string text = IntToString(number);
    if (!table || entry < 0 || entry >= kNameCount) return text;
    return text + " : " + (*table)[static_cast<std::size_t>(entry)];
}
}  // namespace

std::vector<std::string> EventHeadings(int format) {
    std::vector<std::string> headings{"Fecha", "Hora", "Código", "Tipo", "Descripción", "Zona/Usuario", "Area"};
    if (HasAccount(format)) headings.push_back("Abonado");
    if (HasReceiver(format)) {
        headings.push_back("Linea receptor");
        headings.push_back("Numero receptor");
    }
    return headings;
}

std::vector<std::string> EventTypes() {
    std::vector<std::string> types{kPhoneCallType};
    for (int eventClass = EventClassAlarm; eventClass < EventClassPhoneCall; ++eventClass)
        for (bool alarm : {true, false}) types.push_back(CEvent::ClassName(eventClass, alarm));
    return types;
}

std::string EventCell(CEvent& event, int column, int format, const EventNames& names) {
    const bool phone = event.IsPhoneClass();
    const bool withNames = format != EventFormatExtended;
    switch (column) {
        case 0: return event.GetDate();
        case 1: return event.GetTime();
        case 2: return event.GetContactId();
        case 3: return phone ? std::string(kPhoneCallType) : event.GetClassName();
        case 4: return phone ? event.GetDescPhoneCall() : event.GetDescr();
        case 5: {
            const int number = event.GetZone();
            if (phone || !withNames) return IntToString(number);
            // Openings and closings name the user (from 0), every other class the zone (from 1).
            if (event.IsArmClass()) return Named(number, &names.users, number);
            return Named(number, number > 0 ? &names.zones : nullptr, number - 1);
        }
        case 6: {
            if (phone) return std::string();
            const int area = event.GetArea();
            return Named(area, withNames && area > 0 ? &names.areas : nullptr, area - 1);
        }
        case 7: return HasAccount(format) ? event.GetAbonat() : std::string();
        case 8: return HasReceiver(format) ? IntToString(event.GetLinia()) : std::string();
        case 9: return HasReceiver(format) ? IntToString(event.GetNumero()) : std::string();
        default: return std::string();
    }
}

std::vector<std::string> EventRow(CEvent& event, int format, const EventNames& names) {
    std::vector<std::string> row;
    const int columns = static_cast<int>(EventHeadings(format).size());
    for (int c = 0; c < columns; ++c) row.push_back(EventCell(event, c, format, names));
    return row;
}

std::vector<std::string> ColumnShapes(CEvents& events, const std::vector<int>& indices, int column, int format,
                                      const EventNames& names) {
    std::unordered_set<std::string> seen;
    std::vector<std::string> shapes;
    for (int index : indices) {
        CEvent* event = events.GetEvent(index);
        if (!event) continue;
        std::string text = EventCell(*event, column, format, names);
        for (char& c : text)
            if (c >= '0' && c <= '9') c = '0';
        if (seen.insert(text).second) shapes.push_back(std::move(text));
    }
    return shapes;
}

bool IsAlarmRow(const CEvent& event) { return event.IsAlarm(); }

std::string FormatEventsCsv(CEvents& events, const EventFilter& filter) {
    const int format = events.GetTipus();
    std::string text;
    for (const std::string& heading : EventHeadings(format)) text += heading + ";";
    text += "\n";
    for (int index : SelectEvents(events, filter, true)) {
        CEvent& e = *events.GetEvent(index);
        text += e.GetDate() + ";" + e.GetTime() + ";" + e.GetContactId() + ";" + e.GetClassName() + ";\"" +
                e.GetDescr() + "\";" + IntToString(e.GetZone()) + ";" + IntToString(e.GetArea()) + ";";
        if (HasAccount(format)) text += e.GetAbonat() + ";";
        if (HasReceiver(format)) text += IntToString(e.GetLinia()) + ";" + IntToString(e.GetNumero()) + ";";
        text += "\n";
    }
    return text;
}

bool WriteEventsCsv(const std::filesystem::path& path, CEvents& events, const EventFilter& filter,
                    std::string& error) {
    bool lossless = true;
    const std::string name = FromOsPath(path, &lossless);
    if (!lossless) {
        error = "El nombre del fichero tiene caracteres que no se pueden usar: \n" + name;
        return false;
    }
    bool openFailed = false;
    std::string reason;
    if (WriteFileSafely(path, WithCrLf(FormatEventsCsv(events, filter)), &reason, &openFailed)) return true;
    error = WriteErrorText(name, reason, openFailed);
    return false;
}
