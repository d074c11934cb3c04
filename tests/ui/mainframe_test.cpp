#include <gtest/gtest.h>

#include "ui/mainframe.h"

TEST(MainFrame, OpensWithTheProgramTitle) {
    wxFrame* frame = CreateMainFrame();
    ASSERT_NE(frame, nullptr);
    frame->Show(true);
    EXPECT_EQ(frame->GetTitle(), wxT("Vosk Orvane"));
    frame->Destroy();
}
