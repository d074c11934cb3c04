#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "datamodel/files.h"
#include "datamodel/grupflash.h"
#include "support/temp_dir.h"

namespace {

// 3 elements of 5 bytes: nibble4 (2 bytes), decimal (1 byte), nibble4 (2 bytes).
void MakeTable(CGrupFlash& flash) {
    ASSERT_TRUE(flash.SetElements(3));
    ASSERT_TRUE(flash.SetBytesElement(5));
    for (int type : {CodiNibble4, CodiDecimal, CodiNibble4}) {
        int c = flash.AddColumna();
        ASSERT_TRUE(flash.SetColumnaField(c, type));
    }
}

std::unique_ptr<CFitxer> File(const std::string& id, const std::string& path, int sectors,
                              bool rom = false) {
    auto fitxer = std::make_unique<CFitxer>();
    fitxer->SetId(id);
    fitxer->SetRom(rom);
    fitxer->SetPath(path);
    fitxer->SetLong(sectors);
    return fitxer;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 1);
    return bytes;
}

}  // namespace

TEST(GrupFlash, TableLayout) {
    CGrupFlash flash;
    EXPECT_EQ(flash.GetKind(), FlashGroupNone);
    EXPECT_FALSE(flash.SetElements(-1));
    EXPECT_FALSE(flash.HasTable());
    MakeTable(flash);
    EXPECT_EQ(flash.GetKind(), FlashGroupTable);
    ASSERT_EQ(flash.GetTableSize(), 15);

    EXPECT_TRUE(flash.SetCell(2, 2, "ABCD"));
    const unsigned char* table = flash.GetElementPtr(0);
    EXPECT_EQ(table[13], 0xAB);
    EXPECT_EQ(table[14], 0xCD);
    EXPECT_EQ(flash.GetElementPtr(2), table + 10);
    EXPECT_EQ(flash.GetElementPtr(3), nullptr);
    EXPECT_EQ(flash.GetElementPtr(-1), nullptr);
    EXPECT_EQ(flash.GetCellText(2, 2), "ABCD");

    // A table once made keeps its size.
    EXPECT_TRUE(flash.SetElements(10));
    EXPECT_EQ(flash.GetTableSize(), 15);
    EXPECT_EQ(flash.GetElementPtr(3), nullptr);

    // Cells show what the table holds: "300" goes as 44.
    EXPECT_TRUE(flash.SetCell(0, 1, "300"));
    EXPECT_EQ(table[2], 44);
    EXPECT_EQ(flash.GetColumnaAt(1)->GetValue(), "044");
    EXPECT_EQ(flash.GetCellText(0, 1), "044");
}

TEST(GrupFlash, OutOfRangeCellsAndElementsChangeNothing) {
    CGrupFlash flash;
    EXPECT_EQ(flash.GetColumna(0), "");  // no columns yet
    EXPECT_EQ(flash.GetColumnaAt(0), nullptr);
    EXPECT_FALSE(flash.SetColumnaField(0, CodiDecimal));
    EXPECT_FALSE(flash.SetCell(0, 0, "1"));
    EXPECT_EQ(flash.GetCellText(0, 0), "");
    MakeTable(flash);
    flash.SetColumnaText(0, "Código");
    flash.SetColumnaText(1, "Valor");
    EXPECT_FALSE(flash.SetColumnaText(3, "x"));
    EXPECT_EQ(flash.GetColumna(1), "Valor");
    EXPECT_EQ(flash.GetColumna(9), "Código");
    EXPECT_EQ(flash.GetColumna(-1), "Código");

    const std::vector<unsigned char> before(flash.GetElementPtr(0), flash.GetElementPtr(0) + 15);
    for (auto [i, c] : {std::pair{-1, 0}, std::pair{3, 0}, std::pair{0, 3}, std::pair{0, -1}}) {
        EXPECT_FALSE(flash.SetCell(i, c, "1234")) << i << "," << c;
        EXPECT_EQ(flash.GetCellText(i, c), "") << i << "," << c;
    }
    EXPECT_EQ(std::vector<unsigned char>(flash.GetElementPtr(0), flash.GetElementPtr(0) + 15), before);

    // Columns that add up to more than the element never spill into the next element.
    int c = flash.AddColumna();
    flash.SetColumnaField(c, CodiNibble2);
    EXPECT_FALSE(flash.SetCell(0, c, "77"));
    EXPECT_EQ(flash.GetCellText(0, c), "");
    EXPECT_FALSE(flash.FillAll(c, "77"));
    EXPECT_EQ(std::vector<unsigned char>(flash.GetElementPtr(0), flash.GetElementPtr(0) + 15), before);

    // A column of a type the table does not know decodes nothing.
    CGrupFlash unknown;
    unknown.SetElements(1);
    unknown.SetBytesElement(2);
    unknown.AddColumna();
    EXPECT_TRUE(unknown.SetCell(0, 0, "x"));
    EXPECT_EQ(unknown.GetCellText(0, 0), "");

    CGrupFlash huge;
    EXPECT_TRUE(huge.SetElements(100000));
    EXPECT_FALSE(huge.SetBytesElement(100000));
    EXPECT_FALSE(huge.HasTable());
}

