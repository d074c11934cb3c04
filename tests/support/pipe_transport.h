// An in-memory transport for the tests: two connected ends that stand in for a serial port or a
// socket under the link, with the panel, a modem or a test at the far end.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>

#include "link/transport.h"

// Two connected in-memory ends: what one end writes, the other reads, in order. Unbounded,
// single-threaded. Breaking the pipe makes every later Write and Read of both ends fail, after
// the bytes already delivered to an end were read (like a peer that closed its socket).
class PipeTransport {
public:
    class End final : public ByteTransport {
    public:
        int Write(const unsigned char* data, int count) override;
        int Read(unsigned char* buffer, int maximum) override;
        int BytesWaiting() const override;
        bool SetRts(int state, int mode) override;
        // Counts the close and runs the close hook; the pipe stays usable. Returns false while
        // FailClose(true) is set.
        bool Close() override;

        // Called after bytes arrived at this end (written by the other end). The hook may write
        // back through this end.
        void OnArrival(std::function<void()> hook) { arrival_ = std::move(hook); }
        // Called when the user of this end closes it (a modem drops its call, as when the
        // serial port closes and DTR falls).
        void OnClose(std::function<void()> hook) { close_ = std::move(hook); }
        void FailClose(bool fail) { failClose_ = fail; }
        int Closes() const { return closes_; }
        // Recorded RTS calls: the last state and mode given, and how many calls were made.
        int RtsState() const { return rtsState_; }
        int RtsMode() const { return rtsMode_; }
        int RtsCalls() const { return rtsCalls_; }
        // Every byte written through this end so far.
        std::size_t BytesWritten() const { return written_; }

    private:
        friend class PipeTransport;
        PipeTransport* pipe_ = nullptr;
        End* peer_ = nullptr;
        std::deque<unsigned char> inbox_;
        std::function<void()> arrival_;
        std::function<void()> close_;
        bool failClose_ = false;
        int closes_ = 0;
        int rtsState_ = -1;
        int rtsMode_ = -1;
        int rtsCalls_ = 0;
        std::size_t written_ = 0;
    };

    PipeTransport();
    PipeTransport(const PipeTransport&) = delete;
    PipeTransport& operator=(const PipeTransport&) = delete;

    // The end the link uses and the end its peer (panel, modem) uses; they are symmetric.
    End& LinkEnd() { return a_; }
    End& PeerEnd() { return b_; }

    // Breaks the link for both ends.
    void Break() { broken_ = true; }
    // A new connection after a break: both ends usable and empty again.
    void Mend() {
        broken_ = false;
        a_.inbox_.clear();
        b_.inbox_.clear();
    }
    bool IsBroken() const { return broken_; }

private:
    End a_;
    End b_;
    bool broken_ = false;
};
