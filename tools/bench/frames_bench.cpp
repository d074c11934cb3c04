// Reads and writes N codes against the simulated panel, answering at once, and prints the time
// per read and per write beside the sum of the fixed waits the protocol prescribes for that link
// kind. The ratio shows what our own code adds on top of the prescribed waits.
//
//   frames_bench [N] [kind]      kind 4, 5 or 6: TCP on the loopback interface (default 4)
//                                kind 1: the local cable on a pseudo-terminal, 19200 baud
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "link/conexio.h"
#include "link/protocol.h"
#include "link/serial.h"
#include "panelsim.h"
#include "serve.h"

namespace {

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The line time the serial link sleeps after writing a frame (8 data bits, 1 stop bit).
int LineTime(int bytes, int baud) { return (9 * 1000) * (bytes + 1) / baud + 1; }

}  // namespace

int main(int argc, char** argv) {
    int n = argc > 1 ? std::atoi(argv[1]) : 10;
    int kind = argc > 2 ? std::atoi(argv[2]) : ConexioTcpIp;
    if (n < 1 || !(kind == ConexioLocal || (kind >= ConexioTcpIp && kind <= ConexioCraLink))) {
        std::fprintf(stderr, "usage: frames_bench [N >= 1] [kind 1, 4, 5 or 6]\n");
        return 2;
    }
    const int baud = 19200;

    panelsim::PanelSim sim;
    std::atomic<bool> stop{false};
    panelsim::ServeOptions options;
    options.stop = &stop;
    std::thread server;
    int fd = -1;
    CConexio link;
    link.SetKind(kind);
    if (kind == ConexioLocal) {
        std::string slave;
        fd = panelsim::OpenPtyMaster(slave);
        if (fd < 0) {
            std::perror("pseudo-terminal");
            return 1;
        }
        options.pty = true;
        server = std::thread([&] {
            while (!stop) panelsim::Serve(fd, sim, options);
        });
        SetSerialDeviceOverride(250, slave);
        link.SetBaud(baud);
        link.SetDataBits(8);
        link.SetStopBits(0);
        link.SetParity(0);
        link.SetPort(250);
    } else {
        int port = 0;
        fd = panelsim::ListenLoopback(0, port);
        if (fd < 0) {
            std::perror("listen");
            return 1;
        }
        server = std::thread([&] { panelsim::ServeTcp(fd, sim, options); });
        link.SetIp("127.0.0.1");
        link.SetIpPort(port);
    }
    if (!link.Open()) {
        std::fprintf(stderr, "open: %s\n", link.GetError().c_str());
        stop = true;
        server.join();
        return 1;
    }
    CProtocol proto;
    proto.SetLink(&link);
    proto.Connect();

    const ConexioKindEntry& t = ConexioKindTable::Get(kind);
    int failures = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        unsigned char data[8] = {static_cast<unsigned char>(i), 1, 2, 3, 4, 5, 6, 7};
        if (!proto.BuildWrite("01", "0100", false, data, 8, 0) || !proto.Send()) ++failures;
    }
    auto writes = std::chrono::steady_clock::now() - start;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        if (!proto.BuildRead("01", "0100", false, 8, 0) || !proto.Send() || !proto.WaitAnswer(0xB0, 0xB1, 0xF0))
            ++failures;
    }
    auto reads = std::chrono::steady_clock::now() - start;
    proto.Disconnect();
    link.Close();
    stop = true;
    server.join();
    ::close(fd);

    // The waits a read cannot avoid: the delay before building it, the link's pause before any
    // read frame, one poll for the acknowledgement, the pause before acknowledging the answer
    // and the pause after taking it; on the cable also the line times of the request and of our
    // acknowledgement. A write: one poll for the acknowledgement, and its line time.
    int serial = kind == ConexioLocal;
    int readWaits = t.readDelay + 100 + t.pollInterval + 10 + 100 +
                    (serial ? LineTime(11, baud) + LineTime(5, baud) : 0);
    int writeWaits = t.pollInterval + (serial ? LineTime(17, baud) : 0);
    double perRead = Ms(reads) / n, perWrite = Ms(writes) / n;
    std::printf("link kind %d, %d codes, panel latency 0, %d failures\n", kind, n, failures);
    std::printf("%-6s %14s %18s %8s\n", "", "measured (ms)", "prescribed (ms)", "ratio");
    std::printf("%-6s %14.1f %18d %8.3f\n", "read", perRead, readWaits, perRead / readWaits);
    std::printf("%-6s %14.1f %18d %8.3f\n", "write", perWrite, writeWaits, perWrite / writeWaits);
    return failures ? 1 : 0;
}
