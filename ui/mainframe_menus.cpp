// The menu bar, the toolbar and every binding of the main window.
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/treectrl.h>

#include "core/appcore.h"
#include "panels/wxtext.h"
#include "ui/ids.h"
#include "ui/images.h"
#include "ui/mainframe.h"

namespace {
struct MenuEntry {
    int id;  // 0: a separator
    const char* label;
    const char* help;
};

// The installation menu's fixed items; the recent files go between the two separators in a row.
const MenuEntry kInstallationMenu[] = {
    {ID_MENU_NEW, "&Nueva...", "Crea una nueva instalación"},
    {ID_MENU_OPEN, "&Abrir...", "Abre una instalación existente"},
    {ID_MENU_SAVE, "&Guardar", "Guarda la instalación"},
    {ID_MENU_SAVEAS, "Guardar &como...", "Guarda la instalación con otro nombre"},
    {ID_MENU_EXPORT, "&Exportar programación...", "Exporta la programación a un archivo de texto imprimible."},
    {ID_MENU_CLOSE, "&Cerrar", "Cierra la installation"},
    {0, "", ""},
    {ID_MENU_ADD, "Aña&dir componente...", "Aañade un componente en el bus de la instalación actual"},
    {ID_MENU_REMOVE, "&Borrar Componente...", "Borra un componente del bus de la instalacón actual"},
    {0, "", ""},
    {0, "", ""},
    {ID_MENU_EXIT, "&Salir\tAlt+F4", "Sale de la aplicación"},
};
// Position of the first recent file: after the six file items, a separator, the two component
// items and the first of the two separators.
constexpr int kRecentPosition = 10;

const MenuEntry kLinkMenu[] = {
    {ID_MENU_CONFIGURE, "&Configurar...", "Configura las conexiones"},
    {ID_MENU_CONNECT, "Conectar", "Conecta"},
    {ID_MENU_RECEIVE, "Recibir\tF3", "Recibe datos de la central o componente"},
    {ID_MENU_SEND, "Enviar\tF4", "Envia datos de la central o componente"},
};

struct ToolEntry {
    int id;  // 0: a separator
    const char* label;
    const char* help;
    const char* image;
    bool toggle;
};

const ToolEntry kTools[] = {
    {ID_TOOL_NEW, "Nueva instalación", "Crea una nueva instalación", "filenew.png", false},
    {ID_TOOL_OPEN, "Abrir instalación", "Abre una instalación existente", "fileopen.png", false},
    {ID_TOOL_SAVE, "Guardar instalación", "Guarda la instalación", "filesave.png", false},
    {ID_TOOL_SAVEAS, "Guardar instalación como", "Guarda la instalación con otro nombre", "filesaveas.png", false},
    {ID_TOOL_ADD, "Aña&dir componente...", "Aañade un componente en el bus de la instalación actual", "edit_add.png", false},
    {ID_TOOL_REMOVE, "&Borrar Componente...", "Borra un componente del bus de la instalacón actual", "edit_remove.png", false},
    {ID_TOOL_CLOSE, "&Cerrar", "Cierra la installation", "fileclose.png", false},
    {0, "", "", "", false},
    {ID_TOOL_CONFIGURE, "&Configurar...", "Configura las conexiones", "configure.png", false},
    {ID_TOOL_CONNECT, "Conectar", "Conecta", "connect_creating.png", false},
    {ID_TOOL_DISCONNECT, "Desconectar", "Desconecta", "connect_no.png", false},
    {ID_TOOL_RECEIVE, "Recibir", "Recibe datos de la central o componente", "download.png", false},
    {ID_TOOL_SEND, "Enviar", "Envia datos de la central o componente", "upload.png", false},
    {ID_TOOL_APPLY, "Aplicar", "Aplica la programación", "rebuild.png", false},
    {ID_TOOL_VERIFY, "Verificar",
     "Verifica la programación recibiendola de l acentral y comparandola con los valores locales", "ok.png", false},
    {ID_TOOL_RESET_SOFT, "Resetea valores (soft)", "Resetea con los valores de fábrica", "undo.png", false},
    {ID_TOOL_RESET_HARD, "Programación de fábrica profunda (hard)",
     "Resetear Eep con programación de fábrica profunda (hard)", "EepReset.png", false},
    {ID_TOOL_EEP_TO_FLASH, "Copiar Eep a Flash", "Copiar Eep a Flash", "flash.png", false},
    {ID_TOOL_FLASH_TO_EEP, "Cargar programación desde flash a Eeprom", "Copiar programación Flash a Eeprom",
     "flash2eep.png", false},
    {ID_TOOL_KEYPAD, "KeyPad", "Muestra un teclado para acceder a códigos de programación rápidamente", "kcalc.png",
     true},
    {0, "", "", "", false},
    {ID_TOOL_LOG, "Registro", "Muestra un registro de las acciones del programa y de las comunicaciones.",
     "kwrite.png", true},
    {ID_TOOL_EXIT, "Salir", "Sale de la aplicación", "exit.png", false},
};

void AppendEntries(wxMenu* menu, const MenuEntry* begin, const MenuEntry* end) {
    for (const MenuEntry* e = begin; e != end; ++e) {
        if (e->id == 0) menu->AppendSeparator();
        else menu->Append(e->id, ToWx(e->label), ToWx(e->help));
    }
}
}  // namespace

