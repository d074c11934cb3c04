// The main window driven through its own command ids and tree selections, with the core on the
// virtual clock and the simulated panel in process.
#include <filesystem>
#include <functional>
#include <span>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checklst.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/splitter.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/treectrl.h>

#include "core/appcore.h"
#include "datamodel/codi.h"
#include "datamodel/dades.h"
#include "datamodel/files.h"
#include "datamodel/grup.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "panels/panelcodi.h"
#include "panels/paneledit.h"
#include "panels/panelestat.h"
#include "panels/wxtext.h"
#include "ui/keypad.h"
#include "window_harness.h"
#include "window_tables.h"

namespace {
const std::vector<std::string> kCentral = {"Chalet Pérez", "Central VX16 (16 zonas)"};

std::vector<std::string> Under(std::vector<std::string> path, const std::string& label) {
    path.push_back(label);
    return path;
}

// What the panel's memory holds for a code, against the code's bytes.
bool PanelHolds(panelsim::SimComponent& unit, CCodi* codi) {
    const int n = codi->GetByteCount();
    const auto& bytes = codi->ToBytes();
    const auto held = unit.Code(static_cast<panelsim::Memory>(codi->GetAccess()),
                                static_cast<std::uint16_t>(HexStringToInt(codi->GetCodeNumber())), codi->GetAddress(),
                                static_cast<std::size_t>(n));
    return n > 0 && std::equal(held.begin(), held.end(), bytes.begin());
}

// Types a value into a hosted code panel's field (or, for a panel without one, into its record).
void EditCode(CPanelEdit* view, int index, const std::string& value) {
    for (wxWindow* child : view->GetCodiPanel(index)->GetChildren()) {
        if (auto* field = dynamic_cast<wxTextCtrl*>(child)) {
            field->ChangeValue(ToWx(value));
            return;
        }
    }
    view->GetCodi(index)->SetValue(value);
}
}  // namespace

TEST_F(WindowTest, OpeningTheSampleBuildsTheTreeWithItsPictures) {
    ASSERT_TRUE(OpenSample());
    wxTreeCtrl* tree = frame->GetTree();
    EXPECT_EQ(tree->GetImageList()->GetImageCount(), kTreeIconCount);
    const wxTreeItemId root = Item({"Chalet Pérez"});
    ASSERT_TRUE(root.IsOk());
    EXPECT_EQ(tree->GetItemImage(root), core->GetIcon(TreeIcon::Installation));
    EXPECT_EQ(tree->GetItemImage(Item({"Chalet Pérez", "Datos"})), core->GetIcon(TreeIcon::Data));
    EXPECT_EQ(tree->GetItemImage(Item(kCentral)), core->GetIcon(TreeIcon::Component));
    EXPECT_EQ(tree->GetItemImage(Item(Under(kCentral, "Zonas"))), core->GetIcon(TreeIcon::Group));
    EXPECT_EQ(tree->GetItemImage(Item(Under(kCentral, "Estado"))), core->GetIcon(TreeIcon::View));
    EXPECT_TRUE(Item({"Chalet Pérez", "Expansor de 8 zonas EX08", "Zonas del expansor", "Atributos de zona"}).IsOk());
    EXPECT_EQ(FromWx(frame->GetTitle()), "ejemplo - Chalet Pérez - Conexión cerrada - Vosk Orvane");
    EXPECT_EQ(core->GetConfig().GetUltim(0), (dir.Path() / "ejemplo.voski").string());
    EXPECT_TRUE(frame->GetMenuBar()->FindItem(ID_RECENT1));
}

TEST_F(WindowTest, AHugeNameIsShownCutAndANulByteEscaped) {
    // The sample with a name of a million characters and a NUL byte in the customer's name.
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(SamplePath(), bytes));
    const std::string name(1000000, 'N');
    const std::size_t at = bytes.find("<nominstal>") + 11;
    bytes.replace(at, bytes.find("</nominstal>") - at, name);
    const std::size_t client = bytes.find("<nomclient>") + 11;
    bytes.insert(client, std::string("A\0B", 3));
    dir.Write("enorme.voski", bytes);
    dialogs.AnswerOpenPath(dir.Path() / "enorme.voski");
    ASSERT_TRUE(Run(ID_MENU_OPEN));
    ASSERT_TRUE(frame->IsInstallationOpen());

    const std::string shown = std::string(117, 'N') + "...";
    EXPECT_EQ(FromWx(frame->GetTitle()), "enorme - " + shown + " - Conexión cerrada - Vosk Orvane");
    EXPECT_EQ(FromWx(frame->GetTree()->GetItemText(frame->GetTree()->GetRootItem())), shown);
    EXPECT_EQ(core->GetInstalacio().GetDades().GetNomInstal(), name);  // the record keeps it whole
    EXPECT_TRUE(frame->GetLogPane()->GetValue().Contains(wxT("foundElement: nomclient atr:  val: A\\0B")));
    // Selecting the data node renames the root from the record: still cut.
    ASSERT_TRUE(Select({shown, "Datos"}));
    ASSERT_TRUE(Select({shown}));
    EXPECT_EQ(FromWx(frame->GetTree()->GetItemText(frame->GetTree()->GetRootItem())), shown);
}

TEST_F(WindowTest, EachNodeKindShowsItsPanels) {
    ASSERT_TRUE(OpenSample());
    CPanelEdit* view = frame->GetEditView();
    ASSERT_TRUE(Select({"Chalet Pérez", "Datos"}));
    EXPECT_NE(view->GetDadesPanel(), nullptr);
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    EXPECT_GT(view->CountCodis(), 0);
    ASSERT_TRUE(Select(Under(Under(kCentral, "Zonas"), "Atributos de zona")));
    EXPECT_NE(view->GetBitGrupPanel(), nullptr);
    ASSERT_TRUE(Select(Under(Under(kCentral, "Estado"), "General")));
    EXPECT_NE(view->GetEstatPanel(), nullptr);
    ASSERT_TRUE(Select(Under(kCentral, "Eventos")));
    EXPECT_NE(view->GetEventsPanel(), nullptr);
    ASSERT_TRUE(Select(Under(kCentral, "Servidor web")));
    EXPECT_NE(view->GetFlashGrupPanel(), nullptr);
    ASSERT_TRUE(Select(kCentral));
    EXPECT_EQ(view->CountCodis(), 0);
}

