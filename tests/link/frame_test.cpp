// The CRC, the frame layout and every request builder, byte for byte.
#include <gtest/gtest.h>

#include "link_harness.h"

namespace {

Bytes FrameBytes(const PanelFrame& f) { return Bytes(f.Bytes(), f.Bytes() + f.Length()); }

TEST(Frames, CrcLengthsKeepAliveRepeatAndAck) {
    EXPECT_EQ(Crc16(reinterpret_cast<const unsigned char*>("123456789"), 9), 0x31C3);
    const int lengths[][2] = {{0x01, 6}, {0x10, 7}, {0x51, 11}, {0xB0, 17}, {0xF0, 24}, {0xF1, 21}};
    for (auto [command, length] : lengths) EXPECT_EQ(PanelFrame::DataLength(static_cast<std::uint8_t>(command)), length);
    PanelFrame f = PanelFrame::Data(0x01, 0x90, kCmdKeepAlive, {});
    EXPECT_EQ(FrameBytes(f), B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4}));
    EXPECT_EQ(Crc16(FrameBytes(f)), 0);  // a frame followed by its CRC leaves no remainder
    f.MakeRepeat();
    EXPECT_EQ(FrameBytes(f), B({0x02, 0x01, 0x90, 0x01, 0xD2, 0x92}));
    EXPECT_EQ(FrameBytes(PanelFrame::Acknowledgement(true, 0x01, false, 0x10)), B({0x06, 0x01, 0x10, 0x93, 0xA0}));
}

TEST(Builders, KeepAliveGoesOutFourTimesWhenNobodyAnswers) {
    Wire w;
    w.proto.Connect(0x10);
    EXPECT_FALSE(w.proto.BuildPing("01"));
    EXPECT_EQ(w.proto.GetError(), "Sin respuesta");
    EXPECT_TRUE(w.proto.TimedOut());
    Bytes expected = B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4});
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {0x02, 0x01, 0x90, 0x01, 0xD2, 0x92});
    EXPECT_EQ(w.Written(), expected);
    // Four ACK waits of (2000 / 20 + 1) polls of 20 ms on a TCP link.
    EXPECT_EQ(w.clock.Elapsed(), 500 + 4 * 101 * 20);
    EXPECT_NE(w.Trace().find(">16, 01, 90, 01, 03, C4\n"), std::string::npos);
}

TEST(Builders, WritesEepromExampleCountsAndOffsets) {
    Wire w;
    const unsigned char data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_TRUE(w.proto.BuildWrite("01", "12", false, data, 3, 5));
    EXPECT_EQ(w.SendBuffer(), B({0x16, 0x01, 0x93, 0xB0, 0x60, 0x17, 0x00, 1, 2, 3, 0, 0, 0, 0, 0, 0xF3, 0x73}));
    ASSERT_TRUE(w.proto.BuildWrite("01", "0223", true, data, 8, 7));
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x01, 0x93, 0xB1, {0x02, 0x23, 7, 1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(w.proto.BuildWrite("01", "0223", true, data, 9, 0));  // cut to 8: count bits 0
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x01, 0x93, 0xB1, {0x02, 0x23, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
    // EEPROM: the offset moves the address and carries into the high byte.
    ASSERT_TRUE(w.proto.BuildWrite("01", "01F0", false, data, 1, 0x20));
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x01, 0x93, 0xB0, {0x22, 0x10, 0, 1}));
}

