#include "ui/windowlogic.h"

#include <algorithm>
#include <cctype>

#include "datamodel/files.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "datamodel/text.h"
#include "link/conexio.h"
#include "link/serial.h"
#include "ui/ids.h"

// ---- title ----

namespace {
const char* ConnectionPrefix(int kind) {
    switch (kind) {
        case ConexioLocal: return " - Local : ";
        case ConexioModem: return " - Modem : ";
        case ConexioGsm: return " - CSD : ";
        case ConexioTcpIp: return " - TCP/IP : ";
        case ConexioGprs: return " - GPRS : ";
        case ConexioCraLink: return " - Cra Link : ";
        default: return "";
    }
}
}  // namespace

std::string ComposeTitle(const TitleParts& p) {
    std::string title = ShownText(p.fileName) + " - " + ShownText(p.installation);
    if (!p.connected) {
        title += " - Conexión cerrada";
    } else {
        title += ConnectionPrefix(p.linkKind);
        title += "Conectado";
        if (p.hasCoverage && p.coverage >= 0) title += " - Cobertura : " + IntToString(p.coverage) + "%";
    }
    return title + " - " + kProgramTitle;
}

std::string TitleFileName(const std::string& path) { return FromOsPath(ToOsPath(path).stem()); }

// ---- enabling ----

namespace {
enum class Rule { NotOpen, Open, OpenNotConnected, Connected, ConnectedFlash };

struct RuleEntry {
    int id;
    Rule rule;
};

const RuleEntry kRules[] = {
    {ID_TOOL_NEW, Rule::NotOpen},
    {ID_TOOL_OPEN, Rule::NotOpen},
    {ID_TOOL_SAVE, Rule::Open},
    {ID_TOOL_SAVEAS, Rule::Open},
    {ID_TOOL_ADD, Rule::Open},
    {ID_TOOL_REMOVE, Rule::Open},
    {ID_TOOL_CLOSE, Rule::Open},
    {ID_TOOL_RESET_SOFT, Rule::Open},
    {ID_TOOL_KEYPAD, Rule::Open},
    {ID_MENU_SAVE, Rule::Open},
    {ID_MENU_SAVEAS, Rule::Open},
    {ID_MENU_EXPORT, Rule::Open},
    {ID_MENU_ADD, Rule::Open},
    {ID_MENU_REMOVE, Rule::Open},
    {ID_MENU_CLOSE, Rule::Open},
    // The link of an open connection cannot change: configuring waits for the disconnect.
    {ID_TOOL_CONFIGURE, Rule::OpenNotConnected},
    {ID_MENU_CONFIGURE, Rule::OpenNotConnected},
    {ID_TOOL_CONNECT, Rule::OpenNotConnected},
    {ID_MENU_CONNECT, Rule::OpenNotConnected},
    {ID_TOOL_DISCONNECT, Rule::Connected},
    {ID_TOOL_RECEIVE, Rule::Connected},
    {ID_TOOL_SEND, Rule::Connected},
    {ID_TOOL_APPLY, Rule::Connected},
    {ID_TOOL_VERIFY, Rule::Connected},
    {ID_TOOL_RESET_HARD, Rule::Connected},
    {ID_MENU_RECEIVE, Rule::Connected},
    {ID_MENU_SEND, Rule::Connected},
    {ID_TOOL_EEP_TO_FLASH, Rule::ConnectedFlash},
    {ID_TOOL_FLASH_TO_EEP, Rule::ConnectedFlash},
};

bool Holds(Rule rule, const WindowState& s) {
    switch (rule) {
        case Rule::NotOpen: return !s.open;
        case Rule::Open: return s.open;
        case Rule::OpenNotConnected: return s.open && !s.connected;
        case Rule::Connected: return s.connected;
        case Rule::ConnectedFlash: return s.connected && s.flash;
    }
    return true;
}
}  // namespace

bool IsCommandEnabled(int id, const WindowState& state) {
    for (const RuleEntry& e : kRules) {
        if (e.id == id) return Holds(e.rule, state);
    }
    return true;
}

