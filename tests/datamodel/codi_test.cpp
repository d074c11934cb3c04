#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "datamodel/codi.h"

namespace {

using ByteList = std::vector<unsigned char>;

CCodi Typed(int type) {
    CCodi codi;
    EXPECT_TRUE(codi.SetType(type));
    return codi;
}

ByteList Bytes(CCodi& codi) {
    const CCodi::RawBytes& raw = codi.ToBytes();
    return ByteList(raw.begin(), raw.begin() + codi.GetByteCount());
}

std::string Spaces(std::size_t n) { return std::string(n, ' '); }

}  // namespace

TEST(Codi, SettersRefuseAndClearResets) {
    CCodi codi;
    EXPECT_FALSE(codi.SetAccess(0) || codi.SetAccess(3));
    for (int type : {0, 5, 14, -1}) EXPECT_FALSE(codi.SetType(type)) << type;
    EXPECT_FALSE(codi.IsTypeSet());
    EXPECT_TRUE(codi.SetCodeNumber("01aF"));
    EXPECT_FALSE(codi.SetCodeNumber("01G0"));
    EXPECT_EQ(codi.GetCodeNumber(), "01aF");
    EXPECT_TRUE(codi.SetOption(0, "Bit cero"));
    EXPECT_FALSE(codi.SetOption(8, "x") || codi.SetOption(-1, "x"));
    EXPECT_EQ(codi.GetOption(8), "Bit cero");
    EXPECT_EQ(codi.GetOption(-3), "Bit cero");
    EXPECT_FALSE(codi.SetAddress(-1));
    EXPECT_TRUE(codi.SetAddress(24));

    codi.SetAccess(CodiRam);
    codi.SetPadding('0', false);
    codi.SetValue("abc");
    codi.Clear();
    EXPECT_EQ(codi.GetValue() + codi.GetOption(0) + codi.GetCodeNumber(), "");
    EXPECT_EQ(codi.GetAddress() + codi.GetAccess(), 0);
    EXPECT_EQ(codi.GetFillChar(), 'F');
    EXPECT_TRUE(codi.IsFillAtRight() && codi.IsEditable() && !codi.IsModified());
}

// Storing a text normalises it by type; the bytes sent are its encoding (only their start is
// listed for strings).
TEST(Codi, StoringAndEncodingByType) {
    struct Case {
        int type;
        std::string text;
        std::string stored;
        ByteList bytes;
    };
    const Case cases[] = {
        {CodiBitmask, "1", "10000000", {0x01}},
        {CodiBitmask, "12x1", "10010000", {0x09}},
        {CodiBitmask, "1111000011", "11110000", {0x0F}},
        {CodiBitmask, "10100000", "10100000", {0x05}},
        {CodiDecimal, "12a", "0", {0}},
        {CodiDecimal, "", "", {0}},
        {CodiDecimal, "7", "7", {7}},
        {CodiDecimal, "007", "007", {7}},
        // Above a byte the value shows what is sent: the low 8 bits of 1 to 3 digits, else 0.
        {CodiDecimal, "999", "231", {0xE7}},
        {CodiDecimal, "300", "044", {44}},
        {CodiDecimal, "0007", "000", {0}},
        {CodiDecimal, "123456789012345678901234567890", "000", {0}},
        {CodiNibble4, "1", "1FFF", {0x1F, 0xFF}},
        {CodiNibble4, "XYZ", "FFFF", {0xFF, 0xFF}},
        {CodiNibble4, "123456", "1234", {0x12, 0x34}},
        {CodiNibble2, "a", "aF", {0xAF}},
        {CodiNibble2_1N, "10", "10", {0x0F}},
        {CodiNibble2_1N, "01", "01", {0x00}},
        {CodiNibble2_1N, "00", "00", {0xFF}},
        {CodiString, "abc", "abc" + Spaces(13), {'a', 'b', 'c', ' '}},
        {CodiString, "0123456789abcdefXYZ", "0123456789abcdef", {'0', '1'}},
        // A time the byte cannot hold shows the time sent ("07:55" goes as 7:00).
        {CodiHoraQuart, "07:08", "7:15", {0x1D}},
        {CodiHoraQuart, "07:55", "7:00", {0x1C}},
        {CodiHoraQuart, "25:00", "0:00", {0x00}},
        {CodiHoraQuart, "0730", "00:00", {0x00}},
        {CodiHoraQuart, "63:45", "63:45", {0xFF}},
        {CodiHoraQuart, "07:30", "07:30", {0x1E}},
        {CodiHoraQuart, "9:45", "9:45", {0x27}},
        {CodiHoraQuart, "24:00", "24:00", {0x60}},
        {CodiHoraQuart, "12:38:59", "12:45", {0x33}},
        // An unreadable digit counts as 0; only a time out of range becomes 0:00.
        {CodiHoraQuart, "12:x5", "12:00", {0x30}},
        {CodiHoraQuart, "1a:30", "10:30", {0x2A}},
        {CodiHoraQuart, "9:1x", "9:15", {0x25}},
        {CodiHoraQuart, "ab:cd", "0:00", {0x00}},
        {CodiSortida, "activada", "Desactivada", {0}},
        {CodiSortida, "Activada", "Activada", {1}},
    };
    for (const Case& c : cases) {
        CCodi codi = Typed(c.type);
        codi.SetValue(c.text);
        EXPECT_EQ(codi.GetValue(), c.stored) << c.type << " " << c.text;
        ByteList bytes = Bytes(codi);
        bytes.resize(c.bytes.size());
        EXPECT_EQ(bytes, c.bytes) << c.type << " " << c.text;
    }
}