TEST_F(WindowTest, EnablingFollowsTheStatesOnMenusToolsAndKeypad) {
    auto enabled = [&](int id) {
        if (frame->GetMenuBar()->FindItem(id)) return frame->GetMenuBar()->IsEnabled(id);
        if (frame->GetToolBar()->FindById(id)) return frame->GetToolBar()->GetToolEnabled(id);
        ADD_FAILURE() << "no menu item or tool " << id;
        return false;
    };
    auto check = [&](bool expected::EnablingRow::*state, const char* name) {
        for (const expected::EnablingRow& r : expected::kEnabling) EXPECT_EQ(enabled(r.id), r.*state) << name << " id " << r.id;
        CPanelKeyPad* keypad = frame->GetKeyPad();
        for (wxWindow* w : {keypad->FindWindow(ID_KEYPAD_RECEIVE), keypad->FindWindow(ID_KEYPAD_SEND),
                            static_cast<wxWindow*>(keypad->AddressCtrl()), static_cast<wxWindow*>(keypad->KeyCodeCtrl()),
                            static_cast<wxWindow*>(keypad->ValueCtrl())})
            EXPECT_EQ(w->IsEnabled(), &expected::EnablingRow::connected == state || &expected::EnablingRow::flash == state)
                << name;
    };
    check(&expected::EnablingRow::none, "no installation");
    ASSERT_TRUE(OpenSample());
    check(&expected::EnablingRow::open, "open");
    // The keypad has no flash group: connected without the flash copies.
    ASSERT_TRUE(Select({"Chalet Pérez", "Teclado TK40 con lector de proximidad"}));
    ASSERT_TRUE(ConnectTcp());
    check(&expected::EnablingRow::connected, "connected");
    ASSERT_TRUE(Run(ID_TOOL_DISCONNECT));
    check(&expected::EnablingRow::open, "disconnected");
    ASSERT_TRUE(Select(kCentral));
    ASSERT_TRUE(Run(ID_MENU_CONNECT));
    check(&expected::EnablingRow::flash, "connected with a flash group");
    // A disabled command does nothing when clicked.
    EXPECT_FALSE(Run(ID_TOOL_CONNECT));
    EXPECT_FALSE(Run(ID_MENU_CONFIGURE));
    // The flash group is the one of the component current at the next connect.
    ASSERT_TRUE(Run(ID_TOOL_DISCONNECT));
    ASSERT_TRUE(Select({"Chalet Pérez", "Teclado TK40 con lector de proximidad"}));
    ASSERT_TRUE(Run(ID_TOOL_CONNECT));
    check(&expected::EnablingRow::connected, "connected again without a flash group");
    core->MarkModified();
    dialogs.AnswerYesNoCancel(Answer::No);
    ASSERT_TRUE(Run(ID_MENU_CLOSE));
    check(&expected::EnablingRow::none, "closed");
}

TEST_F(WindowTest, MenuBarToolbarAndRecentFilesAsListed) {
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    for (std::size_t m = 0; m < 3; ++m) EXPECT_EQ(FromWx(bar->GetMenuLabel(m)), expected::kMenuTitles[m]);
    // Without recent files the fixed items alone, in order.
    core->GetConfig().Clear();
    frame->BuildInstallationMenu(bar->GetMenu(0));
    std::size_t at[3] = {0, 0, 0};
    for (const expected::MenuRow& r : expected::kMenuBar) {
        wxMenu* menu = bar->GetMenu(static_cast<std::size_t>(r.menu));
        ASSERT_LT(at[r.menu], menu->GetMenuItemCount()) << r.label;
        const wxMenuItem* item = menu->FindItemByPosition(at[r.menu]++);
        EXPECT_EQ(item->IsSeparator(), r.id == 0) << r.label;
        if (r.id == 0) continue;
        EXPECT_EQ(item->GetId(), r.id) << r.label;
        EXPECT_EQ(FromWx(item->GetItemLabel()), r.label);
        EXPECT_EQ(FromWx(item->GetHelp()), r.help) << r.label;
        EXPECT_EQ(item->GetKind(), wxITEM_NORMAL) << r.label;
    }
    for (std::size_t m = 0; m < 3; ++m) EXPECT_EQ(bar->GetMenu(m)->GetMenuItemCount(), at[m]) << m;

    wxToolBar* tools = frame->GetToolBar();
    ASSERT_EQ(tools->GetToolsCount(), std::size(expected::kToolbar));
    EXPECT_EQ(tools->GetToolBitmapSize(), wxSize(32, 32));
    for (std::size_t i = 0; i < std::size(expected::kToolbar); ++i) {
        const expected::ToolRow& r = expected::kToolbar[i];
        const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
        EXPECT_EQ(tool->IsSeparator(), r.id == 0) << i;
        if (r.id == 0) continue;
        EXPECT_EQ(tool->GetId(), r.id) << r.label;
        EXPECT_EQ(FromWx(tool->GetLabel()), r.label);
        const auto tip = std::find_if(std::begin(expected::kToolTips), std::end(expected::kToolTips),
                                      [&](const expected::ToolTipRow& t) { return t.id == r.id; });
        ASSERT_NE(tip, std::end(expected::kToolTips)) << r.label;
        EXPECT_EQ(FromWx(tool->GetShortHelp()), tip->tooltip);
        EXPECT_EQ(FromWx(tool->GetLongHelp()), r.help) << r.label;
        EXPECT_EQ(tool->GetKind(), r.toggle ? wxITEM_CHECK : wxITEM_NORMAL) << r.label;
        const wxImage shown = tool->GetNormalBitmap().ConvertToImage();
        const wxImage file = wxBitmap(wxImage(ToWx(std::string(ORVANE_SOURCE_DIR) + "/icons/toolbar/" + r.image),
                                              wxBITMAP_TYPE_PNG))
                                 .ConvertToImage();
        ASSERT_TRUE(file.IsOk()) << r.image;
        EXPECT_TRUE(shown.GetSize() == file.GetSize() &&
                    std::equal(shown.GetData(), shown.GetData() + 3 * 32 * 32, file.GetData()))
            << r.label << " shows another picture than " << r.image;
    }

    // Recent files: numbered from 1 between the two adjacent separators, newest first; an empty
    // entry ends the list.
    const std::string a = (dir.Path() / "a.voski").string(), b = (dir.Path() / "b.voski").string(),
                      c = (dir.Path() / "c.voski").string(), d = (dir.Path() / "d.voski").string();
    for (const std::string& path : {d, c, b, a}) core->GetConfig().AddUltim(path);
    frame->BuildInstallationMenu(bar->GetMenu(0));
    wxMenu* installation = bar->GetMenu(0);
    const std::vector<std::pair<int, std::string>> recent = {
        {ID_RECENT1, "&1. " + a}, {ID_RECENT2, "&2. " + b}, {ID_RECENT3, "&3. " + c}, {ID_RECENT4, "&4. " + d}};
    ASSERT_EQ(installation->GetMenuItemCount(), 16u);
    for (std::size_t i = 0; i < recent.size(); ++i) {
        const wxMenuItem* item = installation->FindItemByPosition(10 + i);
        EXPECT_EQ(item->GetId(), recent[i].first) << i;
        EXPECT_EQ(FromWx(item->GetItemLabel()), recent[i].second);
        EXPECT_EQ(FromWx(item->GetHelp()), "");
    }
    EXPECT_TRUE(installation->FindItemByPosition(14)->IsSeparator());
    dir.Write("config.xml", "<config>\n\t<ini>\n\t\t<ultim>" + a + "</ultim>\n\t\t<ultim></ultim>\n\t\t<ultim>" + c +
                                "</ultim>\n\t</ini>\n</config>\n");
    ASSERT_TRUE(core->GetConfig().Load());
    frame->BuildInstallationMenu(installation);
    EXPECT_EQ(installation->GetMenuItemCount(), 13u);
    EXPECT_EQ(FromWx(installation->FindItemByPosition(10)->GetItemLabel()), "&1. " + a);
    EXPECT_EQ(installation->FindItem(ID_RECENT3), nullptr);
    // A recent entry opens its file; a file that is gone leaves no installation open.
    ASSERT_TRUE(Run(ID_RECENT1));
    EXPECT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_FALSE(frame->IsInstallationOpen());
    std::filesystem::copy_file(SamplePath(), a);
    ASSERT_TRUE(Run(ID_RECENT1));
    EXPECT_TRUE(frame->IsInstallationOpen());
    EXPECT_EQ(FromWx(frame->GetTitle()), "a - Chalet Pérez - Conexión cerrada - Vosk Orvane");
}

