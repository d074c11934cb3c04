#include "pardex/scan.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace pardex {

void FileList::Append(FileEntry entry) {
    entries_.push_back(std::move(entry));
    if (entries_.size() == 1) cursor_ = 0;
}

void FileList::Rewind() { cursor_ = entries_.empty() ? kNoCursor : 0; }

const FileEntry* FileList::Current() const {
    return cursor_ < entries_.size() ? &entries_[cursor_] : nullptr;
}

const FileEntry* FileList::Next() {
    if (cursor_ >= entries_.size() || cursor_ + 1 == entries_.size()) return nullptr;
    return &entries_[++cursor_];
}

void FileList::RemoveCurrent() {
    if (cursor_ >= entries_.size()) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(cursor_));
    if (cursor_ == entries_.size()) cursor_ = kNoCursor;
}

void FileList::Clear() {
    Rewind();
    while (!IsEmpty()) RemoveCurrent();
}

namespace {

int FoldAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - 'a' + 'A' : u;
}

// Names compare without case for ASCII letters first, then bytewise, so the order is total.
bool NameBefore(const FileEntry& a, const FileEntry& b) {
    const std::size_t common = std::min(a.name.size(), b.name.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int x = FoldAscii(a.name[i]);
        const int y = FoldAscii(b.name[i]);
        if (x != y) return x < y;
    }
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return std::lexicographical_compare(
        a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

}  // namespace

std::optional<FileList> ScanDirectory(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    std::vector<FileEntry> found;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || entryError) continue;
        const std::uintmax_t size = it->file_size(entryError);
        if (entryError) continue;
        found.push_back(FileEntry{it->path().filename().string(), size});
    }
    if (ec) return std::nullopt;
    std::sort(found.begin(), found.end(), NameBefore);
    FileList list;
    for (FileEntry& entry : found) list.Append(std::move(entry));
    return list;
}

}  // namespace pardex
