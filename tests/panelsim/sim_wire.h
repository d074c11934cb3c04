// The frame layer talking to the simulated panel through the in-memory pipe, on the virtual
// clock: the panel hears every byte as it is written and runs its timers on every sleep.
#pragma once

#include "../link/wire_fixture.h"
#include "panelsim.h"
#include "support/sim_service.h"

struct SimWire : Wire {
    panelsim::PanelSim sim;
    SimService service{sim, pipe, clock};

    explicit SimWire(int kind = ConexioTcpIp) : Wire(kind, false) { proto.Connect(); }

    // What the link pump does between operations: receive steps of 20 ms for a while.
    void Idle(int ms) {
        for (int t = 0; t < ms; t += 20) {
            clock.SleepMs(20);
            proto.Receive(20);
        }
    }

    // Sends the frame built and waits for an answer with one of the commands; the payload, or
    // nothing when either step failed.
    std::optional<Bytes> Ask(std::uint8_t c1, std::uint8_t c2 = 0xFF, std::uint8_t c3 = 0xFF) {
        if (!proto.Send() || !proto.WaitAnswer(c1, c2, c3)) return std::nullopt;
        int length = 0;
        const unsigned char* p = proto.GetAnswer(length);
        if (!p) return std::nullopt;
        return Bytes(p, p + length);
    }

    // The data bytes of a memory read (from byte 3 of each answer) until count bytes came.
    std::optional<Bytes> ReadBytes(int count) {
        if (!proto.Send()) return std::nullopt;
        Bytes data;
        while (static_cast<int>(data.size()) < count) {
            if (!proto.WaitAnswer(0xB0, 0xB1, 0xF0)) return std::nullopt;
            int length = 0;
            const unsigned char* p = proto.GetAnswer(length);
            if (!p || length < 4) return std::nullopt;
            for (int i = 3; i < length && static_cast<int>(data.size()) < count; ++i) data.push_back(p[i]);
        }
        return data;
    }

    int Count(panelsim::SimEvent::Kind kind) const {
        int n = 0;
        for (const auto& e : sim.Events()) n += e.kind == kind;
        return n;
    }
};
