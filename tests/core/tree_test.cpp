#include <memory>

#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"

namespace {

// A group appended to parent and owned by the model.
CGrup* AddGroup(CModel& model, CGrup* parent, const std::string& name) {
    auto grup = std::make_unique<CGrup>();
    grup->SetName(name);
    CGrup* raw = grup.get();
    model.AddGrup(std::move(grup));
    parent->AddSubgrup(raw);
    return raw;
}

}  // namespace

TEST(TreeIndex, RegistersOnceAndWalksUpToTheComponent) {
    FakeTreeView tree;
    CTreeIndex index;
    index.SetTreeView(&tree);
    CModel model;
    CGrup g1, g2, g3;
    CEstat& estat = model.GetEstat();

    const TreeItemId root = tree.AddRoot("root", -1);
    const TreeItemId comp = tree.AppendItem(root, "comp", -1, -1);
    const TreeItemId a = tree.AppendItem(comp, "a", -1, -1);
    const TreeItemId b = tree.AppendItem(a, "b", -1, -1);
    const TreeItemId c = tree.AppendItem(b, "c", -1, -1);
    const TreeItemId est = tree.AppendItem(comp, "Estado", -1, -1);
    const TreeItemId page = tree.AppendItem(est, "General", -1, -1);
    const TreeItemId estGroup = tree.AppendItem(est, "g", -1, -1);

    EXPECT_TRUE(index.AddItem(root));
    EXPECT_TRUE(index.AddComponent(comp, &model));
    EXPECT_TRUE(index.AddGrup(a, &g1));
    EXPECT_TRUE(index.AddGrup(b, &g2));
    EXPECT_TRUE(index.AddGrup(c, &g3));
    EXPECT_TRUE(index.AddEstat(est, &estat));
    EXPECT_TRUE(index.AddVista(page, StatusViewGeneral));
    EXPECT_TRUE(index.AddGrup(estGroup, &g1));

    // The same item twice: refused, nothing changes.
    EXPECT_FALSE(index.AddGrup(c, &g1));
    EXPECT_FALSE(index.AddComponent(a, &model));
    EXPECT_FALSE(index.AddItem(kNoTreeItem));
    EXPECT_EQ(index.GetItemCount(), 8);
    EXPECT_EQ(index.GetGrup(c), &g3);
    EXPECT_EQ(index.GetKind(a), TreeNodeGrup);

    EXPECT_EQ(index.GetRootItem(), root);
    EXPECT_EQ(index.GetComponent(c), &model);
    EXPECT_EQ(index.GetComponent(page), &model);
    EXPECT_EQ(index.GetComponent(estGroup), &model);
    EXPECT_EQ(index.GetComponent(root), nullptr);
    EXPECT_EQ(index.GetEstat(page), &estat);
    EXPECT_EQ(index.GetEstat(est), &estat);
    EXPECT_EQ(index.GetEstat(estGroup), nullptr);  // the status walk climbs only through pages
    EXPECT_EQ(index.GetVista(page), StatusViewGeneral);
    EXPECT_EQ(index.GetVista(c), 0);
    EXPECT_EQ(index.GetGrup(comp), nullptr);  // typed getters check the kind

    // Unknown items.
    EXPECT_EQ(index.GetKind(999), 0);
    EXPECT_EQ(index.FindItem(999), -1);
    EXPECT_EQ(index.GetComponent(999), nullptr);

    // Without the tree control nothing can be climbed.
    index.SetTreeView(nullptr);
    EXPECT_EQ(index.GetComponent(c), nullptr);
    EXPECT_EQ(index.GetComponent(comp), &model);

    index.Clear();
    EXPECT_EQ(index.GetItemCount(), 0);
    EXPECT_EQ(index.GetRootItem(), kNoTreeItem);
}

