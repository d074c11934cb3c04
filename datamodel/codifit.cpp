#include "datamodel/codifit.h"

#include <optional>
#include <utility>

#include "datamodel/codi.h"
#include "datamodel/strings.h"

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (UpperAscii(c) >= 'A' && UpperAscii(c) <= 'F'); }

// The value the code shows once the text is stored and the panel gives its bytes back.
std::string ShownAfterStoring(const CCodi& codi, std::string_view typed) {
    CCodi probe = codi;
    probe.SetValue(typed);
    const CCodi::RawBytes bytes = probe.ToBytes();
    probe.FromBytes(bytes);
    return probe.GetValue();
}

// A number's digits without its leading zeros ("0" for zero); none for a text that is no number.
std::optional<std::string> Digits(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if (!IsDigit(c)) return std::nullopt;
    const std::size_t first = text.find_first_not_of('0');
    return std::string(first == std::string_view::npos ? std::string_view("0") : text.substr(first));
}

// Hour and minute of "h:mm" or "hh:mm" written with digits; none for any other text.
std::optional<std::pair<int, int>> Time(std::string_view text) {
    const std::size_t colon = text.size() == 5 ? 2 : text.size() == 4 ? 1 : std::string_view::npos;
    if (colon == std::string_view::npos || text[colon] != ':') return std::nullopt;
    int hour = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        hour = hour * 10 + (text[i] - '0');
    }
    if (!IsDigit(text[colon + 1]) || !IsDigit(text[colon + 2])) return std::nullopt;
    return std::make_pair(hour, (text[colon + 1] - '0') * 10 + (text[colon + 2] - '0'));
}

std::string TrimTrailingSpaces(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The typed hexadecimal text as the digits it stands for: filled to the type's length with the
// fill character, which counts as the digit it converts to (0 when it is no hexadecimal digit).
// None when the text is too long or holds any other character.
std::optional<std::string> HexDigits(const CCodi& codi, std::string_view typed) {
    const std::size_t length = static_cast<std::size_t>(codi.GetTextLength());
    if (typed.size() > length) return std::nullopt;
    const std::string fill(length - typed.size(), codi.GetFillChar());
    const std::string filled = codi.IsFillAtRight() ? std::string(typed) + fill : fill + std::string(typed);
    std::string digits;
    for (char c : filled) {
        if (IsHexDigit(c)) {
            digits += UpperAscii(c);
        } else if (UpperAscii(c) == UpperAscii(codi.GetFillChar())) {
            digits += NibbleToHexChar(HexCharToValue(c));
        } else {
            return std::nullopt;
        }
    }
    return digits;
}

}  // namespace

bool CodiShowsTyped(const CCodi& codi, std::string_view typed) {
    if (!codi.IsTypeSet() || codi.GetByteCount() == 0) return true;
    const std::string shown = ShownAfterStoring(codi, typed);
    switch (codi.GetType()) {
    case CodiBitmask: {
        std::string bits(typed);
        if (bits.size() < 8) bits.resize(8, '0');
        return bits == shown;
    }
    case CodiDecimal: {
        const auto digits = Digits(typed);
        return digits && digits == Digits(shown);
    }
    case CodiString:
        return TrimTrailingSpaces(Upper(typed)) == TrimTrailingSpaces(Upper(shown));
    case CodiHoraQuart: {
        const auto time = Time(typed);
        return time && time == Time(shown);
    }
    case CodiSortida:
        return Upper(typed) == Upper(shown);
    default: {
        const auto digits = HexDigits(codi, typed);
        return digits && *digits == Upper(shown);
    }
    }
}

std::string CodiAcceptedText(const CCodi& codi) {
    const std::string length = std::to_string(codi.GetTextLength());
    switch (codi.GetType()) {
    case CodiBitmask:
        return "se esperan hasta 8 caracteres 0 o 1";
    case CodiDecimal:
        return "se espera un número de 0 a 255";
    case CodiString:
        return "se esperan hasta 16 caracteres";
    case CodiHoraQuart:
        return "se espera una hora h:mm de 0:00 a 24:45 en cuartos de hora (00, 15, 30 o 45), o 63:45 sin hora";
    case CodiSortida:
        return "se espera Activada o Desactivada";
    default:
        if (codi.GetByteCount() == 0) return "se espera cualquier texto";
        return "se esperan hasta " + length + " cifras hexadecimales (0 a 9, A a F)";
    }
}
