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

TEST(CompactMarkup, BlanksCommentsAndTags) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"<p>  Hello   world  </p>", "<p>Hello world </p>"},
        {"<img  src=\"a b.gif\"\talt=x>", "<img  src=\"a b.gif\"\talt=x>"},  // inside a tag all stays
        {"   hola", "hola"},                                                // no text yet: no space
        {"", ""},
        // Blanks standing only between tags go; after text one space stays.
        {"<tr>\n  <td>\n    <img src=\"a.gif\">\n  </td>\n</tr>\n", "<tr><td><img src=\"a.gif\"></td></tr>"},
        {"<td>x</td>  \n  </tr>\n</table>", "<td>x</td> </tr></table>"},
        // A line break or tab separates words like a space (the words are not joined), in text
        // and in a CSS selector written over two lines.
        {"<p>Hola\nmundo\tadi\xF3s</p>", "<p>Hola mundo adi\xF3s</p>"},
        {"uno\r\ndos", "uno dos"},
        {"<style>\ndiv\np { color: red; }\n</style>", "<style>div p { color: red; } </style>"},
        // A comment outside a style block goes with its markers; its '<' still counts as an open
        // tag, so the blanks after it up to the next '>' stay.
        {"<b>x</b><!-- note -->  <i>y</i>", "<b>x</b>  <i>y</i>"},
        {"a<!-- <p>inner</p> -->", "a"},
        {"a<!-- never closed", "a"},
        {"<style><!-- p {} --></style>", "<style><!-- p {} --></style>"},  // kept inside a style
        {"<style>p{}</style><!-- c -->x", "<style>p{}</style>x"},          // but not after it
        {"<p> Se\xF1" "al  \xE1rea </p>", "<p>Se\xF1" "al \xE1rea </p>"},       // accented bytes are text
        // Inputs ending where a look-ahead or a pattern would pass the end.
        {"<p>" + std::string(61, 'a'), "<p>" + std::string(61, 'a')},
        {"<p>" + std::string(60, 'a') + ">", "<p>" + std::string(60, 'a') + ">\n"},
        {"x<!", "x<!"},
        {"x<!--", "x"},
        {"x<!-- -", "x"},
        {"x<sty", "x<sty"},
        {"a  ", "a "},
    };
    for (const auto& c : cases) EXPECT_EQ(Compact(c.in), c.out) << c.in;
}

TEST(CompactMarkup, LongLinesBreakBeforeATagAtASpaceOrAfterAnEndOfTag) {
    std::string words = "<p>";
    for (int i = 0; i < 20; ++i) words += "word ";
    std::string expected = "<p>";
    for (int i = 0; i < 11; ++i) expected += "word ";
    expected += "word\n";  // 62 bytes stand on the line: the next space becomes the break
    for (int i = 0; i < 8; ++i) expected += "word ";
    EXPECT_EQ(Compact(words + "</p>"), expected + "</p>");

    const std::string a57(57, 'a'), a58(58, 'a');
    EXPECT_EQ(Compact("<p>" + a58 + "<b>x</b>"), "<p>" + a58 + "\n<b>x</b>");
    EXPECT_EQ(Compact("<p>" + a57 + "<br>bbb"), "<p>" + a57 + "<br>\nbbb");
    const std::string tag = "<img src=\"" + std::string(70, 'x') + "\" alt=\"y\">";  // never inside a tag
    EXPECT_EQ(Compact(tag + "z"), tag + "\nz");
    // The owning form gives the same bytes.
    EXPECT_EQ(Text(pardex::CompactMarkup(Bytes(words))), Compact(words));
}
