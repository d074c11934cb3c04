// The receive state machine, the send and wait loops and the layer's safety rules, with the test
// playing the panel byte by byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "link/progress.h"
#include "link_harness.h"

namespace {

// A frame from the panel (bus address 0x01, wanting an ACK) to us (0x13, the TCP/IP own address).
Bytes PanelAnswer(std::uint8_t start = 0x16, std::uint8_t toggle = 0x80) {
    return DataFrame(start, static_cast<std::uint8_t>(0x13 | toggle), 0x81, 0xB1, {0x01, 0x23, 0x00, 0xAA});
}
const Bytes kAck = AckFrame(0x06, 0x13, 0x01);
const Bytes kNak = AckFrame(0x15, 0x13, 0x01);

TEST(Receive, GoodFrameIsQueuedAcknowledgedAndTraced) {
    Wire w;
    std::int64_t before = w.clock.Elapsed();
    w.Feed(PanelAnswer());
    EXPECT_EQ(w.clock.Elapsed() - before, 10);  // a pause before the ACK
    EXPECT_EQ(w.proto.QueueSize(), 1u);
    // The toggle takes the frame's bit 7, the ACK carries it, then it flips.
    EXPECT_EQ(w.Written(), AckFrame(0x06, 0x81, 0x13));
    EXPECT_FALSE(w.proto.GetToggle());
    EXPECT_NE(w.Trace().find("<16, 93, 81, B1, 01, 23, 00, AA"), std::string::npos);
    EXPECT_NE(w.Trace().find(">06, 81, 13"), std::string::npos);
}

TEST(Receive, ChunkingNoiseAndRestarts) {
    Bytes f = PanelAnswer();
    Bytes two = f;
    Bytes status = DataFrame(0x16, 0x13, 0x81, 0xA1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    two.insert(two.end(), status.begin(), status.end());
    Wire whole, bytewise;
    whole.Feed(two);
    for (std::uint8_t b : two) bytewise.Feed({b}, 1);
    EXPECT_EQ(whole.proto.QueueSize(), 2u);
    EXPECT_EQ(bytewise.proto.QueueSize(), 2u);
    EXPECT_EQ(bytewise.Written(), whole.Written());

    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"noise before the start byte", [&] { Bytes b{0x00, 0xAA, 0x55}; b.insert(b.end(), f.begin(), f.end()); return b; }()},
        // A 0x16 among the first bytes of a frame that began with 0x02 starts a fresh frame...
        {"0x16 inside a repeat's header", [&] { Bytes b{0x02, 0x13}; b.insert(b.end(), f.begin(), f.end()); return b; }()},
        // ...later it is plain content.
        {"0x16 in a repeat's payload", DataFrame(0x02, 0x13, 0x81, 0xB1, {0x16, 0x16, 0x02})},
    };
    for (const Case& c : cases) {
        Wire w;
        w.Feed(c.bytes);
        EXPECT_EQ(w.proto.QueueSize(), 1u) << c.what;
    }

    // More than 150 ms of silence inside a frame kills it; less does not.
    for (auto [steps, queued] : {std::pair{8, 0u}, std::pair{7, 1u}}) {
        Wire w;
        w.Feed(Bytes(f.begin(), f.begin() + 8));
        for (int i = 0; i < steps; ++i) w.proto.Receive(20);
        w.Feed(Bytes(f.begin() + 8, f.end()));
        EXPECT_EQ(w.proto.QueueSize(), queued) << steps * 20 << " ms";
    }
}

TEST(Receive, FrameLengths) {
    Wire w;
    Bytes flash = DataFrame(0x16, 0x13, 0x81, 0xF0, {});
    ASSERT_EQ(flash.size(), 24u);
    w.Feed(Bytes(flash.begin(), flash.end() - 1));
    EXPECT_EQ(w.proto.QueueSize(), 0u);
    w.Feed({flash.back()});
    EXPECT_EQ(w.proto.QueueSize(), 1u);
    w.Feed(kAck);
    EXPECT_EQ(w.proto.QueueSize(), 2u);
    // A data frame without payload is taken at its real 6 bytes, not NAKed at 5.
    w.Written();
    w.Feed(DataFrame(0x16, 0x13, 0x81, 0x01, {}));
    EXPECT_EQ(w.proto.QueueSize(), 3u);
    EXPECT_EQ(w.Written(), AckFrame(0x06, 0x01, 0x13));
}

