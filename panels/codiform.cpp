#include "panels/codiform.h"

#include "datamodel/codi.h"

std::string CodiFieldName(const CCodi& codi) {
    return codi.GetKpAddress().empty() ? codi.GetDescr() : codi.GetKpAddress() + " - " + codi.GetDescr();
}

std::string CodiTitle(const CCodi& codi) {
    const bool userRow = codi.IsUsuari() && codi.GetType() != CodiBitmask;
    return (userRow ? " u" : " ") + CodiFieldName(codi);
}

std::array<bool, 8> CodiBits(CCodi& codi) {
    const unsigned char byte = codi.ToBytes()[0];
    std::array<bool, 8> bits{};
    for (int i = 0; i < 8; ++i) bits[static_cast<std::size_t>(i)] = ((byte >> i) & 1) != 0;
    return bits;
}

unsigned char ByteOfBits(const std::array<bool, 8>& bits) {
    unsigned byte = 0;
    for (int i = 0; i < 8; ++i)
        if (bits[static_cast<std::size_t>(i)]) byte |= 1u << i;
    return static_cast<unsigned char>(byte);
}
