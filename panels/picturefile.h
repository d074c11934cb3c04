// Pictures of the status panels, loaded from their PNG files (paths relative to the working folder,
// which is the program's folder). A missing or unreadable file never pops up a box: it is named
// on stderr and a blank, fully transparent picture of 16 x 16 takes its place, so every control
// that shows it still gets a valid bitmap.
#pragma once

#include <wx/bitmap.h>

// whiteTransparent: pure white (255, 255, 255) becomes transparent (static icons); otherwise
// the file is drawn unchanged (bitmap buttons).
wxBitmap LoadPicture(const char* path, bool whiteTransparent);
