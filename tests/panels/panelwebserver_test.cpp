// The web-server image row: an image built from a folder of web pages with the real
// libpardex.so, uploaded into the simulated panel and read back with the library's reader; and
// what the row says when the library or the build fails, or the image path is refused.
#include <wx/checkbox.h>
#include <wx/dynlib.h>
#include <wx/image.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstring>
#include <map>
#include <fstream>

#include "datamodel/fitxer.h"
#include "datamodel/grupflash.h"
#include "flash_fixture.h"
#include "panels/panelflashgrup.h"
#include "panels/panelwebserver.h"
#include "panels/pardexlib.h"
#include "panels/wxtext.h"

namespace fs = std::filesystem;

namespace {

class WebserverRowTest : public FlashPanelTest {
protected:
    void SetUp() override {
        FlashPanelTest::SetUp();
        item = Show("F03");  // WEB: index 1, sector 0, 32 sectors, at block 0x100 of bus 30
        ASSERT_FALSE(view->GetFlashGrupPanel()->GetImageRows().empty());
        row = view->GetFlashGrupPanel()->GetImageRows()[0];
        web = row->GetFitxer();
        sim.Component(0x30);
    }
    void TearDown() override {
        SetPardexLibraryPath({});
        FlashPanelTest::TearDown();
    }

