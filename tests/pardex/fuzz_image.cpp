// Fuzzes the image reader over arbitrary file contents: the bytes are written to a file, opened, and
// read back in calls whose counts the input chooses; what comes back must be the file's own bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pardex/pardex.h"

namespace {

// The file under test: created once and unlinked at once, so nothing is left behind however the
// run ends; it is reached through the process's own descriptor link.
struct ScratchFile {
    int fd = -1;
    std::string path;
    ScratchFile() {
        std::string name = "/tmp/pardex-fuzz-image-XXXXXX";
        fd = ::mkstemp(name.data());
        if (fd < 0) std::abort();
        ::unlink(name.c_str());
        path = "/proc/self/fd/" + std::to_string(fd);
    }
};

const ScratchFile& Scratch() {
    static const ScratchFile file;
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte chooses whether a header area is given, the next eight the read counts; the
    // whole input is the file.
    const ScratchFile& scratch = Scratch();
    if (::ftruncate(scratch.fd, 0) != 0) std::abort();
    if (size != 0 && ::pwrite(scratch.fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();

    unsigned char header[PARDEX_HEADER_SIZE + 8];
    std::memset(header, 0xEE, sizeof header);
    const bool withHeader = size == 0 || (data[0] & 1) == 0;
    const int opened = Open(scratch.path.c_str(), withHeader ? header : nullptr);
    const bool isImage = size >= 48 && std::memcmp(data, "VOFS", 4) == 0;
    if (opened != (isImage ? 0 : PARDEX_ERR_NOT_IMAGE)) std::abort();

    std::vector<unsigned char> buffer(65536);
    if (!isImage) {
        if (Read(buffer.data(), 100) != 0) std::abort();
        if (Close() != 0) std::abort();
        return 0;
    }
    if (withHeader && (std::memcmp(header, data, 48) != 0 || header[48] != 0xEE)) std::abort();

    std::size_t pos = 48;
    for (std::size_t i = 0; i < 16 && pos <= size; ++i) {
        const std::size_t k = 1 + (i * 2) % 8;
        unsigned count = k + 1 < size ? static_cast<unsigned>(data[k] | data[k + 1] << 8) : 100u;
        if (i % 5 == 4) count += 65536u * (i + 1);  // only the count modulo 65536 counts
        const std::size_t wanted = std::min<std::size_t>(count % 65536u, size - pos);
        const int n = Read(buffer.data(), count);
        if (n < 0 || static_cast<std::size_t>(n) != wanted) std::abort();
        if (n > 0 && std::memcmp(buffer.data(), data + pos, static_cast<std::size_t>(n)) != 0) std::abort();
        pos += static_cast<std::size_t>(n);
    }
    if (Close() != 0) std::abort();
    if (Read(buffer.data(), 10) != 0) std::abort();
    return 0;
}
