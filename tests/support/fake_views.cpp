#include "support/fake_views.h"

#include "datamodel/codi.h"
#include "datamodel/grup.h"

// ---- FakeTreeView ----

int FakeTreeView::AddImage(TreeIcon icon) {
    images.push_back(icon);
    return static_cast<int>(images.size()) - 1 + 10;  // the list already holds ten pictures
}

TreeItemId FakeTreeView::AddRoot(const std::string& label, int image) {
    const TreeItemId id = next_++;
    nodes[id] = Node{kNoTreeItem, label, image, image, {}, false};
    root = id;
    return id;
}

TreeItemId FakeTreeView::AppendItem(TreeItemId parent, const std::string& label, int image, int selectedImage) {
    auto it = nodes.find(parent);
    if (it == nodes.end()) return kNoTreeItem;
    const TreeItemId id = next_++;
    it->second.children.push_back(id);
    nodes[id] = Node{parent, label, image, selectedImage, {}, false};
    return id;
}

void FakeTreeView::DeleteAllItems() {
    ++deleteAllCalls;
    nodes.clear();
    root = kNoTreeItem;
    selection = kNoTreeItem;
}

void FakeTreeView::Delete(TreeItemId item) {
    auto it = nodes.find(item);
    if (it == nodes.end()) return;
    for (TreeItemId child : std::vector<TreeItemId>(it->second.children)) Delete(child);
    auto parent = nodes.find(it->second.parent);
    if (parent != nodes.end()) std::erase(parent->second.children, item);
    if (root == item) root = kNoTreeItem;
    nodes.erase(item);
}

TreeItemId FakeTreeView::GetItemParent(TreeItemId item) const {
    const Node* n = Get(item);
    return n ? n->parent : kNoTreeItem;
}

void FakeTreeView::SetItemText(TreeItemId item, const std::string& text) {
    auto it = nodes.find(item);
    if (it != nodes.end()) it->second.label = text;
}

std::string FakeTreeView::GetItemText(TreeItemId item) const {
    const Node* n = Get(item);
    return n ? n->label : std::string();
}

void FakeTreeView::Expand(TreeItemId item) {
    auto it = nodes.find(item);
    if (it != nodes.end()) it->second.expanded = true;
}

const FakeTreeView::Node* FakeTreeView::Get(TreeItemId item) const {
    auto it = nodes.find(item);
    return it == nodes.end() ? nullptr : &it->second;
}

std::vector<TreeItemId> FakeTreeView::Children(TreeItemId item) const {
    if (item == kNoTreeItem) return root == kNoTreeItem ? std::vector<TreeItemId>{} : std::vector<TreeItemId>{root};
    const Node* n = Get(item);
    return n ? n->children : std::vector<TreeItemId>{};
}

TreeItemId FakeTreeView::Child(TreeItemId parent, const std::string& label) const {
    for (TreeItemId c : Children(parent)) {
        if (Get(c)->label == label) return c;
    }
    return kNoTreeItem;
}

TreeItemId FakeTreeView::Path(const std::vector<std::string>& labels) const {
    TreeItemId at = kNoTreeItem;
    for (const std::string& label : labels) {
        at = Child(at, label);
        if (at == kNoTreeItem) return kNoTreeItem;
    }
    return at;
}

std::vector<std::string> FakeTreeView::ChildLabels(TreeItemId item) const {
    std::vector<std::string> out;
    for (TreeItemId c : Children(item)) out.push_back(Get(c)->label);
    return out;
}

// ---- FakeEditView ----

void FakeEditView::Clear() {
    calls.push_back("Clear");
    dades = nullptr;
    estat = nullptr;
    events = nullptr;
    codis.clear();
    mesures.clear();
}

void FakeEditView::AddDades(CDades* d) {
    calls.push_back("AddDades");
    dades = d;
}

void FakeEditView::AddCodi(CCodi* codi) {
    calls.push_back("AddCodi " + codi->GetId());
    codis.push_back(codi);
}

void FakeEditView::AddBitGrup(CGrup* grup) { calls.push_back("AddBitGrup " + grup->GetName()); }
void FakeEditView::AddFlashGrup(CGrupFlash*) { calls.push_back("AddFlashGrup"); }

void FakeEditView::AddMesura(CMesura* mesura) {
    calls.push_back("AddMesura");
    mesures.push_back(mesura);
}

void FakeEditView::AddVR(CEstat* e) {
    calls.push_back("AddVR");
    estat = e;
}

void FakeEditView::AddEstat(CEstat* e, CAppCore* c, CGrup* zones, CGrup* areas, CGrup* outputs) {
    calls.push_back("AddEstat");
    estat = e;
    core = c;
    aliases[0] = zones;
    aliases[1] = areas;
    aliases[2] = outputs;
}

void FakeEditView::AddGrafic(CEstat* e, CAppCore* c, CGrup* zones, CGrup* areas, CGrup* outputs) {
    calls.push_back("AddGrafic");
    estat = e;
    core = c;
    aliases[0] = zones;
    aliases[1] = areas;
    aliases[2] = outputs;
}

void FakeEditView::AddEvents(CEvents* e, CGrup* zones, CGrup* areas, CGrup* users) {
    calls.push_back("AddEvents");
    events = e;
    aliases[0] = zones;
    aliases[1] = areas;
    aliases[2] = users;
}

int FakeEditView::Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}