// Every dialog of the installation commands with its text, caption, default answer and wildcard.
TEST_F(WindowTest, InstallationCommandsAskAndReportInTheirOwnWords) {
    using S = FakeDialogs::Shown;
    const std::string report = (dir.Path() / "informe.txt").string(), saved = (dir.Path() / "nueva.voski").string();
    struct Step {
        const char* name;
        std::function<void()> answer;
        int id;
        std::vector<S> shown;
    };
    const Step steps[] = {
        {"about", [] {}, ID_MENU_ABOUT,
         {{"info",
           "Vosk Orvane version: 1.06\n\nHerramienta del instalador para centrales de intrusión\n\nSeguridad Ejemplo "
           "S.L.\n\nTeléfono: \nemail: \nWebsite: ",
           "Sobre"}}},
        {"new", [&] { dialogs.AnswerChoice(2); }, ID_MENU_NEW,
         {{"choose", "Seleccione el modelo de la central para la instalación:", "Elegir modelo", {"EX08", "TK40", "VX16"}},
          {"info", "Nueva instalación creada", "Información"}}},
        {"add", [&] { dialogs.AnswerChoice(1), dialogs.AnswerChoice(0), dialogs.AnswerText("12"); }, ID_TOOL_ADD,
         {{"choose", "Seleccione el modelo del componente a añadir a la instalación:", "Elegir modelo",
           {"EX08", "TK40", "VX16"}},
          {"choose", "Seleccione la versión", "Eligir versión", {"1.0"}},
          {"text", "Dirección bus del componente", "Dirección de bus", {}, "12"},
          {"info", "Nuevo componente añadido", "Información"}}},
        {"remove", [&] { dialogs.AnswerChoice(0); }, ID_MENU_REMOVE,
         {{"choose", "Seleccione el componente del bus que desea borrar de la instalación:", "Elegir modelo",
           {"0 TK40 (busdir = 12)"}}}},
        {"remove none", [] {}, ID_TOOL_REMOVE, {{"error", "No hay componentes para borrar", "Error"}}},
        {"export", [&] { dialogs.AnswerSavePath(report); }, ID_MENU_EXPORT,
         {{"save", "Guardar como", "", {}, "", "*.txt"}, {"info", "Programación exportada con éxito.", "Información"}}},
        {"save without a name", [&] { dialogs.AnswerSavePath(saved); }, ID_TOOL_SAVE,
         {{"save", "Guardar como", "", {}, "", "*.voski"}, {"info", "Instalación guardada correctamente", "Información"}}},
        {"save", [&] { core->GetConfig().AddUltim(report); }, ID_MENU_SAVE,
         {{"info", "Instalación guardada correctamente", "Información"}}},
        {"close", [] {}, ID_TOOL_CLOSE, {}},
        {"open cancelled", [&] { dialogs.AnswerOpenPath(std::nullopt); }, ID_TOOL_OPEN,
         {{"open", "Abrir instalación", "", {}, "", "*.voski"}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::size_t before = dialogs.shown.size();
        step.answer();
        ASSERT_TRUE(Run(step.id));
        EXPECT_EQ(std::vector<S>(dialogs.shown.begin() + static_cast<long>(before), dialogs.shown.end()), step.shown);
    }
    EXPECT_NE(dir.Read("informe.txt").find("VX16"), std::string::npos);
    // A save, with or without a name, puts the file at the head of the recent files and the menu.
    EXPECT_EQ(core->GetConfig().GetUltim(0), saved);
    EXPECT_EQ(core->GetConfig().GetUltim(1), report);
    EXPECT_EQ(FromWx(frame->GetMenuBar()->GetMenu(0)->FindItemByPosition(10)->GetItemLabel()), "&1. " + saved);
    EXPECT_EQ(frame->GetTitle(), wxT("Orvane"));
}

// New, open and close end a live connection first, even when their dialog is then cancelled.
TEST_F(WindowTest, NewOpenAndCloseDisconnectFirst) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    struct Row {
        int id;
        std::function<void()> answer;
        bool staysOpen;
    };
    const Row rows[] = {{ID_MENU_NEW, [&] { dialogs.AnswerChoice(std::nullopt); }, true},
                        {ID_MENU_OPEN, [&] { dialogs.AnswerOpenPath(std::nullopt); }, true},
                        {ID_MENU_CLOSE, [] {}, false}};
    for (const Row& r : rows) {
        if (!frame->IsConnected()) {
            ASSERT_TRUE(Run(ID_MENU_CONNECT)) << r.id;
        }
        ASSERT_TRUE(core->IsConnected());
        core->MarkModified();
        dialogs.AnswerYesNoCancel(Answer::No);
        r.answer();
        ASSERT_TRUE(Run(r.id));
        EXPECT_FALSE(core->IsConnected()) << r.id;
        EXPECT_FALSE(frame->IsConnected()) << r.id;
        EXPECT_EQ(frame->IsInstallationOpen(), r.staysOpen) << r.id;
    }
}

TEST_F(WindowTest, LinkDialogueForEveryKindAndItsCancels) {
    ASSERT_TRUE(OpenSample());
    // One USB serial adapter on this "machine".
    std::filesystem::create_directories(dir.Path() / "tty" / "ttyUSB0" / "device");
    frame->SetSerialPortFolder((dir.Path() / "tty").string());
    CDades& dades = core->GetInstalacio().GetDades();
    struct Case {
        const char* name;
        std::function<void()> answer;
        int kind;  // stored kind, -1: nothing stored
    };
    const Case cases[] = {
        {"cancel the kind", [&] { dialogs.AnswerChoice(std::nullopt); }, -1},
        {"none", [&] { dialogs.AnswerChoice(0); }, 0},
        {"local", [&] { dialogs.AnswerChoice(1), dialogs.AnswerChoice(0); }, 1},
        {"local, port cancelled", [&] { dialogs.AnswerChoice(1), dialogs.AnswerChoice(std::nullopt); }, -1},
        {"modem", [&] {
             dialogs.AnswerChoice(2), dialogs.AnswerChoice(0), dialogs.AnswerText("912345678");
             dialogs.AnswerYesNoCancel(Answer::Yes), dialogs.AnswerYesNoCancel(Answer::No);
         }, 2},
        {"modem, callback cancelled", [&] {
             dialogs.AnswerChoice(2), dialogs.AnswerChoice(0), dialogs.AnswerText("1");
             dialogs.AnswerYesNoCancel(Answer::Cancel);
         }, -1},
        {"csd, empty number", [&] { dialogs.AnswerChoice(3), dialogs.AnswerChoice(0), dialogs.AnswerText(""); }, -1},
        {"csd", [&] {
             dialogs.AnswerChoice(3), dialogs.AnswerChoice(0), dialogs.AnswerText("600111222");
             dialogs.AnswerYesNoCancel(Answer::No);
         }, 3},
        // A bad port is asked for again; the kind and address chosen stay.
        {"tcp, bad port then a good one", [&] {
             dialogs.AnswerChoice(4), dialogs.AnswerText("10.0.0.1"), dialogs.AnswerText("99999");
             dialogs.AnswerText("4002");
         }, 4},
        {"tcp", [&] { dialogs.AnswerChoice(4), dialogs.AnswerText("127.0.0.1"), dialogs.AnswerText("4001"); }, 4},
        {"gprs, bad port then cancelled", [&] {
             dialogs.AnswerChoice(5), dialogs.AnswerText("10.0.0.2"), dialogs.AnswerText("abc");
             dialogs.AnswerText(std::nullopt);
         }, -1},
        {"gprs, address cancelled", [&] { dialogs.AnswerChoice(5), dialogs.AnswerText(std::nullopt); }, -1},
        {"cra link", [&] { dialogs.AnswerChoice(6), dialogs.AnswerText("cra.example.org"), dialogs.AnswerText("5001"); }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core->GetInstalacio().ClearModified();
        dades.SetTipusConexio(9);
        c.answer();
        ASSERT_TRUE(Run(ID_TOOL_CONFIGURE));
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ(dades.GetTipusConexio(), c.kind < 0 ? 9 : c.kind);
        EXPECT_EQ(core->GetInstalacio().IsModified(), c.kind >= 0);
    }
    core->GetConfig().SetTipusConexio(1);
    EXPECT_EQ(core->GetConfig().GetParam("portcom"), "100");
    EXPECT_EQ(dades.GetTelfConexio(), "912345678");
    EXPECT_TRUE(dades.GetCallback() == false);  // the last serial kind (CSD) answered No
    EXPECT_EQ(dades.GetIpDest(), "127.0.0.1");
    EXPECT_EQ(dades.GetIpPort(), 4001);
    EXPECT_EQ(dades.GetIpCraLnkDest(), "cra.example.org");
    EXPECT_EQ(dialogs.Errors(), (std::vector<std::string>{"Puerto IP incorrecto: 99999\n(un número de 1 a 65535)",
                                                          "Puerto IP incorrecto: abc\n(un número de 1 a 65535)"}));
    // The questions asked, each proposing what the installation holds for the kind.
    using S = FakeDialogs::Shown;
    std::vector<S> asked;
    for (const S& q : dialogs.shown)
        if (q.kind == "text" || q.kind == "yesnocancel" || (q.kind == "choose" && asked.size() < 2)) asked.push_back(q);
    const std::vector<S> questions = {
        {"choose", "Seleccione es tipo de conexión que va a usar:", "Elegir tipo conexión",
         {"0 - Ninguna", "1 - Local", "2 - Modem", "3 - CSD", "4 - TCP/IP", "5 - GPRS", "6 - CRA LINK"}},
        {"choose", "Seleccione es tipo de conexión que va a usar:", "Elegir tipo conexión",
         {"0 - Ninguna", "1 - Local", "2 - Modem", "3 - CSD", "4 - TCP/IP", "5 - GPRS", "6 - CRA LINK"}},
        {"text", "Número de teléfono donde llamar", "Número de teléfono", {}, "910000001"},
        {"yesnocancel", "Usar modo callback?", "Modo callback"},
        {"yesnocancel", "Llamada especial?", "Llamada especial"},
        {"text", "Número de teléfono donde llamar", "Número de teléfono", {}, "912345678"},
        {"yesnocancel", "Usar modo callback?", "Modo callback"},
        {"text", "Número de teléfono donde llamar", "Número de teléfono", {}, "600000001"},
        {"text", "Número de teléfono donde llamar", "Número de teléfono", {}, "600000001"},
        {"yesnocancel", "Usar modo callback?", "Modo callback"},
        {"text", "Escriba la IP destino", "IP destino", {}, "192.168.1.100"},
        {"text", "Escriba el puerto IP de destino", "Puerto IP destino", {}, "4000"},
        {"text", "Escriba el puerto IP de destino", "Puerto IP destino", {}, "99999"},
        {"text", "Escriba la IP destino", "IP destino", {}, "10.0.0.1"},
        {"text", "Escriba el puerto IP de destino", "Puerto IP destino", {}, "4002"},
        {"text", "Escriba la IP destino", "IP destino", {}, "10.0.0.20"},
        {"text", "Escriba el puerto IP de destino", "Puerto IP destino", {}, "4001"},
        {"text", "Escriba el puerto IP de destino", "Puerto IP destino", {}, "abc"},
        {"text", "Escriba la IP destino", "IP destino", {}, "10.0.0.20"},
        {"text", "Escriba la IP destino", "IP destino", {}, "cra.example.com"},
        {"text", "Escriba el puerto IP de destino", "Puerto IP destino", {}, "5000"},
    };
    EXPECT_EQ(asked, questions);
    const auto port = std::find_if(dialogs.shown.begin(), dialogs.shown.end(), [](const S& q) { return q.caption == "Puerto com"; });
    ASSERT_NE(port, dialogs.shown.end());
    EXPECT_EQ(port->text, "Puerto COM (puerto serie) donde está conectado el modem o la conexión local");

    // No serial port at all: the dialogue ends with a message, nothing stored.
    frame->SetSerialPortFolder((dir.Path() / "none").string());
    dialogs.AnswerChoice(1);
    ASSERT_TRUE(Run(ID_MENU_CONFIGURE));
    EXPECT_EQ(dialogs.Errors().size(), 3u);
}

TEST_F(WindowTest, ConnectReceiveEditSendAndVerifyAgainstThePanel) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    EXPECT_EQ(*dialogs.Last(), (FakeDialogs::Shown{"info", "Conectado", "Información"}));
    // The central reports a coverage code (its value read at login).
    EXPECT_EQ(FromWx(frame->GetTitle()), "ejemplo - Chalet Pérez - TCP/IP : Conectado - Cobertura : " +
                                             IntToString(core->GetPpeValue()) + "% - Vosk Orvane");
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    CPanelEdit* view = frame->GetEditView();
    ASSERT_GT(view->CountCodis(), 2);
    CCodi* codi = view->GetCodi(2);
    // The panel holds other values than the file: receiving brings them in.
    const std::string before = codi->GetValue();
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    EXPECT_TRUE(dialogs.Errors().empty());
    EXPECT_TRUE(PanelHolds(sim.Central(), codi));
    EditCode(view, 2, "4321");
    ASSERT_TRUE(Run(ID_TOOL_SEND));
    EXPECT_EQ(codi->GetValue(), "4321");
    EXPECT_TRUE(PanelHolds(sim.Central(), codi));
    ASSERT_TRUE(Run(ID_TOOL_VERIFY));
    ASSERT_NE(dialogs.Last(), nullptr);
    EXPECT_EQ(dialogs.Last()->text, "Valores verificados correctamente");
    EXPECT_TRUE(dialogs.Errors().empty());
    (void)before;
}

TEST_F(WindowTest, ApplyWaitsTenSecondsUnderItsProgressDialog) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    const auto start = clock.Elapsed();
    ASSERT_TRUE(Run(ID_TOOL_APPLY));
    ASSERT_FALSE(ui.progress.empty());
    const ProgressRecord& last = *ui.progress.back();
    EXPECT_EQ(last.title, "Aplicando...");
    EXPECT_EQ(last.maximum, 10);
    EXPECT_EQ(last.updates.size(), 10u);
    EXPECT_GE(clock.Elapsed() - start, 10000);
}

