// Every command id of the main window in one place: the menu items, the tools, the tree, the two
// timers and the keypad pane's buttons. A menu item and the tool of the same command have their
// own ids and share one handler; the tree's pop-up menus reuse these ids, so their items reach
// the same handlers. Own ids lie above wxID_HIGHEST, away from the toolkit's automatic ones.
#pragma once

#include <wx/defs.h>

enum WindowId : int {
    ID_FIRST = wxID_HIGHEST + 100,
    ID_MENU_EXIT = ID_FIRST,
    ID_MENU_ABOUT,
    ID_MENU_NEW,
    ID_MENU_OPEN,
    ID_MENU_SAVE,
    ID_MENU_SAVEAS,
    ID_MENU_EXPORT,
    ID_MENU_CLOSE,
    ID_MENU_ADD,
    ID_MENU_REMOVE,
    ID_MENU_CONFIGURE,
    ID_MENU_CONNECT,
    ID_MENU_RECEIVE,
    ID_MENU_SEND,
    ID_MENU_RENAME,
    ID_TREE,
    ID_TIMER1,
    ID_TIMER2,
    ID_TOOL_RECEIVE,
    ID_TOOL_SEND,
    ID_TOOL_APPLY,
    ID_TOOL_CONNECT,
    ID_TOOL_DISCONNECT,
    ID_TOOL_NEW,
    ID_TOOL_OPEN,
    ID_TOOL_SAVE,
    ID_TOOL_SAVEAS,
    ID_TOOL_ADD,
    ID_TOOL_REMOVE,
    ID_TOOL_CONFIGURE,
    ID_TOOL_CLOSE,
    ID_TOOL_EXIT,
    ID_TOOL_VERIFY,
    ID_TOOL_KEYPAD,
    ID_TOOL_LOG,
    ID_TOOL_RESET_SOFT,
    ID_TOOL_RESET_HARD,
    ID_TOOL_EEP_TO_FLASH,
    ID_TOOL_FLASH_TO_EEP,
    ID_RECENT1,
    ID_RECENT2,
    ID_RECENT3,
    ID_RECENT4,
    ID_KEYPAD_RECEIVE,
    ID_KEYPAD_SEND,
    ID_LAST
};
static_assert(static_cast<int>(ID_FIRST) > static_cast<int>(wxID_HIGHEST), "own ids lie above the toolkit's");
constexpr int kRecentCount = 4;
