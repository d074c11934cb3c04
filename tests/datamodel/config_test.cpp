#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>

#include "datamodel/config.h"
#include "datamodel/files.h"
#include "support/temp_dir.h"

namespace {

struct ConfigFixture : ::testing::Test {
    ConfigFixture() { config.SetFolder(dir.Path()); }
    bool LoadText(const std::string& text) {
        dir.Write("config.xml", text);
        return config.Load();
    }
    // A second settings object over the same folder, as at the next start.
    CConfig Reloaded() {
        CConfig again;
        again.SetFolder(dir.Path());
        EXPECT_TRUE(again.Load()) << again.GetError();
        return again;
    }
    TempDir dir;
    CConfig config;
};

const char* const kSample =
    "<config>\n\t<oem>\n\t\t<icono></icono>\n\t\t<nom-programa></nom-programa>\n\t</oem>\n"
    "\t<ini>\n\t\t<ultim>c:\\inst\\casa.voski</ultim>\n\t\t<ultim>/home/ana/tienda.voski</ultim>\n\t</ini>\n"
    "\t<conexions>\n\t\t<local>\n\t\t\t<B>2</B>\n\t\t\t<baud>19200</baud>\n\t\t\t<portcom>1</portcom>\n"
    "\t\t</local>\n\t\t<modem-gsm>\n\t\t\t<ATOk>OK</ATOk>\n\t\t</modem-gsm>\n\t</conexions>\n</config>\n";

}  // namespace

TEST_F(ConfigFixture, SaveWritesTheExactLayoutAndReadsItBack) {
    EXPECT_EQ(config.ToXml(),
              "<config>\n\t<oem>\n\t</oem>\n\t<ini>\n\t</ini>\n\t<conexions>\n\t</conexions>\n</config>\n");
    config.SetTipusConexio(3);
    config.SetParam("ATOk", "OK");
    config.SetTipusConexio(1);
    config.SetParam("portcom", "1");
    config.SetParam("baud", "19200");
    config.SetParam("B", "2");  // keys sorted byte-wise: upper case first
    config.AddUltim("/home/ana/tienda.voski");
    config.AddUltim("c:\\inst\\casa.voski");
    config.GetOem("nom-programa");  // a missing key is added and written
    config.GetOem("icono");
    ASSERT_TRUE(config.Save()) << config.GetError();
    EXPECT_EQ(dir.Read("config.xml"), kSample);

    // Read with CR LF and keys out of order, it is written back in the same layout, twice alike.
    std::string shuffled = kSample;
    shuffled.replace(shuffled.find("\t\t\t<B>2</B>\n"), 12, "");
    shuffled.insert(shuffled.find("\t\t</local>"), "\t\t\t<B>2</B>\n");
    for (std::size_t at = 0; (at = shuffled.find('\n', at)) != std::string::npos; at += 2) shuffled.insert(at, "\r");
    dir.Write("config.xml", shuffled);
    CConfig again = Reloaded();
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(dir.Read("config.xml"), kSample);
    ASSERT_TRUE(Reloaded().Save());
    EXPECT_EQ(dir.Read("config.xml"), kSample);
}

TEST_F(ConfigFixture, ReadingRule) {
    ASSERT_TRUE(LoadText(
        "<config><oem><nom-programa>A</nom-programa><nom-programa>B</nom-programa></oem>"
        "<stray>no</stray><ini><ultim>1</ultim><otro>x</otro><ultim>2</ultim><ultim>3</ultim>"
        "<ultim>4</ultim><ultim>5</ultim></ini>"
        "<conexions><perdido>1</perdido><modem><ATOk>OK</ATOk></modem><tras>t</tras></conexions>"
        "<otra><clave>v</clave></otra><vacia>\t</vacia></config>"));
    EXPECT_EQ(config.GetOem("nom-programa"), "B");  // a later entry replaces an earlier one
    for (int i = 0; i < 4; ++i) EXPECT_EQ(config.GetUltim(i), std::to_string(i + 1));
    EXPECT_EQ(config.GetUltim(4), "");
    EXPECT_EQ(config.GetUltim(-1), "");
    EXPECT_EQ(config.GetTipusConexio(), 0);
    config.SetTipusConexio(2);
    // Leaves inside conexions go to the last selected map, also after it closed.
    EXPECT_EQ(config.GetParam("ATOk"), "OK");
    EXPECT_EQ(config.GetParam("tras"), "t");
    for (int kind : {1, 3, 4}) {
        config.SetTipusConexio(kind);
        EXPECT_EQ(config.GetParam("perdido"), "") << kind;
    }
    // A leaf belongs to the most recent section with children, not to its parent.
    EXPECT_EQ(config.GetOem("stray"), "no");
    // Leaves of unknown sections and empty sections are ignored.
    EXPECT_EQ(config.ToXml().find("clave"), std::string::npos);
    EXPECT_EQ(config.ToXml().find("vacia"), std::string::npos);
}

