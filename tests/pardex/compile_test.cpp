#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "pardex/image.h"
#include "pardex/pardex.h"
#include "pardex_test_util.h"

namespace fs = std::filesystem;

namespace {

std::string CrLf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) text.append(line).append("\r\n");
    return text;
}

// The three answers as the format describes them, assembled line by line.
const std::string kBody401 =
    "<html><title>404 Authorization Required</title><body><h1>ERROR 401 Authorization required</h1>"
    "<br>>>myZorvex Server</body></html>";
const std::string kBody404 =
    "<html><title>404 Not Found</title><body><h1>ERROR 404 Page not found</h1><br>The Page You "
    "requested was not found on the server.<br>Check the address in your browser for errors<br><br>"
    ">>myZorvex Server</body></html>";
const std::string kBody500 = CrLf({"<html><title>500 Internal Error</title><body><h1>ERROR 500 Internal Error</h1>",
                                   "An internal error occured while treating your demand<br"}) +
                             "<br>>>myZorvex Server</body></html>";
const std::string kAnswer401 = CrLf({"HTTP/1.0 401 Authorization Required", "Server: VoskSS mZorvex",
                                     "Content-Length: 129",
                                     "WWW-Authenticate: Basic realm=\"Vosk Security\"", ""}) + kBody401;
const std::string kAnswer404 =
    CrLf({"HTTP/1.0 404 Not Found", "Server: VoskSS mZorvex", "Content-Length: 215", ""}) + kBody404;
const std::string kAnswer500 =
    CrLf({"HTTP/1.0 500 Internal Error", "Server: VoskSS mZorvex", "Content-Length: 172", ""}) + kBody500;

std::string U32(std::uint32_t v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>(v >> (8 * i));
    return b;
}

std::string Header(std::uint32_t dirUnits, std::uint32_t n, std::uint32_t payload, std::uint32_t dataUnits,
                   std::uint32_t first) {
    return std::string("VOFS\x01\x01", 6) + std::string(10, '\0') + U32(dirUnits) + U32(n) +
           U32(payload) + U32(dataUnits) + U32(first) + std::string(12, '\0');
}

std::string Entry(std::string_view name, std::uint32_t start, std::uint32_t size, std::uint16_t kind) {
    std::string e(name);
    e.resize(16, '\0');
    return e + U32(start) + U32(size) + std::string(4, '\0') + char(kind) + std::string(3, '\0');
}

const std::string kVersionEntry = std::string("?VER\0\0\0\0\0\0\x01\x01", 12) + std::string(20, '\0');
const std::string kEndEntry(32, '\0');

// Every build runs with a private temp folder that must be empty again afterwards.
class CompileTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(temp_.IsEmpty()) << "a temporary file was left behind"; }

    int Build(unsigned base, unsigned flags, bool withLog = true) {
        return Compile(0, base, flags, (dir_ / "web").c_str(), image_.c_str(),
                       withLog ? log_.c_str() : nullptr);
    }
    void WriteWeb(std::string_view name, std::string_view bytes) {
        dir_.Write("web/" + std::string(name), bytes);
    }
    std::string Image() const { return ReadAll(image_); }
    std::string Log() const { return ReadAll(log_); }

    TempDir dir_;  // made before the temp folder is pointed elsewhere
    ScopedTempFolder temp_;
    fs::path image_ = dir_ / "out.rom";
    fs::path log_ = dir_ / "log.txt";
};

// Runs the build with writes past `limit` bytes of any file failing, as on a full disk.
template <typename F>
int WithFileSizeLimit(rlim_t limit, F build) {
    struct sigaction ignore {}, savedAction {};
    ignore.sa_handler = SIG_IGN;
    rlimit saved{};
    if (::sigaction(SIGXFSZ, &ignore, &savedAction) != 0 || ::getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return 1000;
    rlimit small = saved;
    small.rlim_cur = limit;
    const int result = ::setrlimit(RLIMIT_FSIZE, &small) == 0 ? build() : 1000;
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &savedAction, nullptr);
    return result;
}

}  // namespace

