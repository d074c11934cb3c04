// The frame layer against the simulated panel: every kind of request, the toggle rule, and every
// fault the panel can inject, each ending as it should with nothing corrupted.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "serve.h"
#include "sim_wire.h"

using panelsim::Memory;
using panelsim::SimComponent;
using panelsim::SimEvent;

namespace {

Bytes B(std::initializer_list<int> v) {
    Bytes out;
    for (int x : v) out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

class SimTest : public ::testing::Test {
protected:
    SimWire w;
    void SetUp() override {
        w.sim.Central().SetCode(Memory::Eeprom, 0x0123, 0, B({1, 2, 3}));
        w.sim.Central().SetCode(Memory::Eeprom, 0x0200, 0, B({10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                                            20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));
    }
    std::optional<Bytes> ReadCode123() {
        if (!w.proto.BuildRead("01", "0123", false, 3, 0)) return std::nullopt;
        return w.ReadBytes(3);
    }
};

TEST_F(SimTest, LoginAcceptedAndRefused) {
    ASSERT_TRUE(w.proto.BuildLogin("00", "8371", false));
    auto reply = w.Ask(kCmdLoginReply);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 7u);
    EXPECT_EQ((*reply)[0], 1);
    EXPECT_TRUE(w.sim.LoggedIn());
    ASSERT_TRUE(w.proto.BuildLogin("00", "1234", false));
    reply = w.Ask(kCmdLoginReply);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[0], 0);
    EXPECT_NE(w.Trace().find(">16, 00, 93, 41, 00, 83, 71, 00"), std::string::npos);
}

TEST_F(SimTest, ReadsAndWritesReachTheRightBytes) {
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    // 20 bytes come in three answers of 8, each echoing the address.
    ASSERT_TRUE(w.proto.BuildReadGrup("01", "0200", false, 20));
    ASSERT_TRUE(w.proto.Send());
    Bytes data;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
        int n = 0;
        const unsigned char* p = w.proto.GetAnswer(n);
        ASSERT_EQ(n, 11);
        EXPECT_EQ(p[0] & 0x1F, 0x02);
        EXPECT_EQ(p[1], 0x00);
        data.insert(data.end(), p + 3, p + 11);
    }
    data.resize(20);
    EXPECT_EQ(data, w.sim.Central().Code(Memory::Eeprom, 0x0200, 0, 20));

    const unsigned char ram[3] = {5, 6, 7};
    ASSERT_TRUE(w.proto.BuildWrite("01", "0223", true, ram, 3, 2));
    ASSERT_TRUE(w.proto.Send());
    EXPECT_EQ(w.sim.Central().Code(Memory::Ram, 0x0223, 2, 3), B({5, 6, 7}));
    ASSERT_TRUE(w.proto.BuildRead("01", "0223", true, 3, 2));
    EXPECT_EQ(w.ReadBytes(3), B({5, 6, 7}));

    const unsigned char ee[2] = {0xAB, 0xCD};
    ASSERT_TRUE(w.proto.BuildWrite("01", "01F0", false, ee, 2, 0x20));
    ASSERT_TRUE(w.proto.Send());
    EXPECT_EQ(w.sim.Central().EepromBytes(0x0210, 2), B({0xAB, 0xCD}));
    EXPECT_EQ(w.sim.Central().Eeprom(0x01F0), 0xFF);  // nothing wrapped inside the low byte
}

