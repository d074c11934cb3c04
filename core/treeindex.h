// The registry of the installation tree's items: for every item, what kind of node it is and
// which record it stands for, so a selected item can be turned back into its record and its
// component. Payloads are never removed one by one: the whole index is cleared and rebuilt with
// the tree.
#pragma once

#include <memory>
#include <vector>

#include "core/views.h"

class CDades;
class CEstat;
class CEvents;
class CGrup;
class CGrupFlash;
class CModel;

enum TreeNodeKind : int {
    TreeNodePlain = 0,      // the root
    TreeNodeDades = 1,      // installation data
    TreeNodeGrup = 2,       // code group
    TreeNodeComponent = 3,  // central or bus component
    TreeNodeEstat = 4,      // "Estado"
    TreeNodeVista = 5,      // a page under "Estado"
    TreeNodeEvents = 6,     // "Eventos"
    TreeNodeReserved = 7,   // registered by no one
    TreeNodeGrupFlash = 8,  // flash group
};

enum StatusViewKind : int {
    StatusViewGeneral = 1,
    StatusViewRadio = 2,
    StatusViewOutputs = 3,
    StatusViewAnalog = 4,
    StatusViewGrafic = 5,
};

struct TreeItem {
    TreeItemId id = kNoTreeItem;
    int kind = TreeNodePlain;
    int index = 0;  // into the payload list of its kind
};

class CTreeIndex {
public:
    CTreeIndex() = default;
    CTreeIndex(const CTreeIndex&) = delete;
    CTreeIndex& operator=(const CTreeIndex&) = delete;

    void SetTreeView(TreeView* tree) { tree_ = tree; }
    TreeView* GetTreeView() const { return tree_; }

    void Clear();

    // Each registers the item with its kind; false (nothing changes) when the id is already
    // registered or is no item.
    bool AddItem(TreeItemId id);
    bool AddComponent(TreeItemId id, CModel* model);
    bool AddDades(TreeItemId id, CDades* dades);
    bool AddGrup(TreeItemId id, CGrup* grup);
    bool AddGrupFlash(TreeItemId id, CGrupFlash* grup);
    bool AddEstat(TreeItemId id, CEstat* estat);
    bool AddVista(TreeItemId id, int viewKind);
    bool AddEvents(TreeItemId id, CEvents* events);

    // Registration index, or -1.
    int FindItem(TreeItemId id) const;
    // The kind, 0 when not registered.
    int GetKind(TreeItemId id) const;
    // The first registered kind-0 item, or kNoTreeItem.
    TreeItemId GetRootItem() const;
    int GetItemCount() const { return static_cast<int>(items_.size()); }

    CDades* GetDades(TreeItemId id) const;
    CGrup* GetGrup(TreeItemId id) const;
    CGrupFlash* GetGrupFlash(TreeItemId id) const;
    int GetVista(TreeItemId id) const;
    CEvents* GetEvents(TreeItemId id) const;
    // The component the item is or lies under.
    CModel* GetComponent(TreeItemId id) const;
    // The status record of the "Estado" node the item is or lies under.
    CEstat* GetEstat(TreeItemId id) const;

    // From a registration index: the index of the component item it is or lies under, or -1.
    int FindComponentIndex(int index) const;
    // From a registration index: the index of the "Estado" item it is or lies under (climbing
    // only through status pages), or -1.
    int FindEstatIndex(int index) const;

private:
    // Registers the item with its kind and, when payloads is given, appends the payload there.
    template <typename T>
    bool Register(TreeItemId id, int kind, std::vector<T>* payloads, T payload);
    const TreeItem* Find(TreeItemId id) const;
    template <typename T>
    static T Payload(const std::vector<T>& list, int index, T none = T()) {
        return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)] : none;
    }

    std::vector<std::unique_ptr<TreeItem>> items_;
    std::vector<CDades*> dades_;
    std::vector<CGrup*> grups_;
    std::vector<CGrupFlash*> grupsFlash_;
    std::vector<CModel*> components_;
    std::vector<CEstat*> estats_;
    std::vector<int> vistes_;
    std::vector<CEvents*> events_;
    TreeView* tree_ = nullptr;
};
