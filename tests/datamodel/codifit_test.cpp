// Whether a typed text is what the code then holds: taken as typed (allowing the type's padding,
// fill, letter case and leading zeros) or refused, for every value type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datamodel/codi.h"
#include "datamodel/codifit.h"

TEST(CodiFit, TypedTextIsTakenOnlyWhenTheCodeShowsTheSameValue) {
    struct Fit {
        int type;
        std::vector<const char*> taken;
        std::vector<const char*> refused;
        char fill = 'F';  // the fill character and its side, for the hexadecimal types
        bool fillAtRight = true;
        bool lowerCase = false;
    } cases[] = {
        // Eight '0'/'1', short texts padded with '0' at the right.
        {CodiBitmask, {"10100000", "1", ""}, {"12x1", "101000001"}},
        // One byte shown as three digits: leading zeros are the type's own; four digits go as 0,
        // the empty text goes as 0 and shows 000.
        {CodiDecimal, {"7", "007", "255", "0"}, {"999", "300", "256", "abc", "12a", "0007", ""}},
        // Hexadecimal, fill 'F' at the right by default, letter case free.
        {CodiNibble4, {"1", "1fff", "abcd", ""}, {"12G4", "12345", "1 2"}},
        {CodiNibble4, {"1", "0001"}, {"x1"}, '0', false},
        // A fill character that is no hexadecimal digit is taken as the fill it is (sent as 0).
        {CodiNibble16, {"12", "1G", "600123456"}, {"1H"}, 'G'},
        {CodiNibble2, {"0a", "1"}, {"100"}},
        {CodiNibble6, {"123456"}, {"12345Z"}},
        {CodiNibble8, {"C0A80164"}, {"C0A801640"}},
        {CodiNibble28, {"0123456789ABCDEF0123456789AB"}, {"0123456789ABCDEF0123456789ABC"}},
        // The byte holds the shown number minus one: every pair comes back as typed.
        {CodiNibble2_1N, {"10", "00", "01"}, {"G1"}},
        // 16 characters padded with spaces; the byte 0xFF comes back as a space.
        {CodiString, {"abc", "Puerta principal", "abc   "}, {"Puerta principal1", "caf\xff"}},
        {CodiString, {"ABC"}, {}, 'F', true, true},
        // h:mm or hh:mm on a quarter hour, 63:45 for no time.
        {CodiHoraQuart,
         {"07:15", "7:15", "0:00", "24:45", "63:45"},
         {"07:55", "07:08", "25:10", "25:00", "0730", "7.15", ""}},
        {CodiSortida, {"Activada", "Desactivada"}, {"activada", "Si"}},
    };
    for (const Fit& c : cases) {
        for (bool taken : {true, false}) {
            for (const char* typed : taken ? c.taken : c.refused) {
                SCOPED_TRACE(std::to_string(c.type) + " \"" + typed + "\" fill " + c.fill);
                CCodi codi;
                ASSERT_TRUE(codi.SetType(c.type));
                codi.SetPadding(c.fill, c.fillAtRight);
                codi.SetLowerCase(c.lowerCase);
                codi.SetValue(c.type == CodiHoraQuart ? "63:45" : "");
                codi.ClearModified();
                const std::string before = codi.GetValue();
                EXPECT_EQ(CodiShowsTyped(codi, typed), taken);
                // Asking changes nothing in the code.
                EXPECT_EQ(codi.GetValue(), before);
                EXPECT_FALSE(codi.IsModified());
            }
        }
    }
    // A code whose type is not known yet takes any text.
    EXPECT_TRUE(CodiShowsTyped(CCodi(), "999"));
}