TEST_F(SimTest, FlashClockStatusAndCommands) {
    const unsigned char block[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ASSERT_TRUE(w.proto.BuildFlashWrite("01", "0101", block, 16));
    ASSERT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.BuildBlockRead("01", "0100", 2));
    ASSERT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.WaitAnswer(0xF0, 0xB0, 0xB1));
    int n = 0;
    const unsigned char* p = w.proto.GetAnswer(n);
    ASSERT_EQ(n, 18);
    EXPECT_EQ(p[2], 0xFF);  // block 0x100 is erased
    ASSERT_TRUE(w.proto.WaitAnswer(0xF0, 0xB0, 0xB1));
    p = w.proto.GetAnswer(n);
    EXPECT_EQ(Bytes(p + 2, p + 18), Bytes(block, block + 16));
    ASSERT_TRUE(w.proto.BuildFlashErase("01", "0100"));
    ASSERT_TRUE(w.proto.Send());
    EXPECT_EQ(w.sim.Central().FlashBlock(0x0101)[0], 0xFF);

    const unsigned char clock[6] = {10, 30, 5, 9, 12, 26};
    ASSERT_TRUE(w.proto.BuildWriteClock("01", clock));
    ASSERT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.BuildReadClock("01"));
    EXPECT_EQ(w.ReadBytes(6), Bytes(clock, clock + 6));

    w.sim.Central().status = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_TRUE(w.proto.BuildStatusRequest("01"));
    EXPECT_EQ(w.Ask(kCmdGeneralStatus), B({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(w.proto.BuildArmAreas("01", 0x10));
    ASSERT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.BuildOutputOn("01", 2));
    ASSERT_TRUE(w.proto.Send());
    EXPECT_EQ(w.sim.Central().status[6], 7 | 0x10);
    EXPECT_EQ(w.sim.Central().Ram(0x0006, 2), 1);

    w.sim.Central().descriptors[0x0F23 + panelsim::SimComponent::kUserCode] = {0x4A, 0x23};
    ASSERT_TRUE(w.proto.BuildCodiAddressQuery("01", "0F23", true));
    EXPECT_EQ(w.Ask(kCmdCodiAddress, 0xB0, 0xB1), B({0x4A, 0x23}));

    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    EXPECT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.BuildFlashLength("01", 2));
    EXPECT_TRUE(w.proto.Send());
    EXPECT_TRUE(w.proto.BuildPing("01"));
}

TEST_F(SimTest, AnswerFormsOnRequest) {
    // Each request's answer frames as the panel sent them: command and payload.
    auto answersTo = [this](const std::function<bool()>& build) {
        std::vector<Bytes> out;
        const std::size_t from = w.sim.Events().size();
        if (!build() || !w.proto.Send()) return out;
        w.Idle(1000);
        for (std::size_t i = from; i < w.sim.Events().size(); ++i) {
            const Bytes& f = w.sim.Events()[i].bytes;
            if (w.sim.Events()[i].kind == SimEvent::Sent && f.size() > 6 && f[0] == 0x16)
                out.emplace_back(f.begin() + 3, f.end() - 2);
        }
        return out;
    };
    struct Case {
        const char* name;
        std::function<void(panelsim::SimFaults&)> set;
        std::uint8_t eepromCommand;  // the answer to an EEPROM read
        std::uint8_t ramCommand;     // the answer to a RAM read other than a fixed one
        int perAnswer;               // data bytes per memory answer
        int byte2;                   // byte 2 of every memory answer; -1: the offset of its data
        bool blockEcho;              // block answers name their block in bytes 0-1
    } cases[] = {
        {"usual", [](panelsim::SimFaults&) {}, 0xB0, 0xB1, 8, -1, true},
        {"0xF0 to memory reads", [](panelsim::SimFaults& f) { f.memoryAnswersF0 = true; }, 0xF0, 0xF0, 15, -1, true},
        {"0xB1 to EEPROM reads", [](panelsim::SimFaults& f) { f.eepromAnswersB1 = true; }, 0xB1, 0xB1, 8, -1, true},
        {"byte 2 given", [](panelsim::SimFaults& f) { f.memoryByte2 = 0x3C; }, 0xB0, 0xB1, 8, 0x3C, true},
        {"no block echo", [](panelsim::SimFaults& f) { f.blockAnswersNoEcho = true; }, 0xB0, 0xB1, 8, -1, false},
    };
    const unsigned char clock[6] = {10, 30, 5, 9, 12, 26};
    w.sim.Central().SetRam(0x0003, 0, Bytes(clock, clock + 6));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.sim.Faults() = panelsim::SimFaults{};
        c.set(w.sim.Faults());

        // 18 EEPROM bytes from offset 2: the data in order, the address echoed in bytes 0-1.
        std::vector<Bytes> answers = answersTo([&] { return w.proto.BuildRead("01", "0200", false, 18, 2); });
        ASSERT_EQ(answers.size(), static_cast<std::size_t>((18 + c.perAnswer - 1) / c.perAnswer));
        Bytes data;
        for (std::size_t k = 0; k < answers.size(); ++k) {
            const Bytes& a = answers[k];
            EXPECT_EQ(a[0], c.eepromCommand);
            EXPECT_EQ(a.size(), c.eepromCommand == 0xF0 ? 19u : 12u);
            EXPECT_EQ(Bytes(a.begin() + 1, a.begin() + 3), B({0x42, 0x00}));
            EXPECT_EQ(a[3], c.byte2 >= 0 ? c.byte2 : static_cast<int>(2 + k * static_cast<std::size_t>(c.perAnswer)));
            data.insert(data.end(), a.begin() + 4, a.end());
        }
        data.resize(18);
        EXPECT_EQ(data, w.sim.Central().Code(Memory::Eeprom, 0x0200, 2, 18));

        // A RAM code, and the clock (a fixed read: 0xB1 whatever the form).
        answers = answersTo([&] { return w.proto.BuildRead("01", "0223", true, 3, 0); });
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0][0], c.ramCommand);
        answers = answersTo([&] { return w.proto.BuildReadClock("01"); });
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0][0], 0xB1);
        EXPECT_EQ(Bytes(answers[0].begin() + 4, answers[0].begin() + 10), Bytes(clock, clock + 6));

        // Two blocks from 0x0812: 0xF0 answers, named by their block or not.
        answers = answersTo([&] { return w.proto.BuildBlockRead("01", "0812", 2); });
        ASSERT_EQ(answers.size(), 2u);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(answers[static_cast<std::size_t>(k)][0], 0xF0);
            const bool named = answers[static_cast<std::size_t>(k)][1] == 0x12 + k && answers[static_cast<std::size_t>(k)][2] == 0x08;
            EXPECT_EQ(named, c.blockEcho) << "block " << k;
        }
    }
}