TEST_F(CompileTest, AnEmptyFolderGivesTheImageOfTheThreeAnswers) {
    ASSERT_EQ(kBody401.size(), 129u);  // the Content-Length values are the bodies' lengths
    ASSERT_EQ(kBody404.size(), 215u);
    ASSERT_EQ(kBody500.size(), 172u);
    fs::create_directories(dir_ / "web" / "sub");
    ASSERT_EQ(Build(0, PARDEX_COMPACT_MARKUP), 0);
    // 3 entries, 10 directory units, 260 + 286 + 248 payload bytes in 17 + 18 + 16 units.
    const std::string expected = Header(10, 3, 794, 51, 10) + kVersionEntry + Entry("401", 10, 260, 0) +
                                 Entry("404", 27, 286, 0) + Entry("500", 45, 248, 0) + kEndEntry +
                                 Padded(kAnswer401) + Padded(kAnswer404) + Padded(kAnswer500);
    ASSERT_EQ(expected.size(), 1024u);
    EXPECT_EQ(Image(), expected);

    EXPECT_EQ(Log(), "Pardex v1.0\r\n\r\n"
                     "Parsing directory " + (dir_ / "web").string() + "\r\n"
                     "Writing HTTP Message 401\n"
                     "Writing HTTP Message 404\n"
                     "Writing HTTP Message 500\n"
                     "Writing output file " + image_.string() + "...done\n"
                     "\r\n\r\n------------------------- SUMMARY ------------------------------------\r\n"
                     "Total files found          : 3\r\n"
                     "Sectors needed for FAT     : 10\r\n"
                     "Sectors needed for Data    : 51\r\n"
                     "Total Size of Flash        : 976 Bytes\r\n"
                     "----------------------------------------------------------------------\r\n"
                     "***END***");
}

TEST_F(CompileTest, OneSmallFileWithoutTheAnswers) {
    // One 20-byte file: 48 + 96 + 32 bytes.
    WriteWeb("data.bin", "0123456789abcdefghij");
    ASSERT_EQ(Build(0, PARDEX_COMPACT_MARKUP | PARDEX_NO_ANSWERS, false), 0);
    EXPECT_EQ(Image(), Header(6, 1, 20, 2, 6) + kVersionEntry + Entry("data.bin", 6, 20, 3) + kEndEntry +
                           Padded("0123456789abcdefghij"));
}

TEST_F(CompileTest, KindsBaseUnitAndCompaction) {
    WriteWeb("admin.htm", "<p>  a  </p>");
    WriteWeb("index.htm", "<p>  b  </p>");
    WriteWeb("INDEX.HTM", "<p>  c  </p>");  // ".htm" is matched with its case: kept as is
    WriteWeb("s.css", "p  {  }");
    WriteWeb("empty.htm", "");  // takes no unit
    ASSERT_EQ(Build(100, PARDEX_COMPACT_MARKUP | PARDEX_NO_ANSWERS), 0);
    // Same letters: upper case first. Base unit 100 + 14 directory units.
    EXPECT_EQ(Image(), Header(14, 5, 35, 4, 114) + kVersionEntry + Entry("admin.htm", 114, 9, 2) +
                           Entry("empty.htm", 115, 0, 3) + Entry("INDEX.HTM", 115, 12, 3) +
                           Entry("index.htm", 116, 9, 3) + Entry("s.css", 117, 5, 3) + kEndEntry +
                           Padded("<p>a </p>") + Padded("<p>  c  </p>") + Padded("<p>b </p>") +
                           Padded("p { }"));
    EXPECT_NE(Log().find("File : admin.htm, size  : 12\n         ==>Optimized size : 9\n\n"),
              std::string::npos);

    // Without flag bit 0 nothing is compacted.
    ASSERT_EQ(Build(0, PARDEX_NO_ANSWERS), 0);
    EXPECT_EQ(Le32(Image(), 48 + 32 + 20), 12u);
    EXPECT_EQ(Log().find("Optimized"), std::string::npos);
}

