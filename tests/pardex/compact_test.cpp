#include <gtest/gtest.h>

#include <string>

#include "pardex/compact.h"
#include "pardex_test_util.h"

namespace {

std::string Compact(std::string_view text) {
    // An exact-size heap copy, so a read past the end is caught under AddressSanitizer.
    const std::vector<std::uint8_t> input = Bytes(text);
    return Text(pardex::CompactMarkupBytes(input));
}

}  // namespace

TEST(CompactMarkup, BlanksOutsideTagsBecomeOneSpaceBetweenWords) {
    EXPECT_EQ(Compact("<p>  Hello   world  </p>"), "<p>Hello world </p>");
    // Inside a tag every byte stays.
    EXPECT_EQ(Compact("<img  src=\"a b.gif\"\talt=x>"), "<img  src=\"a b.gif\"\talt=x>");
    // No text yet: leading blanks go.
    EXPECT_EQ(Compact("   hola"), "hola");
    EXPECT_EQ(Compact(""), "");
}

TEST(CompactMarkup, BlanksStandingOnlyBetweenTagsAreRemoved) {
    EXPECT_EQ(Compact("<tr>\n  <td>\n    <img src=\"a.gif\">\n  </td>\n</tr>\n"),
              "<tr><td><img src=\"a.gif\"></td></tr>");
    // After text one space stays (as for a plain space), the rest of the indentation goes.
    EXPECT_EQ(Compact("<td>x</td>  \n  </tr>\n</table>"), "<td>x</td> </tr></table>");
}

TEST(CompactMarkup, LineBreaksAndTabsBetweenWordsKeepThemApart) {
    // A line break or tab separates words like a space, so the visible text keeps its words and a
    // CSS selector written over two lines keeps its meaning.
    EXPECT_EQ(Compact("<p>Hola\nmundo\tadi\xF3s</p>"), "<p>Hola mundo adi\xF3s</p>");
    EXPECT_EQ(Compact("uno\r\ndos"), "uno dos");
    EXPECT_EQ(Compact("<style>\ndiv\np { color: red; }\n</style>"),
              "<style>div p { color: red; } </style>");
}

TEST(CompactMarkup, CommentsOutsideStyleBlocksDisappear) {
    // The blanks after the comment, up to the next tag, stay: the comment's '<' still counts as an
    // open tag.
    EXPECT_EQ(Compact("<b>x</b><!-- note -->  <i>y</i>"), "<b>x</b>  <i>y</i>");
    EXPECT_EQ(Compact("a<!-- <p>inner</p> -->"), "a");
    EXPECT_EQ(Compact("a<!-- never closed"), "a");
    // Inside a style block a comment is written through.
    EXPECT_EQ(Compact("<style><!-- p {} --></style>"), "<style><!-- p {} --></style>");
}

TEST(CompactMarkup, AccentedBytesAreText) {
    EXPECT_EQ(Compact("<p> Se\xF1" "al  \xE1rea </p>"), "<p>Se\xF1" "al \xE1rea </p>");
}

TEST(CompactMarkup, LongLinesBreakBeforeATagAtASpaceOrAfterAnEndOfTag) {
    std::string words = "<p>";
    for (int i = 0; i < 20; ++i) words += "word ";
    words += "</p>";
    std::string expected = "<p>";
    for (int i = 0; i < 11; ++i) expected += "word ";
    expected += "word\n";  // 62 bytes stand on the line: the next space becomes the break
    for (int i = 0; i < 8; ++i) expected += "word ";
    expected += "</p>";
    EXPECT_EQ(Compact(words), expected);

    const std::string a57(57, 'a');
    const std::string a58(58, 'a');
    EXPECT_EQ(Compact("<p>" + a58 + "<b>x</b>"), "<p>" + a58 + "\n<b>x</b>");
    EXPECT_EQ(Compact("<p>" + a57 + "<br>bbb"), "<p>" + a57 + "<br>\nbbb");
    // Never inside a tag.
    const std::string tag = "<img src=\"" + std::string(70, 'x') + "\" alt=\"y\">";
    EXPECT_EQ(Compact(tag + "z"), tag + "\nz");
}

TEST(CompactMarkup, InputEndingWhereALookAheadWouldPassTheEnd) {
    // Each of these ends where the walk looks at the next byte or a pattern: nothing past the end
    // may be read.
    const std::string longText = "<p>" + std::string(61, 'a');
    EXPECT_EQ(Compact(longText), longText);
    EXPECT_EQ(Compact("<p>" + std::string(60, 'a') + ">"), "<p>" + std::string(60, 'a') + ">\n");
    EXPECT_EQ(Compact("x<!"), "x<!");
    EXPECT_EQ(Compact("x<!--"), "x");
    EXPECT_EQ(Compact("x<!-- -"), "x");
    EXPECT_EQ(Compact("x<sty"), "x<sty");
    EXPECT_EQ(Compact("a  "), "a ");
}

TEST(CompactMarkup, TakesTheBufferAndReturnsTheCompactedBytes) {
    std::vector<std::uint8_t> out = pardex::CompactMarkup(Bytes("<p>  a  </p>"));
    EXPECT_EQ(Text(out), "<p>a </p>");
}
