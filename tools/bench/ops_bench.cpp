// Whole operations of the application core against the simulated panel, on both links, beside
// the waits they prescribe. Every operation runs twice from the same start: once on the virtual
// clock (the panel in process behind an in-memory pipe), which sums exactly the waits the
// operation asks for, serial line times included; then on the real clock against the panel served
// in a thread of this process, over TCP loopback or a pseudo-terminal. The ratio of the two is
// what the program adds to its prescribed pace; the sleeps' overshoot shows how much of that the
// waking up late costs.
//
//   ops_bench [--link tcp|pty|both] [--ops NAME,...] [--load N] [--file BYTES]
//
//   operations: receive (the central), send (every group of the central), verify (every group),
//               status (the central's status node), events (its event memory), flashread (every
//               flash table), upload (a flash file); default all. Each runs as the window runs
//               it: a receive, send or verify of tree items.
//   --load N    N threads that spin for the whole run, as load beside the machine's own
//   --file      size of the uploaded flash file (default 2048 bytes)
//
// Build it in Release. The load average (/proc/loadavg) is printed with every operation.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/appcore.h"
#include "core/treeindex.h"
#include "datamodel/fitxer.h"
#include "datamodel/grupflash.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "link/conexio.h"
#include "link/serial.h"
#include "model_fill.h"
#include "panelsim.h"
#include "serve.h"
#include "support/capture_log_sink.h"
#include "support/fake_ui.h"
#include "support/fake_views.h"
#include "support/pipe_transport.h"
#include "support/sim_service.h"
#include "support/virtual_clock.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = ORVANE_SOURCE_DIR;
constexpr int kSerialPort = 250;  // a port number no real device of the serial map uses

using Steady = std::chrono::steady_clock;

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double one = -1;
    in >> one;
    return one;
}

// The real clock, with the time by which its sleeps overran their deadlines summed up.
class MeasuringClock final : public RealClock {
public:
    double overshootMs = 0;
    long sleeps = 0;

protected:
    void SleepUntilUs(std::int64_t deadlineUs) override {
        if (deadlineUs <= MonotonicUs()) return;
        RealClock::SleepUntilUs(deadlineUs);
        overshootMs += static_cast<double>(MonotonicUs() - deadlineUs) / 1000.0;
        ++sleeps;
    }
};

enum class Link { Tcp, Pty };

struct Options {
    std::vector<Link> links{Link::Tcp, Link::Pty};
    std::vector<std::string> ops;
    int load = 0;
    int fileBytes = 2048;
};

// One core against one simulated panel, on either clock.
class Bench {
public:
    Bench(const fs::path& folder, const Options& options) : folder_(folder), options_(options) {}

    bool Start(Link link, bool real) {
        core_ = std::make_unique<CAppCore>(&ui_, folder_);
        core_->SetLogSink(&sink_);
        core_->SetTreeView(&tree_);
        core_->SetEditView(&edit_);
        core_->SetUiServices(&ui_);
        core_->CreateImageList();
        if (real)
            core_->SetClock(&measuring_);
        else
            core_->SetClock(&virtual_);
        std::string error;
        CInstalacio& inst = core_->GetInstalacio();
        if (!panelsim::LoadInstallationFile((kSource / "samples" / "ejemplo.voski").string(), inst, error)) {
            std::fprintf(stderr, "installation: %s\n", error.c_str());
            return false;
        }
        inst.ClearModified();
        std::vector<panelsim::ComponentFill> filled;
        if (!panelsim::FillFromInstallation(sim_, inst, filled, error)) {
            std::fprintf(stderr, "simulated panel: %s\n", error.c_str());
            return false;
        }
        core_->BuildTree();
        PrepareUpload();
        serve_.stop = &stop_;

        int port = 4000;
        if (real && link == Link::Tcp) {
            fd_ = panelsim::ListenLoopback(0, port);
            if (fd_ < 0) return Fail("listen");
            server_ = std::thread([this] { panelsim::ServeTcp(fd_, sim_, serve_); });
        } else if (real) {
            std::string slave;
            fd_ = panelsim::OpenPtyMaster(slave);
            if (fd_ < 0) return Fail("pseudo-terminal");
            serve_.pty = true;
            server_ = std::thread([this] {
                while (!stop_) panelsim::Serve(fd_, sim_, serve_);
            });
            SetSerialDeviceOverride(kSerialPort, slave);
        } else {
            service_ = std::make_unique<SimService>(sim_, pipe_, virtual_);
            core_->GetConexio().AttachTransport(&pipe_.LinkEnd());
        }
        const int kind = link == Link::Tcp ? ConexioTcpIp : ConexioLocal;
        if (!core_->SetConexioSettings(kind, kSerialPort, "", false, false, "127.0.0.1", port) || !core_->Connect()) {
            std::fprintf(stderr, "connect: %s\n", core_->GetLastError().c_str());
            return false;
        }
        return true;
    }

