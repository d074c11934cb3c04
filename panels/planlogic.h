// Site-plan logic that needs no window: the name tables of zones, areas and outputs, the
// geometry of a plan picture fitted into its canvas, the hit test of elements, how an element is
// drawn for its state, the text of its information label, the command its menu offers and the
// zone mask of a bypass. The site-plan panel and its canvases (panelgrafic, panelmapa) use them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "panels/estatrows.h"

class CCompGraf;
class CGrup;

namespace plan {

// ---- name tables (the status panels' tables of 32 entries) ----
constexpr int kNames = kNameCount;
using NameTable = ::NameTable;

// The table of the status panels (MakeNames: a group's first 32 codes, or the word and the number
// "Zona 1" ... "Zona 32"), each name without the blanks that pad a fixed-length name code.
void FillNames(NameTable& table, const CGrup* group, const std::string& word);
// Entry `entry` of the table; null for an entry the table does not hold (negative, 32 or more).
const std::string* NameAt(const NameTable& table, int entry);
// What a chooser or a label shows for `number` (0-based) named by table entry `entry`: the name,
// or the number counted from 1 alone when the table does not hold the entry.
std::string ChoiceText(const NameTable& table, int entry, int number);

// ---- geometry (picture pixels; an element is the 22 x 22 square from its top-left corner) ----
constexpr int kElementSize = 22;

// The scale that fits a picture into a window with its aspect ratio kept. When a size is not
// above zero (no picture size, a window not laid out yet) the previous scale stays, so the scale
// is never zero and a click is never divided by it.
double FitScale(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight, double previous);
// A window coordinate as a picture coordinate, truncated toward zero.
int ToPicture(int windowCoord, double scale);
struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};
// The corner that centres an element's square on picture position p, kept inside the picture
// (never negative, which an element could not store).
Point CornerFor(Point p);
// The first element (in list order) whose square holds picture position p, both ends inclusive;
// -1 when none.
int HitTest(const std::vector<CCompGraf*>& elements, Point p);

// ---- drawing ----
// How one element is drawn, by the first rule that applies; in edit mode always the normal icon.
struct Look {
    bool secondIcon = false;  // the alarm / switched-on icon instead of the normal one
    bool cross = false;       // trouble: a red cross over the icon (the canvas then blinks)
    int redCircles = 0;       // detect or alarm: one red circle, two in alarm
    bool greenCircle = false; // active output or relay
};
Look LookOf(const CCompGraf& element, bool editMode);
constexpr int kRedRadius = 16;
constexpr int kAlarmRadius = 18;
constexpr int kGreenRadius = 14;

// What a paint does with the repaint timer: without a picture nothing; in edit mode it stops;
// in live mode it runs exactly while an element in trouble was drawn.
enum class TimerAction { None, Start, Stop };
TimerAction AfterPaint(bool hasPicture, bool editMode, bool troubleDrawn, bool running);

// The icon file of an element kind (relative to the program folder), normal or second; null for
// a kind that has none.
const char* IconFile(int kind, bool second);
bool IsZoneKind(int kind);    // sensors 1 to 6
bool IsOutputKind(int kind);  // siren 7, output 8 (relays are kind 9)

// ---- information label ----
enum class LabelColour { LightGrey, Red, Blue };
struct Label {
    std::string text;
    LabelColour background = LabelColour::Blue;
};
// The label of an element: its name (zone, output, or relay entry outputCount + relay), its number
// from 1, its state and its type word. An element bound to nothing, or to a number the tables do
// not hold, shows its number alone.
Label Describe(const CCompGraf& element, const NameTable& zones, const NameTable& outputs, int outputCount);
// The type word of a kind ("Agua" ... "Relé"; "-" for any other).
const char* KindWord(int kind);

// ---- commands ----
enum class Command { None, Bypass, On, Off };
struct MenuEntry {
    Command command = Command::None;
    const char* text = "";
};
// The one entry of an element's pop-up menu: "Omitir"/"Restaurar" for sensors, "Activar" /
// "Desactivar" for sirens, outputs and relays.
MenuEntry MenuFor(const CCompGraf& element);
// The two-byte bypass mask (zones 0-7, 8-15) of one zone among zoneCount zones; none when the zone
// is not one the command can reach (0 to min(zoneCount, 16) - 1).
std::optional<std::array<unsigned char, 2>> BypassMask(int zone, int zoneCount);

}  // namespace plan
