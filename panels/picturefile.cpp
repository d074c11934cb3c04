#include "panels/picturefile.h"

#include <wx/image.h>

#include "panels/panelmapa.h"

wxBitmap LoadPicture(const char* path, bool whiteTransparent) {
    // The panels' one loader: checks the file first and keeps the toolkit's log box away.
    const wxBitmap bitmap = LoadPanelPicture(path);
    if (!bitmap.IsOk()) {
        wxImage blank(16, 16);
        blank.InitAlpha();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) blank.SetAlpha(x, y, 0);
        return wxBitmap(blank);
    }
    if (!whiteTransparent) return bitmap;
    wxImage image = bitmap.ConvertToImage();
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
    return wxBitmap(image);
}
