// The simulated panel as a program: serves one connection at a time on a TCP port of the
// loopback interface, or on a pseudo-terminal, on the real clock.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "panelsim.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Runs the simulation on one open descriptor until the peer leaves, the simulation drops the
// connection or a signal arrives. Returns false when the descriptor failed.
void Serve(int fd, panelsim::PanelSim& sim, bool verbose, bool isPty) {
    sim.Reconnect();
    std::vector<std::uint8_t> buffer(512);
    while (!g_stop) {
        std::int64_t now = NowMs();
        std::int64_t due = sim.NextDueMs();
        int timeout = 50;
        if (due >= 0) timeout = static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(50, due - now)));
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, timeout);
        if (r < 0 && errno != EINTR) return;
        std::vector<std::uint8_t> input;
        if (r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
            ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n <= 0) {
                if (isPty && (n == 0 || errno == EIO)) {
                    ::usleep(20000);  // nobody holds the terminal side at the moment
                    continue;
                }
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                std::printf("connection closed by the peer\n");
                return;
            }
            input.assign(buffer.begin(), buffer.begin() + n);
            if (verbose) std::printf("%lld <- %s\n", static_cast<long long>(NowMs()), panelsim::Hex(input).c_str());
        }
        std::vector<std::uint8_t> output = sim.Step(NowMs(), input);
        if (!output.empty()) {
            if (verbose) std::printf("%lld -> %s\n", static_cast<long long>(NowMs()), panelsim::Hex(output).c_str());
            if (!WriteAll(fd, output)) return;
        }
        if (sim.Dropped()) {
            std::printf("dropping the connection\n");
            return;
        }
        std::fflush(stdout);
    }
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

    if (usePty) {
        int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            std::perror("panelsim: pseudo-terminal");
            return 1;
        }
        termios t{};
        if (::tcgetattr(master, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(master, TCSANOW, &t);
        }
        std::string slave = ::ptsname(master);
        if (!linkPath.empty()) {
            ::unlink(linkPath.c_str());
            if (::symlink(slave.c_str(), linkPath.c_str()) != 0) {
                std::perror("panelsim: symlink");
                return 1;
            }
        }
        std::printf("panelsim: serial device %s%s%s, central at bus address %02lX\n", slave.c_str(),
                    linkPath.empty() ? "" : " linked as ", linkPath.c_str(), address);
        while (!g_stop) Serve(master, sim, verbose, true);
        if (!linkPath.empty()) ::unlink(linkPath.c_str());
        ::close(master);
        return 0;
    }

    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(tcpPort));
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener, 1) != 0) {
        std::perror("panelsim: listen");
        return 1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    std::printf("panelsim: listening on 127.0.0.1:%d, central at bus address %02lX\n", ntohs(addr.sin_port), address);
    while (!g_stop) {
        pollfd p{listener, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        int client = ::accept(listener, nullptr, nullptr);
        if (client < 0) continue;
        std::printf("connection accepted\n");
        Serve(client, sim, verbose, false);
        ::close(client);
    }
    ::close(listener);
    return 0;
}
