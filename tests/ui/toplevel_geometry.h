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
// The window's own area (without the manager's frame) on the screen; nullopt likewise.
std::optional<wxRect> InnerRect(wxWindow* topLevel);
// The window's own size as the X server last reported it, and the size GTK last laid the window
// out at: the two are equal once GTK has caught up with the window manager.
wxSize ReportedSize(wxWindow* topLevel);
wxSize LaidOutSize(wxWindow* topLevel);
// Whether the window is on the screen and everybody agrees on its size: the toolkit's outer size
// is the frame's on the screen, and GTK has laid the window out at the size the X server reports.
bool Settled(wxWindow* topLevel);
