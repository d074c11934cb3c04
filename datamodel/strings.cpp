#include "datamodel/strings.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>

bool IsHexString(std::string_view text) {
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool IsDecimalString(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

char NibbleToHexChar(int value) {
    return "0123456789ABCDEF"[value & 0x0F];
}

int HexCharToValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

int HexStringToInt(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) value = (value << 4) | static_cast<std::uint32_t>(HexCharToValue(c));
    return static_cast<int>(value);
}

int StringToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        any = true;
        if (value > static_cast<long long>(INT_MAX) + 1) return 0;
    }
    if (!any) return 0;
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return 0;
    return static_cast<int>(value);
}

std::string IntToString(int value) {
    return std::to_string(value);
}

std::string LongToString(long value) {
    return std::to_string(value);
}

std::string UIntToString(unsigned int value) {
    return std::to_string(value);
}

std::string IntToHexString(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned int>(value));
    return buffer;
}

int BcdToDigits(const unsigned char* source, std::size_t sourceSize, char* destination,
                std::size_t destinationSize, int maxDigits) {
    if (!destination || destinationSize == 0) return 0;
    if (maxDigits < 0) maxDigits = 0;
    std::size_t limit = static_cast<std::size_t>(maxDigits);
    if (limit > destinationSize - 1) limit = destinationSize - 1;
    if (!source) sourceSize = 0;
    if (limit > sourceSize * 2) limit = sourceSize * 2;
    std::size_t count = 0;
    for (; count < limit; ++count) {
        unsigned char byte = source[count / 2];
        int nibble = (count % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        if (nibble > 9) break;
        destination[count] = NibbleToHexChar(nibble);
    }
    destination[count] = '\0';
    return static_cast<int>(count);
}

unsigned char SwapNibbles(unsigned char byte) {
    return static_cast<unsigned char>((byte << 4) | (byte >> 4));
}
