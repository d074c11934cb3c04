#include "panels/picturefile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <wx/image.h>

#include "panels/wxtext.h"

wxBitmap LoadPicture(const char* path, bool whiteTransparent) {
    std::error_code ec;
    wxImage image;
    // The file is checked first: the toolkit's own loader reports a missing file in a box.
    if (std::filesystem::is_regular_file(path, ec)) image.LoadFile(ToWx(path), wxBITMAP_TYPE_PNG);
    if (!image.IsOk()) {
        std::fprintf(stderr, "picture not found or unreadable: %s\n", path);
        image.Create(16, 16);
        image.InitAlpha();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) image.SetAlpha(x, y, 0);
        return wxBitmap(image);
    }
    if (whiteTransparent) {
        if (!image.HasAlpha()) {
            image.SetMaskColour(255, 255, 255);
        } else {
            // With an alpha channel a mask would be ignored: white pixels become see-through.
            const unsigned char* rgb = image.GetData();
            for (int y = 0; y < image.GetHeight(); ++y) {
                for (int x = 0; x < image.GetWidth(); ++x, rgb += 3) {
                    if (rgb[0] == 255 && rgb[1] == 255 && rgb[2] == 255) image.SetAlpha(x, y, 0);
                }
            }
        }
    }
    return wxBitmap(image);
}
