// Reading an image back: one image open at a time in the whole library.
#pragma once

namespace pardex {

int OpenImage(const char* path, void* header);
int ReadImage(void* buffer, unsigned count);
int CloseImage();

}  // namespace pardex