TEST(SimLocal, CommandsOnTheLocalCableBringTheStatus) {
    SimWire w(ConexioLocal);
    w.sim.Central().status[6] = 0x01;
    ASSERT_TRUE(w.proto.BuildDisarmAreas("01", 0x01));
    EXPECT_EQ(w.Ask(kCmdGeneralStatus), B({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SimTest, FactoryValuesAndEepromReset) {
    w.sim.Central().MarkEepromAsFactory();
    const unsigned char v = 0x42;
    ASSERT_TRUE(w.proto.BuildWrite("01", "0123", false, &v, 1, 0));
    ASSERT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.BuildControl("01", kCtrlStoreFactory, false));
    ASSERT_TRUE(w.proto.Send());
    ASSERT_TRUE(w.proto.BuildControl("01", kCtrlEepromReset, false));
    ASSERT_TRUE(w.proto.Send());
    EXPECT_EQ(w.sim.Central().Eeprom(0x0123), 1);
    ASSERT_TRUE(w.proto.BuildControl("01", kCtrlRestoreFactory, false));
    ASSERT_TRUE(w.proto.Send());
    EXPECT_EQ(w.sim.Central().Eeprom(0x0123), 0x42);
}

TEST_F(SimTest, BroadcastIsWrittenFourTimesAndCarriedOutOnce) {
    ASSERT_TRUE(w.proto.BuildApply("40", true));
    std::int64_t before = w.clock.Elapsed();
    EXPECT_TRUE(w.proto.Send());
    EXPECT_EQ(w.clock.Elapsed() - before, 2000);
    EXPECT_EQ(w.sim.ReceivedFrames().size(), 4u);
    EXPECT_EQ(w.sim.ControlCodes(), std::vector<int>{9});
    EXPECT_EQ(w.Count(SimEvent::Duplicate), 3);
    EXPECT_EQ(w.Count(SimEvent::Sent), 0);
}

TEST_F(SimTest, TheToggleBitFollowsTheReceiveRuleOnBothSides) {
    ASSERT_TRUE(ReadCode123());
    ASSERT_TRUE(ReadCode123());
    ASSERT_TRUE(ReadCode123());
    // Each side takes the bit from a first transmission, acknowledges with it and inverts it, and
    // inverts it again on the other side's ACK. So from toggle 0 on both sides: our request 0, the
    // panel's ACK 0, its answer 1, our ACK 1; and the same again for every read.
    auto frames = w.sim.ReceivedFrames();
    ASSERT_EQ(frames.size(), 6u);
    std::vector<Bytes> sent;
    for (const SimEvent& e : w.sim.Events())
        if (e.kind == SimEvent::Sent) sent.push_back(e.bytes);
    ASSERT_EQ(sent.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[2 * i][0], 0x16);
        EXPECT_EQ(frames[2 * i][1], 0x01);       // request
        EXPECT_EQ(sent[2 * i][0], 0x06);
        EXPECT_EQ(sent[2 * i][1], 0x13);         // the panel's ACK
        EXPECT_EQ(sent[2 * i + 1][1], 0x93);     // its answer
        EXPECT_EQ(frames[2 * i + 1][0], 0x06);
        EXPECT_EQ(frames[2 * i + 1][1], 0x81);   // our ACK
    }
}

// The panel on its own, with our own address 0x10, fed frame by frame: how it acknowledges a
// first transmission and a repeat, and how it repeats an answer whose ACK it lost. Every byte is
// written out, CRC included.
TEST(SimToggle, AcknowledgementsAndRepeatsOnTheWire) {
    panelsim::PanelSim sim;
    const Bytes d = B({0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18});
    const Bytes e = B({0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28});
    sim.Central().SetEeprom(0x0110, d);
    sim.Central().SetEeprom(0x0118, e);
    sim.Faults().lostAcks = 1;
    struct Step {
        std::int64_t at;
        Bytes in;
        Bytes out;
    } steps[] = {
        // Keep-alive with toggle 0: acknowledged with 0, the bit becomes 1.
        {0, B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4}), B({0x06, 0x10, 0x01, 0xA1, 0xF2})},
        // Its repeat: not carried out again; acknowledged with the current 1, the bit becomes 0.
        {20, B({0x02, 0x01, 0x90, 0x01, 0xD2, 0x92}), B({0x06, 0x90, 0x01, 0xBA, 0x6A})},
        // A read of 16 bytes with toggle 1: ACK 1, then the first answer with 0.
        {40, B({0x16, 0x81, 0x90, 0x51, 0x41, 0x10, 0xFF, 0x10, 0x00, 0x76, 0x1C}),
         B({0x06, 0x90, 0x01, 0xBA, 0x6A, 0x16, 0x10, 0x81, 0xB0, 0x41, 0x10, 0x00, 0x11, 0x12, 0x13, 0x14,
            0x15, 0x16, 0x17, 0x18, 0x7E, 0xB5})},
        // Our ACK of it is lost: nothing moves.
        {60, B({0x06, 0x01, 0x10, 0x93, 0xA0}), {}},
        // No ACK in time: the same frame with start byte 02.
        {40 + 250, {}, B({0x02, 0x10, 0x81, 0xB0, 0x41, 0x10, 0x00, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                          0x18, 0xAB, 0x8D})},
        // Our ACK of the repeat inverts the bit: the second answer carries 1.
        {300, B({0x06, 0x81, 0x10, 0x88, 0x38}),
         B({0x16, 0x90, 0x81, 0xB0, 0x41, 0x10, 0x08, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0xE6,
            0x8D})},
        {320, B({0x06, 0x81, 0x10, 0x88, 0x38}), {}},
        // Nothing is left to repeat.
        {2000, {}, {}},
        // A keep-alive with toggle 1 and a broken CRC: a NAK with the bit as it stands (0).
        {2020, B({0x16, 0x81, 0x90, 0x01, 0x38, 0x9F}), B({0x15, 0x10, 0x01, 0xBB, 0xC1})},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.at);
        EXPECT_EQ(sim.Step(s.at, s.in), s.out);
    }
    EXPECT_EQ(sim.ExecutedCount(), 2);
}

