#include "panels/wxtext.h"

#include "datamodel/text.h"

wxString ToWx(const std::string& cp1252) {
    std::wstring wide;
    wide.reserve(cp1252.size());
    for (char c : cp1252) wide += static_cast<wchar_t>(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return wxString(wide);
}

std::string FromWx(const wxString& text, bool* lossless) {
    std::string out;
    out.reserve(text.length());
    bool clean = true;
    for (wxUniChar c : text) {
        char byte;
        if (UnicodeToCp1252(static_cast<char32_t>(c.GetValue()), byte)) {
            out += byte;
        } else {
            out += '?';
            clean = false;
        }
    }
    if (lossless) *lossless = clean;
    return out;
}
