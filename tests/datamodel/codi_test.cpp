#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "datamodel/codi.h"

namespace {

CCodi Typed(int type) {
    CCodi codi;
    EXPECT_TRUE(codi.SetType(type));
    return codi;
}

std::vector<unsigned char> Bytes(CCodi& codi) {
    const CCodi::RawBytes& raw = codi.ToBytes();
    return std::vector<unsigned char>(raw.begin(), raw.begin() + codi.GetByteCount());
}

std::string Stored(int type, const std::string& text) {
    CCodi codi = Typed(type);
    codi.SetValue(text);
    return codi.GetValue();
}

std::string Shown(int type, std::vector<unsigned char> bytes) {
    CCodi codi = Typed(type);
    EXPECT_TRUE(codi.FromBytes(bytes));
    return codi.GetValue();
}

using ByteList = std::vector<unsigned char>;

}  // namespace

TEST(Codi, DefaultsAndSetters) {
    CCodi codi;
    EXPECT_EQ(codi.GetAccess(), CodiMemoryUnset);
    EXPECT_EQ(codi.GetType(), CodiNone);
    EXPECT_EQ(codi.GetFillChar(), 'F');
    EXPECT_TRUE(codi.IsFillAtRight());
    EXPECT_TRUE(codi.IsEditable());
    EXPECT_FALSE(codi.IsModified());
    EXPECT_EQ(codi.GetByteCount(), 0);

    EXPECT_FALSE(codi.SetAccess(0));
    EXPECT_FALSE(codi.SetAccess(3));
    EXPECT_TRUE(codi.SetAccess(CodiRam));
    EXPECT_EQ(codi.GetAccess(), 1);

    for (int type : {0, 5, 14, -1}) EXPECT_FALSE(codi.SetType(type)) << type;
    EXPECT_FALSE(codi.IsTypeSet());

    EXPECT_TRUE(codi.SetCodeNumber("01aF"));
    EXPECT_FALSE(codi.SetCodeNumber("01G0"));
    EXPECT_EQ(codi.GetCodeNumber(), "01aF");
    EXPECT_TRUE(codi.SetCodeNumber(""));

    EXPECT_TRUE(codi.SetOption(7, "Bit siete"));
    EXPECT_FALSE(codi.SetOption(8, "x"));
    EXPECT_FALSE(codi.SetOption(-1, "x"));
    EXPECT_TRUE(codi.SetOption(0, "Bit cero"));
    EXPECT_EQ(codi.GetOption(7), "Bit siete");
    EXPECT_EQ(codi.GetOption(8), "Bit cero");
    EXPECT_EQ(codi.GetOption(-3), "Bit cero");

    EXPECT_FALSE(codi.SetAddress(-1));
    EXPECT_TRUE(codi.SetAddress(24));
    EXPECT_EQ(codi.GetAddress(), 24);

    codi.SetValue("abc");
    codi.Clear();
    EXPECT_EQ(codi.GetValue(), "");
    EXPECT_EQ(codi.GetOption(7), "");
    EXPECT_EQ(codi.GetAddress(), 0);
    EXPECT_EQ(codi.GetAccess(), 0);
    EXPECT_FALSE(codi.IsModified());
}

TEST(Codi, ByteCountsAndTextLengths) {
    const int types[] = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13};
    const int bytes[] = {1, 1, 2, 3, 14, 16, 1, 1, 4, 1, 1, 8};
    const int lengths[] = {8, 3, 4, 6, 28, 16, 5, 2, 8, 11, 2, 16};
    for (int i = 0; i < 12; ++i) {
        CCodi codi = Typed(types[i]);
        EXPECT_EQ(codi.GetByteCount(), bytes[i]) << types[i];
        EXPECT_EQ(codi.GetTextLength(), lengths[i]) << types[i];
    }
}

TEST(Codi, Bitmask) {
    EXPECT_EQ(Stored(CodiBitmask, "1"), "10000000");
    EXPECT_EQ(Stored(CodiBitmask, "12x1"), "10010000");
    EXPECT_EQ(Stored(CodiBitmask, "1111000011"), "11110000");
    CCodi codi = Typed(CodiBitmask);
    codi.SetValue("10100000");
    EXPECT_EQ(Bytes(codi), ByteList{0x05});
    EXPECT_EQ(Shown(CodiBitmask, {0x81}), "10000001");
}

