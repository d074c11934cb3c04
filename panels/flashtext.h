// Texts of the flash panels that need no window: the grid's row labels, the box for a text an
// installation cannot keep, the titles of the file rows and the header of a web-server image.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>

class CFitxer;

// Row i of a flash table: i in decimal, " : 0x" and i in lower-case hexadecimal ("10 : 0xa").
std::string FlashRowLabel(int i);

// The box for a typed or chosen text that an installation cannot keep, because program text
// (cp1252) has no character for part of it: subject names what it was meant for, shown is the
// text with '?' where a character is missing, advice says what happens instead.
std::string UnstorableText(const std::string& subject, const std::string& shown, const std::string& advice);
// The advice when the old value stays: "Se conserva " and the value ("el campo vacío" for none).
std::string KeptAdvice(const std::string& kept);

// " " + index + " - " + name: the title of a file row.
std::string FitxerTitle(const CFitxer& fitxer);

// The eight values shown for a web-server image header, in the order of ImageHeaderLabels:
// identifier, version, date, time, directory units, entries, payload bytes, data units.
// Data too short to hold the fields shows " - " everywhere.
inline constexpr std::size_t kImageHeaderFields = 8;
using ImageHeaderTexts = std::array<std::string, kImageHeaderFields>;
ImageHeaderTexts ImageHeaderValues(std::span<const unsigned char> data);
const std::array<const char*, kImageHeaderFields>& ImageHeaderLabels();
