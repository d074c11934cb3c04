// The status panel's buttons: the panel clock from the PC or typed, the phone test, zone bypass
// and restore, arming and disarming areas, outputs and relays on and off. The clock, the phone
// test and the outputs run as one command series of the core, which holds the busy flag and one
// "Enviando..." dialog from start to end on every path out (a failed step, a lost link), so the
// idle poll never runs in the middle; then the panel reloads and the errors are shown. The area
// and zone commands are single commands of the core, which holds the busy flag and its own
// dialog and reads the status after them; the panel reloads whatever their result.
#include <wx/checklst.h>
#include <wx/listctrl.h>

#include "core/appcore.h"
#include "datamodel/estat.h"
#include "panels/dialogs.h"
#include "panels/panelestat.h"
#include "panels/wxtext.h"

namespace {

constexpr const char* kSending = "Enviando...";
// Steps of the panel's own dialogs (the bar stops short of its end while a series runs).
constexpr int kClockSteps = 4;
constexpr int kOutputSteps = 13;

const char* const kPrompt =
    "Escriba la fecha y la hora en este formato:\n\n      hhmmssddmmaa\n\n*(aa = años después de 2000)";

// Runs one command of the core and shows its error when it fails. One exchange at a time: while
// another operation runs, the command is refused.
template <class Send>
void SendCommand(CAppCore& core, Send send) {
    if (core.IsBusy()) core.SetLastError(CAppCore::kBusy);
    else if (send()) return;
    ShowCoreError(&core, core.GetLastError());
}

}  // namespace

template <class Body>
void CPanelEstat::RunSeries(int maximum, Body body) {
    if (!core_ || !record_) return;
    std::vector<std::string> errors;
    {
        CAppCore::CommandSeries series(*core_, kSending, maximum);
        if (!series.Started()) {
            errors.push_back(core_->GetLastError());
        } else {
            body(errors);
            UpdateControls();
        }
    }
    // One box per distinct failure in a row.
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (i == 0 || errors[i] != errors[i - 1]) ShowCoreError(core_, errors[i]);
    }
}

void CPanelEstat::SendClock(const std::optional<PanelClock>& clock) {
    RunSeries(kClockSteps, [this, &clock](std::vector<std::string>& errors) {
        const bool sent = clock ? core_->SetPanelClock(*clock) : core_->SetPanelClock();
        if (!sent) {
            errors.push_back(core_->GetLastError());
            return;
        }
        // Cancel here stops before the status read, without an error.
        if (!core_->ProgressStep(1, std::string())) return;
        if (!core_->ReceiveStatus(false)) errors.push_back(core_->GetLastError());
    });
}

void CPanelEstat::PhoneTest() {
    RunSeries(kClockSteps, [this](std::vector<std::string>& errors) {
        if (!core_->SendPhoneTest()) {
            errors.push_back(core_->GetLastError());
            return;
        }
        if (!core_->ProgressStep(1, std::string())) return;
        if (!core_->ReceiveStatus(false)) errors.push_back(core_->GetLastError());
    });
}

void CPanelEstat::OnSyncClock(wxCommandEvent&) { SendClock(std::nullopt); }

void CPanelEstat::OnSetClock(wxCommandEvent&) {
    if (!core_) return;
    const std::optional<std::string> typed = GetDialogs().GetText(kPrompt, "Fecha y Hora");
    if (!typed || typed->empty()) return;
    std::string error;
    const std::optional<PanelClock> clock = ParseTypedClock(*typed, error);
    if (!clock) {
        GetDialogs().Error(error, "Error");
        return;
    }
    SendClock(clock);
}

void CPanelEstat::OnPhoneTest(wxCommandEvent&) { PhoneTest(); }

std::vector<bool> CPanelEstat::Ticked(const wxCheckListBox* list) const {
    std::vector<bool> ticked;
    if (!list) return ticked;
    for (unsigned i = 0; i < list->GetCount(); ++i) ticked.push_back(list->IsChecked(i));
    return ticked;
}

