#include "serve.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
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

// ---- the fault options of the command line ----

namespace {

// One option: its value's name in the help (null for a switch), how the value reads (base 16
// or 10, 0 for C notation; bytes: an even number of hex digits), its largest value, the help
// text (its lines after the first go under the first) and what it sets. A row without a name
// is a heading of the help.
struct FaultOptionRow {
    const char* name;
    const char* value;
    int base;
    long max;
    const char* help;
    void (*set)(SimFaults&, long, std::vector<std::uint8_t>&&);
};

constexpr long kMaxCount = 1000000;
constexpr long kMaxMs = 3600000;
constexpr int kBytes = -1;

#define SET(expr) [](SimFaults& f, [[maybe_unused]] long n, [[maybe_unused]] std::vector<std::uint8_t>&& b) { expr; }

const FaultOptionRow kFaultOptions[] = {
    {nullptr, nullptr, 0, 0, "answer forms (other forms a panel may use; they can be combined):", nullptr},
    {"--memory-answers-f0", nullptr, 0, 0,
     "answer memory reads with 0xF0 frames (15 data bytes\neach); the fixed RAM reads still get 0xB1",
     SET(f.memoryAnswersF0 = true)},
    {"--eeprom-answers-b1", nullptr, 0, 0, "answer EEPROM reads with 0xB1 instead of 0xB0",
     SET(f.eepromAnswersB1 = true)},
    {"--memory-byte2", "N", 0, 255,
     "put N (0-255) into byte 2 of every memory answer\ninstead of the offset of its data",
     SET(f.memoryByte2 = static_cast<int>(n))},
    {"--block-answers-no-echo", nullptr, 0, 0, "block read answers without the block address",
     SET(f.blockAnswersNoEcho = true)},
    {nullptr, nullptr, 0, 0,
     "faults (each strikes the next N times, counted from the start, or from\n--faults-after, over every connection; they can be combined):",
     nullptr},
    {"--faults-after", "N", 10, kMaxCount,
     "let the first N requests pass unharmed (and all that\nis sent for them): the faults strike from the next on",
     SET(f.faultsAfter = static_cast<int>(n))},
    {"--lose-acks", "N", 10, kMaxCount,
     "lose the PC's acknowledgement of the next N frames the\npanel sends (each goes out again with start byte 02)",
     SET(f.lostAcks = static_cast<int>(n))},
    {"--ignore-requests", "N", 10, kMaxCount, "silence: neither acknowledge nor carry out the next N\nrequests",
     SET(f.ignoreRequests = static_cast<int>(n))},
    {"--nak-requests", "N", 10, kMaxCount, "answer the next N requests with a NAK and do not carry\nthem out",
     SET(f.nakRequests = static_cast<int>(n))},
    {"--bad-crc-acks", "N", 10, kMaxCount, "send the next N acknowledgements with a wrong CRC",
     SET(f.badCrcAcks = static_cast<int>(n))},
    {"--bad-crc-answers", "N", 10, kMaxCount,
     "send the next N answers with a wrong CRC the first time\n(their repeat is good)",
     SET(f.badCrcAnswers = static_cast<int>(n))},
    {"--missing-answers", "N", 10, kMaxCount,
     "acknowledge and carry out the next N requests but never\nanswer them",
     SET(f.missingAnswers = static_cast<int>(n))},
    {"--keep-answers", "N", 10, kMaxCount,
     "of the next request that has answers, send only the\nfirst N answers (the others are lost)",
     SET(f.keepAnswers = static_cast<int>(n))},
    {"--late-answers", "N", 10, kMaxCount, "answer the next N requests late, after --late-ms",
     SET(f.lateAnswers = static_cast<int>(n))},
    {"--late-ms", "MS", 10, kMaxMs, "how late a late answer goes out", SET(f.lateAnswerMs = static_cast<int>(n))},
    {"--answer-before-ack", "N", 10, kMaxCount, "answer the next N requests before acknowledging them",
     SET(f.answerBeforeAck = static_cast<int>(n))},
    {"--answers-without-ack", "N", 10, kMaxCount,
     "carry out and answer the next N requests but never\nacknowledge them",
     SET(f.answersWithoutAck = static_cast<int>(n))},
    {"--stale-repeats", "N", 10, kMaxCount,
     "send the next N answers once more as a repeat (start\nbyte 02) after they were acknowledged",
     SET(f.staleDuplicates = static_cast<int>(n))},
    {"--foreign-frames", "N", 10, kMaxCount,
     "send a frame for another bus address before each of\nthe next N answers",
     SET(f.foreignFrames = static_cast<int>(n))},
    {"--foreign-address", "HEX", 16, 0x7F, "the bus address of those frames (default 22)",
     SET(f.foreignAddress = static_cast<std::uint8_t>(n))},
    {"--noise", "HEX", kBytes, 0, "send these bytes once, right before the next\nacknowledgement or answer",
     SET(f.noise = std::move(b))},
    {"--split-frames", "N", 10, kMaxCount, "send the next N frames in two halves, --split-gap-ms\napart",
     SET(f.splitFrames = static_cast<int>(n))},
    {"--split-gap-ms", "MS", 10, kMaxMs, "the pause inside a split frame", SET(f.splitGapMs = static_cast<int>(n))},
    {"--drop-after-bytes", "N", 10, kMaxCount,
     "drop the connection after N bytes of the next frame\nthe panel sends",
     SET(f.dropAfterBytes = static_cast<int>(n))},
};

#undef SET

bool ReadNumber(const std::string& text, int base, long max, long& out) {
    if (text.empty()) return false;
    const unsigned char first = static_cast<unsigned char>(text[0]);
    if (base == 16 ? !std::isxdigit(first) : !std::isdigit(first)) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, base);
    return *end == '\0' && errno == 0 && out <= max;
}

