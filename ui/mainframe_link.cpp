// Link dialogue, panel commands (connect, disconnect, receive, send, verify, apply, factory
// values and resets), the pane toggles, the two timers, the about box and closing.
#include <wx/splitter.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "core/appcore.h"
#include "datamodel/dades.h"
#include "datamodel/strings.h"
#include "link/conexio.h"
#include "link/serial.h"
#include "panels/dialogs.h"
#include "panels/paneledit.h"
#include "ui/keypad.h"
#include "ui/mainframe.h"

namespace {
// Yes, No or Cancel (nullopt) to a question of the link dialogue.
std::optional<bool> AskOnOff(const std::string& text, const std::string& caption) {
    switch (GetDialogs().AskYesNoCancel(text, caption)) {
        case Answer::Yes: return true;
        case Answer::No: return false;
        case Answer::Cancel: break;
    }
    return std::nullopt;
}
}  // namespace

void MyFrame::ShowOperationError() { ShowError(core_->GetLastError()); }

// ---- link dialogue ----

void MyFrame::OnConfigure(wxCommandEvent&) {
    if (core_) RunLinkDialogue();
}

bool MyFrame::RunLinkDialogue() {
    core_->StorePanels();
    const std::vector<std::string>& kinds = LinkKindChoices();
    const CDades& dades = core_->GetInstalacio().GetDades();
    // The installation's own kind is offered first: OK without looking keeps the link it has.
    const int current = dades.GetTipusConexio();
    auto kindChoice = GetDialogs().ChooseOne("Seleccione es tipo de conexión que va a usar:", "Elegir tipo conexión",
                                             kinds, current >= 0 && current < static_cast<int>(kinds.size()) ? current : 0);
    if (!kindChoice) return false;
    const int kind = LinkKindOfChoice(kinds[static_cast<std::size_t>(*kindChoice)]);

    int port = 0;
    std::string phone, address;
    bool callback = false, special = false;
    int ipPort = 0;
    if (kind >= ConexioLocal && kind <= ConexioGsm) {
        const std::vector<SerialPortInfo> ports = ListSerialPorts(ttyClassFolder_);
        if (ports.empty()) {
            GetDialogs().Error("No se encontró ningún puerto serie en este equipo", "Error");
            return false;
        }
        auto choice = GetDialogs().ChooseOne("Puerto COM (puerto serie) donde está conectado el modem o la conexión local",
                                             "Puerto com", SerialPortChoices(ports));
        if (!choice) return false;
        port = ports[static_cast<std::size_t>(*choice)].number;
    }
    if (kind == ConexioModem || kind == ConexioGsm) {
        auto number = GetDialogs().GetText("Número de teléfono donde llamar", "Número de teléfono",
                                           kind == ConexioModem ? dades.GetTelfConexio() : dades.GetTelfConexioCSD());
        if (!number || number->empty()) return false;
        phone = *number;
        auto on = AskOnOff("Usar modo callback?", "Modo callback");
        if (!on) return false;
        callback = *on;
    }
    if (kind == ConexioModem) {
        auto on = AskOnOff("Llamada especial?", "Llamada especial");
        if (!on) return false;
        special = *on;
    }
    if (kind >= ConexioTcpIp && kind <= ConexioCraLink) {
        const std::string defaultAddress = kind == ConexioTcpIp ? dades.GetIpDest()
                                           : kind == ConexioGprs ? dades.GetIpGprsDest()
                                                                 : dades.GetIpCraLnkDest();
        const int defaultPort = kind == ConexioTcpIp ? dades.GetIpPort()
                                : kind == ConexioGprs ? dades.GetIpGprsPort()
                                                      : dades.GetIpCraLnkPort();
        auto ip = GetDialogs().GetText("Escriba la IP destino", "IP destino", defaultAddress);
        if (!ip || ip->empty()) return false;
        address = *ip;
        // An invalid port is asked for again (showing what was typed), so the kind and address
        // already chosen are not lost; Cancel or an empty answer still ends the dialogue.
        std::string shownPort = IntToString(defaultPort);
        for (;;) {
            auto portText = GetDialogs().GetText("Escriba el puerto IP de destino", "Puerto IP destino", shownPort);
            if (!portText || portText->empty()) return false;
            if (auto parsed = ParseIpPort(*portText)) {
                ipPort = *parsed;
                break;
            }
            GetDialogs().Error("Puerto IP incorrecto: " + *portText + "\n(un número de 1 a 65535)", "Error");
            shownPort = *portText;
        }
    }

    const bool ok = core_->SetConexioSettings(kind, port, phone, callback, special, address, ipPort);
    if (!ok) ShowOperationError();
    editView_->TransferToPanels();
    return ok;
}

// ---- connect, disconnect ----

void MyFrame::OnConnect(wxCommandEvent&) {
    if (!core_ || state_.connected) return;
    core_->StorePanels();
    if (core_->NeedsConexioSettings()) RunLinkDialogue();
    bool ok;
    {
        wxBusyCursor busy;
        ok = core_->Connect();
    }
    if (!ok) {
        ShowOperationError();
        SetConnected(false);
        UpdateTitle();
        return;
    }
    core_->TakeLostLinkReport();  // a new link: an earlier loss is no longer news
    GetDialogs().Info("Conectado", "Información");
    SetConnected(true);
    UpdateTitle();
}

