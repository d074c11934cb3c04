// File helpers shared by every reader and writer of the program.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// A path held in a record (cp1252 text, possibly written on Windows with backslashes) as an OS
// path (UTF-8 on Linux; backslashes become slashes, so relative Windows paths resolve here).
std::filesystem::path ToOsPath(std::string_view recordText);
// The inverse: an OS path as record text (cp1252; characters outside cp1252 become '?', and
// lossless, when given, tells whether any did).
std::string FromOsPath(const std::filesystem::path& path, bool* lossless = nullptr);

// The largest installation or model file the program reads. A model of 100 000 codes, far more
// than any panel has, is about 12 MB and an installation using it about 5 MB (tools/bench); a
// file five times that is not a data file of the program.
inline constexpr std::uintmax_t kMaxDataFileBytes = 64u * 1024u * 1024u;
// The settings file holds a handful of texts: a few kilobytes.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 1024u * 1024u;

// The system's reason for an error number, in Spanish for the errors a user can act on.
std::string SystemReason(int error);

// Reads a whole file as bytes. Only a regular file of at most maxBytes is read: a folder, a
// device ("/dev/zero"), a pipe or a socket is refused before anything is read from it, so none
// can hang the program or exhaust its memory. False with reason (Spanish) when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* reason = nullptr,
                   std::uintmax_t maxBytes = kMaxDataFileBytes);

// Reads at most limit bytes from the start of a file: a longer file is cut, not refused. Any file
// but a folder is read, without ever waiting: a device gives its first bytes, a pipe what it holds.
bool ReadFileStart(const std::filesystem::path& path, std::size_t limit, std::string& bytes,
                   std::string* reason = nullptr);

// Reads a text file line by line, drops each line's end (LF, or CR LF) and joins the lines with
// nothing between them, as the XML loaders expect. False when the file cannot be read (the same
// rules as ReadWholeFile).
bool ReadJoinedLines(const std::filesystem::path& path, std::string& joined, std::string* reason = nullptr,
                     std::uintmax_t maxBytes = kMaxDataFileBytes);

// Replaces a file without ever destroying the old one: the content goes to a temporary file in
// the same folder, every write and the close are checked, then it is renamed over the target.
// A symbolic link is followed: the file it points to is replaced (its temporary file beside it)
// and the link stays. A file without write permission is refused, not replaced. Temporary files
// that a save interrupted by a crash left beside the file are removed.
// On failure the target is untouched, the temporary file removed, and reason says why (Spanish).
// openFailed (optional) tells a file that could not be created from a write that failed later.
bool WriteFileSafely(const std::filesystem::path& target, std::string_view content,
                     std::string* reason = nullptr, bool* openFailed = nullptr);

// The system calls through which WriteFileSafely checks, writes and replaces a file. Tests put
// their own in place to see the order of the calls or to make one of them fail.
class SaveCalls {
public:
    virtual ~SaveCalls() = default;
    virtual int Access(const char* path, int mode);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
};
// Makes WriteFileSafely use these calls; null goes back to the system's own.
void SetSaveCalls(SaveCalls* calls);

// The name part of the temporary files of WriteFileSafely: "." + file name + this + 6 characters.
inline constexpr std::string_view kSaveTempMark = ".orvane-tmp-";

// The user's messages for a file that could not be read or written: the fixed text, the file
// name and, on a line of its own, the reason when there is one.
std::string ReadErrorText(std::string_view name, std::string_view reason);
std::string WriteErrorText(std::string_view name, std::string_view reason, bool openFailed);