TEST_F(ConfigFixture, MarkupInValuesIsEscapedAndReadBack) {
    config.SetTipusConexio(2);
    config.SetParam("ATIniciar", "AT&F<1>");
    config.AddUltim("/tmp/a<b>&c.voski");
    config.SetTipusConexio(1);
    config.SetParam("portcom", "Café é");  // cp1252 bytes pass unchanged
    ASSERT_TRUE(config.Save());
    const std::string text = dir.Read("config.xml");
    EXPECT_NE(text.find("<ATIniciar>AT&amp;F&lt;1&gt;</ATIniciar>"), std::string::npos);
    EXPECT_NE(text.find("<portcom>Café é</portcom>"), std::string::npos);
    CConfig again = Reloaded();
    again.SetTipusConexio(2);
    EXPECT_EQ(again.GetParam("ATIniciar"), "AT&F<1>");
    EXPECT_EQ(again.GetUltim(0), "/tmp/a<b>&c.voski");
    again.SetTipusConexio(1);
    EXPECT_EQ(again.GetParam("portcom"), "Café é");
}

TEST_F(ConfigFixture, MissingKeysAreAddedOnlyToALinkMap) {
    ASSERT_TRUE(LoadText("<config><oem></oem><ini></ini><conexions></conexions></config>"));
    config.SetTipusConexio(2);
    EXPECT_EQ(config.GetParam("portcom"), "");
    EXPECT_NE(config.ToXml().find("\t\t<modem>\n\t\t\t<portcom></portcom>\n\t\t</modem>\n"), std::string::npos);
    // Kinds without a map: nothing read, nothing added, nothing set.
    for (int kind : {0, 5, 6, -1}) {
        config.SetTipusConexio(kind);
        EXPECT_EQ(config.GetTipusConexio(), kind);
        EXPECT_EQ(config.GetParam("baud"), "");
        EXPECT_FALSE(config.SetParam("baud", "9600"));
    }
    EXPECT_EQ(config.ToXml().find("baud"), std::string::npos);
}

