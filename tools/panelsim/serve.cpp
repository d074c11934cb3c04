#include "serve.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace panelsim {

namespace {

bool Stopped(const ServeOptions& o) { return o.stop && o.stop->load(); }

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int ListenLoopback(int port, int& boundPort) {
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) return -1;
    int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener, 1) != 0) {
        ::close(listener);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    boundPort = ntohs(addr.sin_port);
    return listener;
}

int OpenPtyMaster(std::string& slavePath) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return -1;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ::close(master);
        return -1;
    }
    termios t{};
    if (::tcgetattr(master, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
    }
    slavePath = ::ptsname(master);
    return master;
}

void Serve(int fd, PanelSim& sim, const ServeOptions& options) {
    sim.Reconnect();
    std::vector<std::uint8_t> buffer(512);
    while (!Stopped(options)) {
        std::int64_t now = SteadyMs();
        std::int64_t due = sim.NextDueMs();
        int timeout = 50;
        if (due >= 0) timeout = static_cast<int>(std::clamp<std::int64_t>(due - now, 0, 50));
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, timeout);
        if (r < 0 && errno != EINTR) return;
        std::vector<std::uint8_t> input;
        if (r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
            ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n <= 0) {
                if (options.pty) {
                    ::usleep(20000);  // nobody holds the terminal side at the moment
                    continue;
                }
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                if (options.verbose) std::printf("connection closed by the peer\n");
                return;
            }
            input.assign(buffer.begin(), buffer.begin() + n);
            if (options.verbose) std::printf("%lld <- %s\n", static_cast<long long>(SteadyMs()), Hex(input).c_str());
        }
        std::vector<std::uint8_t> output = sim.Step(SteadyMs(), input);
        if (!output.empty()) {
            if (options.verbose) std::printf("%lld -> %s\n", static_cast<long long>(SteadyMs()), Hex(output).c_str());
            if (!WriteAll(fd, output)) return;
        }
        if (sim.Dropped()) {
            if (options.verbose) std::printf("dropping the connection\n");
            return;
        }
        if (options.verbose) std::fflush(stdout);
    }
}

void ServeTcp(int listener, PanelSim& sim, const ServeOptions& options) {
    while (!Stopped(options)) {
        pollfd p{listener, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        if (options.verbose) std::printf("connection accepted\n");
        Serve(client, sim, options);
        ::close(client);
    }
}

}  // namespace panelsim
