// A link that drops in the middle of a panel command, on every path that commands the panel: the
// installer sees one box, and the window ends disconnected.
#include <functional>

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/textctrl.h>

#include "core/appcore.h"
#include "datamodel/codi.h"
#include "datamodel/model.h"
#include "panels/paneledit.h"
#include "panels/panelestat.h"
#include "panels/panelgrafic.h"
#include "panels/panelmapa.h"
#include "panels/wxtext.h"
#include "ui/keypad.h"
#include "window_harness.h"

namespace {
const std::vector<std::string> kCentral = {"Chalet Pérez", "Central VX16 (16 zonas)"};

std::vector<std::string> Under(std::vector<std::string> path, const std::string& label) {
    path.push_back(label);
    return path;
}

class LostLinkTest : public WindowTest {
protected:
    // The panel drops the connection part-way through its answer to the n-th request it hears
    // from now on (1: the first).
    void DropAtRequest(int n) {
        int heardFrames = 0;
        service.heard = [this, n, heardFrames](const SimService::Bytes& bytes) mutable {
            // A request is a data frame (start byte 0x16 or 0x02, then more than five bytes).
            if (bytes.size() > 5 && (bytes[0] == 0x16 || bytes[0] == 0x02) && ++heardFrames == n)
                sim.Faults().dropAfterBytes = 3;
        };
    }
    // The keypad aimed at a one-byte code of the central.
    CPanelKeyPad* AimKeypad() {
        CModel& central = core->GetInstalacio().GetCentral();
        for (int i = 0; i < central.GetCodiCount(); ++i) {
            CCodi* c = central.GetCodi(i);
            if (!c || c->GetKpAddress().empty() || c->GetByteCount() != 1 || !c->IsEditable()) continue;
            CPanelKeyPad* keypad = frame->GetKeyPad();
            keypad->AddressCtrl()->ChangeValue(ToWx(central.GetBusDir()));
            keypad->KeyCodeCtrl()->ChangeValue(ToWx(c->GetKpAddress()));
            keypad->ValueCtrl()->ChangeValue(wxT("5"));
            return keypad;
        }
        ADD_FAILURE() << "no code for the keypad";
        return frame->GetKeyPad();
    }
    static void Press(wxWindow* target, wxEventType type, int id) {
        wxCommandEvent e(type, id);
        e.SetEventObject(target);
        target->GetEventHandler()->ProcessEvent(e);
    }
    // The canvas of the first plan page with its first element of the given kinds made current,
    // as a press on it does.
    CPanelMapa* CanvasAt(int firstKind, int lastKind) {
        CPanelMapa* canvas = frame->GetEditView()->GetGraficPanel()->GetCanvas(0);
        wxBitmap buffer(canvas->GetClientSize().x, canvas->GetClientSize().y);
        {
            wxMemoryDC dc(buffer);
            canvas->Render(dc, canvas->GetClientSize());  // the scale of the picture
        }
        const double scale = canvas->GetScale();
        for (CCompGraf* e : canvas->GetItems()) {
            if (e->GetTipus() < firstKind || e->GetTipus() > lastKind) continue;
            canvas->DrawStatePopup(static_cast<int>((e->GetPosX() + 5) * scale) + 1,
                                   static_cast<int>((e->GetPosY() + 5) * scale) + 1);
            EXPECT_EQ(canvas->GetCurrent(), e);
            return canvas;
        }
        ADD_FAILURE() << "no element of kinds " << firstKind << "-" << lastKind;
        return canvas;
    }
};

TEST_F(LostLinkTest, EveryPanelCommandShowsOneBoxAndEndsDisconnected) {
    struct Path {
        const char* name;
        std::vector<std::string> node;  // shown before the command
        int request;                    // the request whose answer the drop cuts
        std::function<void()> command;
    };
    const std::vector<Path> paths = {
        {"keypad read", Under(kCentral, "Zonas"), 1,
         [this] { Press(AimKeypad(), wxEVT_BUTTON, ID_KEYPAD_RECEIVE); }},
        {"keypad write", Under(kCentral, "Zonas"), 2,
         [this] { Press(AimKeypad(), wxEVT_BUTTON, ID_KEYPAD_SEND); }},
        {"status: arm areas", Under(kCentral, "Estado"), 1,
         [this] {
             Press(frame->GetEditView()->GetEstatPanel(), wxEVT_BUTTON, CPanelEstat::ID_ARM_AREAS);
         }},
        {"status: clock, lost at the status read", Under(kCentral, "Estado"), 3,
         [this] {
             Press(frame->GetEditView()->GetEstatPanel(), wxEVT_BUTTON, CPanelEstat::ID_SYNC_CLOCK);
         }},
        {"canvas: bypass", Under(Under(kCentral, "Estado"), "Gráfico"), 1,
         [this] { Press(CanvasAt(1, 6), wxEVT_MENU, CPanelMapa::ID_Bypass); }},
        {"canvas: output on, lost at the read-back", Under(Under(kCentral, "Estado"), "Gráfico"), 2,
         [this] { Press(CanvasAt(7, 8), wxEVT_MENU, CPanelMapa::ID_On); }},
        {"flash send", Under(kCentral, "Agenda de teléfonos"), 2,
         [this] { ASSERT_TRUE(Run(ID_MENU_SEND)); }},
    };
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        ASSERT_TRUE(Select(path.node));
        dialogs.shown.clear();
        DropAtRequest(path.request);
        path.command();
        // The window's own report has had its turn.
        Flush();
        Flush();
        EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{CAppCore::kConnectionLost});
        EXPECT_EQ(dialogs.shown.size(), 1u);
        EXPECT_FALSE(frame->IsConnected());
        EXPECT_FALSE(core->IsConnected());
        EXPECT_FALSE(core->IsBusy());
        EXPECT_TRUE(frame->IsCommandEnabledNow(ID_TOOL_CONNECT));
        EXPECT_FALSE(frame->GetKeyPad()->ValueCtrl()->IsEnabled());

        // A new connection for the next path.
        service.heard = nullptr;
        pipe.Mend();
        sim.Reconnect();
        ASSERT_TRUE(Run(ID_MENU_CONNECT));
        ASSERT_TRUE(frame->IsConnected());
    }
}

}  // namespace
