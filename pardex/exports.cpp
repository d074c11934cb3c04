// The library's C functions: thin wrappers that keep every exception inside the library.
#include "pardex/image.h"
#include "pardex/pardex.h"
#include "pardex/reader.h"

extern "C" {

PARDEX_API int Compile(int /*unused*/, unsigned baseUnit, unsigned flags, const char* sourceFolder,
                       const char* imagePath, const char* logPath) {
    try {
        return pardex::CompileImage(baseUnit, flags, sourceFolder, imagePath, logPath);
    } catch (...) {
        // Out of memory while building: the working storage could not be had.
        return PARDEX_ERR_TEMP;
    }
}

PARDEX_API int Open(const char* path, void* header) {
    try {
        return pardex::OpenImage(path, header);
    } catch (...) {
        return PARDEX_ERR_OPEN;
    }
}

PARDEX_API int Read(void* buffer, unsigned count) {
    try {
        return pardex::ReadImage(buffer, count);
    } catch (...) {
        return 0;
    }
}

PARDEX_API int Close(void) {
    try {
        return pardex::CloseImage();
    } catch (...) {
        return -1;
    }
}

}  // extern "C"