const std::vector<int>& RuledCommandIds() {
    static const std::vector<int> ids = [] {
        std::vector<int> out;
        for (const RuleEntry& e : kRules) out.push_back(e.id);
        return out;
    }();
    return ids;
}

// ---- tree pop-up menus ----

std::vector<PopupItem> PopupMenuItems(int category, bool connected) {
    const PopupItem add{ID_MENU_ADD, "Aña&dir componente...", "Aañade un componente en el bus de la instalación actual"};
    const PopupItem remove{ID_MENU_REMOVE, "&Borrar Componente...", "Borra un componente del bus de la instalacón actual"};
    const PopupItem separator{0, "", ""};
    const PopupItem receive{ID_TOOL_RECEIVE, "Recibir", "Recibe datos de la central o componente", connected};
    switch (category) {
        case 1:
            return {receive,
                    {ID_TOOL_SEND, "Enviar", "Envia datos de la central o componente", connected},
                    {ID_TOOL_VERIFY, "Verificar",
                     "Verifica la programación recibiendola de l acentral y comparandola con los valores locales",
                     connected},
                    {ID_TOOL_RESET_SOFT, "Resetea valores (soft)", "Resetea con los valores de fábrica"}};
        case 2:
            return {{ID_MENU_NEW, "&Nueva...", "Crea una nueva instalación"},
                    {ID_MENU_OPEN, "&Abrir...", "Abre una instalación existente"},
                    {ID_MENU_SAVE, "&Guardar", "Guarda la instalación"},
                    {ID_MENU_SAVEAS, "Guardar &como...", "Guarda la instalación con otro nombre"},
                    separator,
                    add,
                    remove};
        case 3:
            return {receive};
        case 4:
            return {{ID_MENU_RENAME, "&Cambiar el nombre del componente...", "Asigna un nuevo nombre o alias al componente"},
                    separator,
                    add,
                    remove};
        default:
            return {};
    }
}

// ---- link dialogue ----

const std::vector<std::string>& LinkKindChoices() {
    static const std::vector<std::string> choices = {"0 - Ninguna", "1 - Local", "2 - Modem", "3 - CSD",
                                                     "4 - TCP/IP",  "5 - GPRS",  "6 - CRA LINK"};
    return choices;
}

int LinkKindOfChoice(const std::string& choice) {
    if (choice.empty() || !std::isdigit(static_cast<unsigned char>(choice[0]))) return -1;
    return choice[0] - '0';
}

std::vector<std::string> SerialPortChoices(const std::vector<SerialPortInfo>& ports) {
    std::vector<std::string> out;
    for (const SerialPortInfo& p : ports) out.push_back(p.Label());
    return out;
}

std::optional<int> ParseIpPort(const std::string& text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    const int port = StringToInt(text);
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// ---- installation menu and component list ----

std::string RecentFileLabel(int index, const std::string& path) {
    return "&" + IntToString(index + 1) + ". " + path;
}

std::vector<std::string> RemoveComponentChoices(const CInstalacio& installation) {
    std::vector<std::string> out;
    for (int i = 0; i < installation.GetComponentCount(); ++i) {
        const CModel* m = installation.GetComponent(i);
        if (!m) continue;
        out.push_back(ShownText(IntToString(i) + " " + m->GetId() + " (busdir = " + m->GetBusDir() + ")"));
    }
    return out;
}

int ComponentIndexOfChoice(const std::string& choice) {
    const std::size_t blank = choice.find(' ');
    const std::string number = choice.substr(0, blank);
    if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return -1;
    return StringToInt(number);
}

// ---- paths ----

std::filesystem::path ResolveCommandLinePath(const std::filesystem::path& argument,
                                             const std::filesystem::path& startFolder) {
    if (argument.empty() || argument.is_absolute()) return argument;
    return (startFolder / argument).lexically_normal();
}

std::optional<std::string> PathAsRecordText(const std::filesystem::path& path, std::string& error) {
    bool lossless = true;
    std::string text = FromOsPath(path, &lossless);
    if (!lossless) {
        error = "El nombre del fichero contiene caracteres que no se pueden guardar:\n" + text;
        return std::nullopt;
    }
    return text;
}