void MyFrame::OnDisconnect(wxCommandEvent&) {
    if (!core_) return;
    if (!core_->Disconnect()) ShowOperationError();
    else GetDialogs().Info("Conexión cerrada", "Información");
    SetConnected(false);
    UpdateTitle();
}

// ---- transfers ----

void MyFrame::OnReceive(wxCommandEvent&) {
    if (!core_) return;
    // The alarm-receiving-centre link only listens: nothing to receive from it.
    if (core_->GetConexio().GetKind() == ConexioCraLink) return;
    if (!core_->Receive(SelectedItem())) ShowOperationError();
    UpdateTitle();
}

void MyFrame::OnSend(wxCommandEvent&) {
    if (core_ && !core_->Send(SelectedItem())) ShowOperationError();
}

void MyFrame::OnVerify(wxCommandEvent&) {
    if (!core_) return;
    if (!core_->Verify(SelectedItem())) ShowOperationError();
    else GetDialogs().Info("Valores verificados correctamente", "Información");
}

void MyFrame::OnApply(wxCommandEvent&) {
    if (!core_) return;
    if (!core_->Apply(SelectedItem())) {
        ShowOperationError();
        return;
    }
    // The panel takes ten seconds to apply the programming; the window waits with it.
    UiServices* ui = core_->GetUiServices();
    ProgressOptions options;
    options.canCancel = false;
    std::unique_ptr<ProgressDialog> progress =
        ui ? ui->OpenProgress("Aplicando...", "Aplicando...", 10, options) : nullptr;
    for (int i = 1; i <= 10; ++i) {
        core_->GetClock().SleepMs(1000);
        if (progress) progress->Update(i);
    }
}

// ---- factory values and resets ----
// Each of these overwrites the programming (the panel's, or the installation's for the soft
// reset): the question defaults to No, so Return alone changes nothing.

void MyFrame::OnResetSoft(wxCommandEvent&) {
    if (!core_ ||
        !GetDialogs().AskYesNo("¿Seguro que desea aplicar valores de fábrica (soft)?", "Reset", DefaultButton::No))
        return;
    if (!core_->ApplyFactoryValues(SelectedItem())) ShowOperationError();
}

void MyFrame::OnCopyEepToFlash(wxCommandEvent&) {
    if (!core_ || !GetDialogs().AskYesNo(
                      "¿Está seguro de querer establecer la programación actual como valores de fábrica en Flash?",
                      "Reset", DefaultButton::No))
        return;
    if (!core_->StoreFactoryValues()) ShowOperationError();
}

void MyFrame::OnCopyFlashToEep(wxCommandEvent&) {
    if (!core_ || !GetDialogs().AskYesNo(
                      "¿Está seguro de querer recuperar los valores de fábrica en flash como programación en curso?",
                      "Reset", DefaultButton::No))
        return;
    if (!core_->RestoreFactoryValues()) ShowOperationError();
}

void MyFrame::OnResetHard(wxCommandEvent&) {
    if (!core_ || !GetDialogs().AskYesNo(
                      "¿Está seguro de querer realizar un reset profundo (hard) de la programación eeprom?", "Reset",
                      DefaultButton::No))
        return;
    if (!core_->HardResetEeprom()) ShowOperationError();
}

// ---- panes ----

void MyFrame::OnToggleKeyPad(wxCommandEvent& event) {
    keypad_->Show(event.IsChecked());
    Layout();
}

void MyFrame::OnToggleLog(wxCommandEvent& event) {
    if (event.IsChecked()) {
        if (!outer_->IsSplit()) outer_->SplitHorizontally(inner_, logPane_, -100);
        logPane_->Show();
    } else {
        if (outer_->IsSplit()) outer_->Unsplit(logPane_);
        logPane_->Hide();
    }
    Layout();
}

// ---- timers ----

void MyFrame::OnTimer1(wxTimerEvent&) {
    // A lost link found here reaches the window through the core's lost-link handler.
    if (core_) core_->PumpLink();
}

void MyFrame::OnTimer2(wxTimerEvent&) {
    if (!core_ || core_->OnPollTimer()) return;
    ShowOperationError();
    SetConnected(false);
    UpdateTitle();
}

// ---- about, leaving ----

void MyFrame::OnAbout(wxCommandEvent&) {
    if (!core_) return;
    std::string text;
    core_->GetAboutText(text);
    GetDialogs().Info(text, "Sobre");
}

void MyFrame::OnExit(wxCommandEvent&) { Close(false); }

void MyFrame::OnCloseWindow(wxCloseEvent& event) {
    const bool canStay = event.CanVeto();
    // An operation in progress finishes first (its own dialog has a Cancel button).
    if (canStay && core_ && core_->IsBusy()) {
        event.Veto();
        return;
    }
    if (canStay && !AskSaveIfModified()) {
        event.Veto();
        return;
    }
    if (core_ && state_.connected) {
        core_->Disconnect();
        SetConnected(false);
        UpdateTitle();
    }
    if (canStay && !GetDialogs().AskYesNo(WindowText::kCloseQuestion, "Cerrar Orvane")) {
        event.Veto();
        return;
    }
    if (core_) core_->SaveConfig();
    Destroy();
}
