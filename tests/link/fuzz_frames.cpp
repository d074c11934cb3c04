// Fuzzes the receive state machine: arbitrary bytes arrive in arbitrary pieces with arbitrary
// pauses. Whatever comes, the queue stays bounded and holds only complete frames with a good CRC,
// and every byte the layer writes back is a well-formed acknowledgement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "datamodel/seams.h"
#include "link/conexio.h"
#include "link/protocol.h"
#include "support/pipe_transport.h"

namespace {

class NullClock final : public Clock {
public:
    LocalTime Now() const override { return {}; }

protected:
    std::int64_t MonotonicUs() const override { return now_; }
    void SleepUntilUs(std::int64_t deadlineUs) override {
        if (deadlineUs > now_) now_ = deadlineUs;
    }

private:
    std::int64_t now_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    NullClock clock;
    PipeTransport pipe;
    CConexio link;
    link.SetClock(&clock);
    // The first byte picks the link kind (the acknowledgement rule differs) and the own address.
    link.SetKind(4 + data[0] % 3);
    link.SetIp("127.0.0.1");
    link.SetIpPort(1);
    link.AttachTransport(&pipe.LinkEnd());
    if (!link.Open()) return 0;
    CProtocol proto;
    proto.SetLink(&link);
    proto.SetClock(&clock);
    proto.Connect((data[0] & 0x80) ? 0x13 : 0x01);

    // Then pieces: a length byte (low 5 bits: up to 31 bytes; bit 7: a long pause before it).
    std::size_t i = 1;
    while (i < size) {
        std::uint8_t control = data[i++];
        std::size_t n = control & 0x1F;
        if (n > size - i) n = size - i;
        if (control & 0x80) {
            for (int k = 0; k < (control >> 5 & 3) * 60; ++k) proto.Receive(20);
        }
        pipe.PeerEnd().Write(data + i, static_cast<int>(n));
        i += n;
        proto.Receive(control & 0x40 ? 200 : 1);

        if (proto.QueueSize() > CProtocol::kQueueLimit) std::abort();
        // Whatever the layer wrote back must be acknowledgement frames with a good CRC.
        std::uint8_t out[4096];
        int got = pipe.PeerEnd().Read(out, sizeof out);
        if (got % PanelFrame::kAckLength != 0) std::abort();
        for (int k = 0; k < got; k += PanelFrame::kAckLength) {
            if (out[k] != PanelFrame::kAck && out[k] != PanelFrame::kNak) std::abort();
            if (Crc16(out + k, PanelFrame::kAckLength) != 0) std::abort();
        }
    }
    // Every frame taken out of the queue is complete and sound.
    while (proto.WaitAnswer(0xB0, 0xB1, 0xF0) || proto.WaitAnswer(0x24, 0x70, 0xA1)) {
        int length = -1;
        const unsigned char* p = proto.GetAnswer(length);
        if (!p || length < 0 || length > 18) std::abort();
    }
    proto.Disconnect();
    return 0;
}