TEST(Codi, DecodingByType) {
    ByteList padded(16, 0xFF);
    padded[0] = 'A';
    ByteList ended(16, 0x00);
    ended[0] = 'A';
    ended[2] = 'B';
    struct Case {
        int type;
        ByteList bytes;
        std::string shown;
    };
    const Case cases[] = {
        {CodiBitmask, {0x81}, "10000001"},
        {CodiDecimal, {7}, "007"},
        {CodiDecimal, {255}, "255"},
        {CodiNibble6, {0xAB, 0x0C, 0xD1}, "AB0CD1"},
        {CodiNibble2_1N, {0x00}, "01"},
        {CodiNibble2_1N, {0xFF}, "00"},
        {CodiString, padded, "A" + Spaces(15)},
        {CodiString, ended, "A"},
        {CodiHoraQuart, {0x25}, "9:15"},
        {CodiHoraQuart, {0x28}, "10:00"},
        {CodiHoraQuart, {0xFF}, "63:45"},
        {CodiHoraQuart, {0x5F}, "23:45"},
        {CodiSortida, {0}, "Desactivada"},
        {CodiSortida, {7}, "Activada"},
    };
    for (const Case& c : cases) {
        CCodi codi = Typed(c.type);
        ASSERT_TRUE(codi.FromBytes(c.bytes)) << c.type;
        EXPECT_EQ(codi.GetValue(), c.shown) << c.type;
    }
    EXPECT_FALSE(Typed(CodiSortida).IsEditable());
}

TEST(Codi, FillRule) {
    CCodi front = Typed(CodiNibble4);
    front.SetPadding('0', false);
    front.SetValue("1");
    EXPECT_EQ(front.GetValue(), "0001");
    EXPECT_EQ(Bytes(front), (ByteList{0x00, 0x01}));

    // A fill character that is not a hexadecimal digit survives storing the value again.
    CCodi blank;
    blank.SetPadding(' ', true);
    blank.SetType(CodiNibble6);
    blank.SetValue("12");
    blank.SetValue(blank.GetValue());
    EXPECT_EQ(blank.GetValue(), "12    ");
    EXPECT_EQ(Bytes(blank), (ByteList{0x12, 0x00, 0x00}));
}