std::vector<bool> CPanelEstat::SelectedZones() const {
    std::vector<bool> selected;
    if (!zoneList_) return selected;
    for (long row = 0; row < zoneList_->GetItemCount(); ++row) {
        const long zone = static_cast<long>(zoneList_->GetItemData(row));
        if (zone < 0 || zone >= CEstat::kMaxZones) continue;
        if (selected.size() <= static_cast<std::size_t>(zone)) selected.resize(static_cast<std::size_t>(zone) + 1);
        selected[static_cast<std::size_t>(zone)] = zoneList_->GetItemState(row, wxLIST_STATE_SELECTED) != 0;
    }
    return selected;
}

void CPanelEstat::ZoneCommand(bool bypass) {
    if (!core_ || !record_) return;
    // No qualifying zone selected sends the all-clear mask.
    int count = 0;
    const ZoneMask mask = MakeZoneMask(*record_, SelectedZones(), bypass, count);
    const int zones = record_->GetZoneCount();
    SendCommand(*core_, [&] { return core_->SendZoneCommand(mask, zones); });
    UpdateControls();
}

void CPanelEstat::OnBypassZones(wxCommandEvent&) { ZoneCommand(true); }

void CPanelEstat::OnUnbypassZones(wxCommandEvent&) { ZoneCommand(false); }

void CPanelEstat::AreaCommand(bool arm) {
    if (!core_ || !record_) return;
    // No area ticked sends mask 0.
    const unsigned char mask = MakeAreaMask(record_->GetAreaCount(), Ticked(areaList_));
    SendCommand(*core_, [&] { return core_->SendAreaCommand(mask, arm); });
    UpdateControls();
}

void CPanelEstat::OnArmAreas(wxCommandEvent&) { AreaCommand(true); }

void CPanelEstat::OnDisarmAreas(wxCommandEvent&) { AreaCommand(false); }

void CPanelEstat::SetOutputs(bool on) {
    if (!core_ || !record_) return;
    const std::vector<bool> ticked = Ticked(outputList_);
    const int outputs = record_->GetOutputCount();
    const int relays = record_->GetRelayCount();
    auto isTicked = [&ticked](int item) { return item < static_cast<int>(ticked.size()) && ticked[static_cast<std::size_t>(item)]; };
    // Nothing ticked sends nothing and reads nothing back.
    RunSeries(kOutputSteps, [this, on, outputs, relays, &isTicked](std::vector<std::string>& errors) {
        // Switches the ticked items of one kind; a failure skips the rest of that kind.
        CAppCore* core = core_;
        auto run = [core, on, &isTicked, &errors](int first, int count, bool (CAppCore::*send)(int, bool)) {
            bool commanded = false;
            for (int i = 0; i < count; ++i) {
                if (!isTicked(first + i)) {
                    core->ProgressStep(1, std::string());  // Cancel is not looked at here
                    continue;
                }
                commanded = true;
                if (!(core->*send)(i, on)) {
                    errors.push_back(core->GetLastError());
                    break;
                }
            }
            return commanded;
        };
        // A failed output still lets the relays go, unless the link itself is gone: then every
        // further step would only fail again.
        auto linkLost = [core] { return !core->IsConnected() || core->GetProtocol().LinkLost(); };
        const bool outputsCommanded = run(0, outputs, &CAppCore::SendOutputCommand);
        if (linkLost()) return;
        const bool relaysCommanded = run(outputs, relays, &CAppCore::SendRelayCommand);
        if (linkLost()) return;
        if (outputsCommanded && !core->ReceiveOutputs()) errors.push_back(core->GetLastError());
        if (relaysCommanded && !core->ReceiveRelays()) errors.push_back(core->GetLastError());
    });
}

void CPanelEstat::OnOutputsOn(wxCommandEvent&) { SetOutputs(true); }

void CPanelEstat::OnOutputsOff(wxCommandEvent&) { SetOutputs(false); }
