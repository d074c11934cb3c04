// Serves a simulated panel at the far end of an in-memory pipe on the virtual clock: the panel
// hears every byte as it is written and runs its timers on every sleep, so a test runs a panel
// exchange as a plain call. A test may watch what the panel hears and rewrite what it says.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "panelsim.h"
#include "support/pipe_transport.h"
#include "support/virtual_clock.h"

class SimService {
public:
    using Bytes = std::vector<std::uint8_t>;

    SimService(panelsim::PanelSim& sim, PipeTransport& pipe, VirtualClock& clock) : sim_(sim), pipe_(pipe), clock_(clock) {
        pipe_.PeerEnd().OnArrival([this] { Service(); });
        clock_.OnSleep([this](std::int64_t) { Service(); });
    }
    SimService(const SimService&) = delete;
    SimService& operator=(const SimService&) = delete;

    // One step of the panel: the bytes that reached it in, its answers out; a dropped connection
    // breaks the pipe.
    void Service() {
        if (serving_ || pipe_.IsBroken()) return;
        serving_ = true;
        Bytes in(static_cast<std::size_t>(pipe_.PeerEnd().BytesWaiting()));
        if (!in.empty()) pipe_.PeerEnd().Read(in.data(), static_cast<int>(in.size()));
        if (heard && !in.empty()) heard(in);
        Bytes out = sim_.Step(clock_.Elapsed(), in);
        if (rewrite && !out.empty()) out = rewrite(out);
        if (!out.empty()) pipe_.PeerEnd().Write(out.data(), static_cast<int>(out.size()));
        if (sim_.Dropped()) pipe_.Break();
        serving_ = false;
    }

    std::function<void(const Bytes&)> heard;     // the bytes the panel received
    std::function<Bytes(const Bytes&)> rewrite;  // the panel's bytes before they reach the link

private:
    panelsim::PanelSim& sim_;
    PipeTransport& pipe_;
    VirtualClock& clock_;
    bool serving_ = false;
};
