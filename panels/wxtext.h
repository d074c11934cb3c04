// The one crossing point of program text into the toolkit and back. Program texts are cp1252
// bytes; wx converts through our own table (the toolkit's converter returns an empty string for
// any byte it cannot map, which would silently lose data).
#pragma once

#include <string>

#include <wx/string.h>

wxString ToWx(const std::string& cp1252);
// Characters outside cp1252 become '?'; lossless (optional) tells whether any did.
std::string FromWx(const wxString& text, bool* lossless = nullptr);
