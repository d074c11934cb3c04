// A frame layer on a link whose bytes go through an in-memory pipe, on a virtual clock: the test
// plays the far end by writing and reading the pipe's other end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datamodel/log.h"
#include "datamodel/seams.h"
#include "link/conexio.h"
#include "link/protocol.h"
#include "support/pipe_transport.h"
#include "support/capture_log_sink.h"
#include "support/fake_timer.h"
#include "support/virtual_clock.h"


using Bytes = std::vector<std::uint8_t>;

struct Wire {
    VirtualClock clock;
    PipeTransport pipe;
    CaptureLogSink sink;
    CLog log{&sink, &clock};
    CConexio link;
    CProtocol proto;
    FakeTimer pump;
    FakeTimer idle;

    explicit Wire(int kind = ConexioTcpIp, bool connect = true) {
        link.SetClock(&clock);
        link.SetKind(kind);
        link.SetIp("127.0.0.1");
        link.SetIpPort(1);
        link.SetBaud(19200);
        link.SetDataBits(8);
        link.SetStopBits(0);
        link.SetParity(0);
        link.SetPort(1);
        link.SetPhone("123");
        link.AttachTransport(&pipe.LinkEnd());
        if (kind == ConexioLocal || kind >= ConexioTcpIp) link.Open();  // the modem kinds would dial
        proto.SetLink(&link);
        proto.SetLog(&log);
        proto.SetTimers(&pump, &idle);
        if (connect) proto.Connect();
    }
    // Bytes from the far end, then one receive step.
    void Feed(const Bytes& bytes, int elapsed = 20) {
        pipe.PeerEnd().Write(bytes.data(), static_cast<int>(bytes.size()));
        proto.Receive(elapsed);
    }
    // Everything the frame layer wrote since the last call.
    Bytes Written() {
        Bytes out(static_cast<std::size_t>(pipe.PeerEnd().BytesWaiting()));
        if (!out.empty()) pipe.PeerEnd().Read(out.data(), static_cast<int>(out.size()));
        return out;
    }
    Bytes SendBuffer() const {
        const PanelFrame& f = proto.GetSendFrame();
        return Bytes(f.Bytes(), f.Bytes() + f.Length());
    }
    const std::string& Trace() const { return sink.Text(); }
};

inline Bytes WithCrc(Bytes f) {
    std::uint16_t crc = Crc16(f);
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    f.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return f;
}
// A frame with its CRC: start, destination byte, source byte, command, payload (zero-filled).
inline Bytes DataFrame(std::uint8_t start, std::uint8_t dest, std::uint8_t src, std::uint8_t cmd, Bytes payload) {
    payload.resize(static_cast<std::size_t>(PanelFrame::PayloadLength(cmd)), 0);
    Bytes f{start, dest, src, cmd};
    f.insert(f.end(), payload.begin(), payload.end());
    return WithCrc(f);
}
inline Bytes AckFrame(std::uint8_t code, std::uint8_t dest, std::uint8_t src) { return WithCrc({code, dest, src}); }
