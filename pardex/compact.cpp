#include "pardex/compact.h"

#include <cstring>
#include <new>
#include <string_view>

namespace pardex {
namespace {

constexpr std::size_t kLineLimit = 60;  // a line break may follow once more bytes stand on the line

// Every byte up to 0x20 is blank; every other byte, including those above 0x7F, is text.
bool IsBlank(std::uint8_t c) { return c <= 0x20; }

bool StartsWith(std::span<const std::uint8_t> input, std::size_t pos, std::string_view pattern) {
    return pattern.size() <= input.size() - pos &&
           std::memcmp(input.data() + pos, pattern.data(), pattern.size()) == 0;
}

}  // namespace

std::vector<std::uint8_t> CompactMarkupBytes(std::span<const std::uint8_t> input) {
    std::vector<std::uint8_t> out;
    out.reserve(input.size() + input.size() / (kLineLimit + 1) + 1);

    bool inTag = false;
    bool inComment = false;
    bool inStyle = false;
    bool textSeen = false;   // text outside tags since the last space written
    std::size_t column = 0;  // bytes written since the last line break inserted
    auto put = [&](std::uint8_t c) {
        out.push_back(c);
        ++column;
    };

    const std::size_t end = input.size();
    std::size_t pos = 0;
    while (pos < end) {
        if (StartsWith(input, pos, "<!--")) {
            inComment = true;
        } else if (inComment && StartsWith(input, pos, "-->")) {
            inComment = false;
            // A comment outside a style block is dropped with its end marker. The '<' that opened
            // it still counts as an open tag, so what follows up to the next '>' is kept as is.
            if (!inStyle) {
                pos += 3;
                if (pos >= end) break;
            }
        }
        if (StartsWith(input, pos, "<style")) inStyle = true;
        if (StartsWith(input, pos, "</style")) inStyle = false;

        const std::uint8_t c = input[pos];
        if (c == '<') inTag = true;
        if (!inTag && !IsBlank(c)) textSeen = true;
        if (c == '>') inTag = false;

        if (!inComment || inStyle) {
            // A run of blanks outside tags becomes at most one space, and only between pieces of
            // text. A line break or tab counts like a space, so words on two lines stay apart.
            if (!inTag && IsBlank(c)) {
                while (pos + 1 < end && IsBlank(input[pos + 1])) ++pos;
                if (column != 0 && textSeen) {
                    put(' ');
                    textSeen = false;
                }
            }
            const std::uint8_t now = input[pos];
            if (!IsBlank(now) || inTag) put(now);
        }

        ++pos;
        if (column > kLineLimit && !inTag) {
            const bool breakHere =
                (pos < end && (input[pos] == ' ' || input[pos] == '<')) || input[pos - 1] == '>';
            if (breakHere) {
                out.push_back('\n');
                column = 0;
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> CompactMarkup(std::vector<std::uint8_t> data) {
    try {
        return CompactMarkupBytes(data);
    } catch (const std::bad_alloc&) {
        return data;
    }
}

}  // namespace pardex