TEST(Builders, FieldsThatDoNotFitAreRefusedAndLeaveNothingToSend) {
    Wire w;
    const unsigned char data[8] = {};
    struct Case {
        const char* what;
        std::function<bool()> build;
        const char* error;
    } cases[] = {
        {"write count 0", [&] { return w.proto.BuildWrite("01", "0100", false, data, 0, 0); }, "Valor incorrecto"},
        {"write high byte in the count bits", [&] { return w.proto.BuildWrite("01", "2000", true, data, 1, 0); },
         "Dirección no válida"},
        {"EEPROM offset carried past the address bits", [&] { return w.proto.BuildWrite("01", "1FFF", false, data, 1, 1); },
         "Dirección no válida"},
        {"offset above 255", [&] { return w.proto.BuildWrite("01", "0100", true, data, 1, 256); }, "Dirección no válida"},
        {"negative offset", [&] { return w.proto.BuildRead("01", "0100", true, 1, -1); }, "Dirección no válida"},
        {"read count 0", [&] { return w.proto.BuildRead("01", "0100", false, 0, 0); }, "Valor incorrecto"},
        {"read count 300", [&] { return w.proto.BuildRead("01", "0100", false, 300, 0); }, "Valor incorrecto"},
        {"read high byte in the flags", [&] { return w.proto.BuildRead("01", "4000", false, 1, 0); }, "Dirección no válida"},
        {"address with a fifth digit", [&] { return w.proto.BuildRead("01", "10100", false, 1, 0); }, "Dirección no válida"},
        {"destination 0101", [&] { return w.proto.BuildRead("0101", "0100", false, 1, 0); }, "Dirección no válida"},
        {"destination 0x41", [&] { return w.proto.BuildPhoneTest(0x41); }, "Dirección no válida"},
        {"block count 256", [&] { return w.proto.BuildBlockRead("01", "0100", 256); }, "Valor incorrecto"},
        {"file area 256", [&] { return w.proto.BuildFlashLength("01", 256); }, "Valor incorrecto"},
        {"keypad address with the user bit", [&] { return w.proto.BuildCodiAddressQuery("01", "1234", false); },
         "Dirección no válida"},
        {"record past 0xFFFF", [&] { return w.proto.BuildReadRecord("01", "FFF0", true, 2, 8, 1); }, "Dirección no válida"},
        {"record bytes past 255", [&] { return w.proto.BuildReadRecord("01", "0100", true, 0, 64, 4); }, "Valor incorrecto"},
        {"output 256", [&] { return w.proto.BuildOutputOn("01", 256); }, "Valor incorrecto"},
        {"zone mask byte 2", [&] { return w.proto.BuildZoneCommand("01", 2, 0xFF); }, "Valor incorrecto"},
        {"login code of 3", [&] { return w.proto.BuildLogin("00", "837", false); }, "Código de instalador erróneo 837"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
        EXPECT_FALSE(c.build());
        EXPECT_EQ(w.proto.GetError(), c.error);
        EXPECT_FALSE(w.proto.Send());
        EXPECT_EQ(w.proto.GetError(), "Nada que enviar");
    }
    EXPECT_TRUE(w.Written().empty());
}

TEST(Builders, EveryRequestLayout) {
    Wire w;  // TCP/IP: own address 0x13, toggle 0
    const unsigned char clock[6] = {10, 30, 0, 9, 12, 26};
    const unsigned char flash[17] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    struct Case {
        std::function<bool()> build;
        int dest, command;
        Bytes payload;
    } cases[] = {
        {[&] { return w.proto.BuildControl("05", kCtrlStoreFactory, false); }, 0x05, 0x10, {28}},
        {[&] { return w.proto.BuildApply("01", false); }, 0x01, 0x10, {9}},
        {[&] { return w.proto.BuildCodiAddressQuery("01", "0F23", true); }, 0x01, 0x23, {0x1F, 0x23}},
        {[&] { return w.proto.BuildFlashErase("01", "1234"); }, 0x01, 0x25, {0x34, 0x12}},
        {[&] { return w.proto.BuildFlashLength("01", 3); }, 0x01, 0x26, {3, 0}},
        {[&] { return w.proto.BuildPhoneTest("01"); }, 0x01, 0x40, {0xD2, 0xFF, 0, 0}},
        {[&] { return w.proto.BuildLogin("00", "8371", true); }, 0x00, 0x41, {1, 0x83, 0x71, 0}},
        {[&] { return w.proto.BuildBlockRead("01", "0102", 2); }, 0x01, 0x44, {0x02, 0x01, 2, 0}},
        {[&] { return w.proto.BuildRead("01", "0223", true, 255, 4); }, 0x01, 0x51, {0xC2, 0x23, 0xFF, 255, 4}},
        {[&] { return w.proto.BuildReadGrup("01", "17C0", false, 40); }, 0x01, 0x51, {0x57, 0xC0, 0xFF, 40, 0}},
        {[&] { return w.proto.BuildFlashWrite("01", "0302", flash, 3); }, 0x01, 0xF0, {0x02, 0x03, 1, 2, 3}},
        {[&] { return w.proto.BuildFlashWrite("01", "0302", flash, 17); }, 0x01, 0xF0,  // cut to 16
         {0x02, 0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {[&] { return w.proto.BuildReadClock("01"); }, 0x01, 0x51, {0xC0, 0x03, 0xFF, 6, 0}},
        {[&] { return w.proto.BuildReadEventPointer("01"); }, 0x01, 0x51, {0xC0, 0x02, 0xFF, 3, 0x13}},
        {[&] { return w.proto.BuildReadMesures("01", 4); }, 0x01, 0x51, {0xC0, 0x10, 0xFF, 4, 0}},
        {[&] { return w.proto.BuildReadOutputs("01", 2); }, 0x01, 0x51, {0xC0, 0x06, 0xFF, 2, 0}},
        {[&] { return w.proto.BuildReadRelays("01", 3); }, 0x01, 0x51, {0xC0, 0x32, 0xFF, 3, 0}},
        {[&] { return w.proto.BuildReadRadio("01", 5); }, 0x01, 0x51, {0xC0, 0x16, 0xFF, 2, 0}},
        {[&] { return w.proto.BuildWriteClock("01", clock); }, 0x01, 0xB1, {0xC0, 0x03, 0, 10, 30, 0, 9, 12, 26}},
        {[&] { return w.proto.BuildReadRecord("01", "0100", true, 3, 8, 2); }, 0x01, 0x51, {0x41, 0x18, 0xFF, 16, 0}},
        // Block 0x100 + 24 / 16, (40 + 15) / 16 blocks.
        {[&] { return w.proto.BuildReadRecord("01", "0100", false, 3, 8, 5); }, 0x01, 0x44, {0x01, 0x01, 3, 0}},
        {[&] { return w.proto.BuildZoneCommand("01", 1, 0x81); }, 0x01, 0x5B, {0, 0x7F, 0x81}},
        {[&] { return w.proto.BuildArmAreas("01", 0x03); }, 0x01, 0x5B, {2, 0x03}},
        {[&] { return w.proto.BuildRelayOff("01", 1); }, 0x01, 0x5B, {13, 1}},
        {[&] { return w.proto.BuildStatusRequest("01"); }, 0x01, 0x5B, {0xFF}},
        // The destination as a number.
        {[&] { return w.proto.BuildPhoneTest(0x05); }, 0x05, 0x40, {0xD2, 0xFF, 0, 0}},
        {[&] { return w.proto.BuildPhoneTest(0); }, 0x00, 0x40, {0xD2, 0xFF, 0, 0}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.build()) << std::hex << c.command;
        EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, static_cast<std::uint8_t>(c.dest), 0x93,
                                            static_cast<std::uint8_t>(c.command), c.payload))
            << std::hex << c.command;
    }
    ASSERT_TRUE(w.proto.BuildLogout("40"));
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x40, 0x13, 0x10, {8}));
}

