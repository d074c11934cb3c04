// The installation tree: building it from the installation, showing the selected node in the
// edit view and answering the window's questions about an item.
#include "core/appcore.h"

#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"

void CAppCore::ClearTree() {
    if (tree_) tree_->DeleteAllItems();
    // The index and the name groups point into the items and records just dropped.
    treeIndex_.Clear();
    aliasZones_ = aliasAreas_ = aliasOutputs_ = aliasUsers_ = nullptr;
}

void CAppCore::BuildTree() {
    ClearTree();
    grupName_.clear();
    if (!tree_) return;

    CDades& dades = instalacio_.GetDades();
    const TreeItemId root = tree_->AddRoot(dades.GetNomInstal(), GetIcon(TreeIcon::Installation));
    treeIndex_.AddItem(root);

    const TreeItemId data = tree_->AppendItem(root, "Datos", GetIcon(TreeIcon::Data), GetIcon(TreeIcon::Data));
    treeIndex_.AddDades(data, &dades);

    AddComponentNode(root, &instalacio_.GetCentral());
    for (int i = 0; i < instalacio_.GetComponentCount(); ++i) {
        if (CModel* model = instalacio_.GetComponent(i)) AddComponentNode(root, model);
    }
    tree_->Expand(root);
    log_.Trim();
}

void CAppCore::AddComponentNode(TreeItemId parent, CModel* model) {
    const int groupIcon = GetIcon(TreeIcon::Group);
    const int selectedIcon = GetIcon(TreeIcon::GroupSelected);
    const int viewIcon = GetIcon(TreeIcon::View);

    const TreeItemId item = tree_->AppendItem(parent, model->GetDescr(), GetIcon(TreeIcon::Component),
                                              GetIcon(TreeIcon::Component));
    treeIndex_.AddComponent(item, model);

    CGrup* root = model->GetRootGrup();
    for (int i = 0; i < root->GetSubgrupCount(); ++i) {
        CGrup* child = root->GetSubgrup(i);
        if (!child) continue;
        grupName_ = child->GetName();
        AddGrupNodes(item, child);
    }

    for (int i = 0; i < model->GetFlashGrupCount(); ++i) {
        CGrupFlash* flash = model->GetGrupFlash(i);
        if (!flash) continue;
        const TreeItemId f = tree_->AppendItem(item, flash->GetDescr(), groupIcon, selectedIcon);
        treeIndex_.AddGrupFlash(f, flash);
        log_.AppendRaw("\ngrupFlash: " + flash->GetDescr());
    }

    CEstat& estat = model->GetEstat();
    const TreeItemId estatItem = tree_->AppendItem(item, "Estado", viewIcon, viewIcon);
    treeIndex_.AddEstat(estatItem, &estat);
    struct Page {
        bool on;
        const char* label;
        int kind;
    };
    const Page pages[] = {
        {estat.HasGeneral(), "General", StatusViewGeneral},
        {estat.HasRadio(), "Via radio", StatusViewRadio},
        {estat.HasOutputs(), "Salidas", StatusViewOutputs},
        {estat.HasAnalog(), "Analógico", StatusViewAnalog},
        {estat.HasGrafic(), "Gráfico", StatusViewGrafic},
    };
    for (const Page& page : pages) {
        if (!page.on) continue;
        const TreeItemId v = tree_->AppendItem(estatItem, page.label, groupIcon, selectedIcon);
        treeIndex_.AddVista(v, page.kind);
    }
    CGrup* estatRoot = model->GetEstatRootGrup();
    for (int i = 0; i < estatRoot->GetSubgrupCount(); ++i) {
        if (CGrup* child = estatRoot->GetSubgrup(i)) AddGrupNodes(estatItem, child);
    }

    CEvents& events = model->GetEvents();
    if (events.GetMaxEvents() != -1) {
        const TreeItemId e = tree_->AppendItem(item, "Eventos", viewIcon, viewIcon);
        treeIndex_.AddEvents(e, &events);
    }
}

void CAppCore::AddGrupNodes(TreeItemId parent, CGrup* grup) {
    const TreeItemId item =
        tree_->AppendItem(parent, grup->GetName(), GetIcon(TreeIcon::Group), GetIcon(TreeIcon::GroupSelected));
    treeIndex_.AddGrup(item, grup);
    log_.AppendRaw("\ngrup: " + grup->GetName());
    for (int i = 0; i < grup->GetSubgrupCount(); ++i) {
        CGrup* child = grup->GetSubgrup(i);
        if (!child) continue;
        if (grupName_ == "Alias" || grupName_ == "Alias SMS") NoteAliasGroup(child);
        AddGrupNodes(item, child);
    }
}

