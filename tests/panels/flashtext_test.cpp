// The window-free texts of the flash panels: row labels, the check of a typed cell against its
// column, file row titles and the web-server image header.
#include <gtest/gtest.h>

#include "datamodel/codi.h"
#include "datamodel/fitxer.h"
#include "panels/flashtext.h"

TEST(FlashText, RowsAreLabelledInDecimalAndLowerCaseHexadecimal) {
    EXPECT_EQ(FlashRowLabel(0), "0 : 0x0");
    EXPECT_EQ(FlashRowLabel(10), "10 : 0xa");
    EXPECT_EQ(FlashRowLabel(15), "15 : 0xf");
    EXPECT_EQ(FlashRowLabel(255), "255 : 0xff");
}

TEST(FlashText, FileRowTitleIsIndexAndName) {
    CFitxer f;
    f.SetIndex(3);
    f.SetNom("Idioma");
    EXPECT_EQ(FitxerTitle(f), " 3 - Idioma");
}

TEST(FlashText, CellIsRefusedWhenItsColumnWouldChangeWhatWasTyped) {
    struct Case {
        int type;
        const char* text;
        bool accepted;
    } cases[] = {
        {CodiDecimal, "7", true},          {CodiDecimal, "255", true},     {CodiDecimal, "256", false},
        {CodiDecimal, "300", false},       {CodiDecimal, "", false},       {CodiDecimal, "1a", false},
        {CodiDecimal, "0007", false},      {CodiNibble4, "1", true},       {CodiNibble4, "1fA0", true},
        {CodiNibble4, "12345", false},     {CodiNibble4, "12G4", false},   {CodiNibble4, "", true},
        {CodiNibble16, "600123456", true}, {CodiNibble2, "FF", true},      {CodiNibble2_1N, "10", true},
        {CodiBitmask, "10000001", true},   {CodiBitmask, "101", true},     {CodiBitmask, "100000011", false},
        {CodiBitmask, "10x", false},       {CodiHoraQuart, "07:15", true}, {CodiHoraQuart, "7:45", true},
        {CodiHoraQuart, "63:45", true},    {CodiHoraQuart, "07:55", false}, {CodiHoraQuart, "25:00", false},
        {CodiHoraQuart, "siete", false},   {CodiString, "Oficina Pérez", true},
        {CodiString, "diecisiete letras", false},
    };
    for (const Case& c : cases) {
        CCodi column;
        ASSERT_TRUE(column.SetType(c.type));
        const std::string why = CellRefusal(column, "Col", c.text);
        EXPECT_EQ(why.empty(), c.accepted) << "type " << c.type << " text \"" << c.text << "\": " << why;
        if (!c.accepted) {
            EXPECT_NE(why.find("\"Col\""), std::string::npos) << why;
            EXPECT_NE(why.find(c.text), std::string::npos) << why;
        }
    }
    // A column the installer cannot change refuses everything.
    CCodi output;
    output.SetType(CodiSortida);
    EXPECT_NE(CellRefusal(output, "Salida", "Activada"), "");
    CCodi locked;
    locked.SetType(CodiNibble4);
    locked.SetEditable(false);
    EXPECT_NE(CellRefusal(locked, "Fija", "1234"), "");
}

TEST(FlashText, ImageHeaderShowsItsFieldsOrDashes) {
    std::vector<unsigned char> header(48, 0);
    header[0] = 'V', header[1] = 'O', header[2] = 'F', header[3] = 'S';
    header[4] = 1, header[5] = 1;
    header[16] = 20;                       // directory units
    header[20] = 8;                        // entries
    header[24] = 0x10, header[25] = 0x27;  // 10000 payload bytes
    header[28] = 0x01, header[31] = 0x01;  // 16777217 data units: all four bytes count
    const ImageHeaderTexts texts = ImageHeaderValues(header);
    EXPECT_EQ(texts, (ImageHeaderTexts{"VOFS", "1.1", "", "", "20", "8", "10000", "16777217"}));

    header[8] = '2', header[9] = '6', header[10] = 0x01, header[11] = 'x';
    EXPECT_EQ(ImageHeaderValues(header)[2], "26?x");

    const ImageHeaderTexts none{" - ", " - ", " - ", " - ", " - ", " - ", " - ", " - "};
    EXPECT_EQ(ImageHeaderValues({}), none);
    // Shorter than the fields shown: nothing is read past the data.
    EXPECT_EQ(ImageHeaderValues(std::span(header.data(), 31)), none);
    EXPECT_EQ(ImageHeaderValues(std::span(header.data(), 32))[0], "VOFS");
    EXPECT_EQ(ImageHeaderLabels()[1], std::string(" Versión"));
}
