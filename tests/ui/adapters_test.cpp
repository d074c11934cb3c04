// The wx adapters of the core's seams where the toolkit would assert or recurse.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include "ui/adapters.h"

TEST(WxUiServices, ProgressNeverPassesItsMaximum) {
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    WxUiServices ui;
    ProgressOptions options;
    options.canCancel = false;
    auto progress = ui.OpenProgress("Enviando...", "Enviando...", 4, options);
    ASSERT_NE(progress, nullptr);
    // Step counts that come out higher than planned, and below zero: the toolkit asserts on
    // both (a failed wx assertion fails the test).
    for (int value : {1, 4, 5, 13, -2}) EXPECT_TRUE(progress->Update(value)) << value;
    EXPECT_FALSE(progress->WasCancelled());
}

TEST(WxUiServices, NoProgressDialogBeforeAnEventLoopRuns) {
    WxUiServices ui;
    EXPECT_EQ(ui.OpenProgress("Conectando...", "Conectando...", 5, ProgressOptions{}), nullptr);
}

TEST(WxUiServices, YieldInsideAYieldReturnsAtOnce) {
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    WxUiServices ui;
    int depth = 0, deepest = 0, runs = 0;
    // A handler that yields again, as a timer handler running inside an operation's wait may.
    std::function<void()> handler = [&] {
        ++runs;
        ++depth;
        deepest = std::max(deepest, depth);
        if (runs < 3) {
            wxTheApp->CallAfter(handler);
            ui.Yield();
        }
        --depth;
    };
    wxTheApp->CallAfter(handler);
    ui.Yield();
    EXPECT_GE(runs, 1);
    EXPECT_EQ(deepest, 1);
}
