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
    const TreeItemId c = tree.AppendItem(tree.AppendItem(a, "b", -1, -1), "c", -1, -1);
    const TreeItemId est = tree.AppendItem(comp, "Estado", -1, -1);
    const TreeItemId page = tree.AppendItem(est, "General", -1, -1);
    const TreeItemId estGroup = tree.AppendItem(est, "g", -1, -1);
    EXPECT_TRUE(index.AddItem(root));
    EXPECT_TRUE(index.AddComponent(comp, &model));
    EXPECT_TRUE(index.AddGrup(a, &g1));
    EXPECT_TRUE(index.AddGrup(tree.GetItemParent(c), &g2));
    EXPECT_TRUE(index.AddGrup(c, &g3));
    EXPECT_TRUE(index.AddEstat(est, &estat));
    EXPECT_TRUE(index.AddVista(page, StatusViewGeneral));
    EXPECT_TRUE(index.AddGrup(estGroup, &g1));

    // The same item twice (or no item): refused, nothing changes.
    EXPECT_FALSE(index.AddGrup(c, &g1));
    EXPECT_FALSE(index.AddComponent(a, &model));
    EXPECT_FALSE(index.AddItem(kNoTreeItem));
    EXPECT_EQ(index.GetItemCount(), 8);
    EXPECT_EQ(index.GetGrup(c), &g3);
    EXPECT_EQ(index.GetGrup(comp), nullptr);  // typed getters check the kind

    EXPECT_EQ(index.GetRootItem(), root);
    for (TreeItemId item : {c, page, estGroup, comp}) EXPECT_EQ(index.GetComponent(item), &model);
    EXPECT_EQ(index.GetComponent(root), nullptr);
    EXPECT_EQ(index.GetEstat(page), &estat);
    EXPECT_EQ(index.GetEstat(est), &estat);
    EXPECT_EQ(index.GetEstat(estGroup), nullptr);  // the status walk climbs only through pages
    EXPECT_EQ(index.GetVista(page), StatusViewGeneral);
    EXPECT_EQ(index.GetVista(c), 0);
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

TEST_F(CoreTest, TreeOfTheSampleWithCategoriesAndComponents) {
    ASSERT_TRUE(LoadSample());
    core->BuildTree();
    CInstalacio& inst = core->GetInstalacio();
    CModel& central = inst.GetCentral();
    EXPECT_EQ(tree.images.size(), 7u);
    const auto* root = tree.Get(tree.root);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->label, "Chalet Pérez");
    EXPECT_EQ(root->image, core->GetIcon(TreeIcon::Installation));
    EXPECT_TRUE(root->expanded);
    EXPECT_EQ(tree.ChildLabels(tree.root), (std::vector<std::string>{"Datos", "Central VX16 (16 zonas)",
                                                                     "Teclado TK40 con lector de proximidad",
                                                                     "Expansor de 8 zonas EX08"}));
    const TreeItemId datos = tree.Child(tree.root, "Datos");
    EXPECT_EQ(tree.Get(datos)->image, core->GetIcon(TreeIcon::Data));
    EXPECT_EQ(core->GetTreeIndex().GetDades(datos), &inst.GetDades());

    // The central: programming groups, flash groups, "Estado" with its pages, "Eventos".
    const TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    EXPECT_EQ(tree.Get(comp)->image, core->GetIcon(TreeIcon::Component));
    const auto labels = tree.ChildLabels(comp);
    ASSERT_GE(labels.size(), 3u);
    EXPECT_EQ(labels.front(), central.GetRootGrup()->GetSubgrup(0)->GetName());
    EXPECT_EQ(labels[labels.size() - 2], "Estado");
    EXPECT_EQ(labels.back(), "Eventos");
    const TreeItemId estado = tree.Child(comp, "Estado");
    EXPECT_EQ(tree.Get(estado)->image, core->GetIcon(TreeIcon::View));
    ASSERT_FALSE(tree.Children(estado).empty());
    EXPECT_EQ(tree.ChildLabels(estado).front(), "General");
    const TreeItemId grup = tree.Children(comp).front();
    EXPECT_EQ(tree.Get(grup)->image, core->GetIcon(TreeIcon::Group));
    EXPECT_EQ(tree.Get(grup)->selectedImage, core->GetIcon(TreeIcon::GroupSelected));
    EXPECT_NE(Log().find("\ngrup: " + central.GetRootGrup()->GetSubgrup(0)->GetName()), std::string::npos);
    // The model's alias groups lie under "Alias"; the top-level "Zonas" group is no alias.
    ASSERT_NE(core->GetZonesAlias(), nullptr);
    EXPECT_EQ(core->GetZonesAlias()->GetParent()->GetName(), "Alias");

    // Pop-up categories, and the component of every item below a component.
    struct Case {
        TreeItemId item;
        int category;
    };
    const Case cases[] = {{tree.root, 2}, {4242, 2}, {datos, 0}, {grup, 1}, {comp, 4}, {estado, 3},
                          {tree.Children(estado).front(), 3}, {tree.Child(comp, "Eventos"), 3}};
    for (const Case& c : cases) EXPECT_EQ(core->GetItemCategory(c.item), c.category) << c.item;
    if (central.GetFlashGrupCount() > 0) {
        EXPECT_EQ(core->GetItemCategory(tree.Child(comp, central.GetGrupFlash(0)->GetDescr())), 1);
    }
    EXPECT_EQ(core->GetItemComponent(tree.root), nullptr);
    for (int i = -1; i < inst.GetComponentCount(); ++i) {
        CModel* m = i < 0 ? &central : inst.GetComponent(i);
        for (TreeItemId child : tree.Children(tree.Child(tree.root, m->GetDescr()))) {
            EXPECT_EQ(core->GetItemComponent(child), m);
        }
    }

    core->ClearTree();
    EXPECT_EQ(tree.root, kNoTreeItem);
    EXPECT_EQ(core->GetTreeIndex().GetItemCount(), 0);
    EXPECT_EQ(core->GetZonesAlias(), nullptr);
}