TEST_F(CoreTest, TreeOfTheSampleInstallation) {
    ASSERT_TRUE(LoadSample());
    core->BuildTree();
    CInstalacio& inst = core->GetInstalacio();
    CModel& central = inst.GetCentral();

    ASSERT_NE(tree.root, kNoTreeItem);
    const auto* root = tree.Get(tree.root);
    EXPECT_EQ(root->label, inst.GetDades().GetNomInstal());
    EXPECT_EQ(root->image, core->GetIcon(TreeIcon::Installation));
    EXPECT_TRUE(root->expanded);

    std::vector<std::string> top = {"Datos", central.GetDescr()};
    for (int i = 0; i < inst.GetComponentCount(); ++i) top.push_back(inst.GetComponent(i)->GetDescr());
    EXPECT_EQ(tree.ChildLabels(tree.root), top);
    const TreeItemId datos = tree.Child(tree.root, "Datos");
    EXPECT_EQ(tree.Get(datos)->image, core->GetIcon(TreeIcon::Data));
    EXPECT_EQ(core->GetTreeIndex().GetDades(datos), &inst.GetDades());

    // The central: its programming groups, flash groups, "Estado", "Eventos".
    const TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    EXPECT_EQ(tree.Get(comp)->image, core->GetIcon(TreeIcon::Component));
    std::vector<std::string> expected;
    for (int i = 0; i < central.GetRootGrup()->GetSubgrupCount(); ++i)
        expected.push_back(central.GetRootGrup()->GetSubgrup(i)->GetName());
    for (int i = 0; i < central.GetFlashGrupCount(); ++i) expected.push_back(central.GetGrupFlash(i)->GetDescr());
    expected.push_back("Estado");
    if (central.GetEvents().GetMaxEvents() != -1) expected.push_back("Eventos");
    EXPECT_EQ(tree.ChildLabels(comp), expected);

    const TreeItemId estado = tree.Child(comp, "Estado");
    EXPECT_EQ(tree.Get(estado)->image, core->GetIcon(TreeIcon::View));
    const CEstat& estat = central.GetEstat();
    std::vector<std::string> pages;
    if (estat.HasGeneral()) pages.push_back("General");
    if (estat.HasRadio()) pages.push_back("Via radio");
    if (estat.HasOutputs()) pages.push_back("Salidas");
    if (estat.HasAnalog()) pages.push_back("Analógico");
    if (estat.HasGrafic()) pages.push_back("Gráfico");
    for (int i = 0; i < central.GetEstatRootGrup()->GetSubgrupCount(); ++i)
        pages.push_back(central.GetEstatRootGrup()->GetSubgrup(i)->GetName());
    EXPECT_EQ(tree.ChildLabels(estado), pages);

    // Groups carry both group pictures; the log lists them.
    const TreeItemId first = tree.Children(comp).front();
    EXPECT_EQ(tree.Get(first)->image, core->GetIcon(TreeIcon::Group));
    EXPECT_EQ(tree.Get(first)->selectedImage, core->GetIcon(TreeIcon::GroupSelected));
    EXPECT_NE(Log().find("\ngrup: " + central.GetRootGrup()->GetSubgrup(0)->GetName()), std::string::npos);

    // The model's alias groups under "Alias"; the top-level "Zonas" group is no alias.
    ASSERT_NE(core->GetZonesAlias(), nullptr);
    EXPECT_EQ(core->GetZonesAlias()->GetName(), "Zonas");
    ASSERT_NE(core->GetZonesAlias()->GetParent(), nullptr);
    EXPECT_EQ(core->GetZonesAlias()->GetParent()->GetName(), "Alias");

    // Seven pictures, each kind once.
    EXPECT_EQ(tree.images.size(), 7u);
}

TEST_F(CoreTest, TreeAliasGroupsLaterMatchWinsAndRebuildForgetsThem) {
    ASSERT_TRUE(LoadCentral());
    CModel& central = core->GetInstalacio().GetCentral();
    CGrup* root = central.GetRootGrup();
    // Drop the model's own groups so only the ones below count.
    root->Reset();
    root->SetName("Central");
    CGrup* alias = AddGroup(central, root, "Alias");
    CGrup* zonas = AddGroup(central, alias, "Zonas");
    CGrup* usuarios = AddGroup(central, alias, "Usuarios");
    CGrup* sms = AddGroup(central, root, "Alias SMS");
    CGrup* deep = AddGroup(central, sms, "Otros");
    CGrup* zones = AddGroup(central, deep, "Zones");
    CGrup* other = AddGroup(central, root, "Varios");
    AddGroup(central, other, "Salidas");  // not below an alias group
    AddGroup(central, alias, "zonas");    // case matters
    (void)zonas;

    core->BuildTree();
    EXPECT_EQ(core->GetZonesAlias(), zones);
    EXPECT_EQ(core->GetUsersAlias(), usuarios);
    EXPECT_EQ(core->GetAreasAlias(), nullptr);
    EXPECT_EQ(core->GetOutputsAlias(), nullptr);

    root->Reset();
    core->BuildTree();
    EXPECT_EQ(core->GetZonesAlias(), nullptr);
    EXPECT_EQ(core->GetUsersAlias(), nullptr);
}