// ---- Faults ----

TEST_F(SimTest, SilenceThenSuccessAndSilenceForGood) {
    w.sim.Faults().ignoreRequests = 1;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    auto frames = w.sim.ReceivedFrames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0][0], 0x16);
    EXPECT_EQ(frames[1][0], 0x02);
    EXPECT_EQ(w.sim.ExecutedCount(), 1);

    w.sim.Faults().ignoreRequests = 4;
    const unsigned char v = 9;
    ASSERT_TRUE(w.proto.BuildWrite("01", "0123", false, &v, 1, 0));
    EXPECT_FALSE(w.proto.Send());
    EXPECT_EQ(w.proto.GetError(), "Sin respuesta");
    EXPECT_TRUE(w.proto.TimedOut());
    EXPECT_EQ(w.sim.ExecutedCount(), 1);
    EXPECT_EQ(w.sim.Central().Eeprom(0x0123), 1);
}

TEST_F(SimTest, NaksThenSuccessAndNaksForGood) {
    w.sim.Faults().nakRequests = 3;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    EXPECT_EQ(w.sim.ExecutedCount(), 1);
    w.sim.Faults().nakRequests = 4;
    const unsigned char v = 9;
    ASSERT_TRUE(w.proto.BuildWrite("01", "0123", false, &v, 1, 0));
    EXPECT_FALSE(w.proto.Send());
    EXPECT_EQ(w.proto.GetError(), "Sin respuesta");
    EXPECT_TRUE(w.proto.TimedOut());
    EXPECT_EQ(w.sim.Central().Eeprom(0x0123), 1);
}