TEST_F(CoreTest, TreeAliasGroupsLaterMatchWinsAndRebuildForgetsThem) {
    ASSERT_TRUE(LoadCentral());
    CModel& central = core->GetInstalacio().GetCentral();
    CGrup* root = central.GetRootGrup();
    root->Reset();  // only the groups below count
    root->SetName("Central");
    CGrup* alias = AddGroup(central, root, "Alias");
    AddGroup(central, alias, "Zonas");
    CGrup* usuarios = AddGroup(central, alias, "Usuarios");
    CGrup* zones = AddGroup(central, AddGroup(central, AddGroup(central, root, "Alias SMS"), "Otros"), "Zones");
    AddGroup(central, AddGroup(central, root, "Varios"), "Salidas");  // not below an alias group
    AddGroup(central, alias, "zonas");                                // case matters
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
    ASSERT_TRUE(LoadCentral("EX08", "1.2"));  // its model describes no event memory
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
    TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    ASSERT_NE(tree.Child(comp, "Estado"), kNoTreeItem);
    EXPECT_TRUE(tree.Children(tree.Child(comp, "Estado")).empty());
    EXPECT_EQ(tree.Child(comp, "Eventos"), kNoTreeItem);

    estat.SetHasGeneral(true);
    estat.SetHasGrafic(true);
    central.GetEvents().SetMaxEvents(64);
    core->BuildTree();
    comp = tree.Child(tree.root, central.GetDescr());
    EXPECT_EQ(tree.ChildLabels(tree.Child(comp, "Estado")), (std::vector<std::string>{"General", "Gráfico"}));
    EXPECT_NE(tree.Child(comp, "Eventos"), kNoTreeItem);
}

