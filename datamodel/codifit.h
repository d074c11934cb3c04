// Whether a value typed by the installer is what a code then holds. The code's conversions
// normalise every text (a decimal above 255 wraps, a time off the quarter hour is rounded, a
// text that is not hexadecimal becomes fill characters); the editors use this rule to refuse such
// a text with a word instead of sending another value than the one typed.
#pragma once

#include <string>
#include <string_view>

class CCodi;

// True when the code, given the typed text, shows the same value: the text is stored, encoded
// and decoded as the panel would give it back, and compared allowing only the type's own
// padding (zeros after a bitmask, the fill character of a hexadecimal text, spaces after a
// string), letter case and leading zeros (of a number or an hour). A code without a type or
// without bytes takes any text. The code itself is not changed.
bool CodiShowsTyped(const CCodi& codi, std::string_view typed);

// What a field of the code takes, for the refusal box ("se espera un número de 0 a 255").
std::string CodiAcceptedText(const CCodi& codi);