bool ReadHexBytes(const std::string& text, std::vector<std::uint8_t>& out) {
    if (text.empty() || text.size() % 2) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        long byte = 0;
        if (!ReadNumber(text.substr(i, 2), 16, 0xFF, byte)) return false;
        out.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

}  // namespace

FaultOption TakeFaultOption(const std::vector<std::string>& args, std::size_t& i, SimFaults& faults,
                            std::string& error) {
    const FaultOptionRow* row = nullptr;
    for (const FaultOptionRow& r : kFaultOptions)
        if (r.name && args[i] == r.name) row = &r;
    if (!row) return FaultOption::NotOne;
    long number = 0;
    std::vector<std::uint8_t> bytes;
    if (row->value) {
        if (i + 1 >= args.size()) {
            error = args[i] + " needs a value";
            return FaultOption::Bad;
        }
        const std::string& value = args[++i];
        const bool ok =
            row->base == kBytes ? ReadHexBytes(value, bytes) : ReadNumber(value, row->base, row->max, number);
        if (!ok) {
            error = "bad " + args[i - 1] + " " + value;
            return FaultOption::Bad;
        }
    }
    row->set(faults, number, std::move(bytes));
    return FaultOption::Taken;
}

bool CheckFaultOptions(const SimFaults& faults, std::string& error) {
    if (faults.lateAnswers > 0 && faults.lateAnswerMs <= 0)
        error = "--late-answers needs --late-ms";
    else if (faults.splitFrames > 0 && faults.splitGapMs <= 0)
        error = "--split-frames needs --split-gap-ms";
    else
        return true;
    return false;
}

std::string FaultOptionsHelp() {
    constexpr std::size_t kColumn = 22;
    std::string out;
    for (const FaultOptionRow& r : kFaultOptions) {
        if (!r.name) {
            out += std::string(r.help) + "\n";
            continue;
        }
        std::string head = std::string("  ") + r.name + (r.value ? std::string(" ") + r.value : "");
        if (head.size() + 1 > kColumn)
            head += "\n" + std::string(kColumn, ' ');
        else
            head.resize(kColumn, ' ');
        std::string help = r.help;
        for (std::size_t nl = help.find('\n'); nl != std::string::npos; nl = help.find('\n', nl + 1))
            help.insert(nl + 1, std::string(kColumn, ' '));
        out += head + help + "\n";
    }
    return out;
}

}  // namespace panelsim
