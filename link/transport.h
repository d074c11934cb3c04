// The byte transport under the link: what the link needs of a serial port or a TCP socket to
// move the panel's bytes. The serial port and the socket client implement it; another transport
// (an in-memory pipe in the tests) can be plugged into the link instead (CConexio::AttachTransport).
#pragma once


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
