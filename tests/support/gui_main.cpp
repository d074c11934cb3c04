// Test main for the GUI tests: starts wx on the (virtual) display and keeps every modal box away,
// since one would hang a test under Xvfb forever.
#include <cstdio>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {
void OnWxAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                const wxString& msg) {
    std::fprintf(stderr, "wx assert %s:%d %s: %s %s\n", static_cast<const char*>(file.utf8_str()),
                 line, static_cast<const char*>(func.utf8_str()),
                 static_cast<const char*>(cond.utf8_str()), static_cast<const char*>(msg.utf8_str()));
    ADD_FAILURE() << "wx assertion failed";
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // gtest_discover_tests lists the tests at build time, without a display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: no DISPLAY? run under xvfb-run\n");
        return 2;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(OnWxAssert);
    wxInitAllImageHandlers();
    int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    return result;
}
