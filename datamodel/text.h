// Text rules of the program: every data text is cp1252 bytes in a std::string, as in the files
// and on the panel. These helpers convert at the edges (UTF-8 for the OS and the toolkit) and
// escape markup for the XML writers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Unicode code point of a cp1252 byte. The five bytes cp1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, as Windows does, so every byte
// survives a round trip.
char32_t Cp1252ToUnicode(unsigned char byte);
// The cp1252 byte of a code point; false when cp1252 has none.
bool UnicodeToCp1252(char32_t codePoint, char& byte);

std::string Cp1252ToUtf8(std::string_view text);
// Characters outside cp1252 and malformed UTF-8 become '?'; lossless tells whether any did.
std::string Utf8ToCp1252(std::string_view text, bool* lossless = nullptr);

// Escapes '&', '<' and '>' (and '"' when attribute is set) so a value can stand in an element.
std::string XmlEscape(std::string_view text, bool attribute = false);
// Decodes the five standard entities (&amp; &lt; &gt; &quot; &apos;); anything else stays as written.
std::string XmlDecode(std::string_view text);

// A text of a record as the window shows it in a title, a tree label or a list cell: at most
// kMaxShownChars characters, a longer one cut and ended with "..." (the record keeps it whole).
// The toolkit lays out every character it is given: a name of megabytes from a file would keep
// the window busy for a minute.
inline constexpr std::size_t kMaxShownChars = 120;
std::string ShownText(std::string_view text);
