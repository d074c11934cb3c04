#include "panels/estatrows.h"

#include <algorithm>

#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/grup.h"
#include "datamodel/mesura.h"
#include "datamodel/strings.h"

NameTable MakeNames(const CGrup* group, const std::string& word) {
    NameTable names;
    for (int i = 0; i < kNameCount; ++i) {
        std::string& name = names[static_cast<std::size_t>(i)];
        if (!group) {
            name = word + " " + IntToString(i + 1);
        } else if (const CCodi* codi = group->GetCodi(i)) {
            // Name codes are fixed-length texts padded with blanks; the rows show them as stored.
            name = codi->GetValue();
        }
    }
    return names;
}

std::string NameAt(const NameTable& names, int index, const std::string& word) {
    if (index >= 0 && index < kNameCount) return names[static_cast<std::size_t>(index)];
    return word + " " + IntToString(index + 1);
}

std::string ZoneStateText(const CEstat& estat, int zone) {
    if (estat.IsZoneOmit(zone)) return "Omitida";
    if (estat.IsZoneAlarm(zone)) return "Alarma";
    if (estat.IsZoneAveria(zone)) return "Avería";
    if (estat.IsZoneDetect(zone)) return "Detectando";
    return "ok";
}

ZoneColour ZoneRowColour(const CEstat& estat, int zone) {
    if (estat.IsZoneOmit(zone)) return ZoneColour::Bypassed;
    if (estat.IsZoneAlarm(zone)) return ZoneColour::Alarm;
    if (estat.IsZoneDetect(zone)) return ZoneColour::Detecting;
    if (estat.IsZoneAveria(zone)) return ZoneColour::Trouble;
    return ZoneColour::Default;
}

std::string AreaItemText(const NameTable& names, const CEstat& estat, int area) {
    const bool armed = area >= 0 && area < 8 && (estat.GetAreaStatus() >> area & 1);
    return NameAt(names, area, kAreaWord) + ": " + (armed ? "Conectada" : "Desconectada");
}

namespace {
// The state of an output or relay from its last raw reading ("Activada" / "Desactivada").
std::string SwitchState(CMesura* m) {
    if (!m) return std::string();
    m->Compute();
    return m->FormatText();
}
}  // namespace

std::vector<std::string> OutputItems(const NameTable& names, const CEstat& estat) {
    std::vector<std::string> items;
    const int outputs = estat.GetOutputCount();
    for (int i = 0; i < outputs; ++i) items.push_back(NameAt(names, i, kOutputWord) + ": " + SwitchState(estat.GetOutput(i)));
    for (int j = 0; j < estat.GetRelayCount(); ++j)
        items.push_back(NameAt(names, outputs + j, kOutputWord) + ": " + SwitchState(estat.GetRelay(j)));
    return items;
}

int CoverageBars(int value) {
    int bars = 0;
    while (bars < 4 && value >= 20 * (bars + 1)) ++bars;
    return bars;
}

std::string CoverageText(int value) { return "Cobertura: " + IntToString(value) + "%"; }

const std::array<Warning, 8> kWarnings = {{
    {"icons/estat/prefire.png", "alarma pre-fuego"},
    {"icons/estat/timealarm.png", "Fecha y hora inválidos"},
    {"icons/estat/power.png", "Sin alimentación por red"},
    {"icons/estat/nobattery.png", "Batería baja"},
    {"icons/estat/warning.png", "Averias"},
    {"icons/estat/routein.png", "En ruta de entrada"},
    {"icons/estat/routeout.png", "En ruta de salida"},
    {"icons/estat/memoryalarm.png", "Memoria de alarmas"},
}};

ZoneMask MakeZoneMask(const CEstat& estat, const std::vector<bool>& selected, bool bypass, int& count) {
    ZoneMask mask{};
    count = 0;
    const int zones = std::min<int>(estat.GetZoneCount(), static_cast<int>(selected.size()));
    for (int z = 0; z < zones && z < CEstat::kMaxZones; ++z) {
        if (!selected[static_cast<std::size_t>(z)] || estat.IsZoneOmit(z) == bypass) continue;
        mask[static_cast<std::size_t>(z / 8)] |= static_cast<unsigned char>(1u << (z % 8));
        ++count;
    }
    return mask;
}

unsigned char MakeAreaMask(int areaCount, const std::vector<bool>& ticked) {
    unsigned mask = 0;
    for (int i = 0; i < areaCount && i < 8 && i < static_cast<int>(ticked.size()); ++i) {
        if (ticked[static_cast<std::size_t>(i)]) mask |= 1u << i;
    }
    return static_cast<unsigned char>(mask);
}

namespace {
bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

std::optional<PanelClock> Refuse(std::string& error, const std::string& why) {
    error = kBadClockFormat;
    if (!why.empty()) error += "\n\n" + why;
    return std::nullopt;
}
}  // namespace

std::optional<PanelClock> ParseTypedClock(const std::string& typed, std::string& error) {
    error.clear();
    if (typed.size() != 12) return Refuse(error, std::string());
    PanelClock clock{};
    for (std::size_t i = 0; i < 12; i += 2) {
        const unsigned char hi = static_cast<unsigned char>(typed[i]);
        const unsigned char lo = static_cast<unsigned char>(typed[i + 1]);
        if (hi < '0' || hi > '9' || lo < '0' || lo > '9') return Refuse(error, "Escriba sólo cifras.");
        clock[i / 2] = static_cast<unsigned char>(10 * (hi - '0') + (lo - '0'));
    }
    const int hour = clock[0], minute = clock[1], second = clock[2], day = clock[3], month = clock[4];
    if (hour > 23) return Refuse(error, "La hora debe estar entre 00 y 23.");
    if (minute > 59) return Refuse(error, "Los minutos deben estar entre 00 y 59.");
    if (second > 59) return Refuse(error, "Los segundos deben estar entre 00 y 59.");
    if (month < 1 || month > 12) return Refuse(error, "El mes debe estar entre 01 y 12.");
    if (day < 1 || day > DaysInMonth(month, 2000 + clock[5])) return Refuse(error, "Ese día no existe en ese mes.");
    return clock;
}

std::vector<std::string> RadioColumnLabels(int zoneCount, int deviceCount) {
    std::vector<std::string> labels;
    if (zoneCount <= 0) return labels;
    const int perZone = deviceCount / zoneCount;
    int group = 1;
    int position = 0;
    for (int i = 0; i < deviceCount; ++i) {
        ++position;
        labels.push_back(IntToString(group) + "." + IntToString(position));
        if (position == perZone) {
            ++group;
            position = 0;
        }
    }
    return labels;
}