TEST_F(WindowTest, ReceiveOnTheAlarmCentreLinkDoesNothing) {
    ASSERT_TRUE(OpenSample());
    // The alarm-receiving-centre kind on the in-process panel.
    CConexio& link = core->GetConexio();
    ASSERT_TRUE(link.SetKind(ConexioCraLink));
    link.SetIp("127.0.0.1");
    link.SetIpPort(5000);
    ASSERT_TRUE(link.AttachTransport(&pipe.LinkEnd()));
    ASSERT_TRUE(link.Open()) << link.GetError();
    ASSERT_TRUE(ConnectForTest());
    frame->SetConnected(true);
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    const std::size_t events = sim.Events().size(), shown = dialogs.shown.size(), progress = ui.progress.size();
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    EXPECT_EQ(sim.Events().size(), events);
    EXPECT_EQ(dialogs.shown.size(), shown);
    EXPECT_EQ(ui.progress.size(), progress);
}

// What the installer picked in the status panel (ticked areas and outputs, selected zones) stays
// picked through every idle poll, whatever the poll brought, so the command after it carries the
// pick and the panel carries it out; the command's own reload and a receive clear the picks.
TEST_F(WindowTest, EveryIdlePollKeepsWhatTheInstallerPicked) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select(Under(kCentral, "Estado")));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    CPanelEstat* panel = frame->GetEditView()->GetEstatPanel();
    ASSERT_NE(panel, nullptr);
    panelsim::SimComponent& central = sim.Central();
    // The sample's state: area 1 armed, zone 6 bypassed, output 3 on, outputs 1 and 2 off.
    constexpr std::uint16_t kOutputs = 0x0006;
    const auto baseStatus = central.status;
    const std::vector<std::uint8_t> baseOutputs = central.RamBytes(kOutputs, 0, 3);
    const std::uint8_t on = 1;
    auto bypassed = [&](int bit) { return (central.status[4] >> bit & 1) != 0; };
    auto armed = [&](int bit) { return (central.status[6] >> bit & 1) != 0; };

    wxListCtrl* zones = panel->GetZoneList();
    constexpr long kSel = wxLIST_STATE_SELECTED;
    struct Pick {
        const char* name;
        wxCheckListBox* list;  // null: the zone list
        int item;
        int button;
        std::function<bool()> done;  // what the command does in the panel
    };
    const Pick picks[] = {
        {"Conectar area 3", panel->GetAreaList(), 2, CPanelEstat::ID_ARM_AREAS, [&] { return armed(2); }},
        {"Desconectar area 1", panel->GetAreaList(), 0, CPanelEstat::ID_DISARM_AREAS, [&] { return !armed(0); }},
        {"Activar output 1", panel->GetOutputList(), 0, CPanelEstat::ID_OUTPUTS_ON,
         [&] { return central.Ram(kOutputs, 0) != 0; }},
        {"Desactivar output 3", panel->GetOutputList(), 2, CPanelEstat::ID_OUTPUTS_OFF,
         [&] { return central.Ram(kOutputs, 2) == 0; }},
        {"Omitir zone 1", nullptr, 0, CPanelEstat::ID_BYPASS_ZONES, [&] { return bypassed(0); }},
        {"Activar zone 6", nullptr, 5, CPanelEstat::ID_UNBYPASS_ZONES, [&] { return !bypassed(5); }},
    };
    auto pick = [&](const Pick& p) {
        if (p.list) p.list->Check(static_cast<unsigned>(p.item));
        else zones->SetItemState(p.item, kSel, kSel);
    };
    auto picked = [&](const Pick& p) {
        return p.list ? p.list->IsChecked(static_cast<unsigned>(p.item)) : zones->GetItemState(p.item, kSel) != 0;
    };
    // The poll timer's tick as the window gets it; the polls alternate between the general status
    // and the outputs and relays, the status first.
    enum PollKind { kStatusPoll, kOutputsPoll };
    int polls = 0;
    wxTimer pollTimer(frame, ID_TIMER2);
    auto poll = [&] {
        Idle(CAppCore::kPollInterval);
        wxTimerEvent tick(pollTimer);
        frame->ProcessWindowEvent(tick);
        ++polls;
    };
    enum Change { kNothing, kAreaArmedElsewhere, kOutputSwitched };
    for (const Pick& p : picks) {
        for (Change change : {kNothing, kAreaArmedElsewhere, kOutputSwitched}) {
            for (PollKind kind : {kStatusPoll, kOutputsPoll}) {
                SCOPED_TRACE(testing::Message() << p.name << ", change " << change << ", poll " << kind);
                // The panel back in the sample's state, and the window showing it.
                central.status = baseStatus;
                central.SetRam(kOutputs, 0, baseOutputs);
                poll();
                poll();
                if (polls % 2 != kind) poll();
                pick(p);
                if (change == kAreaArmedElsewhere) central.status[6] |= 0x02;
                if (change == kOutputSwitched) central.SetRam(kOutputs, 1, std::span(&on, 1));
                poll();
                ASSERT_TRUE(frame->IsConnected());
                // The poll showed what it read, and the pick stayed.
                const bool areaShown = FromWx(panel->GetAreaList()->GetString(1)).ends_with(": Conectada");
                const bool outputShown = FromWx(panel->GetOutputList()->GetString(1)).ends_with(": Activada");
                EXPECT_EQ(areaShown, change == kAreaArmedElsewhere && kind == kStatusPoll);
                EXPECT_EQ(outputShown, change == kOutputSwitched && kind == kOutputsPoll);
                EXPECT_TRUE(picked(p));
                EXPECT_FALSE(p.done());
                wxCommandEvent click(wxEVT_BUTTON, p.button);
                panel->ProcessWindowEvent(click);
                EXPECT_TRUE(p.done());
                EXPECT_FALSE(picked(p));
            }
        }
    }
    // A receive clears every pick.
    for (const Pick& p : picks) pick(p);
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    for (const Pick& p : picks) EXPECT_FALSE(picked(p)) << p.name;
    EXPECT_TRUE(dialogs.Errors().empty()) << dialogs.Errors().front();
}