wxMenuBar* MyFrame::CreateMenus() {
    auto* bar = new wxMenuBar;
    auto* installation = new wxMenu;
    BuildInstallationMenu(installation);
    bar->Append(installation, ToWx("&Instalación"));
    auto* link = new wxMenu;
    AppendEntries(link, std::begin(kLinkMenu), std::end(kLinkMenu));
    bar->Append(link, wxT("&Conexiones"));
    auto* help = new wxMenu;
    help->Append(ID_MENU_ABOUT, wxT(" Acerca de "), ToWx("Muestra información sobre esta aplicación"));
    bar->Append(help, wxT("&Ayuda"));
    return bar;
}

void MyFrame::BuildInstallationMenu(wxMenu* menu) {
    if (!menu) return;
    if (menu->GetMenuItemCount() == 0)
        AppendEntries(menu, std::begin(kInstallationMenu), std::end(kInstallationMenu));
    if (!core_) return;
    for (int i = 0; i < kRecentCount; ++i) {
        if (menu->FindItem(ID_RECENT1 + i)) menu->Destroy(ID_RECENT1 + i);
    }
    for (int i = 0; i < kRecentCount; ++i) {
        const std::string& path = core_->GetConfig().GetUltim(i);
        if (path.empty()) break;
        menu->Insert(kRecentPosition + i, ID_RECENT1 + i, ToWx(RecentFileLabel(i, path)));
    }
}

void MyFrame::CreateTools() {
    toolbar_ = CreateToolBar();
    toolbar_->SetToolBitmapSize(wxSize(32, 32));
    for (const ToolEntry& t : kTools) {
        if (t.id == 0) {
            toolbar_->AddSeparator();
            continue;
        }
        // The tooltip is plain text: the label's mnemonic marker would show as it is.
        const wxString label = ToWx(t.label);
        toolbar_->AddTool(t.id, label, ToolbarImage(t.image), wxNullBitmap, t.toggle ? wxITEM_CHECK : wxITEM_NORMAL,
                          wxStripMenuCodes(label, wxStrip_Mnemonics), ToWx(t.help));
    }
}

void MyFrame::BindEvents() {
    auto both = [this](int menuId, int toolId, void (MyFrame::*handler)(wxCommandEvent&)) {
        if (menuId) Bind(wxEVT_MENU, handler, this, menuId);
        if (toolId) Bind(wxEVT_TOOL, handler, this, toolId);
    };
    both(ID_MENU_NEW, ID_TOOL_NEW, &MyFrame::OnNew);
    both(ID_MENU_OPEN, ID_TOOL_OPEN, &MyFrame::OnOpenDialog);
    both(ID_MENU_SAVE, ID_TOOL_SAVE, &MyFrame::OnSave);
    both(ID_MENU_SAVEAS, ID_TOOL_SAVEAS, &MyFrame::OnSaveAs);
    both(ID_MENU_EXPORT, 0, &MyFrame::OnExport);
    both(ID_MENU_CLOSE, ID_TOOL_CLOSE, &MyFrame::OnCloseInstallation);
    both(ID_MENU_ADD, ID_TOOL_ADD, &MyFrame::OnAddComponent);
    both(ID_MENU_REMOVE, ID_TOOL_REMOVE, &MyFrame::OnRemoveComponent);
    both(ID_MENU_RENAME, 0, &MyFrame::OnRename);
    both(ID_MENU_EXIT, ID_TOOL_EXIT, &MyFrame::OnExit);
    both(ID_MENU_CONFIGURE, ID_TOOL_CONFIGURE, &MyFrame::OnConfigure);
    both(ID_MENU_CONNECT, ID_TOOL_CONNECT, &MyFrame::OnConnect);
    both(0, ID_TOOL_DISCONNECT, &MyFrame::OnDisconnect);
    both(ID_MENU_RECEIVE, ID_TOOL_RECEIVE, &MyFrame::OnReceive);
    both(ID_MENU_SEND, ID_TOOL_SEND, &MyFrame::OnSend);
    both(0, ID_TOOL_VERIFY, &MyFrame::OnVerify);
    both(0, ID_TOOL_APPLY, &MyFrame::OnApply);
    both(0, ID_TOOL_RESET_SOFT, &MyFrame::OnResetSoft);
    both(0, ID_TOOL_RESET_HARD, &MyFrame::OnResetHard);
    both(0, ID_TOOL_EEP_TO_FLASH, &MyFrame::OnCopyEepToFlash);
    both(0, ID_TOOL_FLASH_TO_EEP, &MyFrame::OnCopyFlashToEep);
    both(0, ID_TOOL_KEYPAD, &MyFrame::OnToggleKeyPad);
    both(0, ID_TOOL_LOG, &MyFrame::OnToggleLog);
    both(ID_MENU_ABOUT, 0, &MyFrame::OnAbout);
    Bind(wxEVT_MENU, &MyFrame::OnOpenRecent, this, ID_RECENT1, ID_RECENT4);
    Bind(wxEVT_TREE_SEL_CHANGED, &MyFrame::OnTreeSelChanged, this, ID_TREE);
    Bind(wxEVT_TREE_ITEM_MENU, &MyFrame::OnTreeItemMenu, this, ID_TREE);
    Bind(wxEVT_TIMER, &MyFrame::OnTimer1, this, ID_TIMER1);
    Bind(wxEVT_TIMER, &MyFrame::OnTimer2, this, ID_TIMER2);
    Bind(wxEVT_CLOSE_WINDOW, &MyFrame::OnCloseWindow, this);
}
