#include <gtest/gtest.h>
#include <iconv.h>

#include <vector>

#include "datamodel/files.h"
#include "datamodel/text.h"
#include "support/temp_dir.h"

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(Cp1252, KnownCharactersAndLiteralsAgree) {
    // Narrow literals are compiled to cp1252.
    EXPECT_EQ(std::string("Información"), std::string("Informaci\xF3n"));
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Cp1252ToUnicode(0x96), U'\u2013');
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081');      // undefined byte keeps its value
    EXPECT_EQ(Cp1252ToUtf8("a\xF1o"), "a\xC3\xB1o");  // año
}

TEST(Cp1252, CharactersOutsideTheCodePageAndBadUtf8BecomeQuestionMarks) {
    bool lossless = true;
    EXPECT_EQ(Utf8ToCp1252("\xCE\xA9x", &lossless), "?x");  // Omega
    EXPECT_FALSE(lossless);
    EXPECT_EQ(Utf8ToCp1252("a\xC3", &lossless), "a?");  // truncated sequence
    EXPECT_EQ(Utf8ToCp1252("\xFF\x41"), "?A");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82"), "??");
    // Overlong forms are malformed, not another way to write '<' or DEL.
    EXPECT_EQ(Utf8ToCp1252("\xC0\xBC\xE0\x81\xBF", &lossless), "?????");
    EXPECT_FALSE(lossless);
}

TEST(XmlText, EscapeAndDecodeRoundTrip) {
    std::string value = "a<b> & \"c\" 'd' &amp;";
    EXPECT_EQ(XmlEscape(value), "a&lt;b&gt; &amp; \"c\" 'd' &amp;amp;");
    EXPECT_EQ(XmlEscape(value, true), "a&lt;b&gt; &amp; &quot;c&quot; 'd' &amp;amp;");
    EXPECT_EQ(XmlDecode(XmlEscape(value)), value);
    EXPECT_EQ(XmlDecode(XmlEscape(value, true)), value);
    EXPECT_EQ(XmlDecode("&apos;&unknown;&"), "'&unknown;&");
}

TEST(ShownText, LongTextsAreCutWithAMark) {
    EXPECT_EQ(ShownText(""), "");
    EXPECT_EQ(ShownText(std::string(120, 'y')), std::string(120, 'y'));
    EXPECT_EQ(ShownText(std::string(121, 'y')), std::string(117, 'y') + "...");
    EXPECT_EQ(ShownText(std::string(10'000'000, 'y')).size(), 120u);
}

TEST(Files, RecordPathsBecomeOsPathsAndBack) {
    EXPECT_EQ(ToOsPath("planos\\planta baja.gif").string(), "planos/planta baja.gif");
    EXPECT_EQ(ToOsPath("Sal\xF3n.gif").string(), "Sal\xC3\xB3n.gif");
    EXPECT_EQ(FromOsPath(std::filesystem::path("Sal\xC3\xB3n.gif")), "Sal\xF3n.gif");
}

TEST(Files, LinesAreJoinedWithoutTheirEnds) {
    TempDir dir;
    dir.Write("a.xml", "<a>\r\n\t<b>1</b>\r\n<c>x\ry</c>\n</a>\r");
    std::string joined;
    ASSERT_TRUE(ReadJoinedLines(dir / "a.xml", joined));
    EXPECT_EQ(joined, "<a>\t<b>1</b><c>x\ry</c></a>");
    EXPECT_FALSE(ReadJoinedLines(dir / "missing.xml", joined));
    EXPECT_FALSE(ReadJoinedLines(dir.Path(), joined));
}

TEST(Files, SafeWriteReplacesAndNeverDestroysTheOldFile) {
    TempDir dir;
    auto target = dir / "config.xml";
    ASSERT_TRUE(WriteFileSafely(target, "first"));
    ASSERT_TRUE(WriteFileSafely(target, "second\n"));
    EXPECT_EQ(dir.Read("config.xml"), "second\n");

    // A folder that cannot be written: the save fails, says why, and the old file stays.
    if (geteuid() != 0) {
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        std::string reason;
        bool openFailed = false;
        EXPECT_FALSE(WriteFileSafely(target, "third", &reason, &openFailed));
        EXPECT_TRUE(openFailed);
        EXPECT_FALSE(reason.empty());
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(dir.Read("config.xml"), "second\n");
    }
    // A target in a missing folder fails at open; nothing is left behind.
    bool openFailed = false;
    EXPECT_FALSE(WriteFileSafely(dir / "no/such/file", "x", nullptr, &openFailed));
    EXPECT_TRUE(openFailed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()), 1);
}

TEST(Cp1252, EveryDefinedByteAgreesWithTheSystemsConverter) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1252");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::vector<int> undefined;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char* inPtr = &in;
        std::size_t inLeft = 1;
        unsigned char out[8] = {};
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            undefined.push_back(b);
            continue;
        }
        ASSERT_EQ(sizeof out - outLeft, 4u) << b;
        const char32_t expected = out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
        EXPECT_EQ(Cp1252ToUnicode(static_cast<unsigned char>(b)), expected) << std::hex << b;
        char back = 0;
        EXPECT_TRUE(UnicodeToCp1252(expected, back)) << std::hex << b;
        EXPECT_EQ(static_cast<unsigned char>(back), b);
    }
    iconv_close(cd);
    // The code page leaves five bytes undefined; they keep their own value.
    EXPECT_EQ(undefined, (std::vector<int>{0x81, 0x8D, 0x8F, 0x90, 0x9D}));
    for (int b : undefined) EXPECT_EQ(Cp1252ToUnicode(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
}
