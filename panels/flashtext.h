// Texts of the flash panels that need no window: the grid's row labels, the check of a typed
// cell against its column, the titles of the file rows and the header of a web-server image.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

class CCodi;
class CFitxer;

// Row i of a flash table: i in decimal, " : 0x" and i in lower-case hexadecimal ("10 : 0xa").
std::string FlashRowLabel(int i);

// Why a typed text cannot go into a cell of this column, or empty when it can. A cell takes what
// the panel gets back as typed (a short hexadecimal text is filled by the column's fill
// character); a text that the column would silently turn into another value (a decimal above
// 255, a time off the quarter hour, a letter in a hexadecimal column, a text that is too long)
// is refused. columnName names the column in the message.
std::string CellRefusal(const CCodi& column, std::string_view columnName, std::string_view text);

// " " + index + " - " + name: the title of a file row.
std::string FitxerTitle(const CFitxer& fitxer);

// The eight values shown for a web-server image header, in the order of ImageHeaderLabels:
// identifier, version, date, time, directory units, entries, payload bytes, data units.
// Data too short to hold the fields shows " - " everywhere.
inline constexpr std::size_t kImageHeaderFields = 8;
using ImageHeaderTexts = std::array<std::string, kImageHeaderFields>;
ImageHeaderTexts ImageHeaderValues(std::span<const unsigned char> data);
const std::array<const char*, kImageHeaderFields>& ImageHeaderLabels();
