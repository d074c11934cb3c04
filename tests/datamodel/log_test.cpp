#include <gtest/gtest.h>

#include "datamodel/log.h"
#include "support/capture_log_sink.h"
#include "support/virtual_clock.h"

namespace {
struct LogFixture : ::testing::Test {
    LogFixture() : log(&sink, &clock) { clock.SetNow(LocalTime{2026, 3, 4, 9, 5, 7}); }
    CaptureLogSink sink;
    VirtualClock clock;
    CLog log;
};
}  // namespace

TEST_F(LogFixture, StampsStartOnlyLinesEndedByTextOrTrace) {
    const unsigned char frame[] = {0x16, 0x0A, 0xFF, 0x00};
    log.LogLine("Conectando");
    log.LogChar('>');
    log.LogChar('<');
    log.LogHex(frame, sizeof frame);  // one stamped line: both characters, then the bytes
    log.LogHex(nullptr, 0);           // a bare line end
    log.LogChar('a');
    log.LogChar('\n');  // a line feed written as a character starts no new stamp
    EXPECT_FALSE(log.AtLineStart());
    clock.SetNow(LocalTime{2026, 3, 4, 23, 59, 0});
    log.LogLine("b");
    log.LogChar('c');
    log.LogHex(frame, 1);
    EXPECT_EQ(sink.Text(),
              "[09:05:07] Conectando\n[09:05:07] ><16, 0A, FF, 00\n[09:05:07] \n[09:05:07] a\nb\n"
              "[23:59:00] c16\n");
    EXPECT_TRUE(log.AtLineStart());
}

TEST_F(LogFixture, RawEchoLeavesLineStateAlone) {
    log.LogChar('>');
    log.AppendRaw("foundNode: grup\n");
    log.LogLine("x");
    log.AppendRaw("foundElement: codi\n");
    log.LogLine("y");
    EXPECT_EQ(sink.Text(), "[09:05:07] >foundNode: grup\nx\nfoundElement: codi\n[09:05:07] y\n");
}

TEST_F(LogFixture, NulBytesAreShownEscaped) {
    using namespace std::string_literals;
    log.LogLine("a\0b"s);
    log.AppendRaw("foundElement: nominstal atr:  val: \0\0x\n"s);
    EXPECT_EQ(sink.Text(), "[09:05:07] a\\0b\nfoundElement: nominstal atr:  val: \\0\\0x\n");
}

TEST_F(LogFixture, TrimCutsTheFrontOnlyPastTheLimit) {
    log.LogChar('A');  // "[09:05:07] A": 12 characters, the line stays open
    log.AppendRaw(std::string(64000 - 12 - 1, 'x'));
    log.LogChar('y');  // exactly 64000: nothing is removed
    ASSERT_EQ(sink.GetLastPosition(), 64000);
    EXPECT_EQ(sink.Text().front(), '[');
    log.LogChar('z');  // 64001: the first 2000 go, at the end of that write
    EXPECT_EQ(sink.GetLastPosition(), 64001 - 2000);
    EXPECT_EQ(sink.Text().find('A'), std::string::npos);
    EXPECT_EQ(sink.Text().substr(sink.Text().size() - 2), "yz");
    // Far past the limit, each write still cuts only 2000.
    sink.Clear();
    sink.Append(std::string(70000, 'v'));
    log.LogChar('w');
    EXPECT_EQ(sink.GetLastPosition(), 70001 - 2000);
}

TEST(Log, WithoutSinkOutputIsDropped) {
    VirtualClock clock;
    CLog log(nullptr, &clock);
    log.LogLine("nadie escucha");
    log.LogHex(reinterpret_cast<const unsigned char*>("ab"), 2);
    log.Trim();
    CaptureLogSink sink;
    log.SetSink(&sink);
    log.LogHex(nullptr, 5);  // no bytes to read: nothing but the line end
    EXPECT_EQ(sink.Text(), "[10:30:00] \n");
}

TEST_F(LogFixture, EchoOfALargeFileStaysShort) {
    // Many ordinary echo lines: the pane is cut like for every other line.
    for (int i = 0; i < 5000; ++i) log.AppendRaw("foundElement: val atr:  val: 0123456789\n");
    EXPECT_LE(sink.GetLastPosition(), CLog::kTrimLimit + 100);
    // One echo line of a huge value keeps only the pane's worth of it.
    sink.Clear();
    log.AppendRaw("foundElement: val atr:  val: " + std::string(5'000'000, 'v') + "\n");
    EXPECT_EQ(sink.GetLastPosition(), CLog::kTrimLimit + 7 - CLog::kTrimCount);
    EXPECT_TRUE(sink.Text().ends_with("v [...]\n"));
    log.LogLine("sigue");
    EXPECT_TRUE(sink.Text().ends_with("v [...]\n[09:05:07] sigue\n"));
}