TEST(Builders, RemoteCommandsOnTheLocalCableAskForTheStatus) {
    Wire local(ConexioLocal), tcp;
    EXPECT_EQ(local.proto.GetOwnAddress(), 0x31);
    const int expected[][3] = {{kRemArmAreas, 0x82, 0x02}, {kRemOutputOn, 0x04, 0x04}, {kRemRelayOn, 12, 12}};
    for (auto [command, onLocal, onTcp] : expected) {
        ASSERT_TRUE(local.proto.BuildRemote("01", static_cast<std::uint8_t>(command), 1, 0, 0, 0));
        EXPECT_EQ(local.SendBuffer()[4], onLocal);
        ASSERT_TRUE(tcp.proto.BuildRemote("01", static_cast<std::uint8_t>(command), 1, 0, 0, 0));
        EXPECT_EQ(tcp.SendBuffer()[4], onTcp);
    }
}

TEST(Builders, ReadDelayByKindAndClockDelay) {
    const int delays[][2] = {{ConexioLocal, 25}, {ConexioTcpIp, 350}, {ConexioGprs, 350}};
    for (auto [kind, delay] : delays) {
        Wire w(kind);
        std::int64_t before = w.clock.Elapsed();
        ASSERT_TRUE(w.proto.BuildRead("01", "0100", false, 1, 0));
        EXPECT_EQ(w.clock.Elapsed() - before, delay) << kind;
    }
    Wire w;
    const unsigned char clock[6] = {};
    ASSERT_TRUE(w.proto.BuildWriteClock("01", clock));
    EXPECT_EQ(w.clock.Elapsed(), 500 + 100);  // after the open's 500 ms
}

TEST(Builders, BroadcastNoAnswerWantedAndTheToggleBit) {
    Wire w;
    ASSERT_TRUE(w.proto.BuildApply("01", true));
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x40, 0x13, 0x10, {9}));
    ASSERT_TRUE(w.proto.BuildApply("01", false));
    w.proto.ClearAnswerWanted();
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x01, 0x13, 0x10, {9}));
    w.Feed(AckFrame(0x06, 0x13, 0x01));  // an ACK from the panel flips the toggle
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    EXPECT_EQ(w.SendBuffer()[1], 0x81);
    EXPECT_EQ(CProtocol::AddressFromHex(""), 0);
    EXPECT_EQ(CProtocol::AddressFromHex("7"), 0x07);
    EXPECT_EQ(CProtocol::AddressFromHex("0a1F"), 0x1F);
    EXPECT_EQ(CProtocol::AddressFromHex("x5"), 0x05);
}

}  // namespace
