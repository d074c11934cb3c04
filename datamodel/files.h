// File helpers shared by every reader and writer of the program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A path held in a record (cp1252 text, possibly written on Windows with backslashes) as an OS
// path (UTF-8 on Linux; backslashes become slashes, so relative Windows paths resolve here).
std::filesystem::path ToOsPath(std::string_view recordText);
// The inverse: an OS path as record text (cp1252; characters outside cp1252 become '?', and
// lossless, when given, tells whether any did).
std::string FromOsPath(const std::filesystem::path& path, bool* lossless = nullptr);

// Reads a text file line by line, drops each line's end (LF, or CR LF) and joins the lines with
// nothing between them, as the XML loaders expect. False when the file cannot be read.
bool ReadJoinedLines(const std::filesystem::path& path, std::string& joined);

// Reads a whole file as bytes. False when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

// Replaces a file without ever destroying the old one: the content goes to a temporary file in
// the same folder, every write and the close are checked, then it is renamed over the target.
// On failure the target is untouched, the temporary file removed, and reason says why.
// openFailed (optional) tells a file that could not be created from a write that failed later.
bool WriteFileSafely(const std::filesystem::path& target, std::string_view content,
                     std::string* reason = nullptr, bool* openFailed = nullptr);