TEST_F(SimTest, ACorruptAckIsRepeatedForAndTheWriteHappensOnce) {
    w.sim.Faults().badCrcAcks = 1;
    const unsigned char v = 9;
    ASSERT_TRUE(w.proto.BuildWrite("01", "0123", false, &v, 1, 0));
    EXPECT_TRUE(w.proto.Send());
    EXPECT_NE(w.Trace().find("c06"), std::string::npos);
    EXPECT_EQ(w.sim.ExecutedCount(), 1);
    EXPECT_EQ(w.Count(SimEvent::Duplicate), 1);
    EXPECT_EQ(w.sim.Central().Eeprom(0x0123), 9);
}

TEST_F(SimTest, ACorruptAnswerIsNakedAndItsRepeatTaken) {
    w.sim.Faults().badCrcAnswers = 1;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    EXPECT_NE(w.Trace().find("c16"), std::string::npos);
    EXPECT_FALSE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));  // exactly one answer came through
}

TEST_F(SimTest, AMissingAnswerTimesOutAndTheNextExchangeIsClean) {
    w.sim.Faults().missingAnswers = 1;
    ASSERT_TRUE(w.proto.BuildRead("01", "0123", false, 3, 0));
    EXPECT_FALSE(w.ReadBytes(3));
    EXPECT_EQ(w.proto.GetError(), "Timeout");
    EXPECT_TRUE(w.proto.TimedOut());
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
}

TEST_F(SimTest, ALateAnswerIsNeverTakenForTheNextRequest) {
    w.sim.Faults().lateAnswers = 1;
    w.sim.Faults().lateAnswerMs = 5000;
    ASSERT_TRUE(w.proto.BuildRead("01", "0200", false, 3, 0));
    EXPECT_FALSE(w.ReadBytes(3));
    EXPECT_TRUE(w.proto.TimedOut());
    w.Idle(1500);  // the late answer arrives and is queued
    EXPECT_EQ(w.proto.QueueSize(), 1u);
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    EXPECT_EQ(w.proto.QueueSize(), 0u);
}

TEST_F(SimTest, AnswerBeforeTheAckOrWithoutAny) {
    w.sim.Faults().answerBeforeAck = 1;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    EXPECT_EQ(w.proto.QueueSize(), 1u);  // the ACK that came after the answer: the next write drops it
    w.sim.Faults().answersWithoutAck = 1;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    EXPECT_EQ(w.sim.ExecutedCount(), 2);
}

TEST_F(SimTest, AStaleDuplicateIsAcknowledgedButNotQueued) {
    w.sim.Faults().staleDuplicates = 1;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    w.Idle(200);
    EXPECT_EQ(w.proto.QueueSize(), 0u);
    // Two ACKs for the one answer: the first with the answer's bit (1, which then inverts), the
    // one for its repeat with the bit as it stands (0, which inverts again).
    EXPECT_TRUE(w.proto.GetToggle());
    auto frames = w.sim.ReceivedFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1], B({0x06, 0x81, 0x13, 0xB8, 0x5B}));
    EXPECT_EQ(frames[2], B({0x06, 0x01, 0x13, 0xA3, 0xC3}));
    EXPECT_FALSE(w.proto.WaitAnswer(0xB0, 0xB1, 0xF0));
}

