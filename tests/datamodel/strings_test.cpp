#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "datamodel/strings.h"

TEST(Strings, HexAndDecimalTexts) {
    EXPECT_TRUE(IsHexString(""));
    EXPECT_FALSE(IsHexString("0x1F"));
    EXPECT_TRUE(IsHexString("00aF"));
    EXPECT_FALSE(IsHexString("-1"));
    EXPECT_TRUE(IsDecimalString(""));
    EXPECT_FALSE(IsDecimalString("12a"));
    EXPECT_FALSE(IsDecimalString("\xB2"));  // superscript two is no digit
    EXPECT_EQ(NibbleToHexChar(0x1A), 'A');
    EXPECT_EQ(NibbleToHexChar(-1), 'F');
    EXPECT_EQ(HexCharToValue('f'), 15);
    EXPECT_EQ(HexCharToValue('G'), 0);
    EXPECT_EQ(HexStringToInt("1g"), 16);
    EXPECT_EQ(HexStringToInt("123456789"), 0x23456789);  // the top digit wraps away
    EXPECT_EQ(HexStringToInt("FFFFFFFF"), -1);
    EXPECT_EQ(IntToHexString(255), "ff");
    EXPECT_EQ(IntToHexString(-1), "ffffffff");
}

TEST(Strings, DecimalReadingAndWriting) {
    EXPECT_EQ(StringToInt(""), 0);
    EXPECT_EQ(StringToInt("12abc"), 12);
    EXPECT_EQ(StringToInt("  -7"), -7);
    EXPECT_EQ(StringToInt("+9600"), 9600);
    EXPECT_EQ(StringToInt("- 5"), 0);
    EXPECT_EQ(StringToInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(StringToInt("2147483648"), 0);
    EXPECT_EQ(StringToInt("99999999999999999999999"), 0);
    EXPECT_EQ(IntToString(-5), "-5");
    EXPECT_EQ(LongToString(115200), "115200");
    EXPECT_EQ(UIntToString(4294967295u), "4294967295");
}

TEST(Strings, BcdDigits) {
    const unsigned char bytes[] = {0x12, 0x3F};
    char out[8];
    EXPECT_EQ(BcdToDigits(bytes, 2, out, sizeof out, 4), 3);
    EXPECT_STREQ(out, "123");
    EXPECT_EQ(BcdToDigits(bytes, 2, out, sizeof out, 0), 0);
    EXPECT_STREQ(out, "");
    // Never past either buffer: the count is cut to the source and to the destination.
    const unsigned char phone[] = {0x00, 0x93, 0x45};
    EXPECT_EQ(BcdToDigits(phone, 3, out, sizeof out, 16), 6);
    EXPECT_STREQ(out, "009345");
    char small[3];
    EXPECT_EQ(BcdToDigits(phone, 3, small, sizeof small, 6), 2);
    EXPECT_STREQ(small, "00");
    EXPECT_EQ(SwapNibbles(0x12), 0x21);
}

TEST(Strings, BcdDigitsStopAtTheFirstNibbleAboveNine) {
    const struct {
        std::vector<unsigned char> bytes;
        const char* digits;
    } cases[] = {
        {{0x99, 0x90}, "999"}, {{0x19, 0xA0}, "19"},  {{0x1A, 0x23}, "1"}, {{0xA1}, ""},
        {{0x12, 0xB4}, "12"},  {{0x3C}, "3"},         {{0x4D}, "4"},      {{0x5E}, "5"},
        {{0x6F}, "6"},         {{0x09, 0x0A}, "090"},
    };
    for (const auto& c : cases) {
        char out[8];
        const int n = BcdToDigits(c.bytes.data(), c.bytes.size(), out, sizeof out, 3);
        EXPECT_STREQ(out, c.digits) << int(c.bytes[0]);
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.digits)));
    }
}
