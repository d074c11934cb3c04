#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "pardex/compact.h"
#include "pardex/image.h"
#include "pardex/pardex.h"
#include "pardex_test_util.h"

namespace fs = std::filesystem;

namespace {

// Every test starts and ends with no image open.
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { Close(); }
    void TearDown() override { Close(); }
    TempDir dir_;
};

std::string ImageBytes(std::string_view magic, std::size_t size) {
    std::string bytes(size, '\x5A');
    bytes.replace(0, std::min(magic.size(), size), magic.substr(0, std::min(magic.size(), size)));
    return bytes;
}

// Reads everything left in the open image, in calls of at most 65535 bytes.
std::string ReadRest() {
    std::string out;
    char block[65535];
    for (int n; (n = Read(block, sizeof block)) > 0;) out.append(block, static_cast<std::size_t>(n));
    return out;
}

}  // namespace

TEST_F(ReaderTest, OpensAnImageAtItsDirectory) {
    const std::string bytes = ImageBytes("VOFS", 100);
    dir_.Write("a.rom", bytes);
    unsigned char header[48];
    std::memset(header, 0, sizeof header);
    ASSERT_EQ(Open((dir_ / "a.rom").c_str(), header), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 48), bytes.substr(0, 48));
    EXPECT_EQ(ReadRest(), bytes.substr(48));
    EXPECT_EQ(Close(), 0);
    EXPECT_EQ(Read(header, 10), 0);  // nothing open
    EXPECT_EQ(Close(), 0);

    // Without a header area the image is still opened and positioned.
    ASSERT_EQ(Open((dir_ / "a.rom").c_str(), nullptr), 0);
    char first[4];
    EXPECT_EQ(Read(first, 4), 4);
    EXPECT_EQ(std::string(first, 4), bytes.substr(48, 4));
}

TEST_F(ReaderTest, RefusesWhatIsNoImage) {
    dir_.Write("wrong.rom", ImageBytes("VOFX", 100));
    dir_.Write("short.rom", ImageBytes("VOFS", 47));
    dir_.Write("empty.rom", "");
    char buffer[16];
    for (const char* name : {"wrong.rom", "short.rom", "empty.rom"}) {
        EXPECT_EQ(Open((dir_ / name).c_str(), buffer), PARDEX_ERR_NOT_IMAGE) << name;
        EXPECT_EQ(Read(buffer, sizeof buffer), 0) << name;  // nothing was left open
    }
    EXPECT_EQ(Open((dir_ / "missing.rom").c_str(), buffer), PARDEX_ERR_OPEN);
    EXPECT_EQ(Open(dir_.Path().c_str(), buffer), PARDEX_ERR_OPEN);
    EXPECT_EQ(Open(nullptr, buffer), PARDEX_ERR_OPEN);
}

TEST_F(ReaderTest, OpeningAgainClosesTheFirstImage) {
    dir_.Write("a.rom", ImageBytes("VOFS", 60));
    dir_.Write("b.rom", std::string("VOFS") + std::string(44, '\0') + "second");
    ASSERT_EQ(Open((dir_ / "a.rom").c_str(), nullptr), 0);
    ASSERT_EQ(Open((dir_ / "b.rom").c_str(), nullptr), 0);
    EXPECT_EQ(ReadRest(), "second");
    // A failed open also leaves nothing open.
    ASSERT_EQ(Open((dir_ / "a.rom").c_str(), nullptr), 0);
    EXPECT_EQ(Open((dir_ / "missing.rom").c_str(), nullptr), PARDEX_ERR_OPEN);
    char c;
    EXPECT_EQ(Read(&c, 1), 0);
}

TEST_F(ReaderTest, ReadTakesTheCountModulo65536) {
    dir_.Write("big.rom", ImageBytes("VOFS", 48 + 70000));
    ASSERT_EQ(Open((dir_ / "big.rom").c_str(), nullptr), 0);
    std::vector<char> buffer(70000);
    EXPECT_EQ(Read(buffer.data(), 65536), 0);
    EXPECT_EQ(Read(buffer.data(), 65537), 1);
    EXPECT_EQ(Read(buffer.data(), 65535), 65535);
    EXPECT_EQ(Read(buffer.data(), 65535), 70000 - 65536);
    EXPECT_EQ(Read(buffer.data(), 10), 0);
    EXPECT_EQ(Read(nullptr, 10), 0);
}

