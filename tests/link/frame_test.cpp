// The CRC, the frame layout and every request builder, byte for byte.
#include <gtest/gtest.h>

#include <cstring>

#include "wire_fixture.h"

namespace {

Bytes B(std::initializer_list<int> v) {
    Bytes out;
    for (int x : v) out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

TEST(Crc16, CheckValueAndResidue) {
    const char* digits = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const unsigned char*>(digits), 9), 0x31C3);
    EXPECT_EQ(Crc16(nullptr, 0), 0);
    // A frame followed by its own CRC, high byte first, leaves no remainder.
    Bytes f = B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4});
    EXPECT_EQ(Crc16(f), 0);
    f[2] ^= 0x01;
    EXPECT_NE(Crc16(f), 0);
}

TEST(PanelFrame, LengthsByCommand) {
    EXPECT_EQ(PanelFrame::DataLength(0x01), 6);
    EXPECT_EQ(PanelFrame::DataLength(0x10), 7);
    EXPECT_EQ(PanelFrame::DataLength(0x51), 11);
    EXPECT_EQ(PanelFrame::DataLength(0xB0), 17);
    EXPECT_EQ(PanelFrame::DataLength(0xF0), 24);
    EXPECT_EQ(PanelFrame::DataLength(0xF1), 21);
}

TEST(PanelFrame, KeepAliveItsRepeatAndAnAck) {
    PanelFrame f = PanelFrame::Data(0x01, 0x90, kCmdKeepAlive, {});
    EXPECT_EQ(Bytes(f.Bytes(), f.Bytes() + f.Length()), B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4}));
    f.MakeRepeat();
    EXPECT_EQ(Bytes(f.Bytes(), f.Bytes() + f.Length()), B({0x02, 0x01, 0x90, 0x01, 0xD2, 0x92}));
    PanelFrame ack = PanelFrame::Acknowledgement(true, 0x01, false, 0x10);
    EXPECT_EQ(Bytes(ack.Bytes(), ack.Bytes() + ack.Length()), B({0x06, 0x01, 0x10, 0x93, 0xA0}));
    EXPECT_TRUE(ack.CrcOk());
    EXPECT_EQ(ack.Payload().size(), 0u);
}

TEST(Builders, KeepAliveGoesOutFourTimesWhenNobodyAnswers) {
    Wire w;
    w.proto.Connect(0x10);
    EXPECT_FALSE(w.proto.BuildPing("01"));
    EXPECT_EQ(w.proto.GetError(), "Sin respuesta");
    EXPECT_TRUE(w.proto.TimedOut());
    Bytes expected = B({0x16, 0x01, 0x90, 0x01, 0x03, 0xC4});
    for (int i = 0; i < 3; ++i) {
        Bytes repeat = B({0x02, 0x01, 0x90, 0x01, 0xD2, 0x92});
        expected.insert(expected.end(), repeat.begin(), repeat.end());
    }
    EXPECT_EQ(w.Written(), expected);
    // Four ACK waits of (2000 / 20 + 1) polls of 20 ms on a TCP link.
    EXPECT_EQ(w.clock.Elapsed(), 500 + 4 * 101 * 20);
    EXPECT_NE(w.Trace().find(">16, 01, 90, 01, 03, C4\n"), std::string::npos);
}

TEST(Builders, EepromWriteExample) {
    Wire w;
    w.proto.Connect(0x13);
    const unsigned char data[] = {1, 2, 3};
    ASSERT_TRUE(w.proto.BuildWrite("01", "12", false, data, 3, 5));
    EXPECT_EQ(w.SendBuffer(), B({0x16, 0x01, 0x93, 0xB0, 0x60, 0x17, 0x00, 0x01, 0x02, 0x03, 0, 0, 0, 0, 0, 0xF3, 0x73}));
}

