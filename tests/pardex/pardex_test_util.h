// Helpers shared by the library's tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

inline std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::uint32_t Le32(const std::string& bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(bytes.at(offset + i));
    return v;
}

// The bytes followed by zeros up to a whole 16-byte unit.
inline std::string Padded(std::string data) {
    data.resize((data.size() + 15) / 16 * 16, '\0');
    return data;
}

// Points the system temp folder (TMPDIR) at a private folder for the life of the object, so a test
// can see whether anything was left behind there.
class ScopedTempFolder {
public:
    ScopedTempFolder() {
        if (const char* old = std::getenv("TMPDIR")) old_ = old, hadOld_ = true;
        ::setenv("TMPDIR", dir_.Path().c_str(), 1);
    }
    ~ScopedTempFolder() {
        if (hadOld_) ::setenv("TMPDIR", old_.c_str(), 1);
        else ::unsetenv("TMPDIR");
    }
    const std::filesystem::path& Path() const { return dir_.Path(); }
    bool IsEmpty() const { return std::filesystem::is_empty(dir_.Path()); }
    void PointAt(const std::filesystem::path& other) { ::setenv("TMPDIR", other.c_str(), 1); }

private:
    TempDir dir_;
    std::string old_;
    bool hadOld_ = false;
};
