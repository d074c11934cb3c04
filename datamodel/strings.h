// Conversions between texts and numbers. Addresses and code numbers live in the data model as
// hexadecimal texts, counts and ports as decimal texts, and some panel records carry packed BCD.
// None of these fails loudly: a character that does not fit counts as 0 or makes a test false.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every character is 0-9, a-f or A-F (the empty text too).
bool IsHexString(std::string_view text);
// Every character is 0-9 (the empty text too).
bool IsDecimalString(std::string_view text);
// The upper-case hexadecimal digit of the low 4 bits.
char NibbleToHexChar(int value);
// 0..15 for 0-9, a-f, A-F; any other character gives 0.
int HexCharToValue(char c);
// The text read as hexadecimal; a non-hexadecimal character counts as 0; more than 8 digits wrap
// modulo 2^32.
int HexStringToInt(std::string_view text);
// A decimal number from the start of the text (leading white space and one sign accepted,
// reading stops at the first non-digit). A text that holds no number, or a number that does not
// fit an int, gives 0.
int StringToInt(std::string_view text);
std::string IntToString(int value);
std::string LongToString(long value);
std::string UIntToString(unsigned int value);
// "%x": lower case, no leading zeros; a negative number gives its 8-digit two's complement.
std::string IntToHexString(int value);
// Packed BCD to digits, high nibble first, stopping after maxDigits digits or at the first
// nibble above 9. The destination is always terminated, so it needs maxDigits + 1 characters;
// both buffers' sizes are given and never overrun (the count is cut to what fits).
// Returns the number of digits written.
int BcdToDigits(const unsigned char* source, std::size_t sourceSize, char* destination,
                std::size_t destinationSize, int maxDigits);
unsigned char SwapNibbles(unsigned char byte);
