// The simulated panel as a program: serves one connection at a time on a TCP port of the
// loopback interface, or on a pseudo-terminal, on the real clock.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "model_fill.h"
#include "panelsim.h"
#include "serve.h"

namespace {

// Lock-free, so setting it from the signal handler is safe.
std::atomic<bool> g_stopFlag{false};
void OnSignal(int) { g_stopFlag = true; }

void Usage(std::FILE* out = stderr) {
    std::fprintf(out,
                 "usage: panelsim (--tcp PORT | --pty [--link PATH]) [options]\n"
                 "  --tcp PORT          listen on 127.0.0.1:PORT (0: any free port, printed)\n"
                 "  --pty               open a pseudo-terminal and print its device path\n"
                 "  --link PATH         also make PATH a symbolic link to that device\n"
                 "  --address HEX       bus address of the central (default 01, or the\n"
                 "                      installation's)\n"
                 "  --model PATH        fill the central from this model file\n"
                 "  --installation PATH fill the central and every bus component from the\n"
                 "                      models of this installation file\n"
                 "  --models-dir DIR    the folder holding models/ for --installation\n"
                 "                      (default: the working folder)\n"
                 "  --code XXXX         accept this access code too (8371 and C7D2 always)\n"
                 "  --latency MS        delay before every acknowledgement and answer\n"
                 "  --eeprom ADDR=HEX   put bytes into the EEPROM of the central\n"
                 "  --ram VAR[+IDX]=HEX put bytes into a RAM variable of the central\n"
                 "  --verbose           print every frame\n"
                 "%s",
                 panelsim::FaultOptionsHelp().c_str());
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

// The panel's clock starts at the local time.
panelsim::SimClock LocalClock() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return {static_cast<std::uint8_t>(t.tm_hour), static_cast<std::uint8_t>(t.tm_min),
            static_cast<std::uint8_t>(t.tm_sec), static_cast<std::uint8_t>(t.tm_mday),
            static_cast<std::uint8_t>(t.tm_mon + 1), static_cast<std::uint8_t>(t.tm_year % 100)};
}

void PrintFill(const CModel& model, unsigned address, const panelsim::ModelFillReport& r) {
    std::printf("panelsim: %s %s at bus address %02X: %d codes, %d code addresses, %d events\n",
                model.GetId().c_str(), model.GetVersio().c_str(), address, r.codes, r.descriptors, r.events);
}

// Loads the installation with the working folder at modelsDir, where its models are looked up.
bool LoadInstallation(const std::string& path, const std::string& modelsDir, CInstalacio& inst) {
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(path, ec);
    const std::filesystem::path old = std::filesystem::current_path(ec);
    if (!modelsDir.empty()) {
        std::filesystem::current_path(modelsDir, ec);
        if (ec) {
            std::fprintf(stderr, "panelsim: cannot enter %s\n", modelsDir.c_str());
            return false;
        }
    }
    std::string error;
    const bool ok = panelsim::LoadInstallationFile(file.string(), inst, error);
    if (!modelsDir.empty()) std::filesystem::current_path(old, ec);
    if (!ok)
        std::fprintf(stderr, "panelsim: %s\n(the models are read from models/ below the working folder"
                             " or --models-dir)\n", error.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int tcpPort = -1;
    bool usePty = false;
    std::string linkPath;
    bool verbose = false;
    unsigned long address = 0x01;
    bool addressGiven = false;
    std::string modelPath, installationPath, modelsDir;
    std::vector<std::string> codes, eepromArgs, ramArgs;
    int latency = 0;
    panelsim::SimFaults faults;
    const std::vector<std::string> args(argv, argv + argc);
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "panelsim: %s needs a value\n", a.c_str());
                Usage();
                std::exit(2);
            }
            return args[++i];
        };
        if (a == "--tcp") tcpPort = std::atoi(next().c_str());
        else if (a == "--pty") usePty = true;
        else if (a == "--link") linkPath = next();
        else if (a == "--address") {
            address = std::strtoul(next().c_str(), nullptr, 16);
            addressGiven = true;
        }
        else if (a == "--model") modelPath = next();
        else if (a == "--installation") installationPath = next();
        else if (a == "--models-dir") modelsDir = next();
        else if (a == "--code") codes.push_back(next());
        else if (a == "--latency") latency = std::atoi(next().c_str());
        else if (a == "--eeprom") eepromArgs.push_back(next());
        else if (a == "--ram") ramArgs.push_back(next());
        else if (a == "--verbose") verbose = true;
        else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        }
        else {
            std::string error;
            switch (panelsim::TakeFaultOption(args, i, faults, error)) {
                case panelsim::FaultOption::Taken: break;
                case panelsim::FaultOption::Bad:
                    std::fprintf(stderr, "panelsim: %s\n", error.c_str());
                    return 2;
                case panelsim::FaultOption::NotOne:
                    std::fprintf(stderr, "panelsim: unknown option %s\n", a.c_str());
                    Usage();
                    return 2;
            }
        }
    }
    if (std::string error; !panelsim::CheckFaultOptions(faults, error)) {
        std::fprintf(stderr, "panelsim: %s\n", error.c_str());
        return 2;
    }
    if ((tcpPort < 0) == !usePty || address > 0x3F || (!modelPath.empty() && !installationPath.empty())) {
        Usage();
        return 2;
    }

    panelsim::ModelFillOptions fill;
    fill.clock = LocalClock();
    CModel model;
    CInstalacio installation;
    if (!modelPath.empty()) {
        std::string error;
        if (!panelsim::LoadModelFile(modelPath, model, error)) {
            std::fprintf(stderr, "panelsim: %s\n", error.c_str());
            return 1;
        }
    }
    if (!installationPath.empty()) {
        if (!LoadInstallation(installationPath, modelsDir, installation)) return 1;
        if (!addressGiven) {
            auto central = panelsim::BusAddress(installation.GetCentral());
            if (!central) {
                std::fprintf(stderr, "panelsim: the central's bus address \"%s\" is unusable\n",
                             installation.GetCentral().GetBusDir().c_str());
                return 1;
            }
            address = *central;
        }
    }

    panelsim::PanelSim sim(static_cast<std::uint8_t>(address));
    if (!modelPath.empty()) PrintFill(model, static_cast<unsigned>(address), panelsim::FillFromModel(sim, static_cast<std::uint8_t>(address), model, fill));
    if (!installationPath.empty()) {
        std::vector<panelsim::ComponentFill> filled;
        std::string error;
        const bool ok = panelsim::FillFromInstallation(sim, installation, filled, error, fill);
        for (const auto& f : filled) PrintFill(*f.model, f.address, f.report);
        if (!ok) {
            std::fprintf(stderr, "panelsim: %s\n", error.c_str());
            return 1;
        }
    }
    // A frame for an address the panel answers at is no foreign frame.
    if (faults.foreignFrames > 0 && sim.Serves(faults.foreignAddress)) {
        std::fprintf(stderr, "panelsim: --foreign-address %02X is an address of the panel\n", faults.foreignAddress);
        return 2;
    }
    sim.SetLatencyMs(latency);
    sim.Faults() = faults;
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