TEST_F(CompileTest, WarningsAreNotCombinedTheLastOneStands) {
    WriteWeb("big.bin", std::string(70000, 'x'));
    WriteWeb("aaaaaaaaaaaaaaaaa", "seventeen bytes");  // before big.bin: the size warning comes last
    EXPECT_EQ(Build(0, PARDEX_NO_ANSWERS), PARDEX_WARN_SIZE_LIMIT);
    EXPECT_NE(Log().find("Filename aaaaaaaaaaaaaaaaa exceeds 16 characters.Skipped\n"), std::string::npos);
    EXPECT_NE(Log().find("Warning, file big.bin exceeds 16 bit size limit!\n"), std::string::npos);
    EXPECT_EQ(Le32(Image(), 20), 1u);
    EXPECT_EQ(Image().size(), 48u + 96u + 70000u);  // still stored

    WriteWeb("zzzzzzzzzzzzzzzzz", "after big.bin");
    EXPECT_EQ(Build(0, PARDEX_NO_ANSWERS), PARDEX_WARN_SKIPPED);

    // A 16-byte name fills the field without a terminator and is kept.
    WriteWeb("abcdefghijklmnop", "16");
    EXPECT_EQ(Build(0, PARDEX_NO_ANSWERS), PARDEX_WARN_SKIPPED);
    EXPECT_EQ(Image().substr(48 + 32, 16), "abcdefghijklmnop");
}

TEST_F(CompileTest, AStartBeyondSixteenBitsWarnsLast) {
    WriteWeb("a.bin", std::string(1100000, 'a'));  // 68750 units
    WriteWeb("b.bin", "b");
    WriteWeb("c.bin", std::string(65535, 'c'));  // not above the size limit
    EXPECT_EQ(Build(0, 0), PARDEX_WARN_START_LIMIT);
    const std::string log = Log();
    EXPECT_EQ(log.find("file c.bin exceeds"), std::string::npos);
    EXPECT_NE(log.find("Warning, file a.bin exceeds 16 bit size limit!\n"), std::string::npos);
    EXPECT_EQ(log.find("Warning, file a.bin start address"), std::string::npos);
    EXPECT_NE(log.find("Warning, file b.bin start address exceeds 16 bit size limit!\n"), std::string::npos);
    EXPECT_NE(log.find("Warning, file 500 start address exceeds 16 bit size limit!\n"), std::string::npos);
    EXPECT_EQ(Le32(Image(), 48 + 64 + 16), 16u + 68750u);  // b.bin
}

TEST_F(CompileTest, AFileThatCannotBeOpenedIsSkipped) {
    WriteWeb("good.htm", "ok");
    WriteWeb("locked.htm", "secret");
    ::chmod((dir_ / "web" / "locked.htm").c_str(), 0);
    if (::access((dir_ / "web" / "locked.htm").c_str(), R_OK) == 0) {
        // Running with privileges: a file of the kernel's that even they cannot read.
        fs::remove(dir_ / "web" / "locked.htm");
        ASSERT_EQ(::access("/proc/sys/vm/drop_caches", R_OK), -1) << "no unreadable file available";
        fs::create_symlink("/proc/sys/vm/drop_caches", dir_ / "web" / "locked.htm");
    }
    EXPECT_EQ(Build(0, PARDEX_NO_ANSWERS), PARDEX_WARN_SKIPPED);
    EXPECT_NE(Log().find("File : locked.htm, size  : "), std::string::npos);
    EXPECT_NE(Log().find("Error opening File locked.htm - skipped.\n"), std::string::npos);
    EXPECT_EQ(Le32(Image(), 20), 1u);
    EXPECT_EQ(Image().substr(48 + 32, 8), std::string("good.htm"));
}

