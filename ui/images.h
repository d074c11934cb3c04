// The pictures the window loads from icons/ (drawn by tools/icons/draw_window.py). A missing or
// unreadable picture never opens a box: it gives a blank, transparent picture of the expected
// size (or an invalid one where the caller needs to know) and one line on stderr.
#pragma once

#include <string>

#include <wx/bitmap.h>
#include <wx/icon.h>

#include "core/views.h"

// The picture of a file relative to the working folder; an invalid bitmap when it is missing.
wxBitmap LoadPicture(const std::string& path);
// The picture, or a blank transparent one of size x size pixels when it is missing.
wxBitmap PictureOrBlank(const std::string& path, int size);
// A toolbar picture by file name ("filenew.png"), 32 x 32.
wxBitmap ToolbarImage(const std::string& name);
// A tree picture, 16 x 16.
wxBitmap TreeImage(TreeIcon icon);
// The window icon: the settings' GIF (black transparent) when oemIcon names one, else
// "icons/lock.ico". An invalid icon when it does not load.
wxIcon WindowIcon(const std::string& oemIcon);