// The keypad's value is written only when the code's type (learnt from the panel) shows it as
// typed; otherwise nothing is written and the box says so.
TEST_F(WindowTest, KeypadWritesAValueAsTypedOrNothing) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    CModel& central = core->GetInstalacio().GetCentral();
    CPanelKeyPad* keypad = frame->GetKeyPad();
    struct Case {
        const char* kp;  // a decimal, an installer code (nibble4), a time, a bitmask
        const char* typed;
        std::vector<unsigned char> written;  // empty: refused
        const char* accepts = "";
    } cases[] = {
        {"101", "999", {}, "se espera un número de 0 a 255"},
        {"101", "abc", {}, "se espera un número de 0 a 255"},
        {"101", "007", {7}},
        {"000", "12G4", {}, "se esperan hasta 4 cifras hexadecimales (0 a 9, A a F)"},
        {"000", "1", {0x1F, 0xFF}},
        {"230", "25:10", {}, "se espera una hora h:mm de 0:00 a 24:45 en cuartos de hora (00, 15, 30 o 45), o 63:45 sin hora"},
        {"230", "07:15", {0x1D}},
        {"121", "12x1", {}, "se esperan hasta 8 caracteres 0 o 1"},
        {"121", "1", {0x01}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kp) + " " + c.typed);
        const CCodi* model = central.FindCode(c.kp);
        ASSERT_NE(model, nullptr);
        auto held = [&] {
            return sim.Central().Code(static_cast<panelsim::Memory>(model->GetAccess()),
                                      static_cast<std::uint16_t>(HexStringToInt(model->GetCodeNumber())),
                                      model->GetAddress(), static_cast<std::size_t>(model->GetByteCount()));
        };
        const auto before = held();
        const std::size_t boxes = dialogs.Errors().size();
        keypad->AddressCtrl()->ChangeValue(ToWx(central.GetBusDir()));
        keypad->KeyCodeCtrl()->ChangeValue(ToWx(c.kp));
        keypad->ValueCtrl()->ChangeValue(ToWx(c.typed));
        wxCommandEvent click(wxEVT_BUTTON, ID_KEYPAD_SEND);
        keypad->GetEventHandler()->ProcessEvent(click);
        const auto after = held();
        if (!c.written.empty()) {
            EXPECT_EQ(std::vector<unsigned char>(after.begin(), after.end()), c.written);
            EXPECT_EQ(dialogs.Errors().size(), boxes);
            continue;
        }
        EXPECT_EQ(after, before);
        ASSERT_EQ(dialogs.Errors().size(), boxes + 1);
        EXPECT_EQ(dialogs.Errors().back(), "El valor \"" + std::string(c.typed) + "\" no cabe en el código de teclado " +
                                               c.kp + ": " + c.accepts +
                                               ".\nNo se ha enviado nada: el panel conserva su valor.");
        EXPECT_EQ(dialogs.shown.back().caption, "Error");
        EXPECT_EQ(FromWx(keypad->ValueCtrl()->GetValue()), c.typed);
    }
}

