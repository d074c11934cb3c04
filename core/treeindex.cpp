#include "core/treeindex.h"

void CTreeIndex::Clear() {
    items_.clear();
    dades_.clear();
    grups_.clear();
    grupsFlash_.clear();
    components_.clear();
    estats_.clear();
    vistes_.clear();
    events_.clear();
}

template <typename T>
bool CTreeIndex::Register(TreeItemId id, int kind, std::vector<T>* payloads, T payload) {
    // An item already known (or no item) is refused before any list changes.
    if (id == kNoTreeItem || FindItem(id) >= 0) return false;
    auto item = std::make_unique<TreeItem>();
    item->id = id;
    item->kind = kind;
    if (payloads) {
        payloads->push_back(payload);
        item->index = static_cast<int>(payloads->size()) - 1;
    }
    items_.push_back(std::move(item));
    return true;
}

bool CTreeIndex::AddItem(TreeItemId id) { return Register<int>(id, TreeNodePlain, nullptr, 0); }
bool CTreeIndex::AddComponent(TreeItemId id, CModel* model) {
    return Register(id, TreeNodeComponent, &components_, model);
}
bool CTreeIndex::AddDades(TreeItemId id, CDades* dades) { return Register(id, TreeNodeDades, &dades_, dades); }
bool CTreeIndex::AddGrup(TreeItemId id, CGrup* grup) { return Register(id, TreeNodeGrup, &grups_, grup); }
bool CTreeIndex::AddGrupFlash(TreeItemId id, CGrupFlash* grup) {
    return Register(id, TreeNodeGrupFlash, &grupsFlash_, grup);
}
bool CTreeIndex::AddEstat(TreeItemId id, CEstat* estat) { return Register(id, TreeNodeEstat, &estats_, estat); }
bool CTreeIndex::AddVista(TreeItemId id, int viewKind) { return Register(id, TreeNodeVista, &vistes_, viewKind); }
bool CTreeIndex::AddEvents(TreeItemId id, CEvents* events) {
    return Register(id, TreeNodeEvents, &events_, events);
}

int CTreeIndex::FindItem(TreeItemId id) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->id == id) return static_cast<int>(i);
    }
    return -1;
}

const TreeItem* CTreeIndex::Find(TreeItemId id) const {
    const int i = FindItem(id);
    return i < 0 ? nullptr : items_[i].get();
}

int CTreeIndex::GetKind(TreeItemId id) const {
    const TreeItem* item = Find(id);
    return item ? item->kind : TreeNodePlain;
}

TreeItemId CTreeIndex::GetRootItem() const {
    for (const auto& item : items_) {
        if (item->kind == TreeNodePlain) return item->id;
    }
    return kNoTreeItem;
}

CDades* CTreeIndex::GetDades(TreeItemId id) const {
    const TreeItem* item = Find(id);
    return item && item->kind == TreeNodeDades ? Payload(dades_, item->index) : nullptr;
}

CGrup* CTreeIndex::GetGrup(TreeItemId id) const {
    const TreeItem* item = Find(id);
    return item && item->kind == TreeNodeGrup ? Payload(grups_, item->index) : nullptr;
}

CGrupFlash* CTreeIndex::GetGrupFlash(TreeItemId id) const {
    const TreeItem* item = Find(id);
    return item && item->kind == TreeNodeGrupFlash ? Payload(grupsFlash_, item->index) : nullptr;
}

int CTreeIndex::GetVista(TreeItemId id) const {
    const TreeItem* item = Find(id);
    return item && item->kind == TreeNodeVista ? Payload(vistes_, item->index, 0) : 0;
}

CEvents* CTreeIndex::GetEvents(TreeItemId id) const {
    const TreeItem* item = Find(id);
    return item && item->kind == TreeNodeEvents ? Payload(events_, item->index) : nullptr;
}

CModel* CTreeIndex::GetComponent(TreeItemId id) const {
    const int index = FindComponentIndex(FindItem(id));
    return index < 0 ? nullptr : Payload(components_, items_[index]->index);
}

CEstat* CTreeIndex::GetEstat(TreeItemId id) const {
    const int index = FindEstatIndex(FindItem(id));
    return index < 0 ? nullptr : Payload(estats_, items_[index]->index);
}

// Climbs the tree control's parents until a component item. The number of steps is bounded by
// the number of registered items, so a tree whose parents loop cannot hang the walk.
int CTreeIndex::FindComponentIndex(int index) const {
    for (std::size_t steps = 0; steps <= items_.size(); ++steps) {
        if (index < 0 || index >= static_cast<int>(items_.size())) return -1;
        const TreeItem& item = *items_[index];
        switch (item.kind) {
        case TreeNodeComponent:
            return index;
        case TreeNodeGrup:
        case TreeNodeEstat:
        case TreeNodeVista:
        case TreeNodeEvents:
        case TreeNodeGrupFlash:
            if (!tree_) return -1;
            index = FindItem(tree_->GetItemParent(item.id));
            break;
        default:
            return -1;
        }
    }
    return -1;
}

int CTreeIndex::FindEstatIndex(int index) const {
    for (std::size_t steps = 0; steps <= items_.size(); ++steps) {
        if (index < 0 || index >= static_cast<int>(items_.size())) return -1;
        const TreeItem& item = *items_[index];
        if (item.kind == TreeNodeEstat) return index;
        if (item.kind != TreeNodeVista || !tree_) return -1;
        index = FindItem(tree_->GetItemParent(item.id));
    }
    return -1;
}