TEST_F(CoreTest, TreeStatusWithoutPagesAndEventsWithoutCapacity) {
    // The expander's model describes no event memory (capacity -1).
    ASSERT_TRUE(LoadCentral("EX08", "1.2"));
    CModel& central = core->GetInstalacio().GetCentral();
    CEstat& estat = central.GetEstat();
    estat.SetHasGeneral(false);
    estat.SetHasRadio(false);
    estat.SetHasOutputs(false);
    estat.SetHasAnalog(false);
    estat.SetHasGrafic(false);
    central.GetEstatRootGrup()->Reset();
    ASSERT_EQ(central.GetEvents().GetMaxEvents(), -1);
    core->BuildTree();
    const TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    const TreeItemId estado = tree.Child(comp, "Estado");
    ASSERT_NE(estado, kNoTreeItem);
    EXPECT_TRUE(tree.Children(estado).empty());
    EXPECT_EQ(tree.Child(comp, "Eventos"), kNoTreeItem);

    estat.SetHasGeneral(true);
    estat.SetHasGrafic(true);
    central.GetEvents().SetMaxEvents(64);
    core->BuildTree();
    const TreeItemId comp2 = tree.Child(tree.root, central.GetDescr());
    EXPECT_EQ(tree.ChildLabels(tree.Child(comp2, "Estado")), (std::vector<std::string>{"General", "Gráfico"}));
    EXPECT_NE(tree.Child(comp2, "Eventos"), kNoTreeItem);
}

