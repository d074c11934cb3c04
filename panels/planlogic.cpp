#include "panels/planlogic.h"

#include <algorithm>
#include <cmath>

#include "datamodel/estat.h"
#include "datamodel/grafic.h"
#include "datamodel/strings.h"

namespace plan {

void FillNames(NameTable& table, const CGrup* group, const std::string& word) {
    table = MakeNames(group, word);
    for (std::string& name : table) name.erase(name.find_last_not_of(' ') + 1);
}

const std::string* NameAt(const NameTable& table, int entry) {
    if (entry < 0 || entry >= kNames) return nullptr;
    return &table[static_cast<std::size_t>(entry)];
}

std::string ChoiceText(const NameTable& table, int entry, int number) {
    if (const std::string* name = NameAt(table, entry)) return *name;
    return IntToString(number + 1);
}

double FitScale(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight, double previous) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return previous;
    return std::min(static_cast<double>(windowWidth) / pictureWidth,
                    static_cast<double>(windowHeight) / pictureHeight);
}

int ToPicture(int windowCoord, double scale) {
    if (!(scale > 0.0)) return windowCoord;
    const double v = std::trunc(windowCoord / scale);
    // Far outside any picture: keep the conversion defined.
    return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
}

Point CornerFor(Point p) {
    const int half = kElementSize / 2;
    return {std::max(p.x - half, 0), std::max(p.y - half, 0)};
}

int HitTest(const std::vector<CCompGraf*>& elements, Point p) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const CCompGraf* e = elements[i];
        if (!e) continue;
        if (e->GetPosX() <= p.x && p.x <= e->GetPosX() + kElementSize && e->GetPosY() <= p.y &&
            p.y <= e->GetPosY() + kElementSize)
            return static_cast<int>(i);
    }
    return -1;
}

Look LookOf(const CCompGraf& element, bool editMode) {
    Look look;
    if (editMode) return look;
    if (element.IsAveria()) {
        look.cross = true;
    } else if (element.IsDetect() || element.IsAlarm()) {
        look.secondIcon = element.IsAlarm();
        look.redCircles = element.IsAlarm() ? 2 : 1;
    } else if (element.IsActive()) {
        look.secondIcon = true;
        look.greenCircle = true;
    }
    return look;
}

TimerAction AfterPaint(bool hasPicture, bool editMode, bool troubleDrawn, bool running) {
    if (!hasPicture) return TimerAction::None;
    const bool wanted = !editMode && troubleDrawn;
    if (wanted == running) return TimerAction::None;
    return wanted ? TimerAction::Start : TimerAction::Stop;
}

namespace {
struct KindInfo {
    const char* normal;
    const char* second;
    const char* word;
};
constexpr KindInfo kKinds[] = {
    {"icons/grafic/sensoraigua.png", "icons/grafic/alarmaaigua.png", "Agua"},
    {"icons/grafic/sensorgas.png", "icons/grafic/alarmagas.png", "Gas"},
    {"icons/grafic/sensorfoc.png", "icons/grafic/alarmafoc.png", "Fuego"},
    {"icons/grafic/sensorcontacte.png", "icons/grafic/alarmacontacte.png", "Contacto"},
    {"icons/grafic/sensorinfraroig.png", "icons/grafic/alarmainfraroig.png", "Infrarojo"},
    {"icons/grafic/sensorbarrera.png", "icons/grafic/alarmabarrera.png", "Barrera"},
    {"icons/grafic/sortidasirena.png", "icons/grafic/alarmasirena.png", "Sirena"},
    {"icons/grafic/sortidanormal.png", "icons/grafic/activatnormal.png", "Salida"},
    {"icons/grafic/sortidarele.png", "icons/grafic/activatrele.png", "Relé"},
};

const KindInfo* InfoOf(int kind) {
    if (kind < GraficKindWater || kind > GraficKindRelay) return nullptr;
    return &kKinds[kind - GraficKindWater];
}
}  // namespace

const char* IconFile(int kind, bool second) {
    const KindInfo* info = InfoOf(kind);
    if (!info) return nullptr;
    return second ? info->second : info->normal;
}

const char* KindWord(int kind) {
    const KindInfo* info = InfoOf(kind);
    return info ? info->word : "-";
}

bool IsZoneKind(int kind) { return kind >= GraficKindWater && kind <= GraficKindBarrier; }

bool IsOutputKind(int kind) { return kind == GraficKindSiren || kind == GraficKindOutput; }

namespace {
// "name: n+1" when the table holds the entry, the number alone otherwise.
std::string Heading(const NameTable& table, int entry, int number) {
    const std::string* name = number >= 0 ? NameAt(table, entry) : nullptr;
    if (!name) return IntToString(number + 1);
    return *name + ": " + IntToString(number + 1);
}
}  // namespace

Label Describe(const CCompGraf& element, const NameTable& zones, const NameTable& outputs, int outputCount) {
    Label label;
    const int kind = element.GetTipus();
    std::string state;
    if (IsZoneKind(kind)) {
        const int zone = element.GetZona();
        if (element.IsOmit()) {
            state = "Omitida";
            label.background = LabelColour::LightGrey;
        } else if (element.IsAveria()) {
            state = "Avería";
            label.background = LabelColour::Red;
        } else if (element.IsAlarm()) {
            state = "Alarma";
            label.background = LabelColour::Red;
        } else if (element.IsDetect()) {
            state = "Detectando";
            label.background = LabelColour::Red;
        } else {
            state = "ok";
        }
        label.text = Heading(zones, zone, zone);
    } else if (IsOutputKind(kind)) {
        const int output = element.GetSortida();
        state = element.IsActive() ? "Activada" : "Desactivada";
        label.text = Heading(outputs, output, output);
    } else if (kind == GraficKindRelay) {
        const int relay = element.GetRele();
        state = element.IsActive() ? "Activo" : "Inactivo";
        // Relays follow the outputs in the output-name table.
        label.text = Heading(outputs, relay >= 0 ? std::max(outputCount, 0) + relay : -1, relay);
    }
    if (!state.empty()) {
        if (element.IsActive() && !IsZoneKind(kind)) label.background = LabelColour::Red;
        label.text += " \n Estado: " + state + " \n";
    }
    label.text += std::string(" Tipo: ") + KindWord(kind) + " ";
    return label;
}

MenuEntry MenuFor(const CCompGraf& element) {
    const int kind = element.GetTipus();
    if (IsZoneKind(kind)) return {Command::Bypass, element.IsOmit() ? "Restaurar" : "Omitir"};
    if (IsOutputKind(kind) || kind == GraficKindRelay)
        return element.IsActive() ? MenuEntry{Command::Off, "Desactivar"} : MenuEntry{Command::On, "Activar"};
    return {};
}

std::optional<std::array<unsigned char, 2>> BypassMask(int zone, int zoneCount) {
    const int reach = std::min(zoneCount, CEstat::kMaxZones);
    if (zone < 0 || zone >= reach) return std::nullopt;
    std::array<unsigned char, 2> mask{0, 0};
    mask[static_cast<std::size_t>(zone / 8)] = static_cast<unsigned char>(1u << (zone % 8));
    return mask;
}

}  // namespace plan
