// The simulated panel as a program: serves one connection at a time on a TCP port of the
// loopback interface, or on a pseudo-terminal, on the real clock.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "panelsim.h"
#include "serve.h"

namespace {

// Lock-free, so setting it from the signal handler is safe.
std::atomic<bool> g_stopFlag{false};
void OnSignal(int) { g_stopFlag = true; }

void Usage() {
    std::fprintf(stderr,
                 "usage: panelsim (--tcp PORT | --pty [--link PATH]) [options]\n"
                 "  --tcp PORT          listen on 127.0.0.1:PORT (0: any free port, printed)\n"
                 "  --pty               open a pseudo-terminal and print its device path\n"
                 "  --link PATH         also make PATH a symbolic link to that device\n"
                 "  --address HEX       bus address of the central (default 01)\n"
                 "  --code XXXX         accept this access code too (8371 and C7D2 always)\n"
                 "  --latency MS        delay before every acknowledgement and answer\n"
                 "  --eeprom ADDR=HEX   put bytes into the EEPROM of the central\n"
                 "  --ram VAR[+IDX]=HEX put bytes into a RAM variable of the central\n"
                 "  --verbose           print every frame\n");
}

bool ParseBytes(const std::string& hex, std::vector<std::uint8_t>& out) {
    if (hex.size() % 2) return false;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        std::string pair = hex.substr(i, 2);
        unsigned long v = std::strtoul(pair.c_str(), &end, 16);
        if (*end) return false;
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int tcpPort = -1;
    bool usePty = false;
    std::string linkPath;
    bool verbose = false;
    unsigned long address = 0x01;
    std::vector<std::string> codes, eepromArgs, ramArgs;
    int latency = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--tcp") tcpPort = std::atoi(next().c_str());
        else if (a == "--pty") usePty = true;
        else if (a == "--link") linkPath = next();
        else if (a == "--address") address = std::strtoul(next().c_str(), nullptr, 16);
        else if (a == "--code") codes.push_back(next());
        else if (a == "--latency") latency = std::atoi(next().c_str());
        else if (a == "--eeprom") eepromArgs.push_back(next());
        else if (a == "--ram") ramArgs.push_back(next());
        else if (a == "--verbose") verbose = true;
        else {
            Usage();
            return 2;
        }
    }
    if ((tcpPort < 0) == !usePty || address > 0x3F) {
        Usage();
        return 2;
    }

    panelsim::PanelSim sim(static_cast<std::uint8_t>(address));
    sim.SetLatencyMs(latency);
    for (const std::string& c : codes) {
        if (c.size() != 4 || c.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            std::fprintf(stderr, "panelsim: bad code %s\n", c.c_str());
            return 2;
        }
        sim.AcceptCode(c);
    }
    for (const std::string& e : eepromArgs) {
        std::size_t eq = e.find('=');
        std::vector<std::uint8_t> bytes;
        if (eq == std::string::npos || !ParseBytes(e.substr(eq + 1), bytes)) {
            std::fprintf(stderr, "panelsim: bad --eeprom %s\n", e.c_str());
            return 2;
        }
        sim.Central().SetEeprom(static_cast<std::uint32_t>(std::strtoul(e.substr(0, eq).c_str(), nullptr, 16)), bytes);
    }
    for (const std::string& r : ramArgs) {
        std::size_t eq = r.find('=');
        std::vector<std::uint8_t> bytes;
        if (eq == std::string::npos || !ParseBytes(r.substr(eq + 1), bytes)) {
            std::fprintf(stderr, "panelsim: bad --ram %s\n", r.c_str());
            return 2;
        }
        std::string where = r.substr(0, eq);
        std::size_t plus = where.find('+');
        unsigned long var = std::strtoul(where.substr(0, plus).c_str(), nullptr, 16);
        unsigned long idx = plus == std::string::npos ? 0 : std::strtoul(where.substr(plus + 1).c_str(), nullptr, 10);
        sim.Central().SetRam(static_cast<std::uint16_t>(var), static_cast<std::uint32_t>(idx), bytes);
    }
    sim.Central().MarkEepromAsFactory();

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    panelsim::ServeOptions options;
    options.verbose = verbose;
    options.stop = &g_stopFlag;
    if (usePty) {
        std::string slave;
        int master = panelsim::OpenPtyMaster(slave);
        if (master < 0) {
            std::perror("panelsim: pseudo-terminal");
            return 1;
        }
        if (!linkPath.empty()) {
            ::unlink(linkPath.c_str());
            if (::symlink(slave.c_str(), linkPath.c_str()) != 0) {
                std::perror("panelsim: symlink");
                return 1;
            }
        }
        std::printf("panelsim: serial device %s%s%s, central at bus address %02lX\n", slave.c_str(),
                    linkPath.empty() ? "" : " linked as ", linkPath.c_str(), address);
        options.pty = true;
        while (!g_stopFlag) panelsim::Serve(master, sim, options);
        if (!linkPath.empty()) ::unlink(linkPath.c_str());
        ::close(master);
        return 0;
    }
    int port = 0;
    int listener = panelsim::ListenLoopback(tcpPort, port);
    if (listener < 0) {
        std::perror("panelsim: listen");
        return 1;
    }
    std::printf("panelsim: listening on 127.0.0.1:%d, central at bus address %02lX\n", port, address);
    panelsim::ServeTcp(listener, sim, options);
    ::close(listener);
    return 0;
}