TEST_F(CoreTest, ShowingEachKindOfNode) {
    ASSERT_TRUE(LoadSample());
    core->BuildTree();
    CInstalacio& inst = core->GetInstalacio();
    CModel& central = inst.GetCentral();
    const TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    const TreeItemId estado = tree.Child(comp, "Estado");

    // Root and data leave the current component alone.
    CModel* other = inst.GetComponentCount() > 0 ? inst.GetComponent(0) : &central;
    core->SetCurrentComponent(other);
    core->ShowTreeItem(tree.root);
    EXPECT_EQ(core->GetCurrentComponent(), other);
    EXPECT_EQ(edit.CallsFrom(0), (std::vector<std::string>{"TransferFromPanels", "Clear"}));
    std::size_t at = edit.calls.size();
    core->ShowTreeItem(tree.Child(tree.root, "Datos"));
    EXPECT_EQ(edit.CallsFrom(at), (std::vector<std::string>{"TransferFromPanels", "Clear", "Heading Datos", "AddDades"}));
    EXPECT_EQ(edit.dades, &inst.GetDades());
    EXPECT_EQ(core->GetCurrentComponent(), other);
    EXPECT_FALSE(core->IsStatusPolling());

    // With the data panel shown, a renamed installation renames the root.
    inst.GetDades().SetNomInstal("Nuevo nombre");
    core->ShowTreeItem(comp);
    EXPECT_EQ(tree.Get(tree.root)->label, "Nuevo nombre");
    EXPECT_EQ(edit.calls.back(), "Heading " + central.GetId());
    EXPECT_EQ(core->GetCurrentComponent(), &central);

    // A code group: its codes in order (or the bit panel for a bit group).
    CGrup* grup = central.GetRootGrup()->GetSubgrup(0);
    ASSERT_NE(grup, nullptr);
    core->SetCurrentComponent(other);
    at = edit.calls.size();
    core->ShowTreeItem(tree.Child(comp, grup->GetName()));
    std::vector<std::string> want = {"TransferFromPanels", "Clear", "Heading " + grup->GetName()};
    if (grup->IsBits()) {
        want.push_back("AddBitGrup " + grup->GetName());
    } else {
        for (int i = 0; i < grup->GetCodiCount(); ++i) want.push_back("AddCodi " + grup->GetCodi(i)->GetId());
    }
    EXPECT_EQ(edit.CallsFrom(at), want);
    EXPECT_EQ(core->GetCurrentComponent(), &central);

    // "Estado": the status panel with the alias groups; polling on.
    at = edit.calls.size();
    core->ShowTreeItem(estado);
    EXPECT_EQ(edit.CallsFrom(at), (std::vector<std::string>{"TransferFromPanels", "Clear", "Heading Estado", "AddEstat"}));
    EXPECT_EQ(edit.estat, &central.GetEstat());
    EXPECT_EQ(edit.core, core.get());
    EXPECT_EQ(edit.aliases[0], core->GetZonesAlias());
    EXPECT_EQ(edit.aliases[1], core->GetAreasAlias());
    EXPECT_EQ(edit.aliases[2], core->GetOutputsAlias());
    EXPECT_TRUE(core->IsStatusPolling());

    // The pages.
    CEstat& estat = central.GetEstat();
    struct PageCase {
        const char* label;
        std::vector<std::string> calls;
        bool polling;
    };
    std::vector<std::string> analog = {"Heading Medidas Analógicas"};
    for (int i = 0; i < estat.GetMesuraCount(); ++i) analog.push_back("AddMesura");
    std::vector<std::string> outputs = {"Heading Salidas"};
    for (int i = 0; i < estat.GetOutputCount(); ++i) outputs.push_back("AddMesura");
    const PageCase cases[] = {
        {"General", {"Heading General", "AddEstat"}, true},
        {"Via radio", {"Heading Via radio", "AddVR"}, false},
        {"Salidas", outputs, false},
        {"Analógico", analog, false},
        {"Gráfico", {"Heading Gráfico", "AddGrafic"}, true},
    };
    for (const PageCase& c : cases) {
        const TreeItemId page = tree.Child(estado, c.label);
        if (page == kNoTreeItem) continue;
        at = edit.calls.size();
        core->ShowTreeItem(page);
        std::vector<std::string> expect = {"TransferFromPanels", "Clear"};
        expect.insert(expect.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(edit.CallsFrom(at), expect) << c.label;
        EXPECT_EQ(core->IsStatusPolling(), c.polling) << c.label;
    }

    // Events: zones, areas and users.
    const TreeItemId eventos = tree.Child(comp, "Eventos");
    if (eventos != kNoTreeItem) {
        at = edit.calls.size();
        core->ShowTreeItem(eventos);
        EXPECT_EQ(edit.CallsFrom(at), (std::vector<std::string>{"TransferFromPanels", "Clear", "Heading Eventos", "AddEvents"}));
        EXPECT_EQ(edit.events, &central.GetEvents());
        EXPECT_EQ(edit.aliases[2], core->GetUsersAlias());
        EXPECT_FALSE(core->IsStatusPolling());
    }

    // An item the index does not know: an empty view.
    at = edit.calls.size();
    core->ShowTreeItem(4242);
    EXPECT_EQ(edit.CallsFrom(at), (std::vector<std::string>{"TransferFromPanels", "Clear"}));
}

TEST_F(CoreTest, PopupCategoryAndComponentOfItems) {
    ASSERT_TRUE(LoadSample());
    core->BuildTree();
    CModel& central = core->GetInstalacio().GetCentral();
    const TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    const TreeItemId estado = tree.Child(comp, "Estado");
    const TreeItemId grup = tree.Children(comp).front();

    EXPECT_EQ(core->GetItemCategory(tree.root), 2);
    EXPECT_EQ(core->GetItemCategory(4242), 2);
    EXPECT_EQ(core->GetItemCategory(tree.Child(tree.root, "Datos")), 0);
    EXPECT_EQ(core->GetItemCategory(grup), 1);
    EXPECT_EQ(core->GetItemCategory(comp), 4);
    EXPECT_EQ(core->GetItemCategory(estado), 3);
    if (!tree.Children(estado).empty()) {
        EXPECT_EQ(core->GetItemCategory(tree.Children(estado).front()), 3);
    }
    if (central.GetFlashGrupCount() > 0) {
        EXPECT_EQ(core->GetItemCategory(tree.Child(comp, central.GetGrupFlash(0)->GetDescr())), 1);
    }

    EXPECT_EQ(core->GetItemComponent(grup), &central);
    EXPECT_EQ(core->GetItemComponent(tree.root), nullptr);
    for (int i = 0; i < core->GetInstalacio().GetComponentCount(); ++i) {
        CModel* m = core->GetInstalacio().GetComponent(i);
        const TreeItemId item = tree.Child(tree.root, m->GetDescr());
        for (TreeItemId child : tree.Children(item)) EXPECT_EQ(core->GetItemComponent(child), m);
    }

    core->ClearTree();
    EXPECT_EQ(tree.root, kNoTreeItem);
    EXPECT_EQ(core->GetTreeIndex().GetItemCount(), 0);
    EXPECT_EQ(core->GetZonesAlias(), nullptr);
}
