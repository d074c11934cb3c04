#include <gtest/gtest.h>

#include "panels/wxtext.h"

TEST(WxText, EveryCp1252ByteCrossesTheToolkitAndBack) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    all += '\0';  // an embedded NUL survives too
    wxString wide = ToWx(all);
    EXPECT_EQ(wide.length(), all.size());
    bool lossless = false;
    EXPECT_EQ(FromWx(wide, &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(WxText, AccentsAndSignsMapToTheirCharacters) {
    EXPECT_EQ(ToWx("Información"), wxString(wxT("Información")));
    EXPECT_EQ(ToWx("\x80 \x96"), wxString(wxT("\u20AC \u2013")));
    bool lossless = true;
    EXPECT_EQ(FromWx(wxString(wxT("a\u03A9b")), &lossless), "a?b");  // Omega has no cp1252 byte
    EXPECT_FALSE(lossless);
}
