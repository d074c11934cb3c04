#include <gtest/gtest.h>

#include "ui/mainframe.h"

TEST(MainFrame, OpensWithTheProgramTitle) {
    auto* frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
    frame->Show(true);
    EXPECT_EQ(frame->GetTitle(), wxT("Vosk Orvane"));
    frame->Destroy();
}