TEST(Receive, BadCrcIsNakedAndForeignFramesDropped) {
    Wire w;
    Bytes f = PanelAnswer(0x16, 0x00);
    f[6] ^= 0xFF;
    w.Feed(f);
    EXPECT_EQ(w.proto.QueueSize(), 0u);
    EXPECT_EQ(w.Written(), AckFrame(0x15, 0x01, 0x13));
    EXPECT_NE(w.Trace().find("c16, 13, 81"), std::string::npos);

    w.Feed(DataFrame(0x16, 0x22, 0x81, 0xB1, {}));
    EXPECT_EQ(w.proto.QueueSize(), 0u);
    EXPECT_TRUE(w.Written().empty());
    EXPECT_NE(w.Trace().find("?16, 22, 81"), std::string::npos);
}

TEST(Receive, BroadcastsAreAcknowledgedOnlyFromAddressZero) {
    Wire w;
    w.Feed(DataFrame(0x16, 0x40, 0x05, 0x10, {9}));
    EXPECT_TRUE(w.Written().empty());
    w.Feed(DataFrame(0x16, 0x40, 0x00, 0x10, {9}));
    EXPECT_EQ(w.Written(), AckFrame(0x06, 0x00, 0x13));
    EXPECT_FALSE(w.proto.GetToggle());
    EXPECT_EQ(w.proto.QueueSize(), 2u);
    // Its repeat is acknowledged again, as the first transmission was, and not queued twice.
    w.Feed(DataFrame(0x02, 0x40, 0x00, 0x10, {9}));
    EXPECT_EQ(w.Written(), AckFrame(0x06, 0x00, 0x13));
    EXPECT_EQ(w.proto.QueueSize(), 2u);
}

TEST(Receive, OnGprsOnlyFramesAskingForItAreAcknowledged) {
    Wire w(ConexioGprs);
    w.Feed(DataFrame(0x16, 0x13, 0x01, 0xB1, {}));
    EXPECT_EQ(w.proto.QueueSize(), 1u);
    EXPECT_TRUE(w.Written().empty());
    EXPECT_TRUE(w.proto.GetToggle());  // set to 0 from the frame, then flipped
    w.Feed(DataFrame(0x16, 0x13, 0x81, 0xB1, {1}));
    EXPECT_EQ(w.Written(), AckFrame(0x06, 0x01, 0x13));
}

TEST(Receive, ARepeatOfTheLastFrameIsAcknowledgedButQueuedOnce) {
    Wire w;
    w.Feed(PanelAnswer());  // toggle bit 1: taken, acknowledged with 1, then 0
    EXPECT_EQ(w.Written(), B({0x06, 0x81, 0x13, 0xB8, 0x5B}));
    // Its repeat gives no toggle bit: the ACK carries the current 0, then the bit becomes 1.
    w.Feed(PanelAnswer(0x02));
    EXPECT_EQ(w.proto.QueueSize(), 1u);
    EXPECT_EQ(w.Written(), B({0x06, 0x01, 0x13, 0xA3, 0xC3}));
    EXPECT_TRUE(w.proto.GetToggle());
    w.Feed(DataFrame(0x02, 0x13, 0x81, 0xB1, {0x02}));  // a repeat of something else is new
    EXPECT_EQ(w.proto.QueueSize(), 2u);
    EXPECT_EQ(w.Written(), B({0x06, 0x81, 0x13, 0xB8, 0x5B}));
    EXPECT_FALSE(w.proto.GetToggle());
}

TEST(Receive, SilenceEmptiesTheQueueAndTheQueueIsBounded) {
    Wire w;
    w.Feed(PanelAnswer());
    for (int i = 0; i < 99; ++i) w.proto.Receive(20);  // 1980 ms + the feed's step
    EXPECT_EQ(w.proto.QueueSize(), 1u);
    w.proto.Receive(20);
    w.proto.Receive(20);
    EXPECT_EQ(w.proto.QueueSize(), 0u);
    for (int i = 0; i < 70; ++i) w.Feed(DataFrame(0x16, 0x13, 0x81, 0xB1, {static_cast<std::uint8_t>(i)}));
    EXPECT_EQ(w.proto.QueueSize(), CProtocol::kQueueLimit);
}

TEST(Receive, ABrokenLinkIsReportedAndStopsTheLayer) {
    Wire w;
    int calls = 0;
    w.proto.SetLinkLostHandler([&] { ++calls; });
    EXPECT_EQ(w.pump.interval, 20);
    EXPECT_EQ(w.idle.interval, 20000);
    w.pipe.Break();
    w.proto.Receive(20);
    w.proto.Receive(20);
    EXPECT_TRUE(w.proto.LinkLost());
    EXPECT_EQ(w.proto.GetError(), "Se perdió la conexión");
    EXPECT_FALSE(w.pump.running || w.idle.running);
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    EXPECT_FALSE(w.proto.Send());
    EXPECT_EQ(w.proto.GetError(), "No conetado");

    // The destructor leaves link and timers to their owners.
    Wire other(ConexioTcpIp, false);
    auto proto = std::make_unique<CProtocol>();
    proto->SetLink(&other.link);
    proto->SetTimers(&other.pump, &other.idle);
    proto->Connect();
    proto.reset();
    EXPECT_EQ(other.pump.stops + other.idle.stops, 0);
    EXPECT_TRUE(other.link.IsOpen());
}

