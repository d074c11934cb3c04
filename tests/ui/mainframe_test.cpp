// The main window driven through its own command ids and tree selections, with the core on the
// virtual clock and the simulated panel in process.
#include <filesystem>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/splitter.h>
#include <wx/textctrl.h>
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
#include "panels/wxtext.h"
#include "ui/keypad.h"
#include "window_harness.h"

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
    auto check = [&](const WindowState& expected, const char* state) {
        for (int id : RuledCommandIds())
            EXPECT_EQ(frame->IsCommandEnabledNow(id), IsCommandEnabled(id, expected)) << state << " id " << id;
        EXPECT_EQ(frame->GetKeyPad()->ValueCtrl()->IsEnabled(), expected.connected) << state;
    };
    check({false, false, false}, "no installation");
    ASSERT_TRUE(OpenSample());
    check({true, false, false}, "open");
    // The keypad has no flash group: connected without the flash copies.
    ASSERT_TRUE(Select({"Chalet Pérez", "Teclado TK40 con lector de proximidad"}));
    ASSERT_TRUE(ConnectTcp());
    check({true, true, false}, "connected");
    ASSERT_TRUE(Run(ID_TOOL_DISCONNECT));
    check({true, false, false}, "disconnected");
    ASSERT_TRUE(Select(kCentral));
    ASSERT_TRUE(Run(ID_MENU_CONNECT));
    check({true, true, true}, "connected with a flash group");
    // A disabled command does nothing when clicked.
    EXPECT_FALSE(Run(ID_TOOL_CONNECT));
    EXPECT_FALSE(Run(ID_MENU_CONFIGURE));
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
        {"tcp", [&] { dialogs.AnswerChoice(4), dialogs.AnswerText("127.0.0.1"), dialogs.AnswerText("4001"); }, 4},
        {"tcp, bad port", [&] { dialogs.AnswerChoice(4), dialogs.AnswerText("10.0.0.1"), dialogs.AnswerText("99999"); }, -1},
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
    EXPECT_EQ(dialogs.Errors().size(), 1u);  // the bad port

    // No serial port at all: the dialogue ends with a message, nothing stored.
    frame->SetSerialPortFolder((dir.Path() / "none").string());
    dialogs.AnswerChoice(1);
    ASSERT_TRUE(Run(ID_MENU_CONFIGURE));
    EXPECT_EQ(dialogs.Errors().size(), 2u);
}

TEST_F(WindowTest, ConnectReceiveEditSendAndVerifyAgainstThePanel) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
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

TEST_F(WindowTest, KeypadReadsAndWritesOneCodeAtItsBusAddress) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
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
}

TEST_F(WindowTest, LogToggleSplitsTheLogPaneAtTheBottom) {
    wxSplitterWindow* outer = frame->GetOuterSplitter();
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    EXPECT_TRUE(outer->IsSplit());
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
    EXPECT_EQ(dialogs.Last()->text, WindowText::kSaveQuestion);
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
    EXPECT_NE(dir.Read("ejemplo.voski").find("<val>2468</val>"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "config.xml"));
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
    dialogs.AnswerSavePath(dir.Path() / "otra.voski");
    dialogs.AnswerYesNo(true);
    ASSERT_TRUE(Run(ID_TOOL_SAVEAS));
    EXPECT_NE(dir.Read("otra.voski"), "keep");
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
    ASSERT_TRUE(ConnectTcp());
    BreakLink();
    dialogs.AnswerYesNo(false);  // "No" does nothing
    ASSERT_TRUE(Run(ID_TOOL_RESET_HARD));
    EXPECT_TRUE(dialogs.Errors().empty());
    dialogs.AnswerYesNo(true);
    ASSERT_TRUE(Run(ID_TOOL_RESET_HARD));
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_EQ(dialogs.shown.back().caption, "Error");
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
