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
#include "support/fake_ui.h"
#include "support/virtual_clock.h"

// Test-only: what a test needs to set or see of the core's private state.
struct CoreTestAccess {
    static void SetConnected(CAppCore& core, bool on) { core.connected_ = on; }
    static void SetStatusPolling(CAppCore& core, bool on) { core.statusPolling_ = on; }
    static void SetPollFailures(CAppCore& core, int n) { core.pollFailures_ = n; }
    static bool PollToggle(const CAppCore& core) { return core.pollToggle_; }
};


// A tree control in memory: items with their parent, label and pictures.
class FakeTreeView final : public TreeView {
public:
    struct Node {
        TreeItemId parent = kNoTreeItem;
        std::string label;
        int image = -1;
        int selectedImage = -1;
        std::vector<TreeItemId> children;
        bool expanded = false;
    };
    int AddImage(TreeIcon icon) override;
    TreeItemId AddRoot(const std::string& label, int image) override;
    TreeItemId AppendItem(TreeItemId parent, const std::string& label, int image, int selectedImage) override;
    void DeleteAllItems() override;
    void Delete(TreeItemId item) override;
    TreeItemId GetItemParent(TreeItemId item) const override;
    void SetItemText(TreeItemId item, const std::string& text) override;
    std::string GetItemText(TreeItemId item) const override;
    void Expand(TreeItemId item) override;
    void SelectItem(TreeItemId item) override { selection = item; }
    TreeItemId GetSelection() const override { return selection; }

    const Node* Get(TreeItemId item) const;
    // The children of an item (of the root when item is kNoTreeItem).
    std::vector<TreeItemId> Children(TreeItemId item) const;
    // The child of parent with this label, or kNoTreeItem.
    TreeItemId Child(TreeItemId parent, const std::string& label) const;
    // The item reached from the root through these labels (the root's own label first).
    TreeItemId Path(const std::vector<std::string>& labels) const;
    std::vector<std::string> ChildLabels(TreeItemId item) const;

    std::vector<TreeIcon> images;  // in the order added
    std::map<TreeItemId, Node> nodes;
    TreeItemId root = kNoTreeItem;
    TreeItemId selection = kNoTreeItem;
    int deleteAllCalls = 0;

private:
    TreeItemId next_ = 1;
};

// An edit view that records every call as a line ("Clear", "Heading Datos", "AddCodi 000"...).
class FakeEditView final : public EditView {
public:
    void TransferFromPanels() override {
        calls.push_back("TransferFromPanels");
        if (onStore) onStore();
    }
    void TransferToPanels() override { calls.push_back("TransferToPanels"); }
    void Clear() override;
    void SetHeading(const std::string& heading) override { calls.push_back("Heading " + heading); }
    CDades* GetDades() override { return dades; }
    void AddDades(CDades* d) override;
    void AddCodi(CCodi* codi) override;
    void AddBitGrup(CGrup* grup) override;
    void AddFlashGrup(CGrupFlash* grup) override;
    void AddMesura(CMesura* mesura) override;
    void AddVR(CEstat* estat) override;
    void AddEstat(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) override;
    void AddGrafic(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) override;
    void AddEvents(CEvents* events, CGrup* zones, CGrup* areas, CGrup* users) override;

    // The recorded calls from the given position on.
    std::vector<std::string> CallsFrom(std::size_t from) const {
        return std::vector<std::string>(calls.begin() + static_cast<long>(std::min(from, calls.size())), calls.end());
    }
    int Count(const std::string& call) const;

    std::vector<std::string> calls;
    std::function<void()> onStore;  // what the hosted panels write into their records
    CDades* dades = nullptr;
    CEstat* estat = nullptr;
    CEvents* events = nullptr;
    CGrup* aliases[3] = {nullptr, nullptr, nullptr};  // as given to the last AddEstat/AddGrafic/AddEvents
    CAppCore* core = nullptr;
    std::vector<CCodi*> codis;
    std::vector<CMesura*> mesures;
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
    // Test-only connection: the link (TCP/IP kind) opened on the pipe, the frame layer started
    // with the login destination of the kind, the core marked connected, both timers running.
    // It runs no login; Connect() is what the program uses.
    bool ConnectForTest();
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
    std::unique_ptr<CAppCore> core;

private:
    void Wire();
    void Service();
    std::unique_ptr<class ScopedWorkingDir> cwd_;
    bool serving_ = false;
};