TEST(Builders, WriteCountsAndOffsets) {
    Wire w;
    const unsigned char data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_TRUE(w.proto.BuildWrite("01", "0223", true, data, 8, 7));
    Bytes f = w.SendBuffer();
    EXPECT_EQ(f[3], 0xB1);
    EXPECT_EQ(f[4], 0x02);  // 8 bytes: count bits 0
    EXPECT_EQ(f[5], 0x23);
    EXPECT_EQ(f[6], 7);     // RAM: the offset in its own byte
    EXPECT_EQ(f[14], 8);
    ASSERT_TRUE(w.proto.BuildWrite("01", "0223", true, data, 9, 0));
    EXPECT_EQ(w.SendBuffer()[4], 0x02);  // cut to 8
    EXPECT_EQ(w.SendBuffer()[14], 8);
    // EEPROM: the offset moves the address and carries into the high byte.
    ASSERT_TRUE(w.proto.BuildWrite("01", "01F0", false, data, 1, 0x20));
    f = w.SendBuffer();
    EXPECT_EQ(f[4], 0x20 | 0x02);
    EXPECT_EQ(f[5], 0x10);
    EXPECT_EQ(f[6], 0);
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
        {"write high byte into the count bits", [&] { return w.proto.BuildWrite("01", "2000", true, data, 1, 0); },
         "Dirección no válida"},
        {"EEPROM offset carried past the address bits",
         [&] { return w.proto.BuildWrite("01", "1FFF", false, data, 1, 1); }, "Dirección no válida"},
        {"offset above 255", [&] { return w.proto.BuildWrite("01", "0100", true, data, 1, 256); },
         "Dirección no válida"},
        {"negative offset", [&] { return w.proto.BuildRead("01", "0100", true, 1, -1); }, "Dirección no válida"},
        {"read count 0", [&] { return w.proto.BuildRead("01", "0100", false, 0, 0); }, "Valor incorrecto"},
        {"read count 300", [&] { return w.proto.BuildRead("01", "0100", false, 300, 0); }, "Valor incorrecto"},
        {"read high byte into the flags", [&] { return w.proto.BuildRead("01", "4000", false, 1, 0); },
         "Dirección no válida"},
        {"address with a fifth digit", [&] { return w.proto.BuildRead("01", "10100", false, 1, 0); },
         "Dirección no válida"},
        {"destination 0101", [&] { return w.proto.BuildRead("0101", "0100", false, 1, 0); }, "Dirección no válida"},
        {"destination 0x41", [&] { return w.proto.BuildPhoneTest(0x41); }, "Dirección no válida"},
        {"block count 256", [&] { return w.proto.BuildBlockRead("01", "0100", 256); }, "Valor incorrecto"},
        {"file area 256", [&] { return w.proto.BuildFlashLength("01", 256); }, "Valor incorrecto"},
        {"keypad address with the user bit", [&] { return w.proto.BuildCodiAddressQuery("01", "1234", false); },
         "Dirección no válida"},
        {"record past 0xFFFF", [&] { return w.proto.BuildReadRecord("01", "FFF0", true, 2, 8, 1); },
         "Dirección no válida"},
        {"record bytes past 255", [&] { return w.proto.BuildReadRecord("01", "0100", true, 0, 64, 4); },
         "Valor incorrecto"},
        {"output 256", [&] { return w.proto.BuildOutputOn("01", 256); }, "Valor incorrecto"},
        {"zone mask byte 2", [&] { return w.proto.BuildZoneCommand("01", 2, 0xFF); }, "Valor incorrecto"},
        {"login code of 3", [&] { return w.proto.BuildLogin("00", "837", false); }, "Código de instalador erróneo 837"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
        EXPECT_FALSE(c.build());
        EXPECT_EQ(w.proto.GetError(), c.error);
        EXPECT_TRUE(w.proto.GetSendFrame().Empty());
        EXPECT_FALSE(w.proto.Send());
        EXPECT_EQ(w.proto.GetError(), "Nada que enviar");
    }
    EXPECT_TRUE(w.Written().empty());
}

