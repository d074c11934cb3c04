// Test main for the GUI tests: starts wx on the (virtual) display and keeps every modal box away,
// since one would hang a test under Xvfb forever. A warning or critical message of the toolkit
// (GTK and the libraries under it) fails the test during which it came: it means the program
// misused a widget, typically laying one out before it had a size.
#include <dlfcn.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include "ui/scrollbars.h"

namespace {
void OnWxAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                const wxString& msg) {
    std::fprintf(stderr, "wx assert %s:%d %s: %s %s\n", static_cast<const char*>(file.utf8_str()),
                 line, static_cast<const char*>(func.utf8_str()),
                 static_cast<const char*>(cond.utf8_str()), static_cast<const char*>(msg.utf8_str()));
    ADD_FAILURE() << "wx assertion failed";
}

// GLib's structured logging, declared here (the build has no GLib headers) and found at run
// time in the GLib the toolkit already loaded. Every message, whether logged the old way or
// structured, reaches the one writer function of the process.
struct LogField {
    const char* key;
    const void* value;
    long length;  // -1: a nul-terminated text
};
using WriterFunc = int (*)(int level, const LogField* fields, std::size_t count, void* data);
using SetWriterFunc = void (*)(WriterFunc func, void* data, void (*destroy)(void*));
constexpr int kLevelCritical = 1 << 3;
constexpr int kLevelWarning = 1 << 4;
constexpr int kWriterUnhandled = 0;

WriterFunc defaultWriter = nullptr;
std::atomic<int> messagesOutsideTests{0};

std::string Field(const LogField* fields, std::size_t count, const char* key) {
    for (std::size_t i = 0; i < count; ++i) {
        if (std::string(fields[i].key) != key || !fields[i].value) continue;
        const char* text = static_cast<const char*>(fields[i].value);
        return fields[i].length < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(fields[i].length));
    }
    return std::string();
}

int OnToolkitMessage(int level, const LogField* fields, std::size_t count, void* data) {
    if (level & (kLevelCritical | kLevelWarning)) {
        const std::string domain = Field(fields, count, "GLIB_DOMAIN");
        const std::string message = Field(fields, count, "MESSAGE");
        const std::string text =
            (domain.empty() ? "?" : domain) + ((level & kLevelCritical) ? "-CRITICAL: " : "-WARNING: ") + message;
        // Every one counts: none has been seen that the bare X server of the tests causes by
        // itself, so none is let through.
        if (::testing::UnitTest::GetInstance()->current_test_info())
            ADD_FAILURE() << "toolkit message: " << text;
        else
            ++messagesOutsideTests;
    }
    return defaultWriter ? defaultWriter(level, fields, count, data) : kWriterUnhandled;
}

void CollectToolkitMessages() {
    auto setWriter = reinterpret_cast<SetWriterFunc>(dlsym(RTLD_DEFAULT, "g_log_set_writer_func"));
    defaultWriter = reinterpret_cast<WriterFunc>(dlsym(RTLD_DEFAULT, "g_log_writer_default"));
    if (!setWriter || !defaultWriter) {
        std::fprintf(stderr, "GLib's log writer not found: toolkit messages are not checked\n");
        return;
    }
    setWriter(OnToolkitMessage, nullptr, nullptr);
}

// The window manager the toolkit sees on the display ("unknown" when none runs), or empty when
// the toolkit's X11 functions are not found.
std::string WindowManagerName() {
    using ScreenFunc = void* (*)();
    using NameFunc = const char* (*)(void*);
    auto screen = reinterpret_cast<ScreenFunc>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    auto name = reinterpret_cast<NameFunc>(dlsym(RTLD_DEFAULT, "gdk_x11_screen_get_window_manager_name"));
    const char* text = screen && name && screen() ? name(screen()) : nullptr;
    return text ? text : "";
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // gtest_discover_tests lists the tests at build time, without a display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // The file dialogs store their choices through GSettings; under a bare X server there is no
    // session bus for dconf, so tests keep those settings in memory (and never touch the user's).
    setenv("GSETTINGS_BACKEND", "memory", 1);
    // The scroll bars the program shows (a view's client area then leaves room for them).
    PreferOrdinaryScrollBars();
    CollectToolkitMessages();
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: no DISPLAY? run under xvfb-run\n");
        return 2;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(OnWxAssert);
    wxInitAllImageHandlers();
    // Run under a window manager on purpose (tests/scripts/with_window_manager.sh): make sure the
    // toolkit really sees one, or the run would pass for the wrong reason.
    if (const char* manager = std::getenv("ORVANE_WINDOW_MANAGER"); manager && *manager) {
        const std::string seen = WindowManagerName();
        if (seen.empty() || seen == "unknown") {
            std::fprintf(stderr, "no window manager on the display (expected %s)\n", manager);
            wxEntryCleanup();
            return 2;
        }
    }
    int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    if (messagesOutsideTests > 0) {
        std::fprintf(stderr, "%d toolkit warning(s) outside the tests\n", messagesOutsideTests.load());
        if (result == 0) result = 1;
    }
    return result;
}
