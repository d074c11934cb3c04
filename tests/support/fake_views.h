// Recording fakes of the window's tree view and edit view, for tests of the core and of the
// window code that drives it.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/views.h"

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
    void RefreshPanels() override { calls.push_back("RefreshPanels"); }
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

private:
    void AddStatusPanel(const char* call, CEstat* e, CAppCore* c, CGrup* zones, CGrup* areas, CGrup* outputs);
};