// Every type: its byte count and text length, and a value that goes to bytes and back.
TEST(Codi, RoundTripEveryType) {
    struct Case {
        int type, bytes, length;
        const char* text;
    };
    const Case cases[] = {
        {CodiBitmask, 1, 8, "10110001"},
        {CodiDecimal, 1, 3, "200"},
        {CodiNibble4, 2, 4, "12AB"},
        {CodiNibble6, 3, 6, "00FF10"},
        {CodiNibble28, 14, 28, "0123456789ABCDEF0123456789AB"},
        {CodiString, 16, 16, "Alarma zona 1   "},
        {CodiHoraQuart, 1, 5, "23:45"},
        {CodiNibble2, 1, 2, "7E"},
        {CodiNibble8, 4, 8, "DEADBEEF"},
        {CodiSortida, 1, 11, "Activada"},
        {CodiNibble2_1N, 1, 2, "20"},
        {CodiNibble16, 8, 16, "0011223344556677"},
    };
    for (const Case& c : cases) {
        CCodi codi = Typed(c.type);
        EXPECT_EQ(codi.GetByteCount(), c.bytes) << c.type;
        EXPECT_EQ(codi.GetTextLength(), c.length) << c.type;
        codi.SetValue(c.text);
        ASSERT_EQ(codi.GetValue(), c.text) << c.type;
        const ByteList bytes = Bytes(codi);
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

    EXPECT_TRUE(codi.FromBytes(std::array<unsigned char, 2>{0x1F, 0xFF}));
    EXPECT_FALSE(codi.IsModified());
    EXPECT_TRUE(codi.FromBytes(std::array<unsigned char, 2>{0x20, 0x00}));
    EXPECT_EQ(codi.GetValue(), "2000");
    EXPECT_TRUE(codi.IsModified());
}

TEST(Codi, LowerCase) {
    CCodi codi = Typed(CodiString);
    codi.SetValue("Hola");
    codi.ClearModified();
    codi.SetLowerCase(true);
    EXPECT_EQ(codi.GetValue(), "hola" + Spaces(12));
    // An upper-case panel answer equal but for case is no change.
    ByteList panel(16, ' ');
    std::copy_n("Hola", 4, panel.begin());
    EXPECT_TRUE(codi.FromBytes(panel));
    EXPECT_EQ(codi.GetValue(), "hola" + Spaces(12));
    EXPECT_FALSE(codi.IsModified());
    codi.SetValue("ABC");
    EXPECT_EQ(codi.GetValue(), "abc" + Spaces(13));
    // cp1252 letters pass unchanged and are not lower-cased.
    codi.SetValue("ÑAÑA");
    EXPECT_EQ(codi.GetValue(), "ÑaÑa" + Spaces(12));
    EXPECT_EQ(codi.ToBytes()[0], 0xD1);
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
    EXPECT_FALSE(codi.FromBytes(std::array<unsigned char, 1>{0x99}));
    EXPECT_EQ(codi.GetValue(), "1234");
    EXPECT_FALSE(codi.IsModified());
    EXPECT_FALSE(codi.EqualsBytes(std::array<unsigned char, 1>{0x12}));
    EXPECT_TRUE(codi.EqualsBytes(std::array<unsigned char, 3>{0x12, 0x34, 0x77}));
    EXPECT_FALSE(codi.EqualsBytes(std::array<unsigned char, 2>{0x12, 0x35}));
    EXPECT_FALSE(Typed(CodiString).FromBytes(std::array<unsigned char, 15>{}));
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
    codi.Clear();  // type 0 clears all 16, and encoding never cuts the stored value
    const std::string longText(30, '7');
    codi.SetValue(longText);
    for (unsigned char b : codi.ToBytes()) EXPECT_EQ(b, 0);
    EXPECT_EQ(codi.GetValue(), longText);
}

TEST(Codi, VerifyOfStringsComparesText) {
    CCodi codi = Typed(CodiString);
    codi.SetValue("Casa");
    ByteList panel(16, 0xFF);
    std::copy_n("Casa\0x", 6, panel.begin() + 0);
    EXPECT_TRUE(codi.EqualsBytes(panel));  // 0x00 ends the text: what follows does not count
    std::fill(panel.begin() + 4, panel.end(), 0xFF);
    EXPECT_TRUE(codi.EqualsBytes(panel));
    panel[3] = 'o';
    EXPECT_FALSE(codi.EqualsBytes(panel));

    // A received text that ended early verifies against the same panel bytes.
    ByteList answer(16, 0x00);
    answer[0] = 'A';
    EXPECT_TRUE(codi.FromBytes(answer));
    EXPECT_TRUE(codi.EqualsBytes(answer));
}

TEST(Codi, Descriptor) {
    struct Row {
        unsigned char b0, b1;
        int access, type;
        const char* number;
    };
    const Row rows[] = {
        {0x4A, 0x23, CodiRam, CodiBitmask, "0223"},
        {0x3B, 0x10, CodiEeprom, CodiBitmask, "0B10"},
        {0x45, 0x7C, CodiEeprom, CodiString, "17C0"},
        {0x00, 0xA5, CodiEeprom, CodiBitmask, "00A5"},
        {0x09, 0xA5, CodiEeprom, CodiDecimal, "01A5"},
        {0x12, 0xA5, CodiEeprom, CodiNibble2, "02A5"},
        {0x1B, 0xA5, CodiEeprom, CodiNibble4, "03A5"},
        {0x24, 0xA5, CodiEeprom, CodiNibble6, "04A5"},
        {0x2D, 0xA5, CodiEeprom, CodiNibble28, "05A5"},
        {0x36, 0xA5, CodiEeprom, CodiHoraQuart, "06A5"},
        {0x50, 0xA5, CodiRam, CodiDecimal, "00A5"},
        {0x58, 0xA5, CodiRam, CodiNibble6, "00A5"},
        {0xEF, 0xA5, CodiRam, CodiHoraQuart, "07A5"},  // bit 7 is ignored
    };
    for (const Row& row : rows) {
        CCodi c;
        ASSERT_TRUE(c.SetFromDescriptor(std::array<unsigned char, 2>{row.b0, row.b1})) << int(row.b0);
        EXPECT_EQ(c.GetAccess(), row.access) << int(row.b0);
        EXPECT_EQ(c.GetType(), row.type) << int(row.b0);
        EXPECT_EQ(c.GetCodeNumber(), row.number) << int(row.b0);
    }

    // Refused selectors and short descriptors change nothing.
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