    void Stop() {
        if (core_) core_->Disconnect();
        stop_ = true;
        if (server_.joinable()) server_.join();
        if (fd_ >= 0) ::close(fd_);
        core_.reset();
    }

    // Runs one operation; false when it failed.
    bool Run(const std::string& name) {
        if (name == "receive") return core_->Receive(Central());
        if (name == "send") return ForEachGroup(TreeNodeGrup, false, [this](TreeItemId i) { return core_->Send(i); });
        if (name == "verify") return ForEachGroup(TreeNodeGrup, true, [this](TreeItemId i) { return core_->Verify(i); });
        if (name == "status") return core_->Receive(Child(TreeNodeEstat));
        if (name == "events") return core_->Receive(Child(TreeNodeEvents));
        if (name == "flashread")
            return ForEachGroup(TreeNodeGrupFlash, true, [this](TreeItemId i) { return core_->Receive(i); });
        if (name == "upload") return core_->Send(uploadItem_);
        return false;
    }

    std::string LastError() const { return core_->GetLastError(); }
    VirtualClock& Virtual() { return virtual_; }
    MeasuringClock& Measuring() { return measuring_; }

private:
    bool Fail(const char* what) {
        std::perror(what);
        return false;
    }
    TreeItemId Central() const {
        CModel* central = &core_->GetInstalacio().GetCentral();
        for (const auto& [id, node] : tree_.nodes)
            if (core_->GetTreeIndex().GetKind(id) == TreeNodeComponent && core_->GetTreeIndex().GetComponent(id) == central)
                return id;
        return kNoTreeItem;
    }
    // The central's first item of this kind.
    TreeItemId Child(int kind) const {
        for (TreeItemId item : tree_.Children(Central()))
            if (core_->GetTreeIndex().GetKind(item) == kind) return item;
        return kNoTreeItem;
    }
    // The central's top-level items of one kind that have something to move.
    bool ForEachGroup(int kind, bool forReceive, const std::function<bool(TreeItemId)>& run) {
        bool ok = true;
        for (TreeItemId item : tree_.Children(Central())) {
            if (core_->GetTreeIndex().GetKind(item) != kind || core_->CountNodeItems(item, forReceive) <= 0) continue;
            if (kind == TreeNodeGrupFlash && core_->GetTreeIndex().GetGrupFlash(item)->GetFitxerCount() > 0) continue;
            ok = run(item) && ok;
        }
        return ok;
    }
    // The central's file group gets one file of the chosen size, marked to be sent.
    void PrepareUpload() {
        for (const auto& [id, node] : tree_.nodes) {
            if (core_->GetTreeIndex().GetKind(id) != TreeNodeGrupFlash) continue;
            CGrupFlash* g = core_->GetTreeIndex().GetGrupFlash(id);
            if (g->GetFitxerCount() == 0) continue;
            const fs::path path = folder_ / "upload.bin";
            std::ofstream out(path, std::ios::binary);
            for (int i = 0; i < options_.fileBytes; ++i) out.put(static_cast<char>(i * 7 + 3));
            CFitxer* f = g->GetFitxer(g->GetFitxerCount() - 1);
            f->SetPath(path.string());
            f->SetSend(true);
            uploadItem_ = id;
            return;
        }
    }

    fs::path folder_;
    Options options_;
    FakeUi ui_;
    FakeTreeView tree_;
    FakeEditView edit_;
    CaptureLogSink sink_;  // the log pane keeps at most its last 64000 characters
    VirtualClock virtual_;
    MeasuringClock measuring_;
    panelsim::PanelSim sim_;
    PipeTransport pipe_;
    std::unique_ptr<SimService> service_;
    std::unique_ptr<CAppCore> core_;
    panelsim::ServeOptions serve_;
    std::atomic<bool> stop_{false};
    std::thread server_;
    int fd_ = -1;
    TreeItemId uploadItem_ = kNoTreeItem;
};

struct Row {
    std::string name;
    double prescribed = 0;
    double measured = 0;
    double overshoot = 0;
    long sleeps = 0;
    double load = 0;
    bool ok = true;
};