TEST_F(CoreTest, ShowingEachKindOfNode) {
    ASSERT_TRUE(LoadSample());
    core->BuildTree();
    CInstalacio& inst = core->GetInstalacio();
    CModel& central = inst.GetCentral();
    const TreeItemId comp = tree.Child(tree.root, central.GetDescr());
    const TreeItemId estado = tree.Child(comp, "Estado");
    // The calls that showing an item makes after storing and clearing the view.
    auto show = [&](TreeItemId item) {
        const std::size_t at = edit.calls.size();
        core->ShowTreeItem(item);
        auto calls = edit.CallsFrom(at);
        EXPECT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[0], "TransferFromPanels");
        EXPECT_EQ(calls[1], "Clear");
        return std::vector<std::string>(calls.begin() + 2, calls.end());
    };
    using Calls = std::vector<std::string>;

    // Root, data and unknown items leave the current component alone.
    core->SetCurrentComponent(inst.GetComponent(0));
    EXPECT_EQ(show(tree.root), Calls{});
    EXPECT_EQ(show(4242), Calls{});
    EXPECT_EQ(show(tree.Child(tree.root, "Datos")), (Calls{"Heading Datos", "AddDades"}));
    EXPECT_EQ(edit.dades, &inst.GetDades());
    EXPECT_EQ(core->GetCurrentComponent(), inst.GetComponent(0));

    // With the data panel shown, a renamed installation renames the root.
    inst.GetDades().SetNomInstal("Nuevo nombre");
    EXPECT_EQ(show(comp), Calls{"Heading " + central.GetId()});
    EXPECT_EQ(tree.Get(tree.root)->label, "Nuevo nombre");
    EXPECT_EQ(core->GetCurrentComponent(), &central);

    // A code group: its codes in order (or the bit panel for a bit group).
    CGrup* grup = central.GetRootGrup()->GetSubgrup(0);
    Calls want = {"Heading " + grup->GetName()};
    if (grup->IsBits()) want.push_back("AddBitGrup " + grup->GetName());
    for (int i = 0; !grup->IsBits() && i < grup->GetCodiCount(); ++i) want.push_back("AddCodi " + grup->GetCodi(i)->GetId());
    core->SetCurrentComponent(inst.GetComponent(0));
    EXPECT_EQ(show(tree.Child(comp, grup->GetName())), want);
    EXPECT_EQ(core->GetCurrentComponent(), &central);

    // "Estado" and its pages: the panels, the alias groups and status polling.
    CEstat& estat = central.GetEstat();
    Calls analog = {"Heading Medidas Analógicas"}, outputs = {"Heading Salidas"};
    analog.insert(analog.end(), static_cast<std::size_t>(estat.GetMesuraCount()), "AddMesura");
    outputs.insert(outputs.end(), static_cast<std::size_t>(estat.GetOutputCount()), "AddMesura");
    struct PageCase {
        TreeItemId item;
        Calls calls;
        bool polling;
    };
    const PageCase pages[] = {
        {estado, {"Heading Estado", "AddEstat"}, true},
        {tree.Child(estado, "General"), {"Heading General", "AddEstat"}, true},
        {tree.Child(estado, "Via radio"), {"Heading Via radio", "AddVR"}, false},
        {tree.Child(estado, "Salidas"), outputs, false},
        {tree.Child(estado, "Analógico"), analog, false},
        {tree.Child(estado, "Gráfico"), {"Heading Gráfico", "AddGrafic"}, true},
    };
    for (const PageCase& c : pages) {
        if (c.item == kNoTreeItem) continue;
        EXPECT_EQ(show(c.item), c.calls) << c.calls[0];
        EXPECT_EQ(core->IsStatusPolling(), c.polling) << c.calls[0];
    }
    EXPECT_EQ(edit.estat, &estat);
    EXPECT_EQ(edit.core, core.get());
    EXPECT_EQ(edit.aliases[0], core->GetZonesAlias());
    EXPECT_EQ(edit.aliases[1], core->GetAreasAlias());
    EXPECT_EQ(edit.aliases[2], core->GetOutputsAlias());

    // Events: zones, areas and users.
    EXPECT_EQ(show(tree.Child(comp, "Eventos")), (Calls{"Heading Eventos", "AddEvents"}));
    EXPECT_EQ(edit.events, &central.GetEvents());
    EXPECT_EQ(edit.aliases[2], core->GetUsersAlias());
    EXPECT_FALSE(core->IsStatusPolling());
}