TEST(ReadListedFile, RefusesWhatCannotBeReadInFull) {
    TempDir dir;
    dir.Write("ten.bin", "0123456789");
    EXPECT_EQ(pardex::ReadListedFile(dir / "ten.bin", 10), Bytes("0123456789"));
    EXPECT_EQ(pardex::ReadListedFile(dir / "ten.bin", 4), Bytes("0123"));  // grew since the listing
    EXPECT_FALSE(pardex::ReadListedFile(dir / "ten.bin", 11));              // shrank since the listing
    EXPECT_FALSE(pardex::ReadListedFile(dir / "gone.bin", 1));
    EXPECT_FALSE(pardex::ReadListedFile(dir.Path(), 0));                    // no regular file
    EXPECT_FALSE(pardex::ReadListedFile(dir / "ten.bin", 0x100000000ull));  // too large for an entry
    EXPECT_EQ(pardex::ReadListedFile(dir / "ten.bin", 0), std::vector<std::uint8_t>{});
}

TEST_F(CompileTest, FailuresBeforeTheImageIsWrittenLeaveNoImage) {
    // A folder that cannot be listed: only the banner in the log.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Build(0, 0), PARDEX_ERR_FOLDER);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No Files in Directory or Directory not found\r\n");
    EXPECT_EQ(Log(), "Pardex v1.0\r\n\r\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Compile(0, 0, 0, "", image_.c_str(), nullptr), PARDEX_ERR_FOLDER);
    EXPECT_EQ(Compile(0, 0, 0, nullptr, image_.c_str(), nullptr), PARDEX_ERR_FOLDER);
    testing::internal::GetCapturedStdout();

    WriteWeb("a.htm", "a");
    EXPECT_EQ(Compile(0, 0, 0, (dir_ / "web").c_str(), image_.c_str(), (dir_ / "no" / "log.txt").c_str()),
              PARDEX_ERR_LOG);
    EXPECT_FALSE(fs::exists(image_));

    const fs::path unreachable = dir_ / "missing" / "out.rom";
    testing::internal::CaptureStdout();
    EXPECT_EQ(Compile(0, 0, 0, (dir_ / "web").c_str(), unreachable.c_str(), log_.c_str()), PARDEX_ERR_IMAGE);
    EXPECT_EQ(Compile(0, 0, 0, (dir_ / "web").c_str(), nullptr, nullptr), PARDEX_ERR_IMAGE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error opening outputfile " + unreachable.string() + ".\nError opening outputfile .\n");
    EXPECT_EQ(Log().find("Writing output file"), std::string::npos);

    temp_.PointAt(dir_ / "no-such-folder");
    EXPECT_EQ(Build(0, 0), PARDEX_ERR_TEMP);
    EXPECT_NE(Log().find("Error creating temporary output file\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(image_));
}

TEST_F(CompileTest, AWriteThatFailsIsAnErrorNotATruncatedImage) {
    WriteWeb("a.bin", std::string(20000, 'a'));
    // The temporary data cannot be written.
    EXPECT_EQ(WithFileSizeLimit(4096, [&] { return Build(0, 0, false); }), PARDEX_ERR_TEMP);
    EXPECT_FALSE(fs::exists(image_));

    // The data fits in the temporary file, the whole image does not: the partial image goes, whether
    // the write fails on closing or on the way (a long directory).
    dir_.Write("out.rom", "an older image");
    EXPECT_EQ(WithFileSizeLimit(20100, [&] { return Build(0, PARDEX_NO_ANSWERS, false); }),
              PARDEX_ERR_IMAGE);
    EXPECT_FALSE(fs::exists(image_));
    fs::remove(dir_ / "web" / "a.bin");
    for (int i = 100; i < 300; ++i) WriteWeb(std::to_string(i), "x");
    EXPECT_EQ(WithFileSizeLimit(4096, [&] { return Build(0, PARDEX_NO_ANSWERS, false); }), PARDEX_ERR_IMAGE);
    EXPECT_FALSE(fs::exists(image_));

    // A full disk; only a regular file is removed after a failure.
    ASSERT_TRUE(fs::exists("/dev/full"));
    image_ = "/dev/full";
    EXPECT_EQ(Build(0, 0), PARDEX_ERR_IMAGE);
    EXPECT_NE(Log().find("Writing output file /dev/full...failed\n"), std::string::npos);
    EXPECT_EQ(Log().find("SUMMARY"), std::string::npos);
    EXPECT_TRUE(fs::exists("/dev/full"));
}
