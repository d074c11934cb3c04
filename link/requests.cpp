// The request builders of the frame layer: one complete frame per kind of request.
#include <array>

#include "datamodel/seams.h"
#include "datamodel/strings.h"
#include "link/conexio.h"
#include "link/protocol.h"

namespace {

const char* const kBadAddress = "Dirección no válida";
const char* const kBadValue = "Valor incorrecto";

// A memory or flash address: hexadecimal text, left-padded with "0" to four characters, the high
// byte from characters 1-2 and the low byte from 3-4 (a character that is not a hexadecimal digit
// counts as 0). A longer text is accepted only when what stands before its last four characters
// is zeros, so an address never loses digits.
bool ParseAddress(const std::string& text, unsigned& address) {
    std::string t = text;
    if (t.size() > 4) {
        std::size_t extra = t.size() - 4;
        for (std::size_t i = 0; i < extra; ++i)
            if (HexCharToValue(t[i]) != 0) return false;
        t = t.substr(extra);
    }
    while (t.size() < 4) t.insert(t.begin(), '0');
    address = 0;
    for (char c : t) address = address << 4 | static_cast<unsigned>(HexCharToValue(c));
    return true;
}

std::uint8_t High(unsigned address) { return static_cast<std::uint8_t>(address >> 8 & 0xFF); }
std::uint8_t Low(unsigned address) { return static_cast<std::uint8_t>(address & 0xFF); }


}  // namespace

int BusDestination::Resolve() const {
    if (!isText_) return address_ >= 0 && address_ <= PanelFrame::kBroadcast ? address_ : -1;
    int value = 0;
    for (char c : text_) {
        value = value * 16 + HexCharToValue(c);
        if (value > PanelFrame::kBroadcast) return -1;
    }
    return value;
}

bool CProtocol::BeginBuild() {
    if (busy_) {  // the running exchange still needs the send buffer
        error_ = kBusyError;
        return false;
    }
    send_.Clear();
    sendExpected_ = ExpectedAnswers{};
    return true;
}

bool CProtocol::Refuse(const std::string& error) {
    error_ = error;
    send_.Clear();
    return false;
}

bool CProtocol::Resolve(const BusDestination& destination, std::uint8_t& address) {
    int a = destination.Resolve();
    if (a < 0) return Refuse(kBadAddress);
    address = static_cast<std::uint8_t>(a);
    return true;
}

bool CProtocol::Finish(std::uint8_t destination, std::uint8_t command, std::span<const std::uint8_t> payload,
                       ExpectedAnswers expected) {
    std::uint8_t dest = static_cast<std::uint8_t>(destination | (toggle_ ? PanelFrame::kToggleBit : 0));
    std::uint8_t source = static_cast<std::uint8_t>(ownAddress_ | PanelFrame::kAnswerWanted);
    send_ = PanelFrame::Data(dest, source, command, payload);
    lastDestination_ = destination;
    sendExpected_ = expected;
    return true;
}

bool CProtocol::BuildPing(const BusDestination& destination) {
    std::uint8_t d;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    Finish(d, kCmdKeepAlive, {});
    return Send();
}

bool CProtocol::BuildControl(const BusDestination& destination, std::uint8_t code, bool broadcast) {
    std::uint8_t d;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    std::array<std::uint8_t, 1> payload{code};
    if (!broadcast) return Finish(d, kCmdControl, payload);
    // To everybody: no toggle bit, no acknowledgement wanted.
    send_ = PanelFrame::Data(PanelFrame::kBroadcast, ownAddress_, kCmdControl, payload);
    lastDestination_ = PanelFrame::kBroadcast;
    return true;
}

bool CProtocol::BuildLogout(const BusDestination& destination) { return BuildControl(destination, kCtrlLogout, true); }

bool CProtocol::BuildApply(const BusDestination& destination, bool broadcast) {
    return BuildControl(destination, kCtrlApply, broadcast);
}