    // A folder of web pages: markup, a style sheet, a picture and a page with an accented name.
    fs::path MakeSite(const std::string& name) {
        const fs::path site = dir / name;
        fs::create_directories(site);
        std::ofstream(site / "index.htm") << "<html>\n  <body>  <p>Hola   mundo</p>\n</body></html>\n";
        std::ofstream(site / "estilo.css") << "body {  color: red; }\n";
        std::ofstream(site / fs::path(u8"página.htm")) << "<p>Configuraci\xf3n</p>";
        wxImage picture(8, 8);
        picture.SetRGB(wxRect(0, 0, 4, 4), 200, 30, 30);
        EXPECT_TRUE(picture.SaveFile(wxString::FromUTF8((site / "logo.png").string()), wxBITMAP_TYPE_PNG));
        return site;
    }
    void ChooseSite(const fs::path& site) {
        dialogs.AnswerFolder(site);
        Click(row->GetFolderButton());
    }
    std::string Value(std::size_t field) { return FromWx(row->GetValue(field)->GetLabel()); }
    // The last box is the build's outcome: a plain message box under the toolkit's own caption.
    void ExpectTold(const std::string& text) {
        ASSERT_NE(dialogs.Last(), nullptr);
        EXPECT_EQ(dialogs.Last()->kind, "info");
        EXPECT_EQ(dialogs.Last()->text, text);
        EXPECT_EQ(dialogs.Last()->caption, "Message");
    }
    static Bytes ReadBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TreeItemId item = kNoTreeItem;
    CPanelWebserver* row = nullptr;
    CFitxer* web = nullptr;
};

TEST_F(WebserverRowTest, FolderIsCompiledUploadedAndReadBackWithTheLibrarysReader) {
    for (std::size_t i = 0; i < kImageHeaderFields; ++i) EXPECT_EQ(Value(i), " - ") << i;
    const fs::path site = MakeSite("sitio");
    std::ofstream(site / "un-nombre-demasiado-largo.htm") << "<p>x</p>";  // skipped: warning 1
    ChooseSite(site);
    EXPECT_EQ(FromWx(row->GetFolderField()->GetValue()), site.string());

    const fs::path image = dir / "imagen.rom";
    dialogs.AnswerSavePath(image);
    Click(row->GetCompileButton());
    ASSERT_TRUE(dialogs.Errors().empty()) << dialogs.Errors()[0];
    EXPECT_EQ(dialogs.shown.end()[-2], (FakeDialogs::Shown{"save", "Fichero FLASH (ROM)", "", {}, "", "*.rom"}));
    ExpectTold("ok");  // a skipped file is only a warning
    EXPECT_EQ(FromWx(row->GetRow().path->GetValue()), image.string());
    EXPECT_TRUE(row->GetRow().send->GetValue());
    EXPECT_TRUE(core->GetInstalacio().IsModified());
    EXPECT_EQ(Value(0), "VOFS");
    EXPECT_EQ(Value(1), "1.1");
    EXPECT_EQ(Value(5), "7");  // four files and the three built-in answers
    EXPECT_EQ(Value(4), "18");
    EXPECT_FALSE(fs::exists(site / "imagen.rom"));

    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    const Bytes file = ReadBytes(image);
    ASSERT_GT(file.size(), 48u);
    // The panel gets the image without its header, and the end mark after it.
    const Bytes flash = GetFlash(sim.Component(0x30), 0x100, file.size() - 48 + 1);
    EXPECT_EQ(Bytes(flash.begin(), flash.end() - 1), Bytes(file.begin() + 48, file.end()));
    EXPECT_EQ(flash.back(), 0xFF);

    // What the panel holds, behind the image's header, reads back as the same web pages.
    wxDynamicLibrary library(wxString::FromUTF8(PardexLibraryPath().string()), wxDL_NOW | wxDL_QUIET);
    ASSERT_TRUE(library.IsLoaded());
    auto open = reinterpret_cast<int (*)(const char*, void*)>(library.GetSymbol(wxT("Open")));
    auto read = reinterpret_cast<int (*)(void*, unsigned)>(library.GetSymbol(wxT("Read")));
    auto close = reinterpret_cast<int (*)()>(library.GetSymbol(wxT("Close")));
    ASSERT_TRUE(open && read && close);
    Bytes readBack(file.begin(), file.begin() + 48);
    readBack.insert(readBack.end(), flash.begin(), flash.end() - 1);
    const fs::path copy = dir / "leido.rom";
    std::ofstream(copy, std::ios::binary)
        .write(reinterpret_cast<const char*>(readBack.data()), static_cast<std::streamsize>(readBack.size()));
    FlashImageHeader header{};
    ASSERT_EQ(open(copy.c_str(), &header), 0);
    ASSERT_EQ(header.entryCount, 7u);
    std::vector<FlashDirEntry> entries(header.entryCount + 2);
    const unsigned dirBytes = static_cast<unsigned>(entries.size() * sizeof(FlashDirEntry));
    ASSERT_EQ(read(entries.data(), dirBytes), static_cast<int>(dirBytes));
    Bytes data(header.dataUnits * 16u);
    ASSERT_EQ(read(data.data(), static_cast<unsigned>(data.size())), static_cast<int>(data.size()));
    EXPECT_EQ(close(), 0);

    std::map<std::string, Bytes> pages;
    for (std::size_t e = 1; e + 1 < entries.size(); ++e) {
        const FlashDirEntry& entry = entries[e];
        const std::string name(entry.name, strnlen(entry.name, sizeof entry.name));
        const std::size_t at = (entry.startUnit - header.directoryUnits) * 16u;
        ASSERT_LE(at + entry.size, data.size()) << name;
        pages[name] = Bytes(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + entry.size));
    }
    ASSERT_EQ(pages.size(), 7u);
    EXPECT_EQ(pages["logo.png"], ReadBytes(site / "logo.png"));
    ASSERT_EQ(pages.count("p\xc3\xa1gina.htm"), 1u);  // the name as the system gave it
    EXPECT_EQ(pages["p\xc3\xa1gina.htm"], ReadBytes(site / fs::path(u8"página.htm")));
    const std::string index(pages["index.htm"].begin(), pages["index.htm"].end());
    EXPECT_NE(index.find("<p>Hola mundo</p>"), std::string::npos) << index;  // compacted
    EXPECT_EQ(pages.count("estilo.css"), 1u);
    EXPECT_EQ(pages.count("404"), 1u);
}

TEST_F(WebserverRowTest, MissingLibraryOrExportIsReportedAndNothingIsCompiled) {
    ChooseSite(MakeSite("sitio"));
    SetPardexLibraryPath(dir / "falta" / "libpardex.so");
    Click(row->GetCompileButton());
    ExpectTold("DLL Error");

    // A library that loads but has no Compile: the toolkit's own library.
    wxString other;
    const wxDynamicLibraryDetailsArray loaded = wxDynamicLibrary::ListLoaded();
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        if (loaded[i].GetName().Contains(wxT("libwx_baseu"))) other = loaded[i].GetPath();
    }
    ASSERT_FALSE(other.empty());
    SetPardexLibraryPath(fs::path(other.utf8_string()));
    Click(row->GetCompileButton());
    ExpectTold("DLL Error #2");

    EXPECT_EQ(web->GetPath(), "");
    EXPECT_FALSE(web->GetSend());
    EXPECT_FALSE(core->GetInstalacio().IsModified());
    EXPECT_EQ(dialogs.shown.size(), 3u);  // the folder, then no save dialog
}

