#include <gtest/gtest.h>

#include "datamodel/grafic.h"

// The window's icon type; the data model only shares it.
struct GraficIcon {
    int id;
};

TEST(Grafic, ElementSettersRefuseOutOfRange) {
    CCompGraf element;
    EXPECT_FALSE(element.SetTipus(0));
    EXPECT_FALSE(element.SetTipus(10));
    EXPECT_TRUE(element.SetTipus(9));
    EXPECT_FALSE(element.SetArea(0));
    EXPECT_EQ(element.GetArea(), -1);
    EXPECT_TRUE(element.SetZona(0));
    EXPECT_FALSE(element.SetNumMapa(-1) || element.SetSortida(-1) || element.SetRele(-2));

    EXPECT_FALSE(element.SetPos(5, -1));
    EXPECT_EQ(element.GetPosX(), 5);
    EXPECT_EQ(element.GetPosY(), -1);
    EXPECT_FALSE(element.SetPos(-1, 7));
    EXPECT_EQ(element.GetPosX(), 5);
    EXPECT_EQ(element.GetPosY(), -1);
    EXPECT_TRUE(element.SetPos(10, 20));
    EXPECT_EQ(element.GetPosY(), 20);

    // Icons are shared, not copied; sharing the same one again changes nothing.
    auto icon = std::make_shared<const GraficIcon>(GraficIcon{1});
    CCompGraf other;
    element.SetBitmap(icon);
    other.SetBitmap(icon);
    element.SetBitmap(icon);
    EXPECT_EQ(icon.use_count(), 3);
    EXPECT_EQ(element.GetBitmap2(), nullptr);
}

TEST(Grafic, PlansAndElements) {
    CGrafic grafic;
    EXPECT_TRUE(grafic.SetMapa("planos\\planta.gif", 3));
    EXPECT_FALSE(grafic.SetMapa("x.gif", 4));
    EXPECT_FALSE(grafic.SetMapa("x.gif", -1));
    EXPECT_EQ(grafic.GetMapa(3), "planos\\planta.gif");
    EXPECT_EQ(grafic.GetMapa(4), "");

    auto first = std::make_unique<CCompGraf>();
    first->SetZona(2);
    CCompGraf* firstPtr = first.get();
    EXPECT_EQ(grafic.AddCompGraf(std::move(first)), 0);
    auto second = std::make_unique<CCompGraf>();
    second->SetSortida(1);
    EXPECT_EQ(grafic.AddCompGraf(std::move(second)), 1);
    EXPECT_EQ(grafic.AddCompGraf(nullptr), -1);
    EXPECT_EQ(grafic.GetCompGraf(2), nullptr);
    EXPECT_EQ(grafic.GetCompGraf(-1), nullptr);
    EXPECT_EQ(grafic.FindByZona(2), firstPtr);
    EXPECT_EQ(grafic.FindByZona(-1), nullptr);
    EXPECT_EQ(grafic.FindBySortida(1), grafic.GetCompGraf(1));
    EXPECT_EQ(grafic.FindByRele(0), nullptr);

    // An element that another record holds is not removed, and nothing is deleted.
    CGrafic other;
    other.AddCompGraf(std::make_unique<CCompGraf>());
    EXPECT_FALSE(grafic.RemoveCompGraf(other.GetCompGraf(0)));
    EXPECT_EQ(grafic.GetCompGrafCount(), 2);
    EXPECT_EQ(other.GetCompGrafCount(), 1);
    EXPECT_FALSE(grafic.RemoveCompGraf(5));
    EXPECT_TRUE(grafic.RemoveCompGraf(firstPtr));
    EXPECT_EQ(grafic.GetCompGrafCount(), 1);
    EXPECT_EQ(grafic.GetCompGraf(0)->GetSortida(), 1);

    grafic.Reset();
    EXPECT_EQ(grafic.GetCompGrafCount(), 0);
    EXPECT_EQ(grafic.GetMapa(3), "");
}
