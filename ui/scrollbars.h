// Ordinary scroll bars. GTK's overlay scroll bars show only while the pointer is at a window's
// edge, so a view wider than the window (a radio grid of many devices) looks as if it ended at
// the window's edge. The program asks the toolkit for ordinary ones, drawn always and taking
// room of their own, unless the user's environment names a choice of its own. No toolkit here:
// the GUI test main calls it too.
#pragma once

#include <cstdlib>

// Call before the toolkit starts: it reads the setting when it builds its scrolled windows.
inline void PreferOrdinaryScrollBars() {
    // A value the user set (any, even an empty one) wins.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
}
