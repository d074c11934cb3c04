#include "core/appcore.h"

#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/model.h"

CAppCore::CAppCore(UiServices* ui, const std::filesystem::path& configFolder) {
    SetUiServices(ui);
    protocol_.SetLink(&conexio_);
    protocol_.SetProgress(&progress_);
    conexio_.SetProgress(&progress_);
    if (!configFolder.empty()) config_.SetFolder(configFolder);
    if (!config_.Load()) {
        const std::string error = config_.GetError();
        // Whatever a broken file left behind is dropped: the program runs on empty settings.
        config_.Clear();
        if (ui_) ui_->ShowMessage(error, "Error");
    }
    protocol_.SetLog(&log_);
    conexio_.SetLog(&log_);
    instalacio_.SetLogTarget(&log_);
    // The frame layer tells once when a read found the link broken; the loss path itself runs
    // from the pump or at the end of the operation that saw it, outside the frame layer's wait.
    protocol_.SetLinkLostHandler([this] {
        if (lastError_.empty()) lastError_ = kConnectionLost;
    });
}

CAppCore::~CAppCore() {
    if (connected_) {
        // No window is left to run events in or to show a dialog while the core goes away.
        SetUiServices(nullptr);
        connectionLost_ = nullptr;
        statusChanged_ = nullptr;
        Disconnect();
        if (connected_ || conexio_.IsOpen()) {
            conexio_.Close();
            protocol_.Disconnect();
            connected_ = false;
        }
    }
    EndProgress();
    protocol_.SetProgress(nullptr);
    conexio_.SetProgress(nullptr);
    protocol_.SetLinkLostHandler(nullptr);
    // The link and the frame layer outlive the log writer; they must not write into it.
    protocol_.SetLog(nullptr);
    conexio_.SetLog(nullptr);
    instalacio_.SetLogTarget(nullptr);
}

void CAppCore::SetLogSink(LogSink* sink) {
    logSink_ = sink;
    log_.SetSink(sink);
}

void CAppCore::SetClock(Clock* clock) {
    clock_ = clock;
    log_.SetClock(clock);
    protocol_.SetClock(clock);
    conexio_.SetClock(clock);
}

Clock& CAppCore::GetClock() const { return clock_ ? *clock_ : SystemClock(); }

void CAppCore::SetTimers(Timer* poll, Timer* pump) {
    pollTimer_ = poll;
    pumpTimer_ = pump;
    protocol_.SetTimers(pump, poll);
}

void CAppCore::SetUiServices(UiServices* ui) {
    ui_ = ui;
    progress_.SetUiServices(ui);
    protocol_.SetUiServices(ui);
    conexio_.SetUiServices(ui);
}

void CAppCore::CreateImageList() {
    for (int i = 0; i < kTreeIconCount; ++i) {
        icons_[i] = tree_ ? tree_->AddImage(static_cast<TreeIcon>(i)) : -1;
    }
    treeIndex_.SetTreeView(tree_);
}

// ---- shared services ----

bool CAppCore::ProgressStep(int steps, const std::string& text) {
    if (progress_.Step(steps, text)) return true;
    lastError_ = kCancelled;
    return false;
}

bool CAppCore::CheckCancel() {
    if (!progress_.Cancelled()) return false;
    lastError_ = kCancelled;
    return true;
}

bool CAppCore::IsModified() { return instalacio_.IsModified(); }

bool CAppCore::SaveConfig() {
    if (config_.Save()) return true;
    lastError_ = config_.GetError();
    return false;
}

void CAppCore::GetAboutText(std::string& out) {
    out = config_.GetOem("nom-programa") + " version: " + kVersion + "\n";
    out += "\n" + config_.GetOem("about") + "\n";
    out += "\n" + config_.GetOem("empresa") + "\n" + config_.GetOem("direccio") + "\n";
    out += "Teléfono: " + config_.GetOem("telefon") + "\n";
    out += "email: " + config_.GetOem("email") + "\n";
    out += "Website: " + config_.GetOem("website");
}

bool CAppCore::HasGrupFlash() const {
    return currentComponent_ && currentComponent_->GetFlashGrupCount() > 0;
}

CModel* CAppCore::UseCurrentComponent() {
    if (!currentComponent_) currentComponent_ = &instalacio_.GetCentral();
    return currentComponent_;
}

bool CAppCore::HasPpe() { return UseCurrentComponent()->GetEstat().HasPpe(); }