TEST(Codi, Decimal) {
    EXPECT_EQ(Stored(CodiDecimal, "12a"), "0");
    EXPECT_EQ(Stored(CodiDecimal, ""), "");
    EXPECT_EQ(Shown(CodiDecimal, {7}), "007");
    EXPECT_EQ(Shown(CodiDecimal, {255}), "255");
    for (const char* text : {"7", "007"}) {
        CCodi codi = Typed(CodiDecimal);
        codi.SetValue(text);
        EXPECT_EQ(codi.GetValue(), text);
        EXPECT_EQ(Bytes(codi), ByteList{7}) << text;
    }
    CCodi empty = Typed(CodiDecimal);
    EXPECT_EQ(Bytes(empty), ByteList{0});
}

TEST(Codi, DecimalAboveAByteShowsWhatIsSent) {
    // The panel gets the low 8 bits of 1 to 3 digits, 0 for longer texts; the value then shows
    // exactly that byte.
    CCodi codi = Typed(CodiDecimal);
    codi.SetValue("999");
    EXPECT_EQ(Bytes(codi), ByteList{0xE7});
    EXPECT_EQ(codi.GetValue(), "231");
    codi.SetValue("300");
    EXPECT_EQ(Bytes(codi), ByteList{44});
    EXPECT_EQ(codi.GetValue(), "044");
    codi.SetValue("0007");
    EXPECT_EQ(Bytes(codi), ByteList{0});
    EXPECT_EQ(codi.GetValue(), "000");
    codi.SetValue("123456789012345678901234567890");
    EXPECT_EQ(codi.GetValue(), "000");
}

TEST(Codi, HexadecimalFill) {
    CCodi codi = Typed(CodiNibble4);
    codi.SetValue("1");
    EXPECT_EQ(codi.GetValue(), "1FFF");
    EXPECT_EQ(Bytes(codi), (ByteList{0x1F, 0xFF}));
    codi.SetValue("XYZ");
    EXPECT_EQ(codi.GetValue(), "FFFF");
    codi.SetValue("123456");
    EXPECT_EQ(codi.GetValue(), "1234");

    CCodi front = Typed(CodiNibble4);
    front.SetPadding('0', false);
    front.SetValue("1");
    EXPECT_EQ(front.GetValue(), "0001");
    EXPECT_EQ(Bytes(front), (ByteList{0x00, 0x01}));

    EXPECT_EQ(Shown(CodiNibble6, {0xAB, 0x0C, 0xD1}), "AB0CD1");
    EXPECT_EQ(Stored(CodiNibble2, "a"), "aF");
}

TEST(Codi, FillCharacterThatIsNotHexSurvivesStoringAgain) {
    CCodi codi;
    codi.SetPadding(' ', true);
    codi.SetType(CodiNibble6);
    codi.SetValue("12");
    EXPECT_EQ(codi.GetValue(), "12    ");
    codi.SetValue(codi.GetValue());
    EXPECT_EQ(codi.GetValue(), "12    ");
    EXPECT_EQ(Bytes(codi), (ByteList{0x12, 0x00, 0x00}));
}

TEST(Codi, Nibble2MinusOne) {
    CCodi codi = Typed(CodiNibble2_1N);
    codi.SetValue("10");
    EXPECT_EQ(Bytes(codi), ByteList{0x0F});
    EXPECT_TRUE(codi.FromBytes(Bytes(codi)));
    EXPECT_EQ(codi.GetValue(), "10");
    codi.SetValue("01");
    EXPECT_EQ(Bytes(codi), ByteList{0x00});
    codi.SetValue("00");
    EXPECT_EQ(Bytes(codi), ByteList{0xFF});
    EXPECT_EQ(Shown(CodiNibble2_1N, {0x00}), "01");
    EXPECT_EQ(Shown(CodiNibble2_1N, {0xFF}), "00");
}