void CAppCore::NoteAliasGroup(CGrup* grup) {
    const std::string& name = grup->GetName();
    if (name == "Zones" || name == "Zonas") {
        aliasZones_ = grup;
    } else if (name == "Areas" || name == "Secteurs") {
        aliasAreas_ = grup;
    } else if (name == "Salidas" || name == "Outputs" || name == "Sorties") {
        aliasOutputs_ = grup;
    } else if (name == "Usuarios" || name == "Users" || name == "Utilisateurs") {
        aliasUsers_ = grup;
    }
}

void CAppCore::ShowTreeItem(TreeItemId item) {
    if (!editView_) return;
    StorePanels();
    if (CDades* dades = editView_->GetDades()) {
        const TreeItemId root = treeIndex_.GetRootItem();
        if (tree_ && root != kNoTreeItem) tree_->SetItemText(root, dades->GetNomInstal());
    }
    editView_->Clear();
    statusPolling_ = false;

    const int kind = treeIndex_.GetKind(item);
    switch (kind) {
    case TreeNodeDades:
        editView_->SetHeading("Datos");
        editView_->AddDades(treeIndex_.GetDades(item));
        break;
    case TreeNodeGrup:
        if (CGrup* grup = treeIndex_.GetGrup(item)) {
            editView_->SetHeading(grup->GetName());
            if (grup->IsBits()) {
                editView_->AddBitGrup(grup);
            } else {
                for (int i = 0; i < grup->GetCodiCount(); ++i) {
                    if (CCodi* codi = grup->GetCodi(i)) editView_->AddCodi(codi);
                }
            }
        }
        break;
    case TreeNodeGrupFlash:
        if (CGrupFlash* flash = treeIndex_.GetGrupFlash(item)) {
            editView_->SetHeading(flash->GetDescr());
            editView_->AddFlashGrup(flash);
        }
        break;
    case TreeNodeComponent:
        if (CModel* model = treeIndex_.GetComponent(item)) editView_->SetHeading(model->GetId());
        break;
    case TreeNodeEstat:
        if (CEstat* estat = treeIndex_.GetEstat(item)) {
            editView_->SetHeading("Estado");
            editView_->AddEstat(estat, this, aliasZones_, aliasAreas_, aliasOutputs_);
            statusPolling_ = true;
        }
        break;
    case TreeNodeVista: {
        CEstat* estat = treeIndex_.GetEstat(item);
        if (!estat) break;
        switch (treeIndex_.GetVista(item)) {
        case StatusViewGeneral:
            editView_->SetHeading("General");
            editView_->AddEstat(estat, this, aliasZones_, aliasAreas_, aliasOutputs_);
            statusPolling_ = true;
            break;
        case StatusViewAnalog:
            editView_->SetHeading("Medidas Analógicas");
            for (int i = 0; i < estat->GetMesuraCount(); ++i) {
                if (CMesura* m = estat->GetMesura(i)) editView_->AddMesura(m);
            }
            break;
        case StatusViewOutputs:
            editView_->SetHeading("Salidas");
            for (int i = 0; i < estat->GetOutputCount(); ++i) {
                if (CMesura* m = estat->GetOutput(i)) editView_->AddMesura(m);
            }
            break;
        case StatusViewRadio:
            editView_->SetHeading("Via radio");
            editView_->AddVR(estat);
            break;
        case StatusViewGrafic:
            editView_->SetHeading("Gráfico");
            editView_->AddGrafic(estat, this, aliasZones_, aliasAreas_, aliasOutputs_);
            statusPolling_ = true;
            break;
        default:
            break;
        }
        break;
    }
    case TreeNodeEvents:
        if (CEvents* events = treeIndex_.GetEvents(item)) {
            editView_->SetHeading("Eventos");
            editView_->AddEvents(events, aliasZones_, aliasAreas_, aliasUsers_);
        }
        break;
    default:
        break;
    }

    if (kind != TreeNodePlain && kind != TreeNodeDades) {
        if (CModel* model = treeIndex_.GetComponent(item)) currentComponent_ = model;
    }
}

CModel* CAppCore::GetItemComponent(TreeItemId item) const { return treeIndex_.GetComponent(item); }

int CAppCore::GetItemCategory(TreeItemId item) const {
    switch (treeIndex_.GetKind(item)) {
    case TreeNodeGrup:
    case TreeNodeGrupFlash:
        return 1;
    case TreeNodePlain:
        return 2;
    case TreeNodeEstat:
    case TreeNodeVista:
    case TreeNodeEvents:
        return 3;
    case TreeNodeComponent:
        return 4;
    default:
        return 0;
    }
}