TEST(GrupFlash, ElementsAreCopiedAndComparedWithTheirLength) {
    CGrupFlash flash;
    MakeTable(flash);
    const std::array<unsigned char, 5> element{1, 2, 3, 4, 5};
    EXPECT_TRUE(flash.StoreElement(1, element));
    EXPECT_TRUE(flash.CompareElement(1, element));
    EXPECT_FALSE(flash.CompareElement(0, element));
    const std::array<unsigned char, 4> shortElement{1, 2, 3, 4};
    EXPECT_FALSE(flash.StoreElement(2, shortElement));
    EXPECT_FALSE(flash.CompareElement(1, shortElement));
    EXPECT_FALSE(flash.StoreElement(3, element));
    EXPECT_FALSE(flash.StoreElement(-1, element));
    EXPECT_FALSE(flash.CompareElement(-1, element));
    EXPECT_EQ(flash.GetElementPtr(2)[0], 0);
    EXPECT_EQ(flash.GetCellText(1, 0), "0102");
    EXPECT_EQ(flash.GetCellText(1, 1), "003");
}

TEST(GrupFlash, DefaultsOfATable) {
    CGrupFlash flash;
    MakeTable(flash);
    // As the model file gives a column value: every element, then value and default.
    flash.FillAll(1, "12");
    flash.GetColumnaAt(1)->SetValueKeep("12");
    flash.GetColumnaAt(0)->SetValueKeep("1");
    flash.SetCell(1, 1, "99");
    flash.SetCell(2, 0, "ABCD");
    EXPECT_TRUE(flash.ApplyDefaults());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(flash.GetCellText(i, 0), "1FFF") << i;
        EXPECT_EQ(flash.GetCellText(i, 1), "012") << i;
        EXPECT_EQ(flash.GetCellText(i, 2), "FFFF") << i;
    }
    CGrupFlash none;
    EXPECT_TRUE(none.ApplyDefaults());
}

TEST(GrupFlash, FileList) {
    CGrupFlash flash;
    EXPECT_EQ(flash.AddFitxer(nullptr), -1);
    EXPECT_EQ(flash.GetKind(), FlashGroupNone);
    EXPECT_EQ(flash.AddFitxer(File("a", "", 1)), 0);
    EXPECT_EQ(flash.AddFitxer(File("b", "", 1)), 1);
    EXPECT_EQ(flash.GetKind(), FlashGroupFiles);
    EXPECT_EQ(flash.FindFitxer("b"), flash.GetFitxer(1));
    EXPECT_EQ(flash.FindFitxer("c"), nullptr);
    EXPECT_EQ(flash.GetFitxer(2), nullptr);
    EXPECT_EQ(flash.GetFitxer(-1), nullptr);
    EXPECT_EQ(flash.GetSendSize(), 0);

    TempDir dir;
    dir.Write("a.bin", Pattern(100));
    CFitxer* a = flash.GetFitxer(0);
    a->SetPath(FromOsPath(dir / "a.bin"));
    a->SetSend(true);
    flash.GetFitxer(1)->SetSend(true);  // no path: counts nothing
    EXPECT_EQ(flash.GetSendSize(), 101);

    EXPECT_TRUE(flash.ApplyDefaults());
    EXPECT_EQ(a->GetPath(), "");
    EXPECT_FALSE(a->GetSend());
    EXPECT_EQ(a->GetStatus(), FitxerStatus::NotLoaded);

    flash.Reset();
    EXPECT_EQ(flash.GetFitxerCount(), 0);
    EXPECT_EQ(flash.GetKind(), FlashGroupNone);
}

