#include "toplevel_geometry.h"

#include <dlfcn.h>

#include <cstdlib>

#include <wx/window.h>

namespace {
struct GdkRect {
    int x, y, width, height;
};

template <class F>
F Find(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

constexpr int kWithdrawn = 1 << 0;  // GDK_WINDOW_STATE_WITHDRAWN

// The GDK window of a top-level window once the X server has mapped it (a window manager maps a
// window once it has framed and placed it), else null.
void* ShownGdkWindow(wxWindow* topLevel) {
    static const auto window = Find<void* (*)(GtkWidget*)>("gtk_widget_get_window");
    static const auto state = Find<int (*)(void*)>("gdk_window_get_state");
    if (!topLevel || !topLevel->GetHandle() || !window || !state) return nullptr;
    void* gdk = window(topLevel->GetHandle());
    return gdk && !(state(gdk) & kWithdrawn) ? gdk : nullptr;
}
}  // namespace

std::optional<wxRect> FrameRect(wxWindow* topLevel) {
    static const auto extents = Find<void (*)(void*, GdkRect*)>("gdk_window_get_frame_extents");
    void* gdk = ShownGdkWindow(topLevel);
    if (!gdk || !extents) return std::nullopt;
    GdkRect r{};
    extents(gdk, &r);
    return wxRect(r.x, r.y, r.width, r.height);
}

std::optional<wxRect> InnerRect(wxWindow* topLevel) {
    static const auto origin = Find<int (*)(void*, int*, int*)>("gdk_window_get_origin");
    void* gdk = ShownGdkWindow(topLevel);
    if (!gdk || !origin) return std::nullopt;
    int x = 0, y = 0;
    origin(gdk, &x, &y);
    return wxRect(wxPoint(x, y), ServerSize(topLevel));
}

bool UnderWindowManager() {
    const char* manager = std::getenv("ORVANE_WINDOW_MANAGER");
    return manager && *manager;
}

bool Placed(wxWindow* topLevel) {
    const std::optional<wxRect> frame = FrameRect(topLevel);
    return frame && (!UnderWindowManager() || frame != InnerRect(topLevel));
}

namespace {
void* GdkWindowOf(wxWindow* topLevel) {
    static const auto window = Find<void* (*)(GtkWidget*)>("gtk_widget_get_window");
    return topLevel && topLevel->GetHandle() && window ? window(topLevel->GetHandle()) : nullptr;
}
}  // namespace

wxSize ServerSize(wxWindow* topLevel) {
    // Asks the server (GDK's geometry call is a round trip).
    static const auto geometry = Find<void (*)(void*, int*, int*, int*, int*)>("gdk_window_get_geometry");
    void* gdk = GdkWindowOf(topLevel);
    if (!gdk || !geometry) return wxSize();
    int x = 0, y = 0, width = 0, height = 0;
    geometry(gdk, &x, &y, &width, &height);
    return wxSize(width, height);
}

wxSize ReportedSize(wxWindow* topLevel) {
    static const auto width = Find<int (*)(void*)>("gdk_window_get_width");
    static const auto height = Find<int (*)(void*)>("gdk_window_get_height");
    void* gdk = GdkWindowOf(topLevel);
    if (!gdk || !width || !height) return wxSize();
    return wxSize(width(gdk), height(gdk));
}

wxSize LaidOutSize(wxWindow* topLevel) {
    static const auto width = Find<int (*)(GtkWidget*)>("gtk_widget_get_allocated_width");
    static const auto height = Find<int (*)(GtkWidget*)>("gtk_widget_get_allocated_height");
    if (!topLevel || !topLevel->GetHandle() || !width || !height) return wxSize();
    return wxSize(width(topLevel->GetHandle()), height(topLevel->GetHandle()));
}

bool Settled(wxWindow* topLevel) {
    const std::optional<wxRect> frame = FrameRect(topLevel);
    const wxSize reported = ReportedSize(topLevel);
    return Placed(topLevel) && frame && frame->GetSize() == topLevel->GetSize() && ServerSize(topLevel) == reported &&
           LaidOutSize(topLevel) == reported;
}
