// Panel answers and typed texts through every value type: no read past the input, stored values
// are stable when stored again, and the bytes a code sends decode to a value that sends them again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "datamodel/codi.h"
#include "datamodel/grupflash.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int kTypes[] = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13};
    if (size < 3) return 0;
    const int type = kTypes[data[0] % 12];
    // Only string codes are lower case in model files ("lstring"); an output code in lower case
    // would never read "Activada".
    const bool lower = (data[1] & 1) && type == CodiString;
    const bool atRight = data[1] & 2;
    const char fill = static_cast<char>(data[2]);
    std::span<const unsigned char> rest(data + 3, size - 3);

    CCodi codi;
    codi.SetPadding(fill, atRight);
    codi.SetType(type);
    codi.SetLowerCase(lower);
    codi.FromBytes(rest);
    codi.EqualsBytes(rest);
    CCodi descriptor;
    descriptor.SetFromDescriptor(rest);

    const std::string text(rest.begin(), rest.end());
    codi.SetValue(text);
    const std::string stored = codi.GetValue();
    codi.SetValue(stored);
    if (codi.GetValue() != stored) std::abort();

    const CCodi::RawBytes& raw = codi.ToBytes();
    std::vector<unsigned char> sent(raw.begin(), raw.begin() + codi.GetByteCount());
    CCodi other = codi;
    if (!other.FromBytes(sent)) std::abort();
    if (!other.EqualsBytes(sent)) std::abort();

    CGrupFlash flash;
    flash.SetElements(data[1] % 5);
    flash.SetBytesElement(data[2] % 7);
    const int c = flash.AddColumna();
    flash.SetColumnaField(c, type);
    flash.StoreElement(data[1] % 6 - 1, rest);
    flash.FillAll(c, text);
    flash.GetCellText(data[2] % 6 - 1, c);
    return 0;
}
