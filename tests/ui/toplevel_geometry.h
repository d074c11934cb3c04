// Where the X server has a top-level window: what the window manager made of it, read through GDK
// (looked up at run time in the toolkit the process has loaded; the build has no GTK headers).
// The toolkit's own figures are what the program asked for until the manager answers.
#pragma once

#include <optional>

#include <wx/gdicmn.h>

class wxWindow;

// The window with the manager's frame (title bar and borders) on the screen; nullopt while the
// window is not on the screen.
std::optional<wxRect> FrameRect(wxWindow* topLevel);
// The window's own area (without the manager's frame) on the screen, as the server has it now;
// nullopt likewise.
std::optional<wxRect> InnerRect(wxWindow* topLevel);
// Whether the tests run under a window manager (tests/scripts/with_window_manager.sh says so).
bool UnderWindowManager();
// Whether the window is on the screen where it will stay: framed (and so placed) by the window
// manager when one runs.
bool Placed(wxWindow* topLevel);
// The window's own size on the X server now, as the toolkit last heard of it, and as GTK last
// laid the window out: the three agree once the toolkit has caught up with the window manager.
wxSize ServerSize(wxWindow* topLevel);
wxSize ReportedSize(wxWindow* topLevel);
wxSize LaidOutSize(wxWindow* topLevel);
// Whether the window is placed and everybody agrees on its size: the server's, the one the
// toolkit heard of and laid out, and the toolkit's outer size with the frame's on the screen.
bool Settled(wxWindow* topLevel);
