// The core on the virtual clock with the simulated panel in process (the sample installation),
// showing its nodes in a real edit view inside a frame; dialogs are scripted.
#pragma once

#include <filesystem>
#include <string>

#include <wx/frame.h>

#include "panel_view_fixture.h"

class StatusViewTest : public PanelViewTest {
protected:
    void SetUp() override {
        // The panels load their pictures from the working folder, as the program does.
        std::filesystem::create_directory_symlink(std::filesystem::path(ORVANE_SOURCE_DIR) / "icons",
                                                  dir.Path() / "icons");
        core->SetConnectionLostHandler([this] { ++lostCalls; });
        OpenSample(true, wxSize(1100, 760));
    }

    // The central's status node, or one of its pages.
    TreeItemId StatusNode(const std::string& page = std::string()) const {
        TreeItemId estado = kNoTreeItem;
        for (const auto& [id, node] : tree.nodes) {
            if (node.label == "Estado") {
                estado = id;  // the central's comes first
                break;
            }
        }
        return page.empty() ? estado : tree.Child(estado, page);
    }
    // Shows a node and receives it, as the installer does with F3.
    void ShowAndReceive(TreeItemId node) {
        ASSERT_NE(node, kNoTreeItem);
        core->ShowTreeItem(node);
        ASSERT_TRUE(core->Receive(node)) << core->GetLastError();
    }
    // No progress dialog reached its end before its operation ended.
    void ExpectProgressWithinMaximum() const {
        for (const auto& p : ui.progress) {
            if (p->title != "Enviando...") continue;  // the receive's own dialog is the core's
            // Only the last update, as the dialog closes, may show the full bar.
            for (std::size_t i = 0; i + 1 < p->updates.size(); ++i) EXPECT_LT(p->updates[i].first, p->maximum);
            if (!p->updates.empty()) {
                EXPECT_LE(p->updates.back().first, p->maximum) << p->title;
            }
            EXPECT_FALSE(p->open);
        }
    }

    CModel& Central() { return core->GetInstalacio().GetCentral(); }
    CEstat& Estat() { return Central().GetEstat(); }

    int lostCalls = 0;
};
