// Serves a simulated panel at the far end of an in-memory pipe on the virtual clock: the panel
// hears every byte as it is written and runs its timers on every sleep, so a test runs a panel
// exchange as a plain call. A test may watch what the panel hears and rewrite what it says.
#pragma once

#include <cstdint>
#include <deque>
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
        const std::int64_t now = clock_.Elapsed();
        Bytes out = sim_.Step(now, in);
        if (rewrite && !out.empty()) out = rewrite(out);
        if (!out.empty()) inFlight_.push_back({now + transitMs, std::move(out)});
        while (!inFlight_.empty() && inFlight_.front().first <= now) {
            const Bytes& due = inFlight_.front().second;
            pipe_.PeerEnd().Write(due.data(), static_cast<int>(due.size()));
            inFlight_.pop_front();
        }
        if (sim_.Dropped()) pipe_.Break();
        serving_ = false;
    }

    // A new line: nothing in flight, nothing waiting at either end.
    void Clear() {
        inFlight_.clear();
        for (PipeTransport::End* end : {&pipe_.LinkEnd(), &pipe_.PeerEnd()}) {
            Bytes junk(static_cast<std::size_t>(end->BytesWaiting()));
            if (!junk.empty()) end->Read(junk.data(), static_cast<int>(junk.size()));
        }
    }

    std::function<void(const Bytes&)> heard;     // the bytes the panel received
    std::function<Bytes(const Bytes&)> rewrite;  // the panel's bytes before they reach the link
    int transitMs = 0;  // how long the panel's bytes take to reach the link (they may cross ours)

private:
    panelsim::PanelSim& sim_;
    PipeTransport& pipe_;
    VirtualClock& clock_;
    bool serving_ = false;
    std::deque<std::pair<std::int64_t, Bytes>> inFlight_;
};
