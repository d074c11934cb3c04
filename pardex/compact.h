// Markup compaction: shrinks an HTML or CSS file before it is stored in a flash image.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pardex {

// Removes comments (outside style blocks) and the blanks outside tags, keeping one space where a run
// of blanks separates text, and breaks lines longer than 60 bytes before a tag, at a space or after
// a '>'. Bytes inside tags are kept as they are. Never reads outside `input`.
std::vector<std::uint8_t> CompactMarkupBytes(std::span<const std::uint8_t> input);

// Takes the file's bytes and gives back the compacted bytes (their size is the new length). When
// there is no memory for the result the input comes back unchanged.
std::vector<std::uint8_t> CompactMarkup(std::vector<std::uint8_t> data);

}  // namespace pardex