TEST(Fitxer, LoadingBySectors) {
    TempDir dir;
    dir.Write("big.bin", Pattern(5000));
    dir.Write("small.bin", Pattern(100));
    dir.Write("exact.bin", Pattern(4096));

    auto big = File("", FromOsPath(dir / "big.bin"), 1);
    EXPECT_EQ(big->GetSize(), 4096);
    std::span<const unsigned char> data = big->LoadData();
    ASSERT_EQ(data.size(), 4096u);
    EXPECT_EQ(data[4095], static_cast<unsigned char>(Pattern(4096)[4095]));
    EXPECT_EQ(big->GetStatus(), FitxerStatus::Cut);

    auto small = File("", FromOsPath(dir / "small.bin"), 1);
    data = small->LoadData();
    ASSERT_EQ(data.size(), 101u);
    EXPECT_EQ(data[99], static_cast<unsigned char>(Pattern(100)[99]));
    EXPECT_EQ(data[100], 0xFF);
    EXPECT_EQ(small->GetSize(), 101);
    EXPECT_EQ(small->GetStatus(), FitxerStatus::Loaded);
    EXPECT_TRUE(small->GetData().empty());  // the whole data is only offered for an image

    auto exact = File("", FromOsPath(dir / "exact.bin"), 2);
    EXPECT_EQ(exact->GetSize(), 4097);
    exact->SetLong(1);  // fewer sectors: loaded again, no room for the end mark
    EXPECT_EQ(exact->GetSize(), 4096);
    EXPECT_EQ(exact->GetStatus(), FitxerStatus::Loaded);

    // Only the reserved sectors are read: a device that never ends loads as a cut file.
    auto endless = File("", "/dev/zero", 2);
    EXPECT_EQ(endless->GetSize(), 8192);
    EXPECT_EQ(endless->GetStatus(), FitxerStatus::Cut);
}

TEST(Fitxer, PathChangesDropTheData) {
    TempDir dir;
    dir.Write("one.bin", Pattern(10));
    dir.Write("two.bin", Pattern(20));
    CFitxer fitxer;
    fitxer.SetLong(1);
    const std::string one = FromOsPath(dir / "one.bin");
    fitxer.SetPath(one);
    EXPECT_EQ(fitxer.GetSize(), 11);
    dir.Write("one.bin", Pattern(30));
    fitxer.SetPath(one);  // the same path keeps what was loaded
    EXPECT_EQ(fitxer.GetSize(), 11);
    fitxer.SetPath(FromOsPath(dir / "two.bin"));
    EXPECT_EQ(fitxer.GetStatus(), FitxerStatus::NotLoaded);
    EXPECT_EQ(fitxer.GetSize(), 21);
    fitxer.FreeData();
    fitxer.SetPath(one);
    EXPECT_EQ(fitxer.GetSize(), 31);
}

TEST(Fitxer, NothingToUploadIsAnError) {
    TempDir dir;
    dir.Write("empty.bin", "");
    dir.Write("data.bin", Pattern(10));
    dir.Write("header.rom", Pattern(48));
    const std::pair<std::unique_ptr<CFitxer>, FitxerStatus> cases[] = {
        {File("", "", 1), FitxerStatus::NoPath},
        {File("", FromOsPath(dir / "missing.bin"), 1), FitxerStatus::Unreadable},
        {File("", FromOsPath(dir.Path()), 1), FitxerStatus::Unreadable},
        {File("", FromOsPath(dir / "empty.bin"), 1), FitxerStatus::Empty},
        {File("", FromOsPath(dir / "data.bin"), 0), FitxerStatus::NoSpace},
        {File("", FromOsPath(dir / "header.rom"), 1, true), FitxerStatus::RomTooShort},
    };
    for (const auto& [fitxer, status] : cases) {
        EXPECT_TRUE(fitxer->LoadData().empty());
        EXPECT_TRUE(fitxer->GetData().empty());
        EXPECT_EQ(fitxer->GetSize(), -1);
        EXPECT_EQ(fitxer->GetStatus(), status);
    }

    CFitxer& noSectors = *cases[4].first;
    EXPECT_FALSE(noSectors.SetLong(-1));
    EXPECT_FALSE(noSectors.SetLong(CFitxer::kMaxSectors + 1));
    EXPECT_FALSE(noSectors.SetSector(-1));
    EXPECT_FALSE(noSectors.SetIndex(-1));
    EXPECT_TRUE(noSectors.SetLong(CFitxer::kMaxSectors));
    EXPECT_EQ(noSectors.GetSize(), 11);
}

TEST(Fitxer, WebServerImageKeepsItsHeaderOutOfTheUpload) {
    TempDir dir;
    std::string image = Pattern(48);
    image[4] = 1;
    image[5] = 1;
    image += "payload";
    dir.Write("site.rom", image);

    auto rom = File("", FromOsPath(dir / "site.rom"), 1, true);
    std::span<const unsigned char> payload = rom->LoadData();
    ASSERT_EQ(payload.size(), 8u);  // "payload" and the end mark
    EXPECT_EQ(rom->GetSize(), 8);
    EXPECT_EQ(payload[0], 'p');
    EXPECT_EQ(payload[7], 0xFF);
    std::span<const unsigned char> whole = rom->GetData();
    ASSERT_EQ(whole.size(), 56u);
    EXPECT_EQ(whole[4], 1);
    EXPECT_EQ(whole.data() + 48, payload.data());

    // Loaded as a plain file, then marked as an image: loaded again as an image.
    auto later = File("", FromOsPath(dir / "site.rom"), 1);
    EXPECT_EQ(later->GetSize(), 56);
    later->SetRom(true);
    EXPECT_EQ(later->GetSize(), 8);
}