// Answers each frame written with the given replies, one list per write.
void Script(Wire& w, std::vector<std::vector<Bytes>> replies) {
    auto queue = std::make_shared<std::vector<std::vector<Bytes>>>(std::move(replies));
    w.pipe.PeerEnd().OnArrival([&w, queue] {
        if (queue->empty()) return;
        for (const Bytes& b : queue->front()) w.pipe.PeerEnd().Write(b.data(), static_cast<int>(b.size()));
        queue->erase(queue->begin());
    });
}

// Plays the panel: keeps every frame the layer writes, in order (one write is one frame), and
// answers the n-th of them with replies[n] (nothing when that entry is empty or missing).
std::shared_ptr<std::vector<Bytes>> Converse(Wire& w, std::vector<Bytes> replies) {
    auto written = std::make_shared<std::vector<Bytes>>();
    w.pipe.PeerEnd().OnArrival([&w, written, replies = std::move(replies)] {
        written->push_back(w.Written());
        const std::size_t n = written->size() - 1;
        if (n < replies.size() && !replies[n].empty())
            w.pipe.PeerEnd().Write(replies[n].data(), static_cast<int>(replies[n].size()));
    });
    return written;
}

// A panel at 0x01 that misses frames and loses our acknowledgements, with own address 0x10, frame
// by frame on the wire: the keep-alive and its repeat, a read of 16 bytes answered in two frames
// whose first the panel repeats because our ACK got lost, and the next keep-alive.
TEST(Send, LostAcknowledgementsFrameByFrame) {
    Wire w(ConexioTcpIp, false);
    ASSERT_TRUE(w.proto.Connect(0x10));
    const Bytes d{0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
    const Bytes e{0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28};
    auto join = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // The panel's toggle bit: 0 from our keep-alive, 1 from the read, 0 after acknowledging it;
    // 0 still when it repeats its first answer, 1 after our ACK of that repeat.
    const Bytes first = DataFrame(0x16, 0x10, 0x81, 0xB0, join({0x41, 0x10, 0x00}, d));
    const Bytes again = DataFrame(0x02, 0x10, 0x81, 0xB0, join({0x41, 0x10, 0x00}, d));
    const Bytes second = DataFrame(0x16, 0x90, 0x81, 0xB0, join({0x41, 0x10, 0x08}, e));
    auto written = Converse(w, {
                                   {},                                        // keep-alive: missed
                                   AckFrame(0x06, 0x10, 0x01),                // its repeat
                                   join(AckFrame(0x06, 0x90, 0x01), first),   // the read
                                   again,                                     // our ACK: lost
                                   second,                                    // our ACK of the repeat
                                   {},                                        // our ACK of the second
                                   AckFrame(0x06, 0x10, 0x01),                // the next keep-alive
                               });                                            // (then a broadcast)
    ASSERT_TRUE(w.proto.BuildPing("01"));
    ASSERT_TRUE(w.proto.BuildRead("01", "0110", false, 16, 0));
    ASSERT_TRUE(w.proto.Send());
    Bytes data;
    EXPECT_EQ(w.proto.CollectAnswers(data, 16), CollectEnd::Complete);
    EXPECT_EQ(data, join(d, e));
    ASSERT_TRUE(w.proto.BuildPing("01"));
    ASSERT_TRUE(w.proto.BuildApply("40", true));
    ASSERT_TRUE(w.proto.Send());

    const std::vector<Bytes> expected{
        B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4}),  // keep-alive, toggle 0
        B({0x02, 0x01, 0x90, 0x01, 0xD2, 0x92}),  // its repeat; the panel's ACK makes the bit 1
        B({0x16, 0x81, 0x90, 0x51, 0x41, 0x10, 0xFF, 0x10, 0x00, 0x76, 0x1C}),  // read, toggle 1
        B({0x06, 0x01, 0x10, 0x93, 0xA0}),        // first answer: its bit 0, then 1
        B({0x06, 0x81, 0x10, 0x88, 0x38}),        // its repeat: the current 1, then 0
        B({0x06, 0x81, 0x10, 0x88, 0x38}),        // second answer: its bit 1, then 0
        B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4}),  // the next keep-alive carries 0
        // A broadcast carries no toggle bit, although the bit is now 1.
        B({0x16, 0x40, 0x10, 0x10, 0x09, 0x76, 0x7A}),
        B({0x02, 0x40, 0x10, 0x10, 0x09, 0xFB, 0x26}),
        B({0x02, 0x40, 0x10, 0x10, 0x09, 0xFB, 0x26}),
        B({0x02, 0x40, 0x10, 0x10, 0x09, 0xFB, 0x26}),
    };
    EXPECT_TRUE(w.proto.GetToggle());
    EXPECT_EQ(*written, expected);
}