bool CProtocol::BuildCodiAddressQuery(const BusDestination& destination, const std::string& id, bool userCode) {
    std::uint8_t d;
    unsigned address;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (!ParseAddress(id, address) || (High(address) & 0x10)) return Refuse(kBadAddress);
    std::array<std::uint8_t, 2> payload{static_cast<std::uint8_t>(High(address) | (userCode ? 0x10 : 0)), Low(address)};
    return Finish(d, kCmdCodiAddressQuery, payload, ExpectedAnswers{{kCmdCodiAddress, kCmdWriteEeprom, kCmdWriteRam}});
}

bool CProtocol::BuildFlashErase(const BusDestination& destination, const std::string& address) {
    std::uint8_t d;
    unsigned a;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (!ParseAddress(address, a)) return Refuse(kBadAddress);
    std::array<std::uint8_t, 2> payload{Low(a), High(a)};
    return Finish(d, kCmdFlashErase, payload);
}

bool CProtocol::BuildFlashLength(const BusDestination& destination, int value) {
    std::uint8_t d;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (value < 0 || value > 255) return Refuse(kBadValue);
    std::array<std::uint8_t, 2> payload{static_cast<std::uint8_t>(value), 0};
    return Finish(d, kCmdFlashLength, payload);
}

bool CProtocol::BuildPhoneTest(const BusDestination& destination) {
    std::uint8_t d;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    std::array<std::uint8_t, 4> payload{0xD2, 0xFF, 0x00, 0x00};
    return Finish(d, kCmdPhoneTest, payload);
}

bool CProtocol::BuildLogin(const BusDestination& destination, const std::string& code, bool callback) {
    std::uint8_t d;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (code.size() != 4) return Refuse("Código de instalador erróneo " + code);
    auto pair = [&](int i) {
        return static_cast<std::uint8_t>(HexCharToValue(code[static_cast<std::size_t>(i)]) << 4 |
                                         HexCharToValue(code[static_cast<std::size_t>(i + 1)]));
    };
    std::array<std::uint8_t, 4> payload{static_cast<std::uint8_t>(callback ? 1 : 0), pair(0), pair(2), 0};
    ExpectedAnswers expected = callback ? ExpectedAnswers{{kCmdLoginReply, kCmdWriteEeprom, kCmdWriteRam}}
                                 : ExpectedAnswers{{kCmdLoginReply, kCmdNone, kCmdNone}};
    return Finish(d, kCmdLogin, payload, expected);
}

bool CProtocol::BlockReadAt(std::uint8_t destination, unsigned address, int count) {
    if (address > 0xFFFF) return Refuse(kBadAddress);
    if (count < 0 || count > 255) return Refuse(kBadValue);
    std::array<std::uint8_t, 4> payload{Low(address), High(address), static_cast<std::uint8_t>(count), 0};
    return Finish(destination, kCmdBlockRead, payload, ExpectedAnswers{{kCmdFlashData, kCmdWriteEeprom, kCmdWriteRam}});
}

bool CProtocol::BuildBlockRead(const BusDestination& destination, const std::string& address, int count) {
    std::uint8_t d;
    unsigned a;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (!ParseAddress(address, a)) return Refuse(kBadAddress);
    return BlockReadAt(d, a, count);
}

bool CProtocol::ReadAt(std::uint8_t destination, unsigned address, bool ram, int count, int offset) {
    // The high byte shares its byte with the read flag (0x40) and the RAM flag (0x80).
    if (address > 0x3FFF || offset < 0 || offset > 255) return Refuse(kBadAddress);
    if (count < 1 || count > 255) return Refuse(kBadValue);
    Sleep(ConexioKindTable::Get(Kind()).readDelay);
    std::array<std::uint8_t, 5> payload{static_cast<std::uint8_t>(0x40 | (ram ? 0x80 : 0) | High(address)),
                                        Low(address), 0xFF, static_cast<std::uint8_t>(count),
                                        static_cast<std::uint8_t>(offset)};
    return Finish(destination, kCmdMemoryRead, payload, ExpectedAnswers{{kCmdWriteEeprom, kCmdWriteRam, kCmdFlashData}});
}