TEST(Builders, EveryRequestLayout) {
    Wire w;  // TCP/IP: own address 0x13, toggle 0
    auto payload = [&] {
        Bytes f = w.SendBuffer();
        EXPECT_EQ(f[0], 0x16);
        EXPECT_EQ(Crc16(f), 0);
        return Bytes(f.begin() + 4, f.end() - 2);
    };
    ASSERT_TRUE(w.proto.BuildControl("05", kCtrlStoreFactory, false));
    EXPECT_EQ(w.SendBuffer()[1], 0x05);
    EXPECT_EQ(w.SendBuffer()[2], 0x93);
    EXPECT_EQ(payload(), B({28}));
    ASSERT_TRUE(w.proto.BuildLogout("40"));
    EXPECT_EQ(w.SendBuffer(), DataFrame(0x16, 0x40, 0x13, 0x10, B({8})));
    ASSERT_TRUE(w.proto.BuildApply("01", false));
    EXPECT_EQ(payload(), B({9}));
    ASSERT_TRUE(w.proto.BuildCodiAddressQuery("01", "0F23", true));
    EXPECT_EQ(payload(), B({0x1F, 0x23}));
    ASSERT_TRUE(w.proto.BuildFlashErase("01", "1234"));
    EXPECT_EQ(payload(), B({0x34, 0x12}));
    ASSERT_TRUE(w.proto.BuildFlashLength("01", 3));
    EXPECT_EQ(payload(), B({3, 0}));
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    EXPECT_EQ(payload(), B({0xD2, 0xFF, 0, 0}));
    ASSERT_TRUE(w.proto.BuildLogin("00", "8371", true));
    EXPECT_EQ(payload(), B({1, 0x83, 0x71, 0}));
    ASSERT_TRUE(w.proto.BuildBlockRead("01", "0102", 2));
    EXPECT_EQ(payload(), B({0x02, 0x01, 2, 0}));
    ASSERT_TRUE(w.proto.BuildRead("01", "0223", true, 255, 4));
    EXPECT_EQ(payload(), B({0xC2, 0x23, 0xFF, 255, 4}));
    ASSERT_TRUE(w.proto.BuildReadGrup("01", "17C0", false, 40));
    EXPECT_EQ(payload(), B({0x57, 0xC0, 0xFF, 40, 0}));
    ASSERT_TRUE(w.proto.BuildFlashWrite("01", "0302", B({1, 2, 3}).data(), 3));
    EXPECT_EQ(payload(), B({0x02, 0x03, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(w.proto.BuildReadClock("01"));
    EXPECT_EQ(payload(), B({0xC0, 0x03, 0xFF, 6, 0}));
    ASSERT_TRUE(w.proto.BuildReadEventPointer("01"));
    EXPECT_EQ(payload(), B({0xC0, 0x02, 0xFF, 3, 0x13}));
    ASSERT_TRUE(w.proto.BuildReadMesures("01", 4));
    EXPECT_EQ(payload(), B({0xC0, 0x10, 0xFF, 4, 0}));
    ASSERT_TRUE(w.proto.BuildReadOutputs("01", 2));
    EXPECT_EQ(payload(), B({0xC0, 0x06, 0xFF, 2, 0}));
    ASSERT_TRUE(w.proto.BuildReadRelays("01", 3));
    EXPECT_EQ(payload(), B({0xC0, 0x32, 0xFF, 3, 0}));
    ASSERT_TRUE(w.proto.BuildReadRadio("01", 5));
    EXPECT_EQ(payload(), B({0xC0, 0x16, 0xFF, 2, 0}));
    const unsigned char clock[6] = {10, 30, 0, 9, 12, 26};
    ASSERT_TRUE(w.proto.BuildWriteClock("01", clock));
    EXPECT_EQ(w.SendBuffer()[3], 0xB1);
    EXPECT_EQ(payload(), B({0xC0, 0x03, 0, 10, 30, 0, 9, 12, 26, 0, 0}));
    ASSERT_TRUE(w.proto.BuildReadRecord("01", "0100", true, 3, 8, 2));
    EXPECT_EQ(payload(), B({0x41, 0x18, 0xFF, 16, 0}));
    ASSERT_TRUE(w.proto.BuildReadRecord("01", "0100", false, 3, 8, 5));
    EXPECT_EQ(w.SendBuffer()[3], 0x44);
    EXPECT_EQ(payload(), B({0x01, 0x01, 3, 0}));  // block 0x100 + 24 / 16, (40 + 15) / 16 blocks
    ASSERT_TRUE(w.proto.BuildZoneCommand("01", 1, 0x81));
    EXPECT_EQ(payload(), B({0, 0x7F, 0x81, 0, 0}));
    ASSERT_TRUE(w.proto.BuildArmAreas("01", 0x03));
    EXPECT_EQ(payload(), B({2, 0x03, 0, 0, 0}));
    ASSERT_TRUE(w.proto.BuildRelayOff("01", 1));
    EXPECT_EQ(payload(), B({13, 1, 0, 0, 0}));
    ASSERT_TRUE(w.proto.BuildStatusRequest("01"));
    EXPECT_EQ(payload(), B({0xFF, 0, 0, 0, 0}));
    // The same builders take the destination as a number.
    ASSERT_TRUE(w.proto.BuildPhoneTest(0x05));
    EXPECT_EQ(w.SendBuffer()[1], 0x05);
    ASSERT_TRUE(w.proto.BuildPhoneTest(0));
    EXPECT_EQ(w.SendBuffer()[1], 0x00);
}

TEST(Builders, RemoteCommandsOnTheLocalCableAskForTheStatus) {
    Wire w(ConexioLocal);
    EXPECT_EQ(w.proto.GetOwnAddress(), 0x31);
    ASSERT_TRUE(w.proto.BuildArmAreas("01", 1));
    EXPECT_EQ(w.SendBuffer()[4], 0x82);
    ASSERT_TRUE(w.proto.BuildOutputOn("01", 2));
    EXPECT_EQ(w.SendBuffer()[4], 0x04);
    ASSERT_TRUE(w.proto.BuildRelayOn("01", 2));
    EXPECT_EQ(w.SendBuffer()[4], 12);
    Wire tcp;
    ASSERT_TRUE(tcp.proto.BuildArmAreas("01", 1));
    EXPECT_EQ(tcp.SendBuffer()[4], 0x02);
    ASSERT_TRUE(tcp.proto.BuildOutputOn("01", 2));
    EXPECT_EQ(tcp.SendBuffer()[4], 0x04);
}

TEST(Builders, ReadDelayByKindAndClockDelay) {
    for (auto [kind, delay] : {std::pair{ConexioLocal, 25}, std::pair{ConexioTcpIp, 350}, std::pair{ConexioGprs, 350}}) {
        Wire w(kind);
        std::int64_t before = w.clock.Elapsed();
        ASSERT_TRUE(w.proto.BuildRead("01", "0100", false, 1, 0));
        EXPECT_EQ(w.clock.Elapsed() - before, delay) << kind;
    }
    Wire w;
    std::int64_t before = w.clock.Elapsed();
    const unsigned char clock[6] = {};
    ASSERT_TRUE(w.proto.BuildWriteClock("01", clock));
    EXPECT_EQ(w.clock.Elapsed() - before, 100);
}

TEST(Builders, BroadcastControlAndAnswerNotWanted) {
    Wire w;
    ASSERT_TRUE(w.proto.BuildApply("01", true));
    Bytes f = w.SendBuffer();
    EXPECT_EQ(f[1], 0x40);
    EXPECT_EQ(f[2], 0x13);
    ASSERT_TRUE(w.proto.BuildApply("01", false));
    w.proto.ClearAnswerWanted();
    f = w.SendBuffer();
    EXPECT_EQ(f[2], 0x13);
    EXPECT_EQ(Crc16(f), 0);
}

TEST(Builders, AddressFromHex) {
    EXPECT_EQ(CProtocol::AddressFromHex(""), 0);
    EXPECT_EQ(CProtocol::AddressFromHex("7"), 0x07);
    EXPECT_EQ(CProtocol::AddressFromHex("12"), 0x12);
    EXPECT_EQ(CProtocol::AddressFromHex("0a1F"), 0x1F);
    EXPECT_EQ(CProtocol::AddressFromHex("x5"), 0x05);
}

TEST(Builders, TheToggleBitTravelsInTheDestination) {
    Wire w;
    w.Feed(AckFrame(0x06, 0x13, 0x01));  // an ACK from the panel flips the toggle
    EXPECT_TRUE(w.proto.GetToggle());
    ASSERT_TRUE(w.proto.BuildPhoneTest("01"));
    EXPECT_EQ(w.SendBuffer()[1], 0x81);
}

}  // namespace