// Late frames drained before a send are acknowledged, and each moves the toggle bit: the request
// built before the drain goes out with the bit as it stands after it.
TEST(Send, ARequestBuiltBeforeTheDrainCarriesTheBitAfterIt) {
    const Bytes late1 = DataFrame(0x16, 0x93, 0x81, 0xB1, {0x81, 0x00, 0x00, 0xAA});
    const Bytes late0 = DataFrame(0x16, 0x13, 0x81, 0xB1, {0x81, 0x00, 0x00, 0xAA});
    const Bytes lateRepeat = DataFrame(0x02, 0x93, 0x81, 0xB1, {0x81, 0x00, 0x00, 0xAA});
    const Bytes ack1 = B({0x06, 0x81, 0x13, 0xB8, 0x5B});
    const Bytes ack0 = B({0x06, 0x01, 0x13, 0xA3, 0xC3});
    const Bytes phone1 = B({0x16, 0x81, 0x93, 0x40, 0xD2, 0xFF, 0x00, 0x00, 0x35, 0xC3});
    const Bytes phone0 = B({0x16, 0x01, 0x93, 0x40, 0xD2, 0xFF, 0x00, 0x00, 0x9E, 0x3A});
    struct Case {
        const char* name;
        std::vector<Bytes> late;      // arrive before the drain
        std::vector<Bytes> expected;  // written by the send: our ACKs, then the request
    } cases[] = {
        // The read's ACK left the bit at 1, and the request was built with it.
        {"nothing late", {}, {phone1}},
        {"an answer with bit 1", {late1}, {ack1, phone0}},
        {"an answer with bit 0", {late0}, {ack0, phone1}},
        {"an answer and its repeat", {late1, lateRepeat}, {ack1, ack0, phone1}},
        {"an answer and an ACK", {late1, kAck}, {ack1, phone1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wire w;
        Script(w, {{kAck}});
        ASSERT_TRUE(w.proto.BuildRead("01", "0100", true, 4, 0));
        ASSERT_TRUE(w.proto.Send());
        ASSERT_FALSE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));  // no answer: the next send drains
        ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
        EXPECT_EQ(w.SendBuffer(), phone1);
        std::vector<Bytes> replies(c.expected.size() - 1);  // our ACKs get no reply
        replies.push_back(kAck);
        w.Written();
        auto written = Converse(w, replies);
        for (const Bytes& f : c.late) w.pipe.PeerEnd().Write(f.data(), static_cast<int>(f.size()));
        EXPECT_TRUE(w.proto.Send()) << w.proto.GetError();
        EXPECT_EQ(*written, c.expected);
    }
}

TEST(Send, AckNakAndRepeats) {
    Wire ok;
    Script(ok, {{kAck}});
    ASSERT_TRUE(ok.proto.BuildPhoneTest("01"));
    EXPECT_TRUE(ok.proto.Send());
    EXPECT_EQ(ok.proto.QueueSize(), 0u);  // the ACK was consumed

    Wire nak;
    Script(nak, {{kNak}, {kAck}});
    ASSERT_TRUE(nak.proto.BuildPhoneTest("01"));
    Bytes first = nak.SendBuffer();
    std::int64_t before = nak.clock.Elapsed();
    EXPECT_TRUE(nak.proto.Send());
    EXPECT_EQ(nak.clock.Elapsed() - before, 20 + 20 + 20);  // a poll, the pause after the NAK, a poll
    Bytes written = nak.Written();
    ASSERT_EQ(written.size(), 20u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 10), first);
    Bytes repeat(written.begin() + 10, written.end());
    EXPECT_EQ(repeat[0], 0x02);
    EXPECT_EQ(Crc16(repeat), 0);
    EXPECT_NE(repeat[8], first[8]);

    Wire refused;
    Script(refused, {{kNak}, {kNak}, {kNak}, {kNak}});
    ASSERT_TRUE(refused.proto.BuildPhoneTest("01"));
    EXPECT_FALSE(refused.proto.Send());
    EXPECT_EQ(refused.proto.GetError(), "Sin respuesta");
    EXPECT_TRUE(refused.proto.TimedOut());
    EXPECT_EQ(refused.Written().size(), 40u);

    // An answer that comes without an ACK acknowledges the read, and stays for the wait.
    Wire read;
    Script(read, {{PanelAnswer()}});
    ASSERT_TRUE(read.proto.BuildRead("01", "0100", true, 4, 0));
    EXPECT_TRUE(read.proto.Send());
    EXPECT_TRUE(read.proto.WaitAnswer(0xB0, 0xB1, 0xF0));

    // A late ACK from an earlier exchange never acknowledges a new frame.
    Wire stale;
    stale.Feed(kAck);
    ASSERT_TRUE(stale.proto.BuildPhoneTest("01"));
    EXPECT_FALSE(stale.proto.Send());
    EXPECT_TRUE(stale.proto.TimedOut());
}