bool CProtocol::BuildRead(const BusDestination& destination, const std::string& address, bool ram, int count,
                          int offset) {
    std::uint8_t d;
    unsigned a;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (!ParseAddress(address, a)) return Refuse(kBadAddress);
    return ReadAt(d, a, ram, count, offset);
}

bool CProtocol::BuildReadGrup(const BusDestination& destination, const std::string& address, bool ram, int count) {
    return BuildRead(destination, address, ram, count, 0);
}

bool CProtocol::BuildRemote(const BusDestination& destination, std::uint8_t command, std::uint8_t arg1,
                            std::uint8_t arg2, std::uint8_t arg3, std::uint8_t arg4) {
    std::uint8_t d;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    std::uint8_t sub = command;
    bool switching = command == kRemOutputOn || command == kRemOutputOff || command == kRemRelayOn ||
                     command == kRemRelayOff;
    // On the local cable the panel sends its status after a command that carries bit 7.
    if (Kind() == ConexioLocal && !switching) sub |= 0x80;
    std::array<std::uint8_t, 5> payload{sub, arg1, arg2, arg3, arg4};
    ExpectedAnswers expected;
    if (sub & 0x80) expected = ExpectedAnswers{{kCmdGeneralStatus, kCmdNone, kCmdNone}};
    return Finish(d, kCmdRemote, payload, expected);
}

bool CProtocol::BuildWrite(const BusDestination& destination, const std::string& address, bool ram,
                           const unsigned char* data, int count, int offset) {
    std::uint8_t d;
    unsigned a;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (count <= 0 || data == nullptr) return Refuse(kBadValue);
    if (count > 8) count = 8;
    if (!ParseAddress(address, a) || offset < 0 || offset > 255) return Refuse(kBadAddress);
    std::uint8_t offsetByte = static_cast<std::uint8_t>(offset);
    if (!ram) {
        a += static_cast<unsigned>(offset);  // EEPROM: the offset moves the address itself
        offsetByte = 0;
    }
    // The high byte shares its byte with the count (bits 5-7).
    if (a > 0x1FFF) return Refuse(kBadAddress);
    std::array<std::uint8_t, 11> payload{};
    payload[0] = static_cast<std::uint8_t>((count == 8 ? 0 : count * 32) | High(a));
    payload[1] = Low(a);
    payload[2] = offsetByte;
    for (int i = 0; i < count; ++i) payload[static_cast<std::size_t>(3 + i)] = data[i];
    return Finish(d, ram ? kCmdWriteRam : kCmdWriteEeprom, payload);
}

bool CProtocol::BuildFlashWrite(const BusDestination& destination, const std::string& address,
                                const unsigned char* data, int count) {
    std::uint8_t d;
    unsigned a;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (count < 0 || (count > 0 && data == nullptr)) return Refuse(kBadValue);
    if (count > 16) count = 16;
    if (!ParseAddress(address, a)) return Refuse(kBadAddress);
    std::array<std::uint8_t, 18> payload{};
    payload[0] = Low(a);
    payload[1] = High(a);
    for (int i = 0; i < count; ++i) payload[static_cast<std::size_t>(2 + i)] = data[i];
    return Finish(d, kCmdFlashData, payload);
}

bool CProtocol::BuildReadClock(const BusDestination& destination) { return BuildRead(destination, "0003", true, 6, 0); }

bool CProtocol::BuildReadEventPointer(const BusDestination& destination) {
    return BuildRead(destination, "0002", true, 3, 0x13);
}

bool CProtocol::BuildReadMesures(const BusDestination& destination, int count) {
    return BuildRead(destination, "0010", true, count, 0);
}

bool CProtocol::BuildReadOutputs(const BusDestination& destination, int count) {
    return BuildRead(destination, "0006", true, count, 0);
}

bool CProtocol::BuildReadRelays(const BusDestination& destination, int count) {
    return BuildRead(destination, "0032", true, count, 0);
}