TEST(Config, RecentFilesAndClear) {
    CConfig config;
    config.AddUltim("a");
    config.AddUltim("a");
    EXPECT_EQ(config.GetUltim(1), "");
    for (const char* path : {"b", "c", "d"}) config.AddUltim(path);  // d c b a
    config.AddUltim("c");                                            // c d b a
    config.AddUltim("e");                                            // e c d b: the oldest goes
    config.AddUltim("b");                                            // b e c d: the last moves up
    config.AddUltim("E");                                            // compared exactly
    const char* expected[] = {"E", "b", "e", "c"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(config.GetUltim(i), expected[i]) << i;
    config.AddUltim(config.GetUltim(2));  // reopened from the list itself: e E b c
    const char* reopened[] = {"e", "E", "b", "c"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(config.GetUltim(i), reopened[i]) << i;

    config.SetTipusConexio(1);
    config.SetParam("portcom", "3");
    config.GetOem("icono");
    config.Clear();
    EXPECT_EQ(config.GetUltim(0), "");
    EXPECT_EQ(config.GetTipusConexio(), 0);
    EXPECT_NE(config.ToXml().find("<icono></icono>"), std::string::npos);  // branding stays
    EXPECT_EQ(config.ToXml().find("portcom"), std::string::npos);
}

TEST_F(ConfigFixture, LoadFailures) {
    config.SetTipusConexio(1);
    config.SetParam("portcom", "4");
    EXPECT_FALSE(config.Load());  // no file: the settings stay as they were
    EXPECT_EQ(config.GetError(), "No se pudo abrir el fichero para lectura: \nconfig.xml\nNo existe el fichero o la carpeta.");
    EXPECT_EQ(config.GetParam("portcom"), "4");

    for (const char* text : {"", "texto", "<config><oem>", "<?xml version=\"1.0\"?><config></config>"}) {
        EXPECT_FALSE(LoadText(text)) << text;
        EXPECT_EQ(config.GetError(), "Formato XML incorrecto");
    }
    // What was read before the fault stays; the maps were cleared before reading.
    EXPECT_FALSE(LoadText("<config><ini><ultim>a</ultim></ini><conexions><local><baud>9600</baud>"
                          "</local></conexions><oem><x></oem></config>"));
    EXPECT_EQ(config.GetUltim(0), "a");
    config.SetTipusConexio(1);
    EXPECT_EQ(config.GetParam("baud"), "9600");
    EXPECT_EQ(config.GetParam("portcom"), "");
    // A comment at the end of the file is accepted.
    EXPECT_TRUE(LoadText("<config><ini><ultim>x</ultim></ini></config>\n<!-- fin -->\n"));
}

TEST_F(ConfigFixture, AFileThatCouldNotBeReadIsKeptAsBackupBeforeTheFirstSave) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"malformed", "<config><oem><empresa>ACME</empresa></oem><conexions><modem>"
                      "<ATOk>OK</ATOk><ATRing>RING</AtRing></modem></conexions></config>"},
        // Over the 1 MB cap: refused at start, so the settings in use are empty.
        {"too large", "<config><oem><empresa>ACME</empresa><a>" + std::string(1024 * 1024, 'x') +
                          "</a></oem></config>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir / "config.xml.bak");
        EXPECT_FALSE(LoadText(c.text));
        config.AddUltim("nuevo.voski");
        ASSERT_TRUE(config.Save()) << config.GetError();
        EXPECT_EQ(dir.Read("config.xml.bak"), c.text);
        EXPECT_EQ(Reloaded().GetUltim(0), "nuevo.voski");
        // Only before the first save: a later save leaves the backup alone.
        dir.Write("config.xml.bak", "mine");
        ASSERT_TRUE(config.Save());
        EXPECT_EQ(dir.Read("config.xml.bak"), "mine");
    }
    // What a malformed file held before the fault is still in use.
    EXPECT_FALSE(LoadText(cases[0].text));
    EXPECT_EQ(config.GetOem("empresa"), "ACME");
    ASSERT_TRUE(config.Save());
    // A load that succeeds, or finds no file, needs no backup.
    std::filesystem::remove(dir / "config.xml.bak");
    ASSERT_TRUE(config.Load());
    ASSERT_TRUE(config.Save());
    std::filesystem::remove(dir / "config.xml");
    EXPECT_FALSE(config.Load());
    ASSERT_TRUE(config.Save());
    EXPECT_FALSE(std::filesystem::exists(dir / "config.xml.bak"));
}

TEST_F(ConfigFixture, SaveFailureKeepsTheOldFile) {
    CConfig other;
    other.SetFolder(dir / "no-such-folder");
    EXPECT_FALSE(other.Save());
    EXPECT_EQ(other.GetError(),
              "No se pudo abrir el fichero para escritura: \nconfig.xml\nNo existe el fichero o la carpeta.");
    // A malformed file whose backup cannot be written is not overwritten either.
    ASSERT_FALSE(LoadText("<config>"));
    std::filesystem::create_directory(dir / "config.xml.bak");
    dir.Write("config.xml.bak/x", "keeps the folder non-empty");
    EXPECT_FALSE(config.Save());
    // Keeping the backup is part of writing the settings.
    EXPECT_EQ(config.GetError(), "No se pudo escribir el fichero: \nconfig.xml.bak\nEs una carpeta, no un fichero.");
    EXPECT_EQ(dir.Read("config.xml"), "<config>");

    // The unread file was moved aside but the new one could not be written: it goes back to its
    // place, and the next save keeps it.
    std::filesystem::remove_all(dir / "config.xml.bak");
    struct FailingRename final : SaveCalls {
        int Rename(const char*, const char*) override {
            errno = EIO;
            return -1;
        }
    } failing;
    SetSaveCalls(&failing);
    EXPECT_FALSE(config.Save());
    SetSaveCalls(nullptr);
    EXPECT_EQ(config.GetError(), "No se pudo escribir el fichero: \nconfig.xml\nError de entrada/salida del disco.");
    EXPECT_EQ(dir.Read("config.xml"), "<config>");
    EXPECT_FALSE(std::filesystem::exists(dir / "config.xml.bak"));
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(dir.Read("config.xml.bak"), "<config>");
}

