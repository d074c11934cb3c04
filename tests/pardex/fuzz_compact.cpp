// Fuzzes the markup compactor: it must never read outside its input (the input buffer is exactly
// the fuzzer's bytes), its output is bounded by one inserted line break per 61 bytes written, and
// it writes no byte of an input without '<' that is not in the input, apart from spaces and breaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pardex/compact.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> out = pardex::CompactMarkupBytes(std::span(data, size));
    if (out.size() > size + size / 61) std::abort();
    bool seen[256] = {};
    for (std::size_t i = 0; i < size; ++i) seen[data[i]] = true;
    for (std::uint8_t c : out)
        if (!seen[c] && c != ' ' && c != '\n') std::abort();

    // The owning form gives the same bytes.
    if (pardex::CompactMarkup(std::vector<std::uint8_t>(data, data + size)) != out) std::abort();
    return 0;
}