bool CProtocol::BuildReadRadio(const BusDestination& destination, int count) {
    return BuildRead(destination, "0016", true, count / 2, 0);
}

bool CProtocol::BuildWriteClock(const BusDestination& destination, const unsigned char* clock) {
    if (!BeginBuild()) return false;
    if (clock == nullptr) return Refuse(kBadValue);
    Sleep(100);
    return BuildWrite(destination, "0003", true, clock, 6, 0);
}

bool CProtocol::BuildReadRecord(const BusDestination& destination, const std::string& base, bool byBytes, int index,
                                int size, int count) {
    std::uint8_t d;
    unsigned b;
    if (!BeginBuild() || !Resolve(destination, d)) return false;
    if (!ParseAddress(base, b)) return Refuse(kBadAddress);
    if (index < 0 || size < 1 || count < 1 || size > 0xFFFF || count > 0xFFFF || index > 0xFFFF)
        return Refuse(kBadValue);
    const long long records = static_cast<long long>(index) * size;
    if (byBytes) {
        long long address = b + records;
        if (address > 0xFFFF) return Refuse(kBadAddress);
        long long bytes = static_cast<long long>(size) * count;
        if (bytes > 255) return Refuse(kBadValue);
        return ReadAt(d, static_cast<unsigned>(address), false, static_cast<int>(bytes), 0);
    }
    long long block = b + records / 16;
    if (block > 0xFFFF) return Refuse(kBadAddress);
    long long blocks = (static_cast<long long>(size) * count + 15) / 16;
    if (blocks > 255) return Refuse(kBadValue);
    return BlockReadAt(d, static_cast<unsigned>(block), static_cast<int>(blocks));
}

bool CProtocol::BuildZoneCommand(const BusDestination& destination, int maskByte, std::uint8_t mask) {
    if (maskByte != 0 && maskByte != 1) {
        if (!BeginBuild()) return false;
        return Refuse(kBadValue);
    }
    return BuildRemote(destination, kRemZoneBypass, maskByte == 0 ? 0x3F : 0x7F, mask, 0, 0);
}

bool CProtocol::BuildArmAreas(const BusDestination& destination, std::uint8_t areas) {
    return BuildRemote(destination, kRemArmAreas, areas, 0, 0, 0);
}

bool CProtocol::BuildDisarmAreas(const BusDestination& destination, std::uint8_t areas) {
    return BuildRemote(destination, kRemDisarmAreas, areas, 0, 0, 0);
}

namespace {
bool FitsByte(int value) { return value >= 0 && value <= 255; }
}  // namespace

bool CProtocol::BuildOutputOn(const BusDestination& destination, int output) {
    if (!FitsByte(output)) return BeginBuild() && Refuse(kBadValue);
    return BuildRemote(destination, kRemOutputOn, static_cast<std::uint8_t>(output), 0, 0, 0);
}

bool CProtocol::BuildOutputOff(const BusDestination& destination, int output) {
    if (!FitsByte(output)) return BeginBuild() && Refuse(kBadValue);
    return BuildRemote(destination, kRemOutputOff, static_cast<std::uint8_t>(output), 0, 0, 0);
}

bool CProtocol::BuildRelayOn(const BusDestination& destination, int relay) {
    if (!FitsByte(relay)) return BeginBuild() && Refuse(kBadValue);
    return BuildRemote(destination, kRemRelayOn, static_cast<std::uint8_t>(relay), 0, 0, 0);
}

bool CProtocol::BuildRelayOff(const BusDestination& destination, int relay) {
    if (!FitsByte(relay)) return BeginBuild() && Refuse(kBadValue);
    return BuildRemote(destination, kRemRelayOff, static_cast<std::uint8_t>(relay), 0, 0, 0);
}

bool CProtocol::BuildStatusRequest(const BusDestination& destination) {
    return BuildRemote(destination, kRemStatusRequest, 0, 0, 0, 0);
}

void CProtocol::ClearAnswerWanted() {
    if (busy_ || send_.Empty()) return;
    send_.ClearAnswerWanted();
}
