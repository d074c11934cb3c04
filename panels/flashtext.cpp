#include "panels/flashtext.h"

#include <algorithm>
#include <cstdint>

#include "datamodel/codi.h"
#include "datamodel/fitxer.h"
#include "datamodel/strings.h"

std::string FlashRowLabel(int i) { return IntToString(i) + " : 0x" + IntToHexString(i); }

namespace {
bool IsHexDigitOrFill(char c, char fill) {
    const char lowerFill = (fill >= 'A' && fill <= 'Z') ? static_cast<char>(fill - 'A' + 'a') : fill;
    return IsHexString(std::string_view(&c, 1)) || c == fill || c == lowerFill;
}

// The column keeps the text as typed (its normalised form is the text itself).
bool KeptAsTyped(const CCodi& column, std::string_view text) {
    CCodi scratch = column;
    scratch.SetValue(text);
    return scratch.GetValue() == text;
}

std::string Refused(std::string_view columnName, std::string_view text, const std::string& rule) {
    return "El valor \"" + std::string(text) + "\" no cabe en la columna \"" + std::string(columnName) + "\": " +
           rule + ".";
}
}  // namespace

std::string CellRefusal(const CCodi& column, std::string_view columnName, std::string_view text) {
    const int type = column.GetType();
    const std::size_t length = static_cast<std::size_t>(column.GetTextLength());
    if (!column.IsEditable() || column.GetByteCount() == 0 || type == CodiSortida) {
        return "La columna \"" + std::string(columnName) + "\" no se puede modificar.";
    }
    switch (type) {
    case CodiBitmask:
        if (text.size() <= length && std::all_of(text.begin(), text.end(), [](char c) { return c == '0' || c == '1'; }))
            return {};
        return Refused(columnName, text, "se esperan hasta 8 cifras 0 o 1");
    case CodiDecimal:
        if (!text.empty() && IsDecimalString(text) && KeptAsTyped(column, text)) return {};
        return Refused(columnName, text, "se espera un número de 0 a 255");
    case CodiHoraQuart:
        if (KeptAsTyped(column, text)) return {};
        return Refused(columnName, text, "se espera una hora hh:mm en cuartos de hora (00, 15, 30 o 45)");
    case CodiString:
        if (text.size() <= length) return {};
        return Refused(columnName, text, "se esperan hasta " + IntToString(static_cast<int>(length)) + " caracteres");
    default: {
        const char fill = column.GetFillChar();
        if (text.size() <= length &&
            std::all_of(text.begin(), text.end(), [fill](char c) { return IsHexDigitOrFill(c, fill); }))
            return {};
        return Refused(columnName, text,
                       "se esperan hasta " + IntToString(static_cast<int>(length)) + " cifras hexadecimales");
    }
    }
}

std::string FitxerTitle(const CFitxer& fitxer) { return " " + IntToString(fitxer.GetIndex()) + " - " + fitxer.GetNom(); }

namespace {
// Up to four bytes as text, ending at the first NUL; control characters show as '?'.
std::string FieldText(std::span<const unsigned char> data, std::size_t at) {
    std::string out;
    for (std::size_t i = at; i < at + 4; ++i) {
        if (data[i] == 0) break;
        out += data[i] < 0x20 ? '?' : static_cast<char>(data[i]);
    }
    return out;
}

std::string Number(std::span<const unsigned char> data, std::size_t at) {
    const std::uint32_t value = static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
                                static_cast<std::uint32_t>(data[at + 2]) << 16 |
                                static_cast<std::uint32_t>(data[at + 3]) << 24;
    return std::to_string(value);
}

// The fields shown lie in the first 32 bytes of the header.
constexpr std::size_t kShownHeaderBytes = 32;
}  // namespace

ImageHeaderTexts ImageHeaderValues(std::span<const unsigned char> data) {
    ImageHeaderTexts out;
    if (data.size() < kShownHeaderBytes) {
        out.fill(" - ");
        return out;
    }
    out[0] = FieldText(data, 0);
    out[1] = std::string{static_cast<char>(data[4] + '0'), '.', static_cast<char>(data[5] + '0')};
    out[2] = FieldText(data, 8);
    out[3] = FieldText(data, 12);
    out[4] = Number(data, 16);
    out[5] = Number(data, 20);
    out[6] = Number(data, 24);
    out[7] = Number(data, 28);
    return out;
}

const std::array<const char*, kImageHeaderFields>& ImageHeaderLabels() {
    static const std::array<const char*, kImageHeaderFields> labels = {
        " ID", " Versión", " Fecha", " Hora", " Tamaño FAT", " Número de archivos", " Tamaño de los datos", " Sectores"};
    return labels;
}
