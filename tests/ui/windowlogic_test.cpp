// The window's rules that need no window: title, enabling, pop-up menus, link choices, paths.
#include <gtest/gtest.h>

#include "datamodel/instalacio.h"
#include "ui/ids.h"
#include "ui/windowlogic.h"
#include "window_tables.h"

TEST(WindowTitle, ComposesFileInstallationConnectionAndCoverage) {
    struct Case {
        TitleParts parts;
        std::string title;
    };
    const Case cases[] = {
        {{"ejemplo", "Chalet", false, 4, true, 80}, "ejemplo - Chalet - Conexión cerrada - Vosk Orvane"},
        {{"ejemplo", "Chalet", true, 4, false, -1}, "ejemplo - Chalet - TCP/IP : Conectado - Vosk Orvane"},
        {{"e", "C", true, 1, false, -1}, "e - C - Local : Conectado - Vosk Orvane"},
        {{"e", "C", true, 6, false, -1}, "e - C - Cra Link : Conectado - Vosk Orvane"},
        // A kind outside 1..6 has no prefix: "Conectado" follows the name directly.
        {{"e", "C", true, 9, false, -1}, "e - CConectado - Vosk Orvane"},
        {{"e", "C", true, 3, true, 0}, "e - C - CSD : Conectado - Cobertura : 0% - Vosk Orvane"},
        {{"e", "C", true, 5, true, -1}, "e - C - GPRS : Conectado - Vosk Orvane"},
        {{"VX16 2.1", "Nueva Instalación", false, 0, false, -1},
         "VX16 2.1 - Nueva Instalación - Conexión cerrada - Vosk Orvane"},
    };
    for (const Case& c : cases) EXPECT_EQ(ComposeTitle(c.parts), c.title);
    // Names from a file are cut for the title; the rest of it stays whole.
    const std::string longName(5000, 'x');
    EXPECT_EQ(ComposeTitle({longName, longName, false, 0, false, -1}),
              std::string(117, 'x') + "... - " + std::string(117, 'x') + "... - Conexión cerrada - Vosk Orvane");
    EXPECT_EQ(TitleFileName("/home/ana/obras/ejemplo.voski"), "ejemplo");
    EXPECT_EQ(TitleFileName("C:\\obras\\Chalet.v1.voski"), "Chalet.v1");
}

TEST(WindowEnabling, OneTableOverTheStates) {
    const WindowState none{false, false, false}, open{true, false, false}, connected{true, true, false},
        flash{true, true, true};
    for (const expected::EnablingRow& r : expected::kEnabling) {
        EXPECT_EQ(IsCommandEnabled(r.id, none), r.none) << r.id;
        EXPECT_EQ(IsCommandEnabled(r.id, open), r.open) << r.id;
        EXPECT_EQ(IsCommandEnabled(r.id, connected), r.connected) << r.id;
        EXPECT_EQ(IsCommandEnabled(r.id, flash), r.flash) << r.id;
    }
}

TEST(WindowPopupMenus, ItemsByCategoryAndLinkState) {
    auto ids = [](const std::vector<PopupItem>& items) {
        std::vector<int> out;
        for (const PopupItem& p : items) out.push_back(p.id);
        return out;
    };
    const auto group = PopupMenuItems(1, false);
    EXPECT_EQ(ids(group), (std::vector<int>{ID_TOOL_RECEIVE, ID_TOOL_SEND, ID_TOOL_VERIFY, ID_TOOL_RESET_SOFT}));
    EXPECT_FALSE(group[0].enabled || group[1].enabled || group[2].enabled);
    EXPECT_TRUE(group[3].enabled);
    EXPECT_TRUE(PopupMenuItems(3, true)[0].enabled);
    EXPECT_EQ(ids(PopupMenuItems(4, false)), (std::vector<int>{ID_MENU_RENAME, 0, ID_MENU_ADD, ID_MENU_REMOVE}));
    EXPECT_EQ(PopupMenuItems(2, false).size(), 7u);
    // Labels and help texts are the menu bar's and the toolbar's.
    std::vector<std::string> texts;
    for (int category : {1, 2, 4})
        for (const PopupItem& p : PopupMenuItems(category, true)) texts.push_back(p.label + " | " + p.help);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Recibir | Recibe datos de la central o componente",
                         "Enviar | Envia datos de la central o componente",
                         "Verificar | Verifica la programación recibiendola de l acentral y comparandola con los valores locales",
                         "Resetea valores (soft) | Resetea con los valores de fábrica",
                         "&Nueva... | Crea una nueva instalación", "&Abrir... | Abre una instalación existente",
                         "&Guardar | Guarda la instalación", "Guardar &como... | Guarda la instalación con otro nombre",
                         " | ", "Aña&dir componente... | Aañade un componente en el bus de la instalación actual",
                         "&Borrar Componente... | Borra un componente del bus de la instalacón actual",
                         "&Cambiar el nombre del componente... | Asigna un nuevo nombre o alias al componente", " | ",
                         "Aña&dir componente... | Aañade un componente en el bus de la instalación actual",
                         "&Borrar Componente... | Borra un componente del bus de la instalacón actual"}));
    EXPECT_TRUE(PopupMenuItems(0, true).empty());
    EXPECT_TRUE(PopupMenuItems(7, true).empty());
}

TEST(WindowLinkChoices, KindsPortsAndIpPorts) {
    const auto& kinds = LinkKindChoices();
    ASSERT_EQ(kinds.size(), 7u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(LinkKindOfChoice(kinds[static_cast<std::size_t>(i)]), i);
    EXPECT_EQ(LinkKindOfChoice(""), -1);
    EXPECT_EQ(ParseIpPort("4000"), 4000);
    EXPECT_EQ(ParseIpPort("65535"), 65535);
    for (const char* bad : {"0", "65536", "70000", "40a0", "-1", " 80", "123456"})
        EXPECT_FALSE(ParseIpPort(bad).has_value()) << bad;
}

TEST(WindowLists, RecentLabelsAndComponentChoices) {
    EXPECT_EQ(RecentFileLabel(0, "/a/b.voski"), "&1. /a/b.voski");
    EXPECT_EQ(RecentFileLabel(3, "x"), "&4. x");
    EXPECT_EQ(ComponentIndexOfChoice("1 TK40 (busdir = 12)"), 1);
    EXPECT_EQ(ComponentIndexOfChoice("12 EX08 (busdir = 20)"), 12);
    EXPECT_EQ(ComponentIndexOfChoice("x TK40"), -1);
    EXPECT_EQ(ComponentIndexOfChoice(""), -1);
}

TEST(WindowPaths, CommandLineAndDialogPaths) {
    EXPECT_EQ(ResolveCommandLinePath("obras/a.voski", "/home/ana"), "/home/ana/obras/a.voski");
    EXPECT_EQ(ResolveCommandLinePath("../a.voski", "/home/ana/x"), "/home/ana/a.voski");
    EXPECT_EQ(ResolveCommandLinePath("/srv/a.voski", "/home/ana"), "/srv/a.voski");
    std::string error;
    EXPECT_EQ(PathAsRecordText(std::filesystem::path(u8"/home/ana/Pérez.voski"), error), "/home/ana/P\xE9rez.voski");
    // A name cp1252 cannot hold is refused, not stored as '?'.
    EXPECT_FALSE(PathAsRecordText("/home/ana/\xE6\x9D\xB1.voski", error).has_value());
    EXPECT_NE(error.find("caracteres"), std::string::npos);
}