// The panel loses our acknowledgement of every answer frame's first transmission and repeats
// each one with start byte 02: every value read is still the panel's, no answer is taken twice,
// and each repeat was acknowledged.
TEST_F(SimTest, LostAcknowledgementsLeaveEveryValueRight) {
    SimComponent& c = w.sim.Central();
    for (std::uint16_t block = 0x0812; block < 0x0815; ++block) {
        Bytes data(16);
        for (std::size_t i = 0; i < 16; ++i) data[i] = static_cast<std::uint8_t>(block * 3 + i);
        c.SetFlashBlock(block, data);
    }
    struct Case {
        const char* name;
        std::function<bool(CProtocol&)> build;
        std::size_t wanted;
        int answers;
        Bytes expected;
    } cases[] = {
        {"EEPROM, three answers", [](CProtocol& p) { return p.BuildReadGrup("01", "0200", false, 20); }, 20, 3,
         c.Code(Memory::Eeprom, 0x0200, 0, 20)},
        {"flash blocks, three answers", [](CProtocol& p) { return p.BuildBlockRead("01", "0812", 3); }, 48, 3,
         [&] {
             Bytes all;
             for (std::uint16_t b = 0x0812; b < 0x0815; ++b) {
                 auto block = c.FlashBlock(b);
                 all.insert(all.end(), block.begin(), block.end());
             }
             return all;
         }()},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        w.sim.ClearEvents();
        w.sim.Faults().lostAcks = 100;
        ASSERT_TRUE(k.build(w.proto));
        ASSERT_TRUE(w.proto.Send());
        Bytes data;
        EXPECT_EQ(w.proto.CollectAnswers(data, k.wanted), CollectEnd::Complete);
        EXPECT_EQ(data, k.expected);
        w.Idle(600);  // the last answer's repeat comes and is acknowledged
        EXPECT_EQ(w.proto.QueueSize(), 0u);
        EXPECT_EQ(w.Count(SimEvent::LostAck), k.answers);
        int repeats = 0;
        for (const SimEvent& e : w.sim.Events()) repeats += e.kind == SimEvent::Sent && e.bytes[0] == 0x02;
        EXPECT_EQ(repeats, k.answers);
        EXPECT_EQ(w.Count(SimEvent::GaveUp), 0);
    }
}

TEST_F(SimTest, AFrameForAnotherAddressIsIgnored) {
    w.sim.Faults().foreignFrames = 1;
    EXPECT_EQ(ReadCode123(), B({1, 2, 3}));
    EXPECT_NE(w.Trace().find("?16, "), std::string::npos);
    EXPECT_EQ(w.sim.ReceivedFrames().size(), 2u);  // the request and one ACK
}