TEST_F(WindowTest, KeypadReadsAndWritesOneCodeAtItsBusAddress) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    EXPECT_EQ(frame->GetKeyPad()->AddressCtrl()->GetValue(), wxT("000"));
    ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
    EXPECT_TRUE(frame->GetKeyPad()->IsShown());
    // A numeric code of the central that the keypad reaches by its number.
    CModel& central = core->GetInstalacio().GetCentral();
    CCodi* target = nullptr;
    for (int i = 0; i < central.GetCodiCount() && !target; ++i) {
        CCodi* c = central.GetCodi(i);
        if (c && !c->GetKpAddress().empty() && c->GetByteCount() == 1 && c->IsEditable()) target = c;
    }
    ASSERT_NE(target, nullptr);
    CPanelKeyPad* keypad = frame->GetKeyPad();
    keypad->AddressCtrl()->ChangeValue(ToWx(central.GetBusDir()));
    keypad->KeyCodeCtrl()->ChangeValue(ToWx(target->GetKpAddress()));
    keypad->ValueCtrl()->ChangeValue(wxEmptyString);
    auto click = [&](int id) {
        wxCommandEvent e(wxEVT_BUTTON, id);
        keypad->GetEventHandler()->ProcessEvent(e);
    };
    click(ID_KEYPAD_RECEIVE);
    EXPECT_TRUE(dialogs.Errors().empty());
    EXPECT_FALSE(keypad->ValueCtrl()->GetValue().empty());
    EXPECT_TRUE(PanelHolds(sim.Central(), keypad->GetCodi()));
    keypad->ValueCtrl()->ChangeValue(wxT("7"));
    click(ID_KEYPAD_SEND);
    EXPECT_TRUE(dialogs.Errors().empty());
    EXPECT_TRUE(PanelHolds(sim.Central(), keypad->GetCodi()));
    EXPECT_EQ(keypad->ValueCtrl()->GetValue(), ToWx(keypad->GetCodi()->GetValue()));
    // A read that fails leaves no value beside the code asked for, not the one shown before.
    for (const auto& [address, error] : {std::pair{"0101", "Dirección no válida"}, {"3A", "Sin respuesta"}}) {
        keypad->AddressCtrl()->ChangeValue(ToWx(address));
        click(ID_KEYPAD_RECEIVE);
        EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{error});
        EXPECT_TRUE(keypad->ValueCtrl()->GetValue().empty()) << address;
        EXPECT_EQ(FromWx(keypad->KeyCodeCtrl()->GetValue()), target->GetKpAddress());
        dialogs.shown.clear();
        keypad->ValueCtrl()->ChangeValue(wxT("7"));
    }
    // Refused by the core without a link: its text in an error box, for both buttons.
    ASSERT_TRUE(Run(ID_TOOL_DISCONNECT));
    EXPECT_EQ(*dialogs.Last(), (FakeDialogs::Shown{"info", "Conexión cerrada", "Información"}));
    const std::size_t before = dialogs.shown.size();
    click(ID_KEYPAD_RECEIVE);
    click(ID_KEYPAD_SEND);
    EXPECT_EQ(std::vector<FakeDialogs::Shown>(dialogs.shown.begin() + static_cast<long>(before), dialogs.shown.end()),
              (std::vector<FakeDialogs::Shown>{{"error", "No conetado", "Error"}, {"error", "No conetado", "Error"}}));
    ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
    EXPECT_FALSE(frame->GetKeyPad()->IsShown());
}

