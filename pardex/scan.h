// The listing of a source folder: its regular files with the sizes that the listing reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pardex {

struct FileEntry {
    std::string name;        // the file name as the OS gives it (bytes)
    std::uint64_t size = 0;  // bytes, as listed
};

// An ordered list with a cursor. The cursor starts on the first entry appended; Next moves it on and
// stays on the last entry; RemoveCurrent moves it to the entry that followed.
class FileList {
public:
    void Append(FileEntry entry);
    void Rewind();
    const FileEntry* Current() const;
    const FileEntry* Next();
    void RemoveCurrent();
    std::size_t Count() const { return entries_.size(); }
    bool IsEmpty() const { return entries_.empty(); }
    void Clear();

private:
    static constexpr std::size_t kNoCursor = static_cast<std::size_t>(-1);
    std::vector<FileEntry> entries_;
    std::size_t cursor_ = kNoCursor;
};

// Lists the regular files of a folder (following symbolic links; folders, devices, pipes and
// sockets are left out), sorted by name: ASCII letters compared without case, ties broken bytewise,
// so the same folder always gives the same list. None when the folder cannot be listed; an empty
// list for a folder without files.
std::optional<FileList> ScanDirectory(const std::filesystem::path& folder);

}  // namespace pardex
