// What the code panel shows and stores, without a window: the row's title and the byte of a
// bitmask code's eight boxes.
#pragma once

#include <array>
#include <string>

class CCodi;

// " " + description, or " " + keypad address + " - " + description; a user code shown as a text
// row leads with " u" instead of " ".
std::string CodiTitle(const CCodi& codi);

// The code as a message names it: the description, after the keypad address and " - " when
// there is one.
std::string CodiFieldName(const CCodi& codi);

// The bits of the code's first raw byte, bit 0 first.
std::array<bool, 8> CodiBits(CCodi& codi);

// The byte made of eight boxes: box i gives bit i.
unsigned char ByteOfBits(const std::array<bool, 8>& bits);