TEST(Codi, String) {
    EXPECT_EQ(Stored(CodiString, "abc"), "abc" + std::string(13, ' '));
    EXPECT_EQ(Stored(CodiString, "0123456789abcdefXYZ"), "0123456789abcdef");
    std::vector<unsigned char> ff(16, 0xFF);
    ff[0] = 0x41;
    EXPECT_EQ(Shown(CodiString, ff), "A" + std::string(15, ' '));
    std::vector<unsigned char> nul(16, 0x00);
    nul[0] = 0x41;
    nul[2] = 0x42;
    EXPECT_EQ(Shown(CodiString, nul), "A");

    CCodi lower = Typed(CodiString);
    lower.SetLowerCase(true);
    lower.SetValue("ABC");
    EXPECT_EQ(lower.GetValue(), "abc" + std::string(13, ' '));
    EXPECT_EQ(lower.ToBytes()[0], 'a');

    // cp1252 letters pass unchanged and are not lower-cased.
    lower.SetValue("ÑAÑA");
    EXPECT_EQ(lower.GetValue(), "ÑaÑa" + std::string(12, ' '));
    EXPECT_EQ(lower.ToBytes()[0], 0xD1);
}

TEST(Codi, QuarterHourTime) {
    CCodi codi = Typed(CodiHoraQuart);
    codi.SetValue("07:08");
    EXPECT_EQ(Bytes(codi), ByteList{0x1D});
    EXPECT_EQ(codi.GetValue(), "7:15");
    codi.SetValue("07:55");
    EXPECT_EQ(Bytes(codi), ByteList{0x1C});
    EXPECT_EQ(codi.GetValue(), "7:00");
    codi.SetValue("25:00");
    EXPECT_EQ(Bytes(codi), ByteList{0x00});
    codi.SetValue("0730");
    EXPECT_EQ(codi.GetValue(), "00:00");
    codi.SetValue("63:45");
    EXPECT_EQ(Bytes(codi), ByteList{0xFF});
    EXPECT_EQ(codi.GetValue(), "63:45");
    // Times the byte holds exactly keep their typed form.
    codi.SetValue("07:30");
    EXPECT_EQ(codi.GetValue(), "07:30");
    EXPECT_EQ(Bytes(codi), ByteList{0x1E});
    codi.SetValue("9:45");
    EXPECT_EQ(Bytes(codi), ByteList{0x27});
    codi.SetValue("24:00");
    EXPECT_EQ(Bytes(codi), ByteList{0x60});
    codi.SetValue("12:38:59");  // cut to 5
    EXPECT_EQ(Bytes(codi), ByteList{0x33});
    codi.SetValue("ab:cd");
    EXPECT_EQ(Bytes(codi), ByteList{0x00});
    EXPECT_EQ(codi.GetValue(), "0:00");

    EXPECT_EQ(Shown(CodiHoraQuart, {0x25}), "9:15");
    EXPECT_EQ(Shown(CodiHoraQuart, {0x28}), "10:00");
    EXPECT_EQ(Shown(CodiHoraQuart, {0xFF}), "63:45");
    EXPECT_EQ(Shown(CodiHoraQuart, {0x5F}), "23:45");
}

TEST(Codi, OutputIsReadOnly) {
    CCodi codi = Typed(CodiSortida);
    EXPECT_FALSE(codi.IsEditable());
    codi.SetValue("activada");
    EXPECT_EQ(codi.GetValue(), "Desactivada");
    EXPECT_EQ(Bytes(codi), ByteList{0});
    codi.SetValue("Activada");
    EXPECT_EQ(Bytes(codi), ByteList{1});
    EXPECT_EQ(Shown(CodiSortida, {0}), "Desactivada");
    EXPECT_EQ(Shown(CodiSortida, {7}), "Activada");
}

TEST(Codi, RoundTripEveryType) {
    struct Case {
        int type;
        const char* text;
    };
    const Case cases[] = {
        {CodiBitmask, "10110001"},
        {CodiDecimal, "200"},
        {CodiNibble4, "12AB"},
        {CodiNibble6, "00FF10"},
        {CodiNibble28, "0123456789ABCDEF0123456789AB"},
        {CodiString, "Alarma zona 1   "},
        {CodiHoraQuart, "23:45"},
        {CodiNibble2, "7E"},
        {CodiNibble8, "DEADBEEF"},
        {CodiSortida, "Activada"},
        {CodiNibble2_1N, "20"},
        {CodiNibble16, "0011223344556677"},
    };
    for (const Case& c : cases) {
        CCodi codi = Typed(c.type);
        codi.SetValue(c.text);
        ASSERT_EQ(codi.GetValue(), c.text) << c.type;
        std::vector<unsigned char> bytes = Bytes(codi);
        CCodi other = Typed(c.type);
        ASSERT_TRUE(other.FromBytes(bytes)) << c.type;
        EXPECT_EQ(other.GetValue(), c.text) << c.type;
        EXPECT_TRUE(other.IsModified());
        EXPECT_TRUE(codi.EqualsBytes(bytes)) << c.type;
        EXPECT_EQ(Bytes(other), bytes) << c.type;
    }
}

