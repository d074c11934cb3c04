#include <gtest/gtest.h>

#include <utility>

#include "datamodel/codi.h"
#include "datamodel/grup.h"

TEST(Grup, StrideAndBitNames) {
    CGrup grup;
    EXPECT_FALSE(grup.HasDest());
    const std::pair<int, int> strides[] = {{-3, 0}, {4, 4}, {0, 0}};
    for (auto [given, stored] : strides) {
        grup.SetDistancia(given);
        EXPECT_EQ(grup.GetDistancia(), stored) << given;
    }
    EXPECT_TRUE(grup.SetBitName(0, "Zona 1"));
    EXPECT_FALSE(grup.SetBitName(8, "x"));
    EXPECT_EQ(grup.GetBitName(8), "Zona 1");
    EXPECT_EQ(grup.GetBitName(-1), "Zona 1");
}

TEST(Grup, ListsAreCheckedAndNotOwned) {
    CCodi a, b;
    CGrup child;
    {
        CGrup grup;
        EXPECT_EQ(grup.AddCodi(&a), 0);
        EXPECT_EQ(grup.AddCodi(&b), 1);
        EXPECT_EQ(grup.AddCodi(nullptr), -1);
        EXPECT_EQ(grup.AddSubgrup(&child), 0);
        EXPECT_EQ(grup.AddSubgrup(nullptr), -1);
        EXPECT_EQ(grup.AddSubgrup(&grup), -1);
        EXPECT_EQ(child.GetParent(), &grup);
        EXPECT_EQ(grup.GetCodiCount(), 2);
        EXPECT_EQ(grup.GetCodi(1), &b);
        EXPECT_EQ(grup.GetCodi(2), nullptr);
        EXPECT_EQ(grup.GetCodi(-1), nullptr);
        EXPECT_EQ(grup.GetSubgrup(0), &child);
        EXPECT_EQ(grup.GetSubgrup(1), nullptr);
        EXPECT_EQ(grup.GetSubgrup(-1), nullptr);

        grup.SetName("Zonas");
        grup.SetDest("0A");
        grup.SetSeguits();
        grup.SetGirat(true);
        grup.SetBitName(2, "x");
        grup.Reset();
        EXPECT_EQ(grup.GetCodiCount(), 0);
        EXPECT_EQ(grup.GetSubgrupCount(), 0);
        EXPECT_EQ(grup.GetName(), "");
        EXPECT_FALSE(grup.HasDest() || grup.IsSeguits() || grup.GetGirat());
        EXPECT_EQ(grup.GetBitName(2), "");
        grup.AddSubgrup(&child);
    }
    // The entries outlive the group that listed them.
    a.SetValue("x");
    EXPECT_EQ(a.GetValue(), "x");
    EXPECT_EQ(child.GetCodiCount(), 0);
}

TEST(Grup, WalksReachGrandchildrenAndSharedCodes) {
    CCodi own, deep, shared;
    for (CCodi* codi : {&own, &deep, &shared}) {
        codi->SetType(CodiNibble2);
        codi->SetValueKeep("11");
        codi->ClearModified();
    }
    CGrup root, child, grandchild;
    root.AddCodi(&shared);
    root.AddSubgrup(&child);
    child.AddSubgrup(&grandchild);
    grandchild.AddCodi(&deep);
    grandchild.AddCodi(&shared);
    CGrup empty;
    child.AddSubgrup(&empty);

    EXPECT_FALSE(root.IsModified());
    deep.SetValue("22");
    EXPECT_TRUE(root.IsModified());  // root and child hold no modified code themselves
    EXPECT_TRUE(child.IsModified());
    EXPECT_FALSE(empty.IsModified());

    shared.SetValue("33");
    EXPECT_TRUE(root.RevertToDefaults());
    EXPECT_EQ(deep.GetValue(), "11");
    EXPECT_EQ(shared.GetValue(), "11");
    EXPECT_TRUE(root.IsModified());  // reverting leaves the modified marks alone
    root.ClearModified();
    EXPECT_FALSE(root.IsModified());
    EXPECT_FALSE(deep.IsModified());
    EXPECT_EQ(own.GetValue(), "11");  // in no group: untouched
}