TEST_F(ConfigFixture, ASettingsFileThatIsNoneIsRefusedWithoutWaiting) {
    const struct {
        const char* what;
        std::string error;
    } cases[] = {
        {"pipe", "No se pudo abrir el fichero para lectura: \nconfig.xml\n"
                 "No es un fichero normal (es un dispositivo, una tubería o un socket)."},
        {"large", "No se pudo abrir el fichero para lectura: \nconfig.xml\n"
                  "El fichero es demasiado grande: ocupa más de 1 MB y no puede ser un fichero de este tipo."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir / "config.xml");
        if (std::string(c.what) == "pipe") {
            ASSERT_EQ(mkfifo((dir / "config.xml").c_str(), 0600), 0);
        } else {
            dir.Write("config.xml", "<config><oem><a>" + std::string(1024 * 1024, 'x') + "</a></oem></config>");
        }
        EXPECT_FALSE(config.Load());
        EXPECT_EQ(config.GetError(), c.error);
    }
}

TEST_F(ConfigFixture, KeysThatCannotStandAsTagsAreNotWritten) {
    // A self-closing entry leaves a key ending in '/', a tag name may hold control bytes, and an
    // entry may bear a section's name: written back, each would read as another key or make the
    // file unreadable.
    ASSERT_TRUE(LoadText("<config><oem><icono//>x</icono//><a\x01b>y</a\x01b><ultim>z</ultim><empresa>E</empresa></oem><ini><ultim>a</ultim></ini>"
                         "<conexions><local><baud>1</baud></local></conexions></config>"));
    const std::string text = config.ToXml();
    EXPECT_EQ(text, "<config>\n\t<oem>\n\t\t<empresa>E</empresa>\n\t</oem>\n\t<ini>\n\t\t<ultim>a</ultim>\n\t</ini>\n"
                    "\t<conexions>\n\t\t<local>\n\t\t\t<baud>1</baud>\n\t\t</local>\n\t</conexions>\n</config>\n");
    dir.Write("config.xml", text);
    EXPECT_EQ(Reloaded().ToXml(), text);
}

// One recent entry per file, whatever its spelling: entries are compared by their absolute,
// normalised paths, a relative one taken from the settings' folder (not the working folder).
TEST_F(ConfigFixture, OneRecentEntryPerFile) {
    // The shipped settings, beside the program, list the sample relative to it.
    std::string shipped;
    {
        std::ifstream in(std::filesystem::path(ORVANE_SOURCE_DIR) / "samples" / "config.xml", std::ios::binary);
        shipped.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_NE(shipped.find("<ultim>samples/ejemplo.voski</ultim>"), std::string::npos);
    std::filesystem::create_directories(dir / "samples");
    dir.Write("samples/ejemplo.voski", "x");
    std::filesystem::create_directory_symlink(dir / "samples", dir / "enlace");
    ASSERT_TRUE(LoadText(shipped));
    const std::string sample = (dir.Path() / "samples" / "ejemplo.voski").string();
    const std::string other = (dir.Path() / "otra.voski").string();
    struct Step {
        std::string add;
        std::vector<std::string> list;  // newest first
    } steps[] = {
        {sample, {sample}},  // opened through the file dialog: the same file, under its new name
        {"samples/ejemplo.voski", {"samples/ejemplo.voski"}},
        {other, {other, "samples/ejemplo.voski"}},
        {"./samples/../samples/ejemplo.voski", {"./samples/../samples/ejemplo.voski", other}},
        {"enlace/ejemplo.voski", {"enlace/ejemplo.voski", other}},  // a link to the same folder
        {"otra.voski", {"otra.voski", "enlace/ejemplo.voski"}},      // not yet on disk
        {"Otra.voski", {"Otra.voski", "otra.voski", "enlace/ejemplo.voski"}},  // names differ in case
    };
    for (const Step& s : steps) {
        config.AddUltim(s.add);
        for (std::size_t i = 0; i <= s.list.size(); ++i)
            EXPECT_EQ(config.GetUltim(static_cast<int>(i)), i < s.list.size() ? s.list[i] : "") << s.add << " @" << i;
    }

    // A file that lists one file twice keeps the first entry; the four-entry limit counts files.
    ASSERT_TRUE(LoadText("<config><ini><ultim>" + sample + "</ultim><ultim>a</ultim><ultim>samples/ejemplo.voski</ultim>"
                         "<ultim>b</ultim><ultim>c</ultim><ultim>d</ultim></ini></config>"));
    const char* kept[] = {sample.c_str(), "a", "b", "c"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(config.GetUltim(i), kept[i]) << i;
}
