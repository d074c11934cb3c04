// The core on the virtual clock with the simulated panel in process (the sample installation),
// showing its nodes in a real edit view inside a frame; dialogs are scripted.
#pragma once

#include <filesystem>
#include <string>

#include <wx/frame.h>

#include "core_harness.h"
#include "support/fake_dialogs.h"
#include "panels/paneledit.h"

class StatusViewTest : public CoreTest {
protected:
    void SetUp() override {
        // The panels load their pictures from the working folder, as the program does.
        std::filesystem::create_directory_symlink(std::filesystem::path(ORVANE_SOURCE_DIR) / "icons",
                                                  dir.Path() / "icons");
        SetDialogs(&dialogs);
        frame = new wxFrame(nullptr, wxID_ANY, wxT("Orvane"), wxDefaultPosition, wxSize(1100, 760));
        view = new CPanelEdit(frame);
        core->SetEditView(view);
        core->SetConnectionLostHandler([this] { ++lostCalls; });
        ASSERT_TRUE(LoadSample());
        core->BuildTree();
        ASSERT_TRUE(ConnectForTest());
    }
    void TearDown() override {
        core->SetEditView(&edit);
        delete frame;
        SetDialogs(nullptr);
        EXPECT_TRUE(dialogs.Done()) << "an answer queued for a dialog was never asked for";
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
            for (const auto& update : p->updates) EXPECT_LT(update.first, p->maximum) << p->title;
            EXPECT_FALSE(p->open);
        }
    }

    CModel& Central() { return core->GetInstalacio().GetCentral(); }
    CEstat& Estat() { return Central().GetEstat(); }

    FakeDialogs dialogs;
    wxFrame* frame = nullptr;
    CPanelEdit* view = nullptr;
    int lostCalls = 0;
};