bool Pass(Link link, bool real, const fs::path& folder, const Options& options, std::vector<Row>& rows) {
    Bench bench(folder, options);
    if (!bench.Start(link, real)) {
        bench.Stop();
        return false;
    }
    for (std::size_t i = 0; i < options.ops.size(); ++i) {
        Row& row = rows[i];
        row.name = options.ops[i];
        if (!real) {
            const std::int64_t start = bench.Virtual().Elapsed();
            row.ok = bench.Run(row.name);
            row.prescribed = static_cast<double>(bench.Virtual().Elapsed() - start);
        } else {
            const double over = bench.Measuring().overshootMs;
            const long sleeps = bench.Measuring().sleeps;
            const Steady::time_point start = Steady::now();
            row.ok = bench.Run(row.name) && row.ok;
            row.measured = Ms(Steady::now() - start);
            row.overshoot = bench.Measuring().overshootMs - over;
            row.sleeps = bench.Measuring().sleeps - sleeps;
            row.load = LoadAverage();
        }
        if (!row.ok) std::fprintf(stderr, "%s failed: %s\n", row.name.c_str(), bench.LastError().c_str());
    }
    bench.Stop();
    return true;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (!item.empty()) out.push_back(item);
    return out;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: ops_bench [--link tcp|pty|both] [--ops receive,send,verify,status,events,flashread,upload]"
                 " [--load N] [--file BYTES]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> all = {"receive", "send", "verify", "status", "events", "flashread", "upload"};
    Options options;
    options.ops = all;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return Usage();
        ++i;
        if (arg == "--link") {
            const std::string v = value;
            if (v == "tcp")
                options.links = {Link::Tcp};
            else if (v == "pty")
                options.links = {Link::Pty};
            else if (v != "both")
                return Usage();
        } else if (arg == "--ops") {
            options.ops.clear();
            // Kept in the fixed order, so the operations always meet the panel in the same state.
            const std::vector<std::string> asked = Split(value);
            for (const std::string& name : all)
                for (const std::string& a : asked)
                    if (a == name) options.ops.push_back(name);
            if (options.ops.size() != asked.size()) return Usage();
        } else if (arg == "--load") {
            options.load = std::atoi(value);
        } else if (arg == "--file") {
            options.fileBytes = std::atoi(value);
        } else {
            return Usage();
        }
    }
    if (options.ops.empty() || options.load < 0 || options.fileBytes < 1) return Usage();

    // A working folder with the models, as the program has beside it.
    const fs::path folder = fs::temp_directory_path() / ("ops_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::copy(kSource / "models", folder / "models", fs::copy_options::recursive);
    fs::copy_file(kSource / "samples" / "config.xml", folder / "config.xml");
    const fs::path old = fs::current_path();
    fs::current_path(folder);

    std::atomic<bool> spinning{true};
    std::vector<std::thread> load;
    for (int i = 0; i < options.load; ++i)
        load.emplace_back([&spinning] {
            volatile unsigned long n = 0;
            while (spinning.load(std::memory_order_relaxed)) n = n + 1;
        });

    std::printf("own load: %d busy loops; load average at start %.2f\n", options.load, LoadAverage());
    std::printf("%-4s %-10s %13s %15s %8s %14s %7s %6s\n", "link", "operation", "measured ms", "prescribed ms",
                "ratio", "overshoot ms", "sleeps", "load");
    int status = 0;
    for (Link link : options.links) {
        std::vector<Row> virtualRows(options.ops.size()), realRows(options.ops.size());
        if (!Pass(link, false, folder, options, virtualRows) || !Pass(link, true, folder, options, realRows)) {
            status = 1;
            continue;
        }
        for (std::size_t i = 0; i < options.ops.size(); ++i) {
            const Row& v = virtualRows[i];
            const Row& r = realRows[i];
            std::printf("%-4s %-10s %13.1f %15.0f %8.4f %14.1f %7ld %6.2f%s\n", link == Link::Tcp ? "tcp" : "pty",
                        v.name.c_str(), r.measured, v.prescribed, v.prescribed > 0 ? r.measured / v.prescribed : 0.0,
                        r.overshoot, r.sleeps, r.load, v.ok && r.ok ? "" : "  FAILED");
            if (!v.ok || !r.ok) status = 1;
            std::fflush(stdout);
        }
    }
    spinning = false;
    for (std::thread& t : load) t.join();
    fs::current_path(old);
    fs::remove_all(folder);
    return status;
}