TEST_F(WebserverRowTest, FailedBuildShowsItsResult) {
    // The library's own answers: an image that cannot be created, no folder, a missing folder.
    struct Case {
        fs::path folder;
        fs::path image;
        const char* told;
    } cases[] = {
        {dir / "sitio", dir / "no-existe" / "imagen.rom", "Error! #-6"},
        {{}, dir / "a.rom", "Error! #-1"},
        {dir / "no-existe", dir / "b.rom", "Error! #-1"},
    };
    MakeSite("sitio");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        row->GetFolderField()->SetValue(ToWx(c.folder.string()));
        dialogs.AnswerSavePath(c.image);
        Click(row->GetCompileButton());
        ExpectTold(c.told);
        EXPECT_FALSE(fs::exists(c.image));
    }
    EXPECT_EQ(web->GetPath(), "");
    EXPECT_FALSE(core->GetInstalacio().IsModified());
}

TEST_F(WebserverRowTest, ImagePathInsideTheSiteOrWithoutProgramTextIsRefused) {
    const fs::path site = MakeSite("sitio");
    ChooseSite(site);
    dialogs.AnswerSavePath(site / "imagen.rom");  // would go into the next build
    Click(row->GetCompileButton());
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_NE(dialogs.Errors()[0].find("dentro de la carpeta"), std::string::npos);

    dialogs.AnswerSavePath(dir.Path() / fs::path(u8"imagen-\u65e5.rom"));  // no cp1252 for it
    Click(row->GetCompileButton());
    ASSERT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_NE(dialogs.Errors()[1].find("no puede guardar"), std::string::npos);

    dialogs.AnswerSavePath(std::nullopt);  // cancelled
    Click(row->GetCompileButton());
    EXPECT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_EQ(dialogs.Last()->kind, "save");

    // Neither inside the site nor under a name with the character replaced.
    EXPECT_FALSE(fs::exists(site / "imagen.rom"));
    EXPECT_FALSE(fs::exists(dir.Path() / "imagen-?.rom"));
    EXPECT_FALSE(fs::exists(dir.Path() / fs::path(u8"imagen-\u65e5.rom")));
    EXPECT_EQ(web->GetPath(), "");
    EXPECT_FALSE(core->GetInstalacio().IsModified());
}

TEST_F(WebserverRowTest, ImageLargerThanItsSectorsIsBuiltWithAWarning) {
    const fs::path site = MakeSite("grande");
    std::ofstream(site / "datos.bin", std::ios::binary) << std::string(5000, 'x');
    web->SetLong(1);
    ChooseSite(site);
    dialogs.AnswerSavePath(dir / "grande.rom");
    Click(row->GetCompileButton());
    ASSERT_GE(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[dialogs.shown.size() - 2].text, "ok");
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_NE(dialogs.Errors()[0].find("se enviará cortada"), std::string::npos) << dialogs.Errors()[0];
    EXPECT_EQ(web->GetPath(), (dir / "grande.rom").string());
}

TEST_F(WebserverRowTest, ChosenImageShowsItsHeaderAndSendBoxIsStoredOnItsOwn) {
    ChooseSite(MakeSite("sitio"));
    dialogs.AnswerSavePath(dir / "a.rom");
    Click(row->GetCompileButton());
    web->SetPath("");
    row->UpdateControls();
    EXPECT_EQ(Value(0), " - ");
    dialogs.AnswerOpenPath(dir / "a.rom");
    Click(row->GetRow().browse);
    EXPECT_EQ(dialogs.shown.back(), (FakeDialogs::Shown{"open", "Fichero FLASH (ROM)", "", {}, "", "*.rom"}));
    EXPECT_EQ(Value(0), "VOFS");
    // Unticking with the same path stays unticked after the store.
    row->GetRow().send->SetValue(false);
    EXPECT_TRUE(row->StoreControls());
    EXPECT_FALSE(web->GetSend());
}

}  // namespace