TEST_F(ReaderTest, RoundTripOfAWebFolder) {
    ScopedTempFolder temp;
    const std::string index =
        "<html>\n  <head>\n    <link rel=\"stylesheet\" href=\"estilo.css\">\n  </head>\n"
        "  <body>\n    <!-- cabecera -->\n    <h1>Central   de alarma</h1>\n"
        "    <p>Estado\nde las zonas</p>\n  </body>\n</html>\n";
    const std::string css = "body {\n  color: #333;\n}\n/* fin */\n";
    std::string gif = "GIF89a";
    for (int i = 0; i < 256; ++i) gif += static_cast<char>(i);
    std::string jpg;
    for (int i = 0; i < 5000; ++i) jpg += static_cast<char>((i * 7919) >> 3);
    const std::string senal = "<p>Se\xC3\xB1" "al   d\xC3\xA9" "bil</p>";
    const std::map<std::string, std::string> files = {
        {"index.htm", index},     {"estilo.css", css}, {"logo.gif", gif},
        {"foto.jpg", jpg},        {"se\xC3\xB1" "al.htm", senal},
        {"admin.htm", "<b>admin</b>"}, {"vac\xC3\xAD" "o.txt", ""}};
    for (const auto& [name, bytes] : files) dir_.Write("web/" + name, bytes);
    dir_.Write("web/img/dentro.gif", "GIF89a");  // inside a sub-folder: not listed

    ASSERT_EQ(Compile(0, 0, PARDEX_COMPACT_MARKUP, (dir_ / "web").c_str(), (dir_ / "web.rom").c_str(),
                      (dir_ / "log.txt").c_str()),
              0);

    FlashImageHeader header{};
    ASSERT_EQ(Open((dir_ / "web.rom").c_str(), &header), 0);
    EXPECT_EQ(std::string(header.magic, 4), "VOFS");
    EXPECT_EQ(header.versionMajor, 1);
    EXPECT_EQ(header.versionMinor, 1);
    ASSERT_EQ(header.entryCount, 10u);
    EXPECT_EQ(header.directoryUnits, 24u);
    EXPECT_EQ(header.firstDataUnit, 24u);

    std::string directory((header.entryCount + 2) * 32, '\0');
    ASSERT_EQ(Read(directory.data(), static_cast<unsigned>(directory.size())),
              static_cast<int>(directory.size()));
    const std::string data = ReadRest();
    EXPECT_EQ(Close(), 0);
    ASSERT_EQ(data.size(), header.dataUnits * 16u);

    const std::vector<std::string> order = {"admin.htm", "estilo.css", "foto.jpg", "index.htm", "logo.gif",
                                            "se\xC3\xB1" "al.htm", "vac\xC3\xAD" "o.txt", "401", "404", "500"};
    std::uint64_t payload = 0;
    std::uint32_t expectedStart = header.firstDataUnit;
    for (std::size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]);
        const auto raw = reinterpret_cast<const std::uint8_t*>(directory.data()) + (i + 1) * 32;
        const FlashDirEntry entry = pardex::DecodeEntry(std::span<const std::uint8_t, 32>(raw, 32));
        EXPECT_EQ(std::string(entry.name, strnlen(entry.name, 16)), order[i]);
        std::string expected;
        std::uint16_t kind = 3;
        if (i < 7) {
            expected = files.at(order[i]);
            if (order[i].find(".htm") != std::string::npos || order[i].find(".css") != std::string::npos)
                expected = Text(pardex::CompactMarkup(Bytes(expected)));
            if (order[i] == "admin.htm") kind = 2;
        } else {
            expected = std::string(pardex::BuiltInAnswers()[i - 7].text);
            kind = 0;
        }
        EXPECT_EQ(entry.kind, kind);
        EXPECT_EQ(entry.startUnit, expectedStart);
        ASSERT_EQ(entry.size, expected.size());
        const std::size_t offset = (entry.startUnit - header.firstDataUnit) * 16u;
        const std::size_t units = (expected.size() + 15) / 16;
        EXPECT_EQ(data.substr(offset, expected.size()), expected);
        EXPECT_EQ(data.substr(offset + expected.size(), units * 16 - expected.size()),
                  std::string(units * 16 - expected.size(), '\0'));
        expectedStart += static_cast<std::uint32_t>(units);
        payload += expected.size();
    }
    EXPECT_EQ(header.payloadBytes, payload);
    EXPECT_EQ(directory.substr((order.size() + 1) * 32), std::string(32, '\0'));
    EXPECT_EQ(Text(pardex::CompactMarkup(Bytes(index))).find("cabecera"), std::string::npos);
    EXPECT_NE(Text(pardex::CompactMarkup(Bytes(index))).find("Estado de las zonas"), std::string::npos);
    EXPECT_TRUE(temp.IsEmpty());
}
