// The window-free texts of the flash panels: row labels, file row titles and the web-server image
// header.
#include <algorithm>
#include <array>
#include <vector>

#include <gtest/gtest.h>

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

    // Each 32-bit field, lowest byte first, shown unsigned.
    struct Number {
        std::array<unsigned char, 4> bytes;
        const char* shown;
    } numbers[] = {
        {{0x00, 0x00, 0x01, 0x00}, "65536"},
        {{0xFF, 0xFF, 0x00, 0x00}, "65535"},
        {{0x01, 0x02, 0x03, 0x04}, "67305985"},
        {{0x00, 0x00, 0x00, 0x80}, "2147483648"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, "4294967295"},
    };
    for (const Number& n : numbers) {
        for (std::size_t field = 4; field < kImageHeaderFields; ++field) {
            std::vector<unsigned char> h = header;
            std::copy(n.bytes.begin(), n.bytes.end(), h.begin() + static_cast<long>(16 + 4 * (field - 4)));
            EXPECT_EQ(ImageHeaderValues(h)[field], n.shown) << "field " << field;
        }
    }

    header[8] = '2', header[9] = '6', header[10] = 0x01, header[11] = 'x';
    EXPECT_EQ(ImageHeaderValues(header)[2], "26?x");

    const ImageHeaderTexts none{" - ", " - ", " - ", " - ", " - ", " - ", " - ", " - "};
    EXPECT_EQ(ImageHeaderValues({}), none);
    // Shorter than the fields shown: nothing is read past the data.
    EXPECT_EQ(ImageHeaderValues(std::span(header.data(), 31)), none);
    EXPECT_EQ(ImageHeaderValues(std::span(header.data(), 32))[0], "VOFS");
    EXPECT_EQ(ImageHeaderLabels()[1], std::string(" Versión"));
}
