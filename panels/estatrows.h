// What the status panels show and send, without a window: the 32-entry name tables, the texts
// and colours of the zone, area and output rows, the warnings of the panel status byte, the
// coverage bars, the zone and area masks of the commands, the typed clock and the radio grid's
// column labels. Texts are cp1252 like every program text.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

class CEstat;
class CGrup;

// Display names of zones, areas or outputs 1 to 32 (entry n - 1).
inline constexpr int kNameCount = 32;
using NameTable = std::array<std::string, kNameCount>;

// The default words of the three tables.
inline constexpr const char* kZoneWord = "Zona";
inline constexpr const char* kAreaWord = "Area";
inline constexpr const char* kOutputWord = "Salida";

// From the alias group: name i is the text of the group's i-th code without its padding blanks
// (names past its codes stay empty); without a group, the word, a blank and i + 1.
NameTable MakeNames(const CGrup* group, const std::string& word);
// Name of entry index (0-based). A model may count more zones, areas or outputs and relays than
// the table holds: those get the word and their number, never an entry past the table.
std::string NameAt(const NameTable& names, int index, const std::string& word);

// The zone list: the state text ("Omitida", "Alarma", "Avería", "Detectando", "ok", first that
// applies) and the row colour, whose order differs (bypassed, alarm, detecting, trouble).
std::string ZoneStateText(const CEstat& estat, int zone);
enum class ZoneColour { Default, Bypassed, Alarm, Detecting, Trouble };
ZoneColour ZoneRowColour(const CEstat& estat, int zone);

// "name: Conectada" when bit area of the area status byte is set, else "name: Desconectada"
// (areas from the ninth on have no bit: always "Desconectada").
std::string AreaItemText(const NameTable& names, const CEstat& estat, int area);
// The output list: every output then every relay, "name: state"; the relays take the names
// after the outputs'.
std::vector<std::string> OutputItems(const NameTable& names, const CEstat& estat);

// The coverage bars shown for a coverage value (one per 20 %, at most four) and its text.
int CoverageBars(int value);
std::string CoverageText(int value);

// The eight warnings, by bit of the panel status byte: picture file and text.
struct Warning {
    const char* picture;
    const char* text;
};
extern const std::array<Warning, 8> kWarnings;

// Masks of the zone commands: two bytes (zones 0-7 and 8-15), bit k of byte b for zone 8b + k.
// A zone enters when it is below the zone count and the record's zone count, selected, and
// not yet bypassed (bypass) or bypassed (restore). count tells how many entered.
using ZoneMask = std::array<unsigned char, 2>;
ZoneMask MakeZoneMask(const CEstat& estat, const std::vector<bool>& selected, bool bypass, int& count);
// One byte, bit i for ticked area i below the area count; the ninth area on has no bit.
unsigned char MakeAreaMask(int areaCount, const std::vector<bool>& ticked);

// The typed clock "hhmmssddmmaa" (aa: years after 2000): twelve decimal digits of a real date
// and time. The six bytes hour, minute, second, day, month, year; or why not (error).
using PanelClock = std::array<unsigned char, 6>;
std::optional<PanelClock> ParseTypedClock(const std::string& typed, std::string& error);
inline constexpr const char* kBadClockFormat = "Format de fecha/hora incorrecto";

// Column labels of the radio grid, "zone.device": P = devices / zones devices per zone, both
// counted from 1; with fewer devices than zones the zone number stays 1.
std::vector<std::string> RadioColumnLabels(int zoneCount, int deviceCount);
