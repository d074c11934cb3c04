// What the main window must show, written out as the installer sees it: the menu bar, the
// toolbar and the enabling of every entry over the four states. The window tests compare the
// real window with these tables, never with the window's own tables.
#pragma once

#include "ui/ids.h"

namespace expected {

struct MenuRow {
    int menu;  // position in the menu bar
    int id;    // 0: a separator
    const char* label;
    const char* help;
};
inline const char* const kMenuTitles[] = {"&Instalación", "&Conexiones", "&Ayuda"};
// The fixed items; the recent files go between the two separators in a row (position 10 on).
inline const MenuRow kMenuBar[] = {
    {0, ID_MENU_NEW, "&Nueva...", "Crea una nueva instalación"},
    {0, ID_MENU_OPEN, "&Abrir...", "Abre una instalación existente"},
    {0, ID_MENU_SAVE, "&Guardar", "Guarda la instalación"},
    {0, ID_MENU_SAVEAS, "Guardar &como...", "Guarda la instalación con otro nombre"},
    {0, ID_MENU_EXPORT, "&Exportar programación...", "Exporta la programación a un archivo de texto imprimible."},
    {0, ID_MENU_CLOSE, "&Cerrar", "Cierra la installation"},
    {0, 0, "", ""},
    {0, ID_MENU_ADD, "Aña&dir componente...", "Aañade un componente en el bus de la instalación actual"},
    {0, ID_MENU_REMOVE, "&Borrar Componente...", "Borra un componente del bus de la instalacón actual"},
    {0, 0, "", ""},
    {0, 0, "", ""},
    {0, ID_MENU_EXIT, "&Salir\tAlt+F4", "Sale de la aplicación"},
    {1, ID_MENU_CONFIGURE, "&Configurar...", "Configura las conexiones"},
    {1, ID_MENU_CONNECT, "Conectar", "Conecta"},
    {1, ID_MENU_RECEIVE, "Recibir\tF3", "Recibe datos de la central o componente"},
    {1, ID_MENU_SEND, "Enviar\tF4", "Envia datos de la central o componente"},
    {2, ID_MENU_ABOUT, " Acerca de ", "Muestra información sobre esta aplicación"},
};

struct ToolRow {
    int id;  // 0: a separator
    const char* label;  // the tooltip is the label without its mnemonic marker (kToolTips)
    const char* help;
    const char* image;  // under icons/toolbar
    bool toggle;
};
inline const ToolRow kToolbar[] = {
    {ID_TOOL_NEW, "Nueva instalación", "Crea una nueva instalación", "filenew.png", false},
    {ID_TOOL_OPEN, "Abrir instalación", "Abre una instalación existente", "fileopen.png", false},
    {ID_TOOL_SAVE, "Guardar instalación", "Guarda la instalación", "filesave.png", false},
    {ID_TOOL_SAVEAS, "Guardar instalación como", "Guarda la instalación con otro nombre", "filesaveas.png", false},
    {ID_TOOL_ADD, "Aña&dir componente...", "Aañade un componente en el bus de la instalación actual", "edit_add.png",
     false},
    {ID_TOOL_REMOVE, "&Borrar Componente...", "Borra un componente del bus de la instalacón actual",
     "edit_remove.png", false},
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

// Each tool's tooltip, as the installer reads it: no mnemonic marker.
struct ToolTipRow {
    int id;
    const char* tooltip;
};
inline const ToolTipRow kToolTips[] = {
    {ID_TOOL_NEW, "Nueva instalación"},
    {ID_TOOL_OPEN, "Abrir instalación"},
    {ID_TOOL_SAVE, "Guardar instalación"},
    {ID_TOOL_SAVEAS, "Guardar instalación como"},
    {ID_TOOL_ADD, "Añadir componente..."},
    {ID_TOOL_REMOVE, "Borrar Componente..."},
    {ID_TOOL_CLOSE, "Cerrar"},
    {ID_TOOL_CONFIGURE, "Configurar..."},
    {ID_TOOL_CONNECT, "Conectar"},
    {ID_TOOL_DISCONNECT, "Desconectar"},
    {ID_TOOL_RECEIVE, "Recibir"},
    {ID_TOOL_SEND, "Enviar"},
    {ID_TOOL_APPLY, "Aplicar"},
    {ID_TOOL_VERIFY, "Verificar"},
    {ID_TOOL_RESET_SOFT, "Resetea valores (soft)"},
    {ID_TOOL_RESET_HARD, "Programación de fábrica profunda (hard)"},
    {ID_TOOL_EEP_TO_FLASH, "Copiar Eep a Flash"},
    {ID_TOOL_FLASH_TO_EEP, "Cargar programación desde flash a Eeprom"},
    {ID_TOOL_KEYPAD, "KeyPad"},
    {ID_TOOL_LOG, "Registro"},
    {ID_TOOL_EXIT, "Salir"},
};

// Enabled in the states: no installation, open, connected, connected with a flash group on the
// current component. "&Configurar..." waits for the disconnect: the link of an open connection
// cannot change.
struct EnablingRow {
    int id;
    bool none, open, connected, flash;
};
inline const EnablingRow kEnabling[] = {
    {ID_TOOL_NEW, 1, 0, 0, 0},          {ID_TOOL_OPEN, 1, 0, 0, 0},          {ID_MENU_NEW, 1, 1, 1, 1},
    {ID_MENU_OPEN, 1, 1, 1, 1},         {ID_MENU_EXIT, 1, 1, 1, 1},          {ID_MENU_ABOUT, 1, 1, 1, 1},
    {ID_RECENT1, 1, 1, 1, 1},           {ID_TOOL_LOG, 1, 1, 1, 1},           {ID_TOOL_EXIT, 1, 1, 1, 1},
    {ID_TOOL_SAVE, 0, 1, 1, 1},         {ID_TOOL_SAVEAS, 0, 1, 1, 1},        {ID_TOOL_ADD, 0, 1, 1, 1},
    {ID_TOOL_REMOVE, 0, 1, 1, 1},       {ID_TOOL_CLOSE, 0, 1, 1, 1},         {ID_TOOL_RESET_SOFT, 0, 1, 1, 1},
    {ID_TOOL_KEYPAD, 0, 1, 1, 1},       {ID_MENU_SAVE, 0, 1, 1, 1},          {ID_MENU_SAVEAS, 0, 1, 1, 1},
    {ID_MENU_EXPORT, 0, 1, 1, 1},       {ID_MENU_ADD, 0, 1, 1, 1},           {ID_MENU_REMOVE, 0, 1, 1, 1},
    {ID_MENU_CLOSE, 0, 1, 1, 1},        {ID_TOOL_CONFIGURE, 0, 1, 0, 0},     {ID_MENU_CONFIGURE, 0, 1, 0, 0},
    {ID_TOOL_CONNECT, 0, 1, 0, 0},      {ID_MENU_CONNECT, 0, 1, 0, 0},       {ID_TOOL_DISCONNECT, 0, 0, 1, 1},
    {ID_TOOL_RECEIVE, 0, 0, 1, 1},      {ID_TOOL_SEND, 0, 0, 1, 1},          {ID_TOOL_APPLY, 0, 0, 1, 1},
    {ID_TOOL_VERIFY, 0, 0, 1, 1},       {ID_TOOL_RESET_HARD, 0, 0, 1, 1},    {ID_MENU_RECEIVE, 0, 0, 1, 1},
    {ID_MENU_SEND, 0, 0, 1, 1},         {ID_TOOL_EEP_TO_FLASH, 0, 0, 0, 1},  {ID_TOOL_FLASH_TO_EEP, 0, 0, 0, 1},
};

}  // namespace expected
