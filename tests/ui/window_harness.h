// The fixture of the window tests and of the screenshot program: the real main window on top of
// the core test harness (virtual clock, simulated panel in process, fake progress dialogs and
// timers), with scripted dialogs. Commands run through the window's own ids (RunCommand skips a
// disabled item as a click would) and tree selections.
#pragma once

#include <string>
#include <vector>

#include <wx/treebase.h>

#include "core_harness.h"
#include "support/fake_dialogs.h"
#include "ui/ids.h"
#include "ui/mainframe.h"

class WindowTest : public CoreTest {
protected:
    WindowTest();
    ~WindowTest() override;

    bool Run(int id) { return frame->RunCommand(id); }
    // Opens samples/ejemplo.voski through "Abrir..." and fills the simulated panel from it.
    bool OpenSample();
    // Configures TCP/IP 127.0.0.1:4000 through the link dialogue and connects through
    // "Conectar", the link running on the in-process panel.
    bool ConnectTcp();
    // The tree item reached through these labels (the root's own label first); invalid when
    // there is none.
    wxTreeItemId Item(const std::vector<std::string>& labels) const;
    // Selects the item as a click would (the selection-changed event runs).
    bool Select(const std::vector<std::string>& labels);
    // An item of a tree pop-up menu (ids the menu bar may not hold).
    bool Popup(int id);
    // Gives the window this outer size, not maximised (a window manager maximises it at first),
    // and returns once the window on the screen has it and the window is laid out at it.
    void Resize(wxSize size);
    // Runs the events queued with CallAfter.
    void Flush();

    FakeDialogs dialogs;
    MyFrame* frame = nullptr;
};

// The sample installation in the source tree.
std::string SamplePath();
