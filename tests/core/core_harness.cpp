#include "core_harness.h"

#include <algorithm>
#include <filesystem>

#include "datamodel/codi.h"
#include "datamodel/grup.h"
#include "datamodel/instalacio.h"
#include "model_fill.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
const fs::path kSource = ORVANE_SOURCE_DIR;
}

// ---- CoreTest ----

CoreTest::CoreTest() {
    fs::copy(kSource / "models", dir.Path() / "models", fs::copy_options::recursive);
    fs::copy_file(kSource / "samples" / "config.xml", dir.Path() / "config.xml");
    cwd_ = std::make_unique<ScopedWorkingDir>(dir.Path());
    Wire();
}

CoreTest::~CoreTest() {
    core.reset();
    cwd_.reset();
}

void CoreTest::Wire() {
    core = std::make_unique<CAppCore>(&ui, dir.Path());
    core->SetLogSink(&sink);
    core->SetTreeView(&tree);
    core->SetTimers(&pollTimer, &pumpTimer);
    core->SetEditView(&edit);
    core->SetUiServices(&ui);
    core->SetClock(&clock);
    core->CreateImageList();
}

void CoreTest::Rebuild() {
    core.reset();
    Wire();
}

bool CoreTest::LoadSample() {
    std::string error;
    CInstalacio& inst = core->GetInstalacio();
    if (!panelsim::LoadInstallationFile((kSource / "samples" / "ejemplo.voski").string(), inst, error)) {
        ADD_FAILURE() << "sample installation: " << error;
        return false;
    }
    inst.ClearModified();
    std::vector<panelsim::ComponentFill> filled;
    if (!panelsim::FillFromInstallation(sim, inst, filled, error)) {
        ADD_FAILURE() << "simulated panel: " << error;
        return false;
    }
    return true;
}

bool CoreTest::LoadCentral(const std::string& model, const std::string& versio) {
    CInstalacio& inst = core->GetInstalacio();
    inst.Clear();
    if (!inst.InitCentral("Central", model, versio, "01")) {
        ADD_FAILURE() << "central: " << inst.GetError();
        return false;
    }
    inst.ClearModified();
    std::string error;
    std::vector<panelsim::ComponentFill> filled;
    if (!panelsim::FillFromInstallation(sim, inst, filled, error)) {
        ADD_FAILURE() << "simulated panel: " << error;
        return false;
    }
    return true;
}

bool CoreTest::ConnectForTest(int kind) {
    CConexio& link = core->GetConexio();
    if (!link.IsOpen()) {
        link.SetKind(ConexioTcpIp);
        link.SetIp("127.0.0.1");
        link.SetIpPort(4000);
        if (!link.AttachTransport(&pipe.LinkEnd()) || !link.Open()) {
            ADD_FAILURE() << "link: " << link.GetError();
            return false;
        }
    }
    if (kind >= 0) ConexioTestAccess::SetKind(link, kind);
    CProtocol& proto = core->GetProtocol();
    proto.SetLoginDestination("15");
    if (!proto.Connect()) {
        ADD_FAILURE() << "frame layer: " << proto.GetError();
        return false;
    }
    CoreTestAccess::SetConnected(*core, true);
    pumpTimer.Start(CAppCore::kPumpInterval);
    pollTimer.Start(CAppCore::kPollInterval);
    return true;
}

void CoreTest::Idle(int ms) {
    for (int t = 0; t < ms; t += CAppCore::kPumpInterval) {
        clock.SleepMs(CAppCore::kPumpInterval);
        core->PumpLink();
    }
}

int CoreTest::Count(panelsim::SimEvent::Kind kind) const {
    int n = 0;
    for (const auto& e : sim.Events()) n += e.kind == kind;
    return n;
}
