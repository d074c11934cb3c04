// The main window's rules that need no window: the title, which command is enabled in which
// state, the tree's pop-up menus, the link dialogue's choices, the recent-file and component
// lists, and the paths of the command line. The frame applies them; tests check them directly.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class CInstalacio;
struct SerialPortInfo;

// ---- title ----
struct TitleParts {
    std::string fileName;      // the installation's file name without folder and extension
    std::string installation;  // the installation title held by the core
    bool connected = false;
    int linkKind = 0;
    bool hasCoverage = false;  // the current component's status has a coverage code
    int coverage = -1;         // its value; negative shows nothing
};
// "<file> - <installation> - <connection>[ - Cobertura : n%] - Vosk Orvane", the file and
// installation names as ShownText (datamodel/text.h) gives them.
std::string ComposeTitle(const TitleParts& parts);
// The file-name part of the title for a path: the name without folder and extension.
std::string TitleFileName(const std::string& path);
constexpr const char* kProgramTitle = "Vosk Orvane";
constexpr const char* kClosedTitle = "Orvane";

// ---- enabling ----
struct WindowState {
    bool open = false;       // an installation is open
    bool connected = false;  // the link is connected
    bool flash = false;      // when it connected, the current component had a flash group
};
// Whether the menu item or tool with this id is enabled in the state. Ids no rule names are
// always enabled.
bool IsCommandEnabled(int id, const WindowState& state);
// Every id that some rule names, menu items and tools alike.
const std::vector<int>& RuledCommandIds();

// ---- tree pop-up menus ----
struct PopupItem {
    int id = 0;  // 0: a separator
    std::string label;
    std::string help;
    bool enabled = true;
};
// The items of the pop-up menu of a node category (1 code or flash group, 2 plain item,
// 3 status or event view, 4 component; anything else has no menu).
std::vector<PopupItem> PopupMenuItems(int category, bool connected);

// ---- link dialogue ----
// "0 - Ninguna" ... "6 - CRA LINK".
const std::vector<std::string>& LinkKindChoices();
// The kind of a choice: the value of its first character; -1 when it is no digit.
int LinkKindOfChoice(const std::string& choice);
// The port list of the serial layer as choices ("COM3", "COM100 (USB) /dev/ttyUSB0").
std::vector<std::string> SerialPortChoices(const std::vector<SerialPortInfo>& ports);
// The IP port of an answer, nullopt unless it is a number from 1 to 65535.
std::optional<int> ParseIpPort(const std::string& text);

// ---- installation menu and component list ----
// "&1. <path>" for recent file index 0.
std::string RecentFileLabel(int index, const std::string& path);
// "<i> <model id> (busdir = <address>)" for every bus component, in installation order.
std::vector<std::string> RemoveComponentChoices(const CInstalacio& installation);
// The component index a remove choice names (the number before its first blank), -1 when none.
int ComponentIndexOfChoice(const std::string& choice);

// ---- paths ----
// A file named on the command line: a relative path is taken from the folder the program was
// started in (not from the program's folder, which becomes the working folder).
std::filesystem::path ResolveCommandLinePath(const std::filesystem::path& argument,
                                             const std::filesystem::path& startFolder);
// A path chosen in a file dialog as record text (cp1252). nullopt, with error set, when cp1252
// cannot hold it.
std::optional<std::string> PathAsRecordText(const std::filesystem::path& path, std::string& error);