TEST(Send, WithoutAnswerWantedSilenceIsSuccessAndBroadcastsGoOutFourTimes) {
    Wire w;
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    w.proto.ClearAnswerWanted();
    std::int64_t before = w.clock.Elapsed();
    EXPECT_TRUE(w.proto.Send());
    EXPECT_EQ(w.Written().size(), 10u);
    EXPECT_EQ(w.clock.Elapsed() - before, 101 * 20);

    ASSERT_TRUE(w.proto.BuildApply("40", true));
    before = w.clock.Elapsed();
    EXPECT_TRUE(w.proto.Send());
    EXPECT_EQ(w.clock.Elapsed() - before, 2000);
    Bytes written = w.Written();
    ASSERT_EQ(written.size(), 28u);
    EXPECT_EQ(written[0], 0x16);
    EXPECT_EQ(written[7], 0x02);
    EXPECT_EQ(written[21], 0x02);
    // A broadcast that went out once counts as sent when the link then fails.
    w.pipe.PeerEnd().OnArrival([&] { w.pipe.Break(); });
    ASSERT_TRUE(w.proto.BuildApply("40", true));
    EXPECT_TRUE(w.proto.Send());
}

// A memory read built and sent (the read delay, the pause before a read frame, on the cable the
// line time, then the polls for the ACK) on a machine whose sleeps wake up late: the pauses and
// the line time last at least what they ask, the poll absorbs what they overran, and time spent
// idle before the read is not paid back.
TEST(Send, LatenessOfTheStepsBeforeIsAbsorbedByThePoll) {
    struct Case {
        const char* name;
        int kind;
        int overshoot;  // every sleep wakes up this late
        int idle;       // ms spent idle before the read
        std::int64_t elapsed;
    } cases[] = {
        {"tcp on time", ConexioTcpIp, 0, 0, 350 + 100 + 20},
        // The poll is due 470 ms after the start; only its own wake-up is late.
        {"tcp, 5 ms late", ConexioTcpIp, 5, 0, 350 + 100 + 20 + 5},
        // Both pauses last their full time from their late start; the poll is overdue and reads at once.
        {"tcp, 30 ms late", ConexioTcpIp, 30, 0, (350 + 30) + (100 + 30)},
        {"tcp after idling", ConexioTcpIp, 0, 5000, 350 + 100 + 20},
        // 25 ms read delay, 100 ms pause, 6 ms line time for the 11 bytes at 19200 baud, each 30 ms
        // late: the poll 10 ms after them is overdue.
        {"cable, 30 ms late", ConexioLocal, 30, 0, (25 + 30) + (100 + 30) + (6 + 30)},
        {"cable, 2 ms late", ConexioLocal, 2, 0, 25 + 100 + 6 + 10 + 2},
    };
    for (const Case& c : cases) {
        Wire w(c.kind);
        const std::uint8_t own = c.kind == ConexioLocal ? 0x31 : 0x13;
        Script(w, {{AckFrame(0x06, own, 0x01)}});
        w.clock.Advance(c.idle);
        w.clock.SetOvershoot(c.overshoot);
        const std::int64_t before = w.clock.Elapsed();
        ASSERT_TRUE(w.proto.BuildRead("01", "0100", true, 4, 0)) << c.name;
        EXPECT_TRUE(w.proto.Send()) << c.name;
        EXPECT_EQ(w.clock.Elapsed() - before, c.elapsed) << c.name;
        EXPECT_EQ(w.Written().size(), 11u) << c.name;  // one frame, no repeat
    }
}

