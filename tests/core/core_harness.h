// The fixture of every core test: the core wired to recording fakes of the window's controls
// (tree view, edit view, timers, UI services with scripted progress dialogs), a virtual clock, a
// captured log pane, a temporary working folder holding models/ and config.xml, and a simulated
// panel behind an in-memory pipe attached to the core's link. The panel is stepped whenever bytes
// reach it and on every virtual sleep, so a test runs an operation as a plain call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/appcore.h"
#include "core/views.h"
#include "support/pipe_transport.h"
#include "panelsim.h"
#include "support/capture_log_sink.h"
#include "support/temp_dir.h"
#include "support/fake_timer.h"
#include "support/fake_views.h"
#include "support/fake_ui.h"
#include "support/sim_service.h"
#include "support/virtual_clock.h"

// Test-only: what a test needs to set or see of the core's private state.
struct CoreTestAccess {
    static void SetConnected(CAppCore& core, bool on) { core.connected_ = on; }
    static void SetStatusPolling(CAppCore& core, bool on) { core.statusPolling_ = on; }
    static void SetPollFailures(CAppCore& core, int n) { core.pollFailures_ = n; }
    static bool PollToggle(const CAppCore& core) { return core.pollToggle_; }
};


// Test-only: a link opened on the pipe given the timing of another kind.
struct ConexioTestAccess {
    static void SetKind(CConexio& link, int kind) { link.kind_ = kind; }
};

// The fixture. The core is built in SetUp (after the working folder is laid out), so a test that
// needs another config.xml writes it and calls Rebuild().
class CoreTest : public ::testing::Test {
protected:
    CoreTest();
    ~CoreTest() override;

    // Deletes the core and builds and wires a new one in the same folder.
    void Rebuild();
    // The sample installation (samples/ejemplo.voski) into the core's installation, and the
    // simulated panel filled from it. False with the reason as a test failure.
    bool LoadSample();
    // A new installation of one central of the given model ("VX16", "2.1") at bus address 01,
    // and the simulated panel filled from it.
    bool LoadCentral(const std::string& model = "VX16", const std::string& versio = "2.1");
    // Test-only connection: the link (TCP/IP, or given the timing of kind) opened on the pipe, the frame layer started
    // with the login destination of the kind, the core marked connected, both timers running.
    // It runs no login; Connect() is what the program uses.
    bool ConnectForTest(int kind = -1);
    // What the pump timer does between operations: receive steps of 20 ms for ms of virtual time.
    void Idle(int ms);
    // Makes the pipe fail as a peer that hung up.
    void BreakLink() { pipe.Break(); }

    std::string Log() const { return sink.Text(); }
    int Count(panelsim::SimEvent::Kind kind) const;

    TempDir dir;
    VirtualClock clock;
    CaptureLogSink sink;
    FakeTreeView tree;
    FakeEditView edit;
    FakeUi ui;
    FakeTimer pollTimer;
    FakeTimer pumpTimer;
    PipeTransport pipe;
    panelsim::PanelSim sim;
    SimService service{sim, pipe, clock};
    std::unique_ptr<CAppCore> core;

private:
    void Wire();
    std::unique_ptr<class ScopedWorkingDir> cwd_;
};
