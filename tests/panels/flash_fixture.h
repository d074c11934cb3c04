// The core on the virtual clock with the simulated panel in process, showing its nodes in a real
// edit view inside a frame; dialogs are scripted. Shared by the flash panel tests.
#pragma once

#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/frame.h>

#include "panel_view_fixture.h"
#include "datamodel/model.h"
#include "panels/paneledit.h"
#include "support/fake_dialogs.h"

class FlashPanelTest : public PanelViewTest {
protected:
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override { OpenSample(true, wxSize(1000, 900)); }

    CModel& Central() { return core->GetInstalacio().GetCentral(); }
    // The tree node of the central's flash group with this id, shown in the edit view.
    TreeItemId Show(const std::string& id) {
        CGrupFlash* grup = Central().FindGrupFlash(id);
        EXPECT_NE(grup, nullptr) << id;
        if (!grup) return kNoTreeItem;
        const TreeItemId item = tree.Child(tree.Child(tree.root, Central().GetDescr()), grup->GetDescr());
        EXPECT_NE(item, kNoTreeItem) << grup->GetDescr();
        core->ShowTreeItem(item);
        frame->Layout();
        wxTheApp->Yield(true);
        return item;
    }
    static void Click(wxButton* button) {
        ASSERT_NE(button, nullptr);
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    }
    // The panel's flash blocks from block on, n bytes.
    static Bytes GetFlash(panelsim::SimComponent& c, int block, std::size_t n) {
        Bytes out;
        for (std::size_t at = 0; at < n; at += 16) {
            auto b = c.FlashBlock(static_cast<std::uint16_t>(block + at / 16));
            out.insert(out.end(), b.begin(), b.end());
        }
        out.resize(n);
        return out;
    }
    static Bytes Pattern(std::size_t n, int seed) {
        Bytes b(n);
        for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + 13 * i + i / 251);
        return b;
    }
    std::string WriteFile(const std::string& name, const Bytes& bytes) {
        dir.Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return (dir / name).string();
    }
    int Executed() const { return sim.ExecutedCount(); }

};
