// The byte transport under the link: what the link needs of a serial port or a TCP socket to
// move the panel's bytes. The serial port and the socket client implement it; tests and the
// simulated panel plug an in-memory pipe into the link instead (CConexio::AttachTransport).
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>

class ByteTransport {
public:
    virtual ~ByteTransport() = default;
    // Writes count bytes. Returns the number written (count when all went out) or -1 when the
    // transport is closed or broken.
    virtual int Write(const unsigned char* data, int count) = 0;
    // Never blocks: copies at most maximum bytes that have arrived. Returns their number, 0 when
    // nothing is waiting, a negative number when the transport is closed or broken (the peer
    // hung up, the device went away).
    virtual int Read(unsigned char* buffer, int maximum) = 0;
    // Number of bytes that a Read would find now (0 when closed).
    virtual int BytesWaiting() const = 0;
    // The RTS line (state 1 on; otherwise mode 2 off, any other mode back to handshake).
    // Transports without modem lines accept it and do nothing.
    virtual bool SetRts(int state, int mode) {
        (void)state;
        (void)mode;
        return true;
    }
    // The link is done with the transport for now (the port or the connection is closed); it
    // may be used again after the next open. False when closing failed.
    virtual bool Close() { return true; }
};

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
    bool IsBroken() const { return broken_; }

private:
    End a_;
    End b_;
    bool broken_ = false;
};