TEST_F(WindowTest, LogToggleSplitsTheLogPaneAtTheBottom) {
    wxSplitterWindow* outer = frame->GetOuterSplitter();
    // The tree on the left of the inner splitter; the log pane below it once shown.
    auto* inner = dynamic_cast<wxSplitterWindow*>(frame->GetTree()->GetParent());
    ASSERT_NE(inner, nullptr);
    EXPECT_TRUE(inner->GetSplitMode() == wxSPLIT_VERTICAL && inner->GetWindow1() == frame->GetTree());
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    EXPECT_TRUE(outer->IsSplit());
    EXPECT_TRUE(outer->GetSplitMode() == wxSPLIT_HORIZONTAL && outer->GetWindow2() == frame->GetLogPane());
    EXPECT_TRUE(frame->GetLogPane()->IsShown());
    EXPECT_NEAR(outer->GetSize().GetHeight() - outer->GetSashPosition(), 100, 12);
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    EXPECT_FALSE(outer->IsSplit());
    EXPECT_FALSE(frame->GetLogPane()->IsShown());
}

TEST_F(WindowTest, ClosingWithUnsavedEditsCancelKeepsWindowAndLink) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    EditCode(frame->GetEditView(), 2, "1111");
    dialogs.AnswerYesNoCancel(Answer::Cancel);
    EXPECT_FALSE(frame->Close(false));
    EXPECT_FALSE(frame->IsBeingDeleted());
    EXPECT_TRUE(frame->IsConnected());
    EXPECT_TRUE(core->IsConnected());
    EXPECT_EQ(*dialogs.Last(), (FakeDialogs::Shown{"yesnocancel",
                                                   "La instalación actual ha sido modificada y no se ha guardado. "
                                                   "Desea guardarla ahora?",
                                                   "Guardar"}));
}

TEST_F(WindowTest, ClosingWithUnsavedEditsNoThenNoStaysOpenDisconnected) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    EditCode(frame->GetEditView(), 2, "1111");
    dialogs.AnswerYesNoCancel(Answer::No);
    dialogs.AnswerYesNo(false);
    EXPECT_FALSE(frame->Close(false));
    EXPECT_FALSE(frame->IsBeingDeleted());
    EXPECT_FALSE(frame->IsConnected());
    EXPECT_FALSE(core->IsConnected());
    EXPECT_TRUE(frame->GetTitle().Contains(wxT("Conexi")));
}

TEST_F(WindowTest, ClosingWithUnsavedEditsYesSavesAndCloses) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    const std::string id = frame->GetEditView()->GetCodi(2)->GetId();
    EditCode(frame->GetEditView(), 2, "2468");
    dialogs.AnswerYesNoCancel(Answer::Yes);
    dialogs.AnswerYesNo(true);
    EXPECT_TRUE(frame->Close(false));
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
    EXPECT_EQ(*dialogs.Last(), (FakeDialogs::Shown{"yesno", "¿Está seguro de querer cerrar Orvane ?", "Cerrar Orvane"}));
    EXPECT_NE(dir.Read("ejemplo.voski").find("<val>2468</val>"), std::string::npos);
    // The settings are written on the way out, the opened file at the head of the recent files.
    EXPECT_NE(dir.Read("config.xml").find("<ultim>" + (dir.Path() / "ejemplo.voski").string() + "</ultim>"),
              std::string::npos);
}

TEST_F(WindowTest, AFailedSaveKeepsTheInstallationOpen) {
    ASSERT_TRUE(OpenSample());
    core->MarkModified();
    core->GetInstalacio().SetFileName((dir.Path() / "gone" / "x.voski").string());
    dialogs.AnswerYesNoCancel(Answer::Yes);
    ASSERT_TRUE(Run(ID_MENU_CLOSE));
    EXPECT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_TRUE(frame->IsInstallationOpen());
    EXPECT_TRUE(Item({"Chalet Pérez"}).IsOk());
}

TEST_F(WindowTest, SaveAsAsksBeforeReplacingAFile) {
    ASSERT_TRUE(OpenSample());
    dir.Write("otra.voski", "keep");
    dialogs.AnswerSavePath(dir.Path() / "otra.voski");
    dialogs.AnswerYesNo(false);
    ASSERT_TRUE(Run(ID_MENU_SAVEAS));
    EXPECT_EQ(dir.Read("otra.voski"), "keep");
    ASSERT_EQ(dialogs.Last()->kind, "yesno");
    EXPECT_FALSE(dialogs.Last()->defaultNo);  // replacing a file on the PC keeps Yes as the default
    dialogs.AnswerSavePath(dir.Path() / "otra.voski");
    dialogs.AnswerYesNo(true);
    ASSERT_TRUE(Run(ID_TOOL_SAVEAS));
    EXPECT_NE(dir.Read("otra.voski"), "keep");
    EXPECT_EQ(core->GetConfig().GetUltim(0), (dir.Path() / "otra.voski").string());
    EXPECT_EQ(FromWx(frame->GetTitle()), "otra - Chalet Pérez - Conexión cerrada - Vosk Orvane");
}

