#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pardex/pardex.h"
#include "pardex_test_util.h"

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
    std::vector<char> block(65535);
    for (int n; (n = Read(block.data(), 65535)) > 0;) out.append(block.data(), static_cast<std::size_t>(n));
    return out;
}

}  // namespace

TEST_F(ReaderTest, OpensAnImageAtItsDirectoryOneImageAtATime) {
    const std::string bytes = ImageBytes("VOFS", 100);
    dir_.Write("a.rom", bytes);
    dir_.Write("b.rom", std::string("VOFS") + std::string(44, '\0') + "second");
    unsigned char header[48] = {};
    ASSERT_EQ(Open((dir_ / "a.rom").c_str(), header), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 48), bytes.substr(0, 48));
    EXPECT_EQ(ReadRest(), bytes.substr(48));
    EXPECT_EQ(Close(), 0);
    EXPECT_EQ(Read(header, 10), 0);  // nothing open
    EXPECT_EQ(Close(), 0);

    // Without a header area the image is still opened and positioned; opening another closes it.
    ASSERT_EQ(Open((dir_ / "a.rom").c_str(), nullptr), 0);
    ASSERT_EQ(Open((dir_ / "b.rom").c_str(), nullptr), 0);
    EXPECT_EQ(ReadRest(), "second");
}

TEST_F(ReaderTest, RefusesWhatIsNoImageAndLeavesNothingOpen) {
    dir_.Write("good.rom", ImageBytes("VOFS", 60));
    dir_.Write("wrong.rom", ImageBytes("VOFX", 100));
    dir_.Write("short.rom", ImageBytes("VOFS", 47));
    dir_.Write("empty.rom", "");
    const struct {
        std::string path;
        int result;
    } cases[] = {{(dir_ / "wrong.rom").string(), PARDEX_ERR_NOT_IMAGE},
                 {(dir_ / "short.rom").string(), PARDEX_ERR_NOT_IMAGE},
                 {(dir_ / "empty.rom").string(), PARDEX_ERR_NOT_IMAGE},
                 {(dir_ / "missing.rom").string(), PARDEX_ERR_OPEN},
                 {dir_.Path().string(), PARDEX_ERR_OPEN}};
    char buffer[16];
    for (const auto& c : cases) {
        ASSERT_EQ(Open((dir_ / "good.rom").c_str(), nullptr), 0);
        EXPECT_EQ(Open(c.path.c_str(), buffer), c.result) << c.path;
        EXPECT_EQ(Read(buffer, sizeof buffer), 0) << c.path;  // the good one was closed too
    }
    EXPECT_EQ(Open(nullptr, buffer), PARDEX_ERR_OPEN);
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
