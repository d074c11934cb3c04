// Small POSIX file helpers shared by the builder and the reader.
#pragma once

#include <cstddef>
#include <cstdio>

namespace pardex {

// Opens a regular file for reading; -1 when it cannot be opened or is no regular file (a pipe or a
// device is refused without blocking on it).
int OpenRegularFile(const char* path);

// Reads up to `count` bytes, retrying on interruption; the number read (less only at the end of the
// file), or -1 on a read error.
long long ReadUpTo(int fd, void* buffer, std::size_t count);

// A stream on an anonymous file in the system's temporary folder, opened for reading and writing.
// The name is removed as soon as the file is open, so nothing is left behind on any path out.
std::FILE* CreateAnonymousTempFile();

}  // namespace pardex