// Noise and frames split by a pause, alone and with the faults that put more frames on the line:
// the read still takes the panel's bytes, and the panel's bytes, read in the order they went out,
// are its noise and whole frames one after the other, each split one in its two halves at least
// the pause apart with nothing between them.
TEST(SimLine, NoiseAndSplitFramesGoOutWholeOneAfterAnother) {
    using Faults = panelsim::SimFaults;
    const Bytes noise = B({0x00, 0x55, 0xAA, 0x30});
    const Bytes code = B({1, 2, 3});
    const Bytes group = B({10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29});
    struct Case {
        const char* name;
        std::function<void(Faults&)> set;
        const char* address;  // code 0123 (one answer) or the 20 bytes at 0200 (three answers)
        const Bytes& read;
        int frames;           // frames the panel sends (acknowledgements, answers, repeats, foreign)
        int split;            // of them, those that go out in two halves
    } cases[] = {
        {"noise before the acknowledgement", [&](Faults& f) { f.noise = noise; }, "0123", code, 2, 0},
        {"acknowledgement and answer split", [](Faults& f) { f.splitFrames = 2, f.splitGapMs = 60; }, "0123", code, 2, 2},
        // The answer is due inside the pause of the acknowledgement.
        {"split acknowledgement, late answer",
         [](Faults& f) { f.splitFrames = 2, f.splitGapMs = 100, f.lateAnswers = 1, f.lateAnswerMs = 40; }, "0123", code, 2, 2},
        {"three answers, all split", [](Faults& f) { f.splitFrames = 4, f.splitGapMs = 60; }, "0200", group, 4, 4},
        {"split answer before its acknowledgement",
         [](Faults& f) { f.splitFrames = 2, f.splitGapMs = 60, f.answerBeforeAck = 1; }, "0123", code, 2, 2},
        {"a frame for another address, split too",
         [](Faults& f) { f.splitFrames = 3, f.splitGapMs = 60, f.foreignFrames = 1; }, "0123", code, 3, 3},
        {"noise, then a stale repeat, split too",
         [&](Faults& f) { f.noise = noise, f.splitFrames = 3, f.splitGapMs = 60, f.staleDuplicates = 1; }, "0123", code, 3, 3},
        // A pause longer than a partial frame may live: the half is dropped, the panel repeats.
        {"a pause the partial answer dies of",
         [](Faults& f) { f.splitFrames = 1, f.splitGapMs = 400, f.answerBeforeAck = 1; }, "0123", code, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimWire w;
        w.sim.Central().SetEeprom(0x0123, code);
        w.sim.Central().SetEeprom(0x0200, group);
        c.set(w.sim.Faults());
        const Faults faults = w.sim.Faults();
        std::vector<std::pair<std::int64_t, std::uint8_t>> line;  // the panel's bytes as they went out
        w.service.rewrite = [&](const Bytes& out) {
            for (std::uint8_t b : out) line.emplace_back(w.clock.Elapsed(), b);
            return out;
        };
        ASSERT_TRUE(w.proto.BuildRead("01", c.address, false, static_cast<int>(c.read.size()), 0));
        EXPECT_EQ(w.ReadBytes(static_cast<int>(c.read.size())), c.read);
        w.Idle(2000);

        int noises = 0, frames = 0, split = 0;
        for (std::size_t at = 0; at < line.size();) {
            auto here = [&](std::size_t i) { return line[at + i].second; };
            if (!faults.noise.empty() && line.size() - at >= faults.noise.size() &&
                std::equal(faults.noise.begin(), faults.noise.end(), line.begin() + static_cast<long>(at),
                           [](std::uint8_t n, const auto& l) { return n == l.second; })) {
                ++noises;
                at += faults.noise.size();
                continue;
            }
            SCOPED_TRACE("frame " + std::to_string(frames) + " from byte " + std::to_string(at));
            std::size_t length = here(0) == 0x06 || here(0) == 0x15 ? 5 : 0;
            if ((here(0) == 0x16 || here(0) == 0x02) && line.size() - at > 3)
                length = here(3) == 0xF0 ? 24 : static_cast<std::size_t>((here(3) >> 4) + 6);
            if (length == 0 || at + length > line.size()) {
                ADD_FAILURE() << "no whole frame starts with " << int{here(0)};
                break;
            }
            Bytes frame;
            for (std::size_t i = 0; i < length; ++i) frame.push_back(here(i));
            EXPECT_EQ(panelsim::Crc(frame), 0) << panelsim::Hex(frame);  // whole, nothing inside it
            // Each piece of the frame goes out at once; a split one is two halves the pause apart.
            std::vector<std::size_t> breaks;
            for (std::size_t i = 1; i < length; ++i)
                if (line[at + i].first != line[at + i - 1].first) breaks.push_back(i);
            if (!breaks.empty()) {
                ++split;
                EXPECT_EQ(breaks, std::vector<std::size_t>{length / 2});
                EXPECT_GE(line[at + length / 2].first - line[at].first, faults.splitGapMs);
            }
            ++frames;
            at += length;
        }
        EXPECT_EQ(noises, faults.noise.empty() ? 0 : 1);
        EXPECT_EQ(split, c.split);
        EXPECT_EQ(frames, c.frames);
    }
}

// The faults aimed past the first requests (--faults-after), as the program connects: the login,
// the clock write and its control 18, then a read. Each run is compared with a clean one: the
// first request whose exchange (what the panel sends, and when) differs is the one struck.
TEST(SimAim, FaultsAfterTheFirstRequestsSpareThemAndAllSentForThem) {
    const Bytes group = B({10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29});
    // Per request: the panel's frames with their times from the start of the exchange; and
    // whether every request succeeded, the read taking every byte.
    using Exchanges = std::vector<std::vector<std::pair<std::int64_t, Bytes>>>;
    auto run = [&](const std::vector<std::string>& args, bool& done) {
        SimWire w;
        w.sim.Central().SetEeprom(0x0200, group);
        std::string error;
        for (std::size_t i = 0; i < args.size(); ++i)
            EXPECT_EQ(panelsim::TakeFaultOption(args, i, w.sim.Faults(), error), panelsim::FaultOption::Taken) << error;
        const unsigned char clock[6] = {10, 30, 5, 9, 12, 26};
        const std::function<bool()> requests[] = {
            [&] {
                std::optional<Bytes> reply;
                if (w.proto.BuildLogin("15", "8371", false)) reply = w.Ask(kCmdLoginReply);
                return reply && !reply->empty() && (*reply)[0] == 1;  // accepted
            },
            [&] { return w.proto.BuildWriteClock("01", clock) && w.proto.Send(); },
            [&] { return w.proto.BuildControl("01", kCtrlClockWritten, false) && w.proto.Send(); },
            [&] { return w.proto.BuildRead("01", "0200", false, 20, 0) && w.ReadBytes(20) == group; },
        };
        Exchanges out;
        done = true;
        for (const auto& request : requests) {
            const std::int64_t start = w.clock.Elapsed();
            const std::size_t from = w.sim.Events().size();
            done = request() && done;
            w.Idle(1000);
            out.emplace_back();
            for (std::size_t e = from; e < w.sim.Events().size(); ++e)
                if (w.sim.Events()[e].kind == SimEvent::Sent)
                    out.back().emplace_back(w.sim.Events()[e].timeMs - start, w.sim.Events()[e].bytes);
        }
        return out;
    };
    struct Case {
        std::vector<std::string> args;
        int struck;  // the first request (1-4) the fault changes; 0: none
        bool done = true;
    } cases[] = {
        {{"--late-answers", "1", "--late-ms", "3000"}, 1},
        {{"--faults-after", "3", "--late-answers", "1", "--late-ms", "3000"}, 4},
        {{"--faults-after", "4", "--late-answers", "1", "--late-ms", "3000"}, 0},
        // The clock write and the control have no answer to be late.
        {{"--faults-after", "1", "--late-answers", "1", "--late-ms", "3000"}, 4},
        {{"--faults-after", "1", "--bad-crc-acks", "1"}, 2},
        {{"--faults-after", "2", "--ignore-requests", "1"}, 3},
        {{"--faults-after", "2", "--split-frames", "1", "--split-gap-ms", "100"}, 3},
        {{"--faults-after", "3", "--noise", "00FF16"}, 4},
        // The login's one answer would keep it whole; the read's three lose two.
        {{"--faults-after", "3", "--keep-answers", "1"}, 4, false},
        {{"--faults-after", "3", "--drop-after-bytes", "3"}, 4, false},
        // Our acknowledgement of the login's answer is not lost: the read's answer is the first
        // frame after the login that asks for one.
        {{"--faults-after", "1", "--lose-acks", "1"}, 4},
    };
    bool done = false;
    const Exchanges clean = run({}, done);
    ASSERT_TRUE(done);
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += a + " ";
        SCOPED_TRACE(shown);
        const Exchanges faulty = run(c.args, done);
        EXPECT_EQ(done, c.done);
        ASSERT_EQ(faulty.size(), clean.size());
        int struck = 0;
        for (std::size_t k = 0; k < clean.size() && !struck; ++k)
            if (faulty[k] != clean[k]) struck = static_cast<int>(k + 1);
        EXPECT_EQ(struck, c.struck);
    }
}

