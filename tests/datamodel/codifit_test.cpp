// Whether a typed text is what the code then holds: taken as typed (allowing the type's padding,
// fill, letter case and leading zeros) or refused, for every value type.
#include <gtest/gtest.h>

#include <string>

#include "datamodel/codi.h"
#include "datamodel/codifit.h"

namespace {

struct Fit {
    int type;
    const char* typed;
    bool taken;
    char fill = 'F';  // the fill character and its side, for the hexadecimal types
    bool fillAtRight = true;
    bool lowerCase = false;
};

}  // namespace

TEST(CodiFit, TypedTextIsTakenOnlyWhenTheCodeShowsTheSameValue) {
    const Fit cases[] = {
        // Bitmask: eight '0'/'1', short texts padded with '0' at the right.
        {CodiBitmask, "10100000", true},
        {CodiBitmask, "1", true},
        {CodiBitmask, "", true},
        {CodiBitmask, "12x1", false},
        {CodiBitmask, "101000001", false},
        // Decimal: one byte, three digits shown; leading zeros are the type's own.
        {CodiDecimal, "7", true},
        {CodiDecimal, "007", true},
        {CodiDecimal, "255", true},
        {CodiDecimal, "0", true},
        {CodiDecimal, "999", false},
        {CodiDecimal, "300", false},
        {CodiDecimal, "256", false},
        {CodiDecimal, "abc", false},
        {CodiDecimal, "12a", false},
        {CodiDecimal, "0007", false},  // four digits are sent as 0
        {CodiDecimal, "", false},      // sent as 0, shown as 000
        // Hexadecimal with the default fill 'F' at the right; letter case is free.
        {CodiNibble4, "1", true},
        {CodiNibble4, "1fff", true},
        {CodiNibble4, "abcd", true},
        {CodiNibble4, "", true},  // all fill
        {CodiNibble4, "12G4", false},
        {CodiNibble4, "12345", false},
        {CodiNibble4, "1 2", false},
        // Fill '0' in front.
        {CodiNibble4, "1", true, '0', false},
        {CodiNibble4, "0001", true, '0', false},
        {CodiNibble4, "x1", false, '0', false},
        // A fill character that is no hexadecimal digit is taken as the fill it is (and is sent
        // as 0); any other letter is not.
        {CodiNibble16, "12", true, 'G'},
        {CodiNibble16, "1G", true, 'G'},
        {CodiNibble16, "1H", false, 'G'},
        {CodiNibble2, "0a", true},
        {CodiNibble2, "1", true},
        {CodiNibble2, "100", false},
        {CodiNibble6, "123456", true},
        {CodiNibble6, "12345Z", false},
        {CodiNibble8, "C0A80164", true},
        {CodiNibble16, "600123456", true},
        {CodiNibble28, "0123456789ABCDEF0123456789AB", true},
        {CodiNibble28, "0123456789ABCDEF0123456789ABC", false},
        // Shown number minus one in the byte: every pair comes back as typed.
        {CodiNibble2_1N, "10", true},
        {CodiNibble2_1N, "00", true},
        {CodiNibble2_1N, "01", true},
        {CodiNibble2_1N, "G1", false},
        // String: 16 characters padded with spaces; lower case where the code keeps it so.
        {CodiString, "abc", true},
        {CodiString, "Puerta principal", true},
        {CodiString, "abc   ", true},
        {CodiString, "Puerta principal1", false},
        {CodiString, "ABC", true, 'F', true, true},
        {CodiString, "caf\xff", false},  // the byte 0xFF comes back as a space
        // Quarter-hour time: h:mm or hh:mm on a quarter, 63:45 for no time.
        {CodiHoraQuart, "07:15", true},
        {CodiHoraQuart, "7:15", true},
        {CodiHoraQuart, "0:00", true},
        {CodiHoraQuart, "24:45", true},
        {CodiHoraQuart, "63:45", true},
        {CodiHoraQuart, "07:55", false},
        {CodiHoraQuart, "07:08", false},
        {CodiHoraQuart, "25:10", false},
        {CodiHoraQuart, "25:00", false},
        {CodiHoraQuart, "0730", false},
        {CodiHoraQuart, "7.15", false},
        {CodiHoraQuart, "", false},
        // Output.
        {CodiSortida, "Activada", true},
        {CodiSortida, "Desactivada", true},
        {CodiSortida, "activada", false},
        {CodiSortida, "Si", false},
    };
    for (const Fit& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " \"" + c.typed + "\" fill " + c.fill);
        CCodi codi;
        ASSERT_TRUE(codi.SetType(c.type));
        codi.SetPadding(c.fill, c.fillAtRight);
        codi.SetLowerCase(c.lowerCase);
        codi.SetValue(c.type == CodiHoraQuart ? "63:45" : "");
        codi.ClearModified();
        const std::string before = codi.GetValue();
        EXPECT_EQ(CodiShowsTyped(codi, c.typed), c.taken);
        // Asking changes nothing in the code.
        EXPECT_EQ(codi.GetValue(), before);
        EXPECT_FALSE(codi.IsModified());
    }
    // A code whose type is not known yet takes any text.
    EXPECT_TRUE(CodiShowsTyped(CCodi(), "999"));
}