TEST_F(WindowTest, NewInstallationAndComponentsThroughTheirDialogues) {
    dialogs.AnswerChoice(2);  // models sorted: EX08, TK40, VX16; VX16 has one version
    ASSERT_TRUE(Run(ID_MENU_NEW));
    EXPECT_TRUE(frame->IsInstallationOpen());
    EXPECT_EQ(FromWx(frame->GetTitle()), "VX16 2.1 - Nueva Instalación - Conexión cerrada - Vosk Orvane");
    // Adding always asks the version; an empty bus address cancels.
    dialogs.AnswerChoice(1), dialogs.AnswerChoice(0), dialogs.AnswerText("");
    ASSERT_TRUE(Run(ID_TOOL_ADD));
    EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 0);
    dialogs.AnswerChoice(1), dialogs.AnswerChoice(0), dialogs.AnswerText("12");
    ASSERT_TRUE(Run(ID_MENU_ADD));
    dialogs.AnswerChoice(0), dialogs.AnswerChoice(0), dialogs.AnswerText("20");
    ASSERT_TRUE(Run(ID_MENU_ADD));
    ASSERT_EQ(core->GetInstalacio().GetComponentCount(), 2);
    dialogs.AnswerChoice(1);
    ASSERT_TRUE(Run(ID_MENU_REMOVE));
    EXPECT_EQ(dialogs.shown.back().choices,
              (std::vector<std::string>{"0 TK40 (busdir = 12)", "1 EX08 (busdir = 20)"}));
    ASSERT_EQ(core->GetInstalacio().GetComponentCount(), 1);
    EXPECT_EQ(core->GetInstalacio().GetComponent(0)->GetId(), "TK40");

    // Renaming through the component's pop-up menu counts as an edit; an empty name changes nothing.
    core->GetInstalacio().ClearModified();
    const wxTreeItemId central = frame->GetTree()->GetNextSibling(Item({"Nueva Instalación", "Datos"}));
    frame->GetTree()->SelectItem(central);
    dialogs.AnswerText("");
    ASSERT_TRUE(Popup(ID_MENU_RENAME));
    EXPECT_FALSE(core->GetInstalacio().IsModified());
    EXPECT_EQ(*dialogs.Last(), (FakeDialogs::Shown{"text", "Escriba nombre o alias del componente", "Nuevo nombre o alias",
                                                   {}, "Central VX16 (16 zonas)"}));
    dialogs.AnswerText("Central del chalet");
    ASSERT_TRUE(Popup(ID_MENU_RENAME));
    EXPECT_EQ(FromWx(frame->GetTree()->GetItemText(central)), "Central del chalet");
    EXPECT_TRUE(core->GetInstalacio().IsModified());

    dialogs.AnswerYesNoCancel(Answer::No);
    ASSERT_TRUE(Run(ID_TOOL_CLOSE));
    EXPECT_FALSE(frame->IsInstallationOpen());
    EXPECT_EQ(frame->GetTitle(), wxT("Orvane"));
    EXPECT_FALSE(Run(ID_MENU_REMOVE));  // needs an installation
    dialogs.AnswerChoice(std::nullopt);
    ASSERT_TRUE(Run(ID_MENU_NEW));  // the model choice cancelled
    EXPECT_FALSE(frame->IsInstallationOpen());
}

TEST_F(WindowTest, ALostLinkIsShownOnceAndTheWindowShowsDisconnected) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    // Lost inside an operation: its own error box reports it.
    ASSERT_TRUE(ConnectTcp());
    BreakLink();
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    Flush();
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_FALSE(frame->IsConnected()) << dialogs.Errors()[0] << " core connected " << core->IsConnected();
    EXPECT_TRUE(frame->GetTitle().Contains(ToWx(" - Conexión cerrada - ")));
    EXPECT_TRUE(frame->IsCommandEnabledNow(ID_TOOL_CONNECT));
}

TEST_F(WindowTest, ALostLinkFoundByThePumpIsShownOnce) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    BreakLink();
    core->PumpLink();
    core->PumpLink();
    EXPECT_FALSE(frame->IsConnected());
    Flush();
    Flush();
    EXPECT_EQ(dialogs.Errors().size(), 1u);
}

TEST_F(WindowTest, FlashCopiesAndHardResetShowTheirFailure) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    ASSERT_TRUE(ConnectTcp());
    using S = FakeDialogs::Shown;
    struct Row {
        int id;
        const char* question;
        bool panel;  // reaches the panel (the soft reset only changes the installation)
    };
    const Row rows[] = {
        {ID_TOOL_RESET_SOFT, "¿Seguro que desea aplicar valores de fábrica (soft)?", false},
        {ID_TOOL_EEP_TO_FLASH,
         "¿Está seguro de querer establecer la programación actual como valores de fábrica en Flash?", true},
        {ID_TOOL_FLASH_TO_EEP,
         "¿Está seguro de querer recuperar los valores de fábrica en flash como programación en curso?", true},
        {ID_TOOL_RESET_HARD, "¿Está seguro de querer realizar un reset profundo (hard) de la programación eeprom?", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.question);
        // "No" does nothing; "Yes" runs the command and shows nothing more when it succeeds.
        core->GetInstalacio().ClearModified();
        sim.ClearEvents();
        dialogs.AnswerYesNo(false);
        ASSERT_TRUE(Run(r.id));
        EXPECT_TRUE(sim.Events().empty());
        EXPECT_FALSE(core->GetInstalacio().IsModified());
        const std::size_t before = dialogs.shown.size();
        dialogs.AnswerYesNo(true);
        ASSERT_TRUE(Run(r.id));
        EXPECT_EQ(std::vector<S>(dialogs.shown.begin() + static_cast<long>(before) - 1, dialogs.shown.end()),
                  (std::vector<S>{S::YesNo(r.question, "Reset", DefaultButton::No),
                                  S::YesNo(r.question, "Reset", DefaultButton::No)}));
        EXPECT_EQ(!sim.Events().empty(), r.panel);
        EXPECT_EQ(core->GetInstalacio().IsModified(), !r.panel);
    }
    // Failures are shown, the flash copies' and the hard reset's too (the soft reset's: a node
    // without codes). The lost link greys the tools, so the commands go straight to the handlers.
    ASSERT_TRUE(Select(kCentral));
    BreakLink();
    for (const Row& r : rows) {
        dialogs.AnswerYesNo(true);
        ASSERT_TRUE(Popup(r.id));
        EXPECT_EQ(dialogs.shown.back().kind, "error") << r.question;
        EXPECT_EQ(dialogs.shown.back().caption, "Error");
    }
}

TEST_F(WindowTest, APopupMenuBelongsToTheItemRightClicked) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(kCentral));
    // The data node has no pop-up menu, so no menu opens; the click still selects it.
    wxTreeEvent event(wxEVT_TREE_ITEM_MENU, frame->GetTree(), Item({"Chalet Pérez", "Datos"}));
    frame->GetTree()->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(frame->GetTree()->GetSelection(), Item({"Chalet Pérez", "Datos"}));
    EXPECT_NE(frame->GetEditView()->GetDadesPanel(), nullptr);
}