TEST(Wait, AnswerTimeoutNaksAndCancel) {
    Wire w;
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));  // NAKs from 0x01 now match the last request
    w.Feed(kNak);
    std::int64_t before = w.clock.Elapsed();
    EXPECT_FALSE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
    EXPECT_EQ(w.proto.GetError(), "Timeout");
    EXPECT_TRUE(w.proto.TimedOut());
    EXPECT_EQ(w.clock.Elapsed() - before, 201 * 20);
    int length = -5;
    EXPECT_EQ(w.proto.GetAnswer(length), nullptr);
    EXPECT_EQ(length, 0);

    w.Feed(kNak);
    w.Feed(PanelAnswer());
    before = w.clock.Elapsed();
    ASSERT_TRUE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
    EXPECT_EQ(w.clock.Elapsed() - before, 100);  // a pause after taking the answer
    EXPECT_FALSE(w.proto.TimedOut());
    const unsigned char* p = w.proto.GetAnswer(length);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(length, 11);
    EXPECT_EQ(p[0], 0x01);
    EXPECT_EQ(p[3], 0xAA);

    FakeUi ui;
    Progress progress;
    progress.SetUiServices(&ui);
    progress.Open("Recibiendo...", "Recibiendo...", 10);
    progress.Step(3);
    ui.cancelIf = [&] { return ui.Last().updates.size() >= 5; };
    w.proto.SetProgress(&progress);
    EXPECT_FALSE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
    EXPECT_EQ(w.proto.GetError(), "Cancelado por el usuario");
    EXPECT_FALSE(w.proto.TimedOut());
    EXPECT_EQ(ui.Last().updates.back().first, 3);
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    EXPECT_FALSE(w.proto.Send());
    EXPECT_EQ(w.proto.GetError(), "Cancelado por el usuario");
}

TEST(Send, ANestedExchangeIsRefusedAndCannotTouchTheRunningOne) {
    Wire w;
    FakeUi ui;
    w.proto.SetUiServices(&ui);
    bool nestedSend = true, nestedBuild = true, nestedWait = true, inOperation = false;
    std::string nestedError;
    ui.onYield = [&] {
        if (ui.yields != 3) return;
        inOperation = w.proto.InOperation();  // what the idle poll tests
        nestedBuild = w.proto.BuildPing("05");
        nestedError = w.proto.GetError();
        nestedSend = w.proto.Send();
        nestedWait = w.proto.WaitAnswer(0xB0, 0xFF, 0xFF);
        w.pipe.PeerEnd().Write(kAck.data(), static_cast<int>(kAck.size()));
    };
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    Bytes built = w.SendBuffer();
    EXPECT_TRUE(w.proto.Send());
    EXPECT_TRUE(inOperation);
    EXPECT_FALSE(nestedBuild || nestedSend || nestedWait);
    EXPECT_EQ(nestedError, "Espere, Proceso automático en curso");
    EXPECT_EQ(w.Written(), built);  // only the outer frame went out
    EXPECT_FALSE(w.proto.InOperation());
}

// An answer frame from the panel at 0x01 to us (0x13) with the given command and payload.
Bytes Answer(std::uint8_t command, Bytes payload) { return DataFrame(0x16, 0x93, 0x81, command, std::move(payload)); }
Bytes WithData(Bytes head, std::uint8_t fill, std::size_t count) {
    head.insert(head.end(), count, fill);
    return head;
}

