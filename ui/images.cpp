#include "ui/images.h"

#include <cstdio>
#include <filesystem>

#include <wx/image.h>
#include <wx/log.h>

#include "datamodel/files.h"

namespace {
// Loads an image without letting the toolkit's log open a box for a bad file.
bool LoadImage(const std::string& path, wxBitmapType type, wxImage& image) {
    std::error_code ec;
    const std::filesystem::path os = ToOsPath(path);
    if (!std::filesystem::is_regular_file(os, ec)) {
        std::fprintf(stderr, "orvane: picture not found: %s\n", os.string().c_str());
        return false;
    }
    wxLogNull quiet;
    if (!image.LoadFile(wxString::FromUTF8(os.string()), type) || !image.IsOk()) {
        std::fprintf(stderr, "orvane: picture not readable: %s\n", os.string().c_str());
        return false;
    }
    return true;
}

wxBitmap Blank(int size) {
    wxImage image(size, size);
    image.InitAlpha();
    unsigned char* alpha = image.GetAlpha();
    for (int i = 0; i < size * size; ++i) alpha[i] = 0;
    return wxBitmap(image);
}

const char* TreeFile(TreeIcon icon) {
    switch (icon) {
        case TreeIcon::Group: return "group.png";
        case TreeIcon::GroupSelected: return "group_selected.png";
        case TreeIcon::Installation: return "installation.png";
        case TreeIcon::Component: return "component.png";
        case TreeIcon::Data: return "data.png";
        case TreeIcon::View: return "view.png";
        case TreeIcon::Spare: return "spare.png";
    }
    return "spare.png";
}
}  // namespace

wxBitmap LoadPicture(const std::string& path) {
    wxImage image;
    if (!LoadImage(path, wxBITMAP_TYPE_PNG, image)) return wxNullBitmap;
    return wxBitmap(image);
}

wxBitmap PictureOrBlank(const std::string& path, int size) {
    wxImage image;
    if (!LoadImage(path, wxBITMAP_TYPE_PNG, image)) return Blank(size);
    if (image.GetWidth() != size || image.GetHeight() != size) image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image);
}

wxBitmap ToolbarImage(const std::string& name) { return PictureOrBlank("icons/toolbar/" + name, 32); }

wxBitmap TreeImage(TreeIcon icon) { return PictureOrBlank(std::string("icons/tree/") + TreeFile(icon), 16); }

wxIcon WindowIcon(const std::string& oemIcon) {
    wxImage image;
    wxIcon icon;
    if (oemIcon.empty()) {
        if (!LoadImage("icons/lock.ico", wxBITMAP_TYPE_ICO, image)) return icon;
    } else {
        if (!LoadImage(oemIcon, wxBITMAP_TYPE_GIF, image)) return icon;
        image.SetMaskColour(0, 0, 0);
    }
    icon.CopyFromBitmap(wxBitmap(image));
    return icon;
}