int CAppCore::GetPpeValue() {
    CCodi& codi = UseCurrentComponent()->GetEstat().GetPpeCodi();
    const CCodi::RawBytes& bytes = codi.ToBytes();
    // Only the bytes the code's type encodes are its value; a code shorter than three bytes has
    // no third byte to give.
    if (codi.GetByteCount() < 3) return 0;
    return bytes[2];
}

// ---- operation frame ----

bool CAppCore::BeginProgress(const std::string& text, int maximum, const ProgressOptions& options) {
    // An operation starts: its waits add up from here, whatever ran late before it.
    GetClock().Restart();
    // A dialog left by a caller is replaced; the busy flag is the caller's.
    progress_.Open(text, text, maximum, options);
    return true;
}

void CAppCore::EndProgress() {
    progress_.Close();
    busy_ = false;
    if (connected_ && protocol_.LinkLost()) {
        // The operation keeps its own error text (it names what failed).
        LoseConnection(lastError_.empty() ? std::string(kConnectionLost) : lastError_);
        if (connectionLost_) connectionLost_();
    }
}

CAppCore::BusyScope::BusyScope(CAppCore& core) : core_(core), was_(core.busy_) { core_.busy_ = true; }

CAppCore::BusyScope::BusyScope(CAppCore& core, const std::string& text, int maximum) : BusyScope(core) {
    ownDialog_ = !core_.HasProgress();
    if (ownDialog_) core_.BeginProgress(text, maximum);
}

CAppCore::BusyScope::~BusyScope() {
    if (ownDialog_) core_.EndProgress();
    core_.busy_ = was_;
}

CAppCore::CommandSeries::CommandSeries(CAppCore& core, const std::string& text, int maximum) {
    if (core.busy_) {
        core.lastError_ = kBusy;
        return;
    }
    scope_.emplace(core, text, maximum);
}

void CAppCore::RestartPollTimer() {
    if (!pollTimer_) return;
    pollTimer_->Stop();
    if (connected_) pollTimer_->Start(kPollInterval);
}

// ---- connection loss and the two timers ----

void CAppCore::LoseConnection(const std::string& error) {
    lastError_ = error;
    conexio_.Close();
    protocol_.Disconnect();
    if (pollTimer_) pollTimer_->Stop();
    if (pumpTimer_) pumpTimer_->Stop();
    connected_ = false;
    busy_ = false;
    pollFailures_ = 0;
    lostReportPending_ = true;
}

bool CAppCore::PumpLink() {
    // While the login runs the frame layer is started before the core counts as connected; the
    // pump must keep feeding it then.
    if (!connected_ && !protocol_.IsConnected()) {
        if (pumpTimer_) pumpTimer_->Stop();
        return true;
    }
    if (!protocol_.InOperation()) protocol_.Receive(kPumpInterval);
    if (connected_ && protocol_.LinkLost() && !busy_) {
        LoseConnection(kConnectionLost);
        if (connectionLost_) connectionLost_();
        return false;
    }
    return true;
}

bool CAppCore::CountPollFailure(const std::string& error) {
    if (++pollFailures_ < kMaxPollFailures) return false;
    LoseConnection(error);
    return true;
}

bool CAppCore::OnPollTimer() {
    if (!connected_) {
        if (pollTimer_) pollTimer_->Stop();
        return true;
    }
    // One exchange at a time: an operation (or the frame layer's own wait) is running.
    if (busy_ || protocol_.InOperation()) return true;
    busy_ = true;
    if (pollTimer_) pollTimer_->Stop();

    bool ok = false;
    std::string error;
    if (!statusPolling_) {
        ok = protocol_.BuildPing(protocol_.GetLoginDestination());
        if (!ok) error = kConnectionLost;
    } else if (pollToggle_) {
        pollToggle_ = false;
        ok = ReceiveOutputs() && ReceiveRelays();
        error = lastError_;
    } else {
        pollToggle_ = true;
        ok = ReceiveStatus(false);
        error = lastError_;
    }
    if (!ok && protocol_.LinkLost()) {
        // A broken link needs no more tries.
        pollFailures_ = kMaxPollFailures - 1;
    }
    if (!ok) {
        if (CountPollFailure(error)) {
            if (connectionLost_) connectionLost_();
            return false;
        }
    } else {
        pollFailures_ = 0;
        if (statusPolling_ && editView_) editView_->RefreshPanels();
    }
    busy_ = false;
    if (pollTimer_) pollTimer_->Start(kPollInterval);
    return true;
}
