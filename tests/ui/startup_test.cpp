// The program's start-up as the program runs it: the working folder, the log lines, the
// installation named on the command line and its failure box, the window icon and the
// "nom-programa" title.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "core/appcore.h"
#include "panels/wxtext.h"
#include "support/fake_dialogs.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "ui/ids.h"
#include "ui/mainframe.h"
#include "ui/scrollbars.h"
#include "ui/startup.h"

namespace {
const std::filesystem::path kSource = ORVANE_SOURCE_DIR;

// A 16 x 16 GIF, black on the left half and red (200, 0, 0) on the right. The picture data is
// written without compression: every pixel a literal 3-bit code, a clear code after every two so
// that the code size never grows.
std::string TwoColourGif() {
    std::string gif = "GIF89a";
    gif += std::string("\x10\x00\x10\x00\x80\x00\x00", 7);  // 16 x 16, a global table of 2 colours
    gif += std::string("\x00\x00\x00\xc8\x00\x00", 6);       // black, red
    gif += std::string("\x2c\x00\x00\x00\x00\x10\x00\x10\x00\x00\x02", 11);  // image, code size 2
    std::string data;
    unsigned bits = 0, count = 0;
    auto put = [&](unsigned code) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            data += static_cast<char>(bits & 0xff);
            bits >>= 8;
            count -= 8;
        }
    };
    for (int i = 0; i < 256; ++i) {
        if (i % 2 == 0) put(4);  // clear
        put(i % 16 < 8 ? 0 : 1);
    }
    put(5);  // end
    if (count > 0) data += static_cast<char>(bits & 0xff);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::string block = data.substr(at, 255);
        gif += static_cast<char>(block.size());
        gif += block;
    }
    gif += std::string("\x00\x3b", 2);
    return gif;
}

class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        SetDialogs(&dialogs);
        std::filesystem::copy(kSource / "models", program.Path() / "models", std::filesystem::copy_options::recursive);
        std::filesystem::copy(kSource / "icons", program.Path() / "icons", std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(kSource / "samples" / "ejemplo.voski", start.Path() / "ejemplo.voski");
    }
    ~StartupTest() override {
        delete frame;
        std::filesystem::current_path(cwd_);
        SetDialogs(nullptr);
        EXPECT_TRUE(dialogs.Done());
    }
    void WriteConfig(const std::string& oem) { program.Write("config.xml", "<config>\n\t<oem>\n" + oem + "\t</oem>\n</config>\n"); }
    void Start(const std::string& programPath, std::optional<std::filesystem::path> argument = std::nullopt) {
        // Started from its own folder, as a user would from a shell.
        std::filesystem::current_path(start.Path());
        frame = StartProgram({programPath, argument, start.Path()}, ui, false);
    }
    // The log pane's lines without their time stamps ("[hh:mm:ss] ").
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        const std::string text = FromWx(frame->GetLogPane()->GetValue());
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (line.size() > 11 && line[0] == '[' && line[9] == ']') line.erase(0, 11);
            lines.push_back(line);
            at = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }

    TempDir program;  // the program's folder
    TempDir start;    // where it was started from
    FakeDialogs dialogs;
    FakeUi ui;
    MyFrame* frame = nullptr;

private:
    std::filesystem::path cwd_ = std::filesystem::current_path();
};
}  // namespace

TEST(ProgramFolder, TheTextBeforeTheLastSeparatorPastTheFirstCharacter) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"/opt/orvane/bin/orvane", "/opt/orvane/bin"}, {"bin/orvane", "bin"}, {"./orvane", "."},
        {"orvane", std::nullopt}, {"/orvane", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [path, folder] : rows) EXPECT_EQ(ProgramFolderOf(path), folder) << path;
}

