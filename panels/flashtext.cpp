#include "panels/flashtext.h"

#include <cstdint>

#include "datamodel/fitxer.h"
#include "datamodel/strings.h"

std::string FlashRowLabel(int i) { return IntToString(i) + " : 0x" + IntToHexString(i); }

std::string UnstorableText(const std::string& subject, const std::string& shown, const std::string& advice) {
    return subject + " tiene caracteres que una instalación no puede guardar:\n" + shown + "\n" + advice;
}

std::string KeptAdvice(const std::string& kept) {
    return "Se conserva " + (kept.empty() ? std::string("el campo vacío") : kept) + ".";
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