TEST(Codi, ModifiedFlag) {
    CCodi codi;
    codi.SetValueKeep("1");
    codi.ClearModified();
    codi.SetType(CodiNibble4);  // re-normalising is no change by the installer
    EXPECT_EQ(codi.GetValue(), "1FFF");
    EXPECT_FALSE(codi.IsModified());
    codi.SetValue("1FFF");
    EXPECT_FALSE(codi.IsModified());
    codi.SetValue("2");
    EXPECT_TRUE(codi.IsModified());
    codi.ClearModified();
    codi.RevertValue();  // default given before the type: normalised when it comes back
    EXPECT_EQ(codi.GetValue(), "1FFF");
    EXPECT_FALSE(codi.IsModified());

    const std::array<unsigned char, 2> same{0x1F, 0xFF};
    EXPECT_TRUE(codi.FromBytes(same));
    EXPECT_FALSE(codi.IsModified());
    const std::array<unsigned char, 2> other{0x20, 0x00};
    EXPECT_TRUE(codi.FromBytes(other));
    EXPECT_EQ(codi.GetValue(), "2000");
    EXPECT_TRUE(codi.IsModified());
}

TEST(Codi, LowerCaseFlag) {
    CCodi codi;
    codi.SetType(CodiString);
    codi.SetValue("Hola");
    codi.ClearModified();
    codi.SetLowerCase(true);
    EXPECT_EQ(codi.GetValue(), "hola" + std::string(12, ' '));
    std::vector<unsigned char> panel(16, ' ');
    panel[0] = 'H';
    panel[1] = 'o';
    panel[2] = 'l';
    panel[3] = 'a';
    EXPECT_TRUE(codi.FromBytes(panel));
    EXPECT_EQ(codi.GetValue(), "hola" + std::string(12, ' '));
    EXPECT_FALSE(codi.IsModified());
}

TEST(Codi, PanelAnswersAreRefusedWhenUntypedOrShort) {
    const std::array<unsigned char, 16> bytes{0x41};
    CCodi untyped;
    untyped.SetValue("x");
    EXPECT_FALSE(untyped.FromBytes(bytes));
    EXPECT_EQ(untyped.GetValue(), "x");
    EXPECT_TRUE(untyped.EqualsBytes({}));  // no bytes: always equal

    CCodi codi = Typed(CodiNibble4);
    codi.SetValue("1234");
    codi.ClearModified();
    const std::array<unsigned char, 1> shortAnswer{0x99};
    EXPECT_FALSE(codi.FromBytes(shortAnswer));
    EXPECT_FALSE(codi.FromBytes({}));
    EXPECT_EQ(codi.GetValue(), "1234");
    EXPECT_FALSE(codi.IsModified());
    EXPECT_FALSE(codi.EqualsBytes(std::array<unsigned char, 1>{0x12}));
    EXPECT_TRUE(codi.EqualsBytes(std::array<unsigned char, 3>{0x12, 0x34, 0x77}));
    EXPECT_FALSE(codi.EqualsBytes(std::array<unsigned char, 2>{0x12, 0x35}));

    CCodi text = Typed(CodiString);
    EXPECT_FALSE(text.FromBytes(std::array<unsigned char, 15>{}));
}

TEST(Codi, ToBytesWritesOnlyTheTypesBytes) {
    CCodi codi = Typed(CodiNibble16);
    codi.SetValue("0102030405060708");
    codi.ToBytes();
    codi.SetType(CodiNibble4);
    codi.SetValue("AABB");
    const CCodi::RawBytes& raw = codi.ToBytes();
    EXPECT_EQ(raw[0], 0xAA);
    EXPECT_EQ(raw[1], 0xBB);
    EXPECT_EQ(raw[2], 0x03);
    EXPECT_EQ(raw[7], 0x08);
    codi.Clear();  // type 0 clears all 16
    for (unsigned char b : codi.ToBytes()) EXPECT_EQ(b, 0);
}

