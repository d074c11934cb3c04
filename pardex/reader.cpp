#include "pardex/reader.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "pardex/files.h"
#include "pardex/image.h"

namespace pardex {
namespace {

// The open image, shared by every caller; none while the library is loaded fresh.
std::FILE* g_image = nullptr;

// An image left open is closed when the library is unloaded.
__attribute__((destructor)) void CloseAtUnload() { CloseImage(); }

}  // namespace

int OpenImage(const char* path, void* header) {
    CloseImage();
    const int fd = OpenRegularFile(path);
    if (fd < 0) return PARDEX_ERR_OPEN;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return PARDEX_ERR_OPEN;
    }
    unsigned char head[kHeaderSize];
    if (std::fread(head, 1, sizeof head, file) != sizeof head ||
        std::memcmp(head, PARDEX_MAGIC, 4) != 0) {
        std::fclose(file);
        return PARDEX_ERR_NOT_IMAGE;
    }
    if (header != nullptr) std::memcpy(header, head, sizeof head);
    g_image = file;
    return PARDEX_OK;
}

int ReadImage(void* buffer, unsigned count) {
    if (g_image == nullptr || buffer == nullptr) return 0;
    // At most 65535 bytes a call: the count is taken modulo 65536.
    const std::size_t wanted = count % 65536u;
    return static_cast<int>(std::fread(buffer, 1, wanted, g_image));
}

int CloseImage() {
    if (g_image == nullptr) return 0;
    std::FILE* file = g_image;
    g_image = nullptr;
    return std::fclose(file);
}

}  // namespace pardex
