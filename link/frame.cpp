#include "link/frame.h"

#include <algorithm>

namespace {

// One entry per value of the high byte: the CRC of that byte shifted through the polynomial.
constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : bytes) crc = static_cast<std::uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ b) & 0xFF]);
    return crc;
}

std::uint16_t Crc16(const unsigned char* bytes, std::size_t length) {
    return Crc16(std::span<const std::uint8_t>(bytes, length));
}

PanelFrame::PanelFrame(const std::uint8_t* bytes, int length) {
    if (length < 0 || length > kMaxLength) return;
    std::copy_n(bytes, length, bytes_.begin());
    length_ = length;
}

PanelFrame PanelFrame::Data(std::uint8_t destinationByte, std::uint8_t sourceByte, std::uint8_t command,
                            std::span<const std::uint8_t> payload) {
    PanelFrame f;
    f.length_ = DataLength(command);
    f.bytes_[0] = kStart;
    f.bytes_[1] = destinationByte;
    f.bytes_[2] = sourceByte;
    f.bytes_[3] = command;
    std::size_t n = std::min(payload.size(), static_cast<std::size_t>(PayloadLength(command)));
    std::copy_n(payload.begin(), n, f.bytes_.begin() + 4);
    f.SealCrc();
    return f;
}

PanelFrame PanelFrame::Acknowledgement(bool ack, std::uint8_t to, bool toggle, std::uint8_t own) {
    PanelFrame f;
    f.length_ = kAckLength;
    f.bytes_[0] = ack ? kAck : kNak;
    f.bytes_[1] = static_cast<std::uint8_t>((to & kAddressMask) | (toggle ? kToggleBit : 0));
    f.bytes_[2] = static_cast<std::uint8_t>(own & kAddressMask);
    f.SealCrc();
    return f;
}

std::span<const std::uint8_t> PanelFrame::Payload() const {
    if (IsAckFrame() || length_ < 6) return {};
    return {bytes_.data() + 4, static_cast<std::size_t>(length_ - 6)};
}

bool PanelFrame::CrcOk() const {
    if (length_ < 3) return false;
    return Crc16(bytes_.data(), static_cast<std::size_t>(length_)) == 0;
}

void PanelFrame::SealCrc() {
    if (length_ < 3) return;
    std::uint16_t crc = Crc16(bytes_.data(), static_cast<std::size_t>(length_ - 2));
    bytes_[static_cast<std::size_t>(length_ - 2)] = static_cast<std::uint8_t>(crc >> 8);
    bytes_[static_cast<std::size_t>(length_ - 1)] = static_cast<std::uint8_t>(crc & 0xFF);
}

void PanelFrame::MakeRepeat() {
    if (length_ < 3) return;
    bytes_[0] = kRepeatStart;
    SealCrc();
}

void PanelFrame::MakeFirst() {
    if (length_ < 3) return;
    bytes_[0] = kStart;
    SealCrc();
}

void PanelFrame::SetToggleBit(bool toggle) {
    if (length_ < 3) return;
    bytes_[1] = static_cast<std::uint8_t>((bytes_[1] & ~kToggleBit) | (toggle ? kToggleBit : 0));
    SealCrc();
}

void PanelFrame::ClearAnswerWanted() {
    if (length_ < 3) return;
    bytes_[2] &= static_cast<std::uint8_t>(~kAnswerWanted);
    SealCrc();
}

bool PanelFrame::SameContent(const PanelFrame& other) const {
    return length_ == other.length_ && length_ > 3 &&
           std::equal(bytes_.begin() + 1, bytes_.begin() + length_ - 2, other.bytes_.begin() + 1);
}