TEST(Codi, VerifyOfStringsComparesText) {
    CCodi codi = Typed(CodiString);
    codi.SetValue("Casa");
    std::vector<unsigned char> panel(16, 0x00);
    panel[0] = 'C';
    panel[1] = 'a';
    panel[2] = 's';
    panel[3] = 'a';
    EXPECT_TRUE(codi.EqualsBytes(panel));
    std::fill(panel.begin() + 4, panel.end(), 0xFF);
    EXPECT_TRUE(codi.EqualsBytes(panel));
    panel[10] = 0x00;  // what follows the end of the text does not count
    panel[11] = 'x';
    EXPECT_TRUE(codi.EqualsBytes(panel));
    panel[3] = 'o';
    EXPECT_FALSE(codi.EqualsBytes(panel));

    // A received text that ended early verifies against the same panel bytes.
    std::vector<unsigned char> answer(16, 0x00);
    answer[0] = 'A';
    EXPECT_TRUE(codi.FromBytes(answer));
    EXPECT_EQ(codi.GetValue(), "A");
    EXPECT_TRUE(codi.EqualsBytes(answer));
}

TEST(Codi, Descriptor) {
    CCodi codi;
    EXPECT_TRUE(codi.SetFromDescriptor(std::array<unsigned char, 2>{0x4A, 0x23}));
    EXPECT_EQ(codi.GetAccess(), CodiRam);
    EXPECT_EQ(codi.GetType(), CodiBitmask);
    EXPECT_EQ(codi.GetCodeNumber(), "0223");

    EXPECT_TRUE(codi.SetFromDescriptor(std::array<unsigned char, 2>{0x3B, 0x10}));
    EXPECT_EQ(codi.GetAccess(), CodiEeprom);
    EXPECT_EQ(codi.GetType(), CodiBitmask);
    EXPECT_EQ(codi.GetCodeNumber(), "0B10");

    EXPECT_TRUE(codi.SetFromDescriptor(std::array<unsigned char, 2>{0x45, 0x7C}));
    EXPECT_EQ(codi.GetAccess(), CodiEeprom);
    EXPECT_EQ(codi.GetType(), CodiString);
    EXPECT_EQ(codi.GetCodeNumber(), "17C0");

    struct Row {
        unsigned char b0;
        int access;
        int type;
    };
    const Row rows[] = {{0x08, 2, 2},  {0x10, 2, 9}, {0x18, 2, 3}, {0x20, 2, 4}, {0x28, 2, 6},
                        {0x30, 2, 8},  {0x00, 2, 1}, {0x50, 1, 2}, {0x58, 1, 4}, {0x6F, 1, 8},
                        {0xEF, 1, 8}};  // bit 7 is ignored
    for (const Row& row : rows) {
        CCodi c;
        ASSERT_TRUE(c.SetFromDescriptor(std::array<unsigned char, 2>{row.b0, 0xA5})) << int(row.b0);
        EXPECT_EQ(c.GetAccess(), row.access) << int(row.b0);
        EXPECT_EQ(c.GetType(), row.type) << int(row.b0);
        std::string number = "0";
        number += "01234567"[row.b0 & 7];
        EXPECT_EQ(c.GetCodeNumber(), number + "A5") << int(row.b0);
    }
}

TEST(Codi, DescriptorRefusalsChangeNothing) {
    CCodi codi;
    codi.SetAccess(CodiEeprom);
    codi.SetType(CodiNibble4);
    codi.SetCodeNumber("0123");
    for (unsigned char b0 : {0x60, 0x67, 0x70, 0x78, 0xF8}) {
        EXPECT_FALSE(codi.SetFromDescriptor(std::array<unsigned char, 2>{b0, 0x01})) << int(b0);
    }
    EXPECT_FALSE(codi.SetFromDescriptor(std::array<unsigned char, 1>{0x4A}));
    EXPECT_EQ(codi.GetAccess(), CodiEeprom);
    EXPECT_EQ(codi.GetType(), CodiNibble4);
    EXPECT_EQ(codi.GetCodeNumber(), "0123");
}

TEST(Codi, CopyHoldsEveryField) {
    CCodi codi = Typed(CodiNibble2);
    codi.SetId("010");
    codi.SetOption(3, "tres");
    codi.SetValueKeep("7");
    codi.ToBytes();
    CCodi copy = codi;
    EXPECT_EQ(copy.GetId(), "010");
    EXPECT_EQ(copy.GetOption(3), "tres");
    EXPECT_EQ(copy.GetDefaultValue(), "7F");
    EXPECT_EQ(copy.ToBytes()[0], 0x7F);
    EXPECT_TRUE(copy.IsTypeSet());
}