TEST_F(SimTest, ADroppedConnectionIsReportedUpward) {
    int lost = 0;
    w.proto.SetLinkLostHandler([&] { ++lost; });
    // The panel acknowledges and hangs up before answering: the wait ends at once.
    w.sim.Faults().dropAfterBytes = 5;
    ASSERT_TRUE(w.proto.BuildRead("01", "0123", false, 3, 0));
    EXPECT_FALSE(w.ReadBytes(3));
    EXPECT_EQ(w.proto.GetError(), "Se perdió la conexión");
    EXPECT_FALSE(w.proto.TimedOut());
    EXPECT_TRUE(w.proto.LinkLost());
    EXPECT_FALSE(w.proto.IsConnected());
    EXPECT_FALSE(w.pump.running);
    EXPECT_FALSE(w.idle.running);
    EXPECT_EQ(lost, 1);
}

TEST(SimDrop, AConnectionDroppedInTheMiddleOfAFrameEndsTheSend) {
    SimWire w;
    w.sim.Faults().answerBeforeAck = 1;
    w.sim.Faults().dropAfterBytes = 5;
    ASSERT_TRUE(w.proto.BuildRead("01", "0123", false, 3, 0));
    EXPECT_FALSE(w.proto.Send());
    EXPECT_EQ(w.proto.GetError(), "Se perdió la conexión");
    EXPECT_FALSE(w.proto.TimedOut());
    EXPECT_TRUE(w.proto.LinkLost());
    EXPECT_EQ(w.proto.QueueSize(), 0u);
}

}  // namespace
