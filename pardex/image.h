// The flash image format and its builder, behind the exported Compile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "pardex/pardex.h"

namespace pardex {

inline constexpr std::uint32_t kUnitSize = PARDEX_UNIT_SIZE;
inline constexpr std::size_t kHeaderSize = PARDEX_HEADER_SIZE;
inline constexpr std::size_t kEntrySize = PARDEX_ENTRY_SIZE;
inline constexpr std::size_t kNameSize = PARDEX_NAME_SIZE;

// The units that `size` bytes take in the data area (an empty entry takes none).
inline std::uint64_t UnitsFor(std::uint64_t size) { return (size + kUnitSize - 1) / kUnitSize; }

// A built-in HTTP answer, stored as an entry of kind 0: the whole answer, CR LF line ends, no NUL.
struct BuiltInAnswer {
    const char* name;
    std::string_view text;
};
std::span<const BuiltInAnswer> BuiltInAnswers();  // "401", "404", "500", in this order

// Header and entries in their little-endian file form.
void EncodeHeader(const FlashImageHeader& header, std::uint8_t (&out)[kHeaderSize]);
FlashImageHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> in);
void EncodeEntry(const FlashDirEntry& entry, std::uint8_t (&out)[kEntrySize]);
FlashDirEntry DecodeEntry(std::span<const std::uint8_t, kEntrySize> in);

// Reads a listed file of `size` bytes. None when it cannot be opened or read in full (it shrank, it
// is no regular file any more, or there is no memory for it), or when it is too large for an entry.
std::optional<std::vector<std::uint8_t>> ReadListedFile(const std::filesystem::path& path,
                                                        std::uint64_t size);

// Compile without the C boundary: may throw std::bad_alloc; cleans up on every path.
int CompileImage(unsigned baseUnit, unsigned flags, const char* sourceFolder, const char* imagePath,
                 const char* logPath);

}  // namespace pardex
