// The frames of the panel's bus protocol, their CRC and the command, control and remote codes
// that the requests carry.
//
// A data frame: start byte (0x16 the first time, 0x02 on every repeat), destination bus address
// (bit 7: the toggle bit; 0x40 is the broadcast address), source bus address (bit 7: an
// acknowledgement is wanted), command, a payload of command >> 4 bytes (18 for 0xF0), and the
// CRC-16 of everything before it, high byte first. An acknowledgement frame is 5 bytes: 0x06 (ACK)
// or 0x15 (NAK), the answered frame's source with the toggle bit, the own address, the CRC.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// CRC-16 with polynomial 0x1021, initial value 0, no reflection, no final XOR (the XMODEM
// parameters). The check value of "123456789" is 0x31C3; a frame followed by its own CRC (high
// byte first) gives 0.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes);
std::uint16_t Crc16(const unsigned char* bytes, std::size_t length);

// Command byte of a frame (byte 3). Requests and the answers the panel sends back.
enum PanelCommand : std::uint8_t {
    kCmdKeepAlive = 0x01,
    kCmdControl = 0x10,
    kCmdCodiAddressQuery = 0x23,
    kCmdCodiAddress = 0x24,      // answer: the code's descriptor (2 bytes)
    kCmdFlashErase = 0x25,
    kCmdFlashLength = 0x26,
    kCmdPhoneTest = 0x40,
    kCmdLogin = 0x41,
    kCmdBlockRead = 0x44,
    kCmdMemoryRead = 0x51,
    kCmdRemote = 0x5B,
    kCmdLoginReply = 0x70,       // answer: 7 bytes, byte 0 = accepted
    kCmdGeneralStatus = 0xA1,    // answer: 10 status bytes
    kCmdWriteEeprom = 0xB0,      // request, and the answer carrying EEPROM data
    kCmdWriteRam = 0xB1,         // request, and the answer carrying RAM data
    kCmdFlashData = 0xF0,        // flash write request, and block or flash data answers
    kCmdNone = 0xFF,             // an unused slot of the expected answer commands
};

// Codes of the control request (command 0x10).
enum ControlCode : std::uint8_t {
    kCtrlEepromReset = 5,        // deep reset of the EEPROM programming
    kCtrlLogout = 8,             // end of the connection
    kCtrlApply = 9,              // take the new programming into use
    kCtrlClockWritten = 18,      // sent after a clock write
    kCtrlStoreFactory = 28,      // store the programming as factory values in flash
    kCtrlRestoreFactory = 29,    // make the factory values the current programming
};

// Sub-commands of the remote command (command 0x5B).
enum RemoteCommand : std::uint8_t {
    kRemZoneBypass = 0,
    kRemArmAreas = 2,
    kRemDisarmAreas = 3,
    kRemOutputOn = 4,
    kRemOutputOff = 5,
    kRemRelayOn = 12,
    kRemRelayOff = 13,
    kRemStatusRequest = 0xFF,
};

class PanelFrame {
public:
    static constexpr std::uint8_t kStart = 0x16;
    static constexpr std::uint8_t kRepeatStart = 0x02;
    static constexpr std::uint8_t kAck = 0x06;
    static constexpr std::uint8_t kNak = 0x15;
    static constexpr std::uint8_t kBroadcast = 0x40;
    static constexpr std::uint8_t kToggleBit = 0x80;     // in byte 1
    static constexpr std::uint8_t kAnswerWanted = 0x80;  // in byte 2
    static constexpr std::uint8_t kAddressMask = 0x7F;
    static constexpr int kAckLength = 5;
    static constexpr int kMaxLength = 24;                 // a 0xF0 frame

    // Payload length of a data frame by its command; its frame is 6 bytes longer.
    static constexpr int PayloadLength(std::uint8_t command) { return command == 0xF0 ? 18 : command >> 4; }
    static constexpr int DataLength(std::uint8_t command) { return PayloadLength(command) + 6; }

    PanelFrame() = default;
    // A copy of length bytes (at most kMaxLength; longer input is refused as an empty frame).
    PanelFrame(const std::uint8_t* bytes, int length);

    // A complete data frame: start 0x16, the given address bytes as they go on the wire, the
    // command, the payload (zero-filled or cut to the command's length) and the CRC.
    static PanelFrame Data(std::uint8_t destinationByte, std::uint8_t sourceByte, std::uint8_t command,
                           std::span<const std::uint8_t> payload);
    // An ACK (ack true) or NAK to address `to` with the toggle bit, from `own`.
    static PanelFrame Acknowledgement(bool ack, std::uint8_t to, bool toggle, std::uint8_t own);

    int Length() const { return length_; }
    bool Empty() const { return length_ == 0; }
    const std::uint8_t* Bytes() const { return bytes_.data(); }
    std::uint8_t operator[](int i) const { return bytes_[static_cast<std::size_t>(i)]; }
    std::span<const std::uint8_t> View() const { return {bytes_.data(), static_cast<std::size_t>(length_)}; }

    bool IsAckFrame() const { return length_ > 0 && (bytes_[0] == kAck || bytes_[0] == kNak); }
    bool IsAck() const { return length_ > 0 && bytes_[0] == kAck; }
    bool IsNak() const { return length_ > 0 && bytes_[0] == kNak; }
    bool IsRepeat() const { return length_ > 0 && bytes_[0] == kRepeatStart; }
    std::uint8_t Destination() const { return bytes_[1] & kAddressMask; }
    std::uint8_t Source() const { return bytes_[2] & kAddressMask; }
    bool ToggleBit() const { return (bytes_[1] & kToggleBit) != 0; }
    bool AnswerWanted() const { return (bytes_[2] & kAnswerWanted) != 0; }
    std::uint8_t Command() const { return bytes_[3]; }
    // The data frame's payload (from byte 4, length - 6 bytes); empty for acknowledgements.
    std::span<const std::uint8_t> Payload() const;

    // The last two bytes hold the CRC of the others.
    bool CrcOk() const;
    // Writes the CRC of the bytes before the last two into the last two.
    void SealCrc();
    // Turns the frame into its repeat: start 0x02 and the CRC recomputed.
    void MakeRepeat();
    // Turns the frame back into a first transmission: start 0x16 and the CRC recomputed.
    void MakeFirst();
    // Sets or clears the toggle bit (bit 7 of byte 1) and recomputes the CRC.
    void SetToggleBit(bool toggle);
    // Clears bit 7 of byte 2 (no acknowledgement wanted) and recomputes the CRC.
    void ClearAnswerWanted();

    // Same bytes apart from the start byte and the CRC (a repeat of the same frame).
    bool SameContent(const PanelFrame& other) const;
    void Clear() { length_ = 0; }

private:
    std::array<std::uint8_t, kMaxLength> bytes_{};
    int length_ = 0;
};