TEST_F(StartupTest, TheProgramsFolderBecomesTheWorkingFolderAndIsLogged) {
    WriteConfig("\t\t<nom-programa>Orvane Pro</nom-programa>\n");
    const std::string programPath = (program.Path() / "orvane").string();
    Start(programPath);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), program.Path()));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{program.Path().string()}));
    // The settings were read there: "nom-programa" is the title until the first title update.
    EXPECT_EQ(FromWx(frame->GetTitle()), "Orvane Pro");
    ASSERT_EQ(frame->GetIcons().GetIconCount(), 1u);  // icons/lock.ico, there being no "icono"
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartupTest, APathWithoutAFolderLeavesTheWorkingFolderAndIsLoggedWhole) {
    for (const char* path : {"orvane", "/orvane"}) {
        SCOPED_TRACE(path);
        Start(path);
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), start.Path()));
        EXPECT_EQ(LogLines(), (std::vector<std::string>{path}));
        // No settings where it runs: the box of the failed read, the program's own title, no
        // icon, no recent files.
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].second, "Error");
        EXPECT_EQ(FromWx(frame->GetTitle()), "Vosk Orvane");
        EXPECT_EQ(frame->GetIcons().GetIconCount(), 0u);
        EXPECT_EQ(frame->GetMenuBar()->FindItem(ID_RECENT1), nullptr);
        delete frame;
        frame = nullptr;
        ui.messages.clear();
    }
}

TEST_F(StartupTest, TheInstallationOnTheCommandLineIsLoggedAndOpened) {
    WriteConfig("");
    Start((program.Path() / "orvane").string(), "ejemplo.voski");  // relative to where it started
    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], program.Path().string());
    EXPECT_EQ(lines[1], "ejemplo.voski");
    EXPECT_TRUE(frame->IsInstallationOpen());
    EXPECT_EQ(FromWx(frame->GetTitle()), "ejemplo - Chalet Pérez - Conexión cerrada - Vosk Orvane");
    EXPECT_TRUE(std::filesystem::equivalent(frame->GetCore()->GetConfig().GetUltim(0), start.Path() / "ejemplo.voski"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartupTest, AnInstallationThatDoesNotOpenShowsTheCoresErrorAndTheWindowStays) {
    WriteConfig("");
    Start((program.Path() / "orvane").string(), start.Path() / "falta.voski");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "error");
    EXPECT_EQ(dialogs.shown[0].caption, "Error");
    EXPECT_EQ(dialogs.shown[0].text.rfind("No se pudo abrir el fichero para lectura: \n" + (start.Path() / "falta.voski").string(), 0), 0u)
        << dialogs.shown[0].text;
    EXPECT_FALSE(frame->IsInstallationOpen());
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(LogLines().at(1), (start.Path() / "falta.voski").string());
}

TEST_F(StartupTest, TheBrandingIconIsAGifWithBlackTransparent) {
    program.Write("marca.gif", TwoColourGif());
    struct Row {
        const char* icono;
        bool set;
    } rows[] = {{"marca.gif", true}, {"falta.gif", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.icono);
        WriteConfig(std::string("\t\t<icono>") + r.icono + "</icono>\n");
        Start((program.Path() / "orvane").string());
        ASSERT_EQ(frame->GetIcons().GetIconCount(), r.set ? 1u : 0u);
        if (r.set) {
            wxBitmap bitmap;
            bitmap.CopyFromIcon(frame->GetIcons().GetIconByIndex(0));
            const wxImage shown = bitmap.ConvertToImage();
            EXPECT_TRUE(shown.IsTransparent(2, 2));
            EXPECT_FALSE(shown.IsTransparent(12, 2));
            EXPECT_EQ(shown.GetRed(12, 2), 200);
        }
        EXPECT_TRUE(dialogs.shown.empty());  // a missing picture opens no box
        delete frame;
        frame = nullptr;
        std::filesystem::current_path(start.Path());
    }
}

// Ordinary scroll bars, unless the user's environment already chose.
TEST(ScrollBars, OrdinaryUnlessTheUserChose) {
    const std::string kept = std::getenv("GTK_OVERLAY_SCROLLING");  // set before the toolkit started
    for (const char* user : {"", "1", "0", static_cast<const char*>(nullptr)}) {
        if (user) setenv("GTK_OVERLAY_SCROLLING", user, 1);
        else unsetenv("GTK_OVERLAY_SCROLLING");
        PreferOrdinaryScrollBars();
        EXPECT_STREQ(std::getenv("GTK_OVERLAY_SCROLLING"), user ? user : "0");
    }
    setenv("GTK_OVERLAY_SCROLLING", kept.c_str(), 1);
}