TEST(Collect, WhichAnswersCountWhereTheirDataBeginsAndTheOptionsAreKept) {
    // The reads: 8 EEPROM bytes at 0x0110 (answers echo 0x41 0x10), 16 at the same place, and
    // blocks from 0x0812. A memory read's data begins at answer byte 3, a block read's at byte 2.
    // Only a single code's read (checkAddress) compares bytes 0 (masked with 0x1F) and 1 with
    // the request; byte 2 is never read, and nothing else is checked for an echo.
    auto read8 = [](CProtocol& p) { return p.BuildRead("01", "0110", false, 8, 0); };
    auto read16 = [](CProtocol& p) { return p.BuildRead("01", "0110", false, 16, 0); };
    auto blocks3 = [](CProtocol& p) { return p.BuildBlockRead("01", "0812", 3); };
    const ExpectedAnswers memory{{0xB0, 0xB1, 0xF0}};
    const ExpectedAnswers ramOnly{{0xFF, 0xFF, 0xB1}};
    struct Case {
        const char* name;
        std::function<bool(CProtocol&)> build;
        std::size_t wanted;
        std::vector<Bytes> answers;
        bool checkAddress;
        ExpectedAnswers commands;
        bool oneAnswer;
        int stopAt;  // the afterAnswer call that says stop (0: none)
        CollectEnd end;
        Bytes data;
        int calls;   // afterAnswer calls
    } cases[] = {
        {"a single code: answers for another code only", read8, 8,
         std::vector<Bytes>(4, Answer(0xB0, WithData({0x41, 0x11, 0x00}, 0xEE, 8))), true, memory, false, 0,
         CollectEnd::Foreign, {}, 0},
        {"a single code: address high byte of another code", read8, 8,
         {Answer(0xB0, WithData({0x42, 0x10, 0x00}, 0xEE, 8)), Answer(0xB0, WithData({0x41, 0x10, 0x00}, 0x11, 8))},
         true, memory, false, 0, CollectEnd::Complete, Bytes(8, 0x11), 0},
        {"a single code: byte 2 and the flag bits of byte 0 are not read", read8, 8,
         {Answer(0xB1, WithData({0xE1, 0x10, 0x5A}, 0x11, 8))}, true, memory, false, 0, CollectEnd::Complete,
         Bytes(8, 0x11), 0},
        {"a packed read: no echo checked", read8, 8, {Answer(0xB0, WithData({0x42, 0x99, 0x08}, 0x11, 8))}, false,
         memory, false, 0, CollectEnd::Complete, Bytes(8, 0x11), 0},
        {"a memory read takes 0xF0 answers, 15 bytes from byte 3", read16, 16,
         {Answer(0xF0, WithData({0x41, 0x10, 0x00}, 0x11, 15)), Answer(0xB1, WithData({0x41, 0x10, 0x0F}, 0x22, 8))},
         false, memory, false, 0, CollectEnd::Complete, WithData(Bytes(15, 0x11), 0x22, 1), 1},
        {"a fixed read takes 0xB1 only", read8, 8,
         {Answer(0xB0, WithData({0x41, 0x10, 0x00}, 0xEE, 8)), Answer(0xF0, WithData({0x41, 0x10, 0x00}, 0xEE, 15)),
          Answer(0xB1, WithData({0x41, 0x10, 0x00}, 0x11, 8))},
         false, ramOnly, false, 0, CollectEnd::Complete, Bytes(8, 0x11), 0},
        {"block answers without the block echo", blocks3, 16, {Answer(0xF0, WithData({0x12, 0x09}, 0x11, 16))}, false,
         memory, false, 0, CollectEnd::Complete, Bytes(16, 0x11), 0},
        {"a block read takes 0xB0 and 0xB1 answers, from byte 2", blocks3, 18,
         {Answer(0xB0, WithData({0x12, 0x08}, 0x11, 9)), Answer(0xB1, WithData({0x12, 0x08}, 0x22, 9))}, false, memory,
         false, 0, CollectEnd::Complete, WithData(Bytes(9, 0x11), 0x22, 9), 1},
        {"one answer only", read16, 16,
         {Answer(0xB0, WithData({0x41, 0x10, 0x00}, 0x11, 8)), Answer(0xB0, WithData({0x41, 0x10, 0x08}, 0x22, 8))},
         false, memory, true, 0, CollectEnd::Complete, Bytes(8, 0x11), 0},
        {"asked between the answers", blocks3, 48,
         {Answer(0xF0, WithData({0x12, 0x08}, 0x11, 16)), Answer(0xF0, WithData({0x13, 0x08}, 0x22, 16)),
          Answer(0xF0, WithData({0x14, 0x08}, 0x33, 16))},
         false, memory, false, 0, CollectEnd::Complete, WithData(WithData(Bytes(16, 0x11), 0x22, 16), 0x33, 16), 2},
        {"stopped between the answers", blocks3, 48,
         {Answer(0xF0, WithData({0x12, 0x08}, 0x11, 16)), Answer(0xF0, WithData({0x13, 0x08}, 0x22, 16)),
          Answer(0xF0, WithData({0x14, 0x08}, 0x33, 16))},
         false, memory, false, 2, CollectEnd::Cancelled, WithData(Bytes(16, 0x11), 0x22, 16), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wire w;
        std::vector<Bytes> replies{kAck};
        replies.insert(replies.end(), c.answers.begin(), c.answers.end());
        Script(w, {replies});
        ASSERT_TRUE(c.build(w.proto));
        ASSERT_TRUE(w.proto.Send());
        int calls = 0;
        CollectOptions options;
        options.oneAnswer = c.oneAnswer;
        options.checkAddress = c.checkAddress;
        options.commands = c.commands;
        options.afterAnswer = [&] { return ++calls != c.stopAt; };
        Bytes data;
        EXPECT_EQ(w.proto.CollectAnswers(data, c.wanted, options), c.end);
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(calls, c.calls);
        // A read that ended with answers still to come makes the next send wait out the answer
        // time-out (4 s on TCP/IP) first; a complete one does not.
        Script(w, {{kAck}});
        ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
        const std::int64_t before = w.clock.Elapsed();
        EXPECT_TRUE(w.proto.Send());
        EXPECT_EQ(w.clock.Elapsed() - before >= 4000, c.end != CollectEnd::Complete);
    }
}

// After a send or a wait that timed out or was cancelled, the next send first drains the link until the
// link kind's answer time-out has passed: a late answer of the old read that arrives meanwhile
// is traced and acknowledged, but never taken for the new read's answer. An answer already
// waiting in the link when a request is to go out is drained the same way, with no exchange
// unanswered before it.
TEST(Send, AfterAnUnansweredExchangeTheNextSendDrainsForTheAnswerTimeOut) {
    struct Case {
        const char* name;
        int kind;
        int answerTimeOut;
        int ackWait;    // how long the line must then stay quiet
        int readDelay;  // the pause before a memory read is built
        enum { kTimeOut, kCancel, kNoAck, kWaiting } end;
    } cases[] = {
        {"TCP/IP, an answer waiting", ConexioTcpIp, 0, 2000, 350, Case::kWaiting},
        {"local cable, an answer waiting", ConexioLocal, 0, 500, 25, Case::kWaiting},
        {"local cable, time-out", ConexioLocal, 2000, 500, 25, Case::kTimeOut},
        {"TCP/IP, time-out", ConexioTcpIp, 4000, 2000, 350, Case::kTimeOut},
        {"GPRS, cancel", ConexioGprs, 4000, 2000, 350, Case::kCancel},
        {"local cable, no acknowledgement", ConexioLocal, 2000, 500, 25, Case::kNoAck},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool late = false;
        std::int64_t requested = -1;
        Wire w(c.kind);
        const std::uint8_t own = w.proto.GetOwnAddress();
        auto answer = [own](std::uint8_t fill) {
            return DataFrame(0x16, static_cast<std::uint8_t>(own | 0x80), 0x81, 0xB1,
                             WithData({0x81, 0x00, 0x00}, fill, 4));
        };
        const Bytes ack = AckFrame(0x06, own, 0x01);
        FakeUi ui;
        Progress progress;
        progress.SetUiServices(&ui);
        progress.Open("Recibiendo...", "Recibiendo...", 10);
        w.proto.SetProgress(&progress);

        if (c.end == Case::kTimeOut || c.end == Case::kCancel) Script(w, {{ack}});
        if (c.end == Case::kNoAck) {
            ASSERT_TRUE(w.proto.BuildRead("01", "0100", true, 4, 0));
            EXPECT_FALSE(w.proto.Send());
        } else if (c.end != Case::kWaiting) {
            ASSERT_TRUE(w.proto.BuildRead("01", "0100", true, 4, 0));
            ASSERT_TRUE(w.proto.Send());
            if (c.end == Case::kCancel) ui.cancelIf = [] { return true; };
            EXPECT_FALSE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
        }
        const std::int64_t ended = w.clock.Elapsed();
        w.proto.SetProgress(nullptr);

        // The old read's answer comes 50 ms before the drain ends (one waiting: at the first sleep,
        // before the request goes out); the new read's answer is the reply to the new request.
        w.clock.OnSleep([&w, &late, lateAt = ended + c.answerTimeOut - 50, old = answer(0xAA)](std::int64_t now) {
            if (late || now < lateAt) return;
            late = true;
            w.pipe.PeerEnd().Write(old.data(), static_cast<int>(old.size()));
        });
        w.Written();
        Bytes reply = ack;
        const Bytes fresh = answer(0xBB);
        reply.insert(reply.end(), fresh.begin(), fresh.end());
        w.pipe.PeerEnd().OnArrival([&w, &requested, reply] {
            Bytes in = w.Written();
            if (in.empty() || in[0] != 0x16) return;  // our acknowledgements
            requested = w.clock.Elapsed();
            w.pipe.PeerEnd().Write(reply.data(), static_cast<int>(reply.size()));
        });
        ASSERT_TRUE(w.proto.BuildRead("01", "0100", true, 4, 0));
        ASSERT_TRUE(w.proto.Send()) << w.proto.GetError();
        EXPECT_TRUE(late);
        // The drain took a frame 50 ms before its end (one waiting: once the read was built), so it
        // goes on until the line has been quiet for the acknowledgement wait.
        const int tookFrame = c.end == Case::kWaiting ? c.readDelay : c.answerTimeOut - 50;
        EXPECT_GE(requested - ended, tookFrame + c.ackWait);
        EXPECT_LE(requested - ended, tookFrame + c.ackWait + 150);  // the pause before a memory read, a poll
        ASSERT_TRUE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
        int length = 0;
        const unsigned char* p = w.proto.GetAnswer(length);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p[3], 0xBB);
        // The drained answer was traced and acknowledged before the request went out.
        const std::string trace = w.Trace();
        char head[40];
        std::snprintf(head, sizeof head, "<16, %02X, 81, B1, 81, 00, 00, AA", own | 0x80);
        const std::size_t drained = trace.find(head);
        ASSERT_NE(drained, std::string::npos) << trace;
        const std::size_t acked = trace.find(">06, ", drained);
        EXPECT_LT(acked, trace.find(">16, ", drained));
    }
}

}  // namespace
