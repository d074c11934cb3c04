// Site plans of a component's status: up to four pictures of the premises and the elements
// (sensors, sirens, outputs, relays) placed on them, with the states the status record computes.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Kinds of site-plan element.
enum GraficKind : int {
    GraficKindNone = 0,  // a new element
    GraficKindWater = 1,
    GraficKindGas = 2,
    GraficKindFire = 3,
    GraficKindContact = 4,
    GraficKindInfrared = 5,
    GraficKindBarrier = 6,
    GraficKindSiren = 7,
    GraficKindOutput = 8,
    GraficKindRelay = 9,
};

// An element's icon as the window loaded it. The data model only shares it between elements and
// never looks inside; the window defines the type.
struct GraficIcon;
using GraficIconRef = std::shared_ptr<const GraficIcon>;

// One element on a site plan. Setters return true when they store, false when they refuse (the
// field is left as it was).
class CCompGraf {
public:
    bool SetTipus(int kind);     // 1 to 9
    bool SetZona(int zone);      // 0-based, >= 0
    bool SetArea(int area);      // >= 1
    bool SetNumMapa(int plan);   // >= 0
    bool SetSortida(int output); // >= 0
    bool SetRele(int relay);     // >= 0
    bool SetPosX(int x);         // >= 0
    bool SetPosY(int y);         // >= 0
    // Stores x when it is valid and y only when both are; false when either is negative.
    bool SetPos(int x, int y);

    int GetTipus() const { return m_kind; }
    int GetZona() const { return m_zone; }
    int GetArea() const { return m_area; }
    int GetNumMapa() const { return m_plan; }
    int GetSortida() const { return m_output; }
    int GetRele() const { return m_relay; }
    int GetPosX() const { return m_x; }
    int GetPosY() const { return m_y; }

    // The normal icon and the icon of the alarm or active state, shared with the caller.
    void SetBitmap(GraficIconRef icon) { m_icon = std::move(icon); }
    void SetBitmap2(GraficIconRef icon) { m_icon2 = std::move(icon); }
    const GraficIconRef& GetBitmap() const { return m_icon; }
    const GraficIconRef& GetBitmap2() const { return m_icon2; }

    void SetAlarm(bool on) { m_alarm = on; }
    void SetDetect(bool on) { m_detect = on; }
    void SetOmit(bool on) { m_omit = on; }
    void SetAveria(bool on) { m_averia = on; }
    void SetActive(bool on) { m_active = on; }
    bool IsAlarm() const { return m_alarm; }
    bool IsDetect() const { return m_detect; }
    bool IsOmit() const { return m_omit; }
    bool IsAveria() const { return m_averia; }
    bool IsActive() const { return m_active; }

private:
    int m_kind = GraficKindNone;
    int m_zone = -1;
    int m_area = -1;
    int m_plan = -1;
    int m_output = -1;
    int m_relay = -1;
    int m_x = -1;
    int m_y = -1;
    GraficIconRef m_icon;
    GraficIconRef m_icon2;
    bool m_alarm = false;
    bool m_detect = false;
    bool m_omit = false;
    bool m_averia = false;
    bool m_active = false;
};

// The four plan pictures (file names as record text) and the elements, which it owns.
class CGrafic {
public:
    static constexpr int kPlans = 4;

    CGrafic() = default;

    bool SetMapa(std::string_view fileName, int plan);  // plan 0 to 3
    const std::string& GetMapa(int plan) const;         // "" for any other plan

    // Appends an element, which the record owns from then on; returns its index (-1 for null).
    int AddCompGraf(std::unique_ptr<CCompGraf> element);
    int GetCompGrafCount() const { return static_cast<int>(m_elements.size()); }
    CCompGraf* GetCompGraf(int index);
    const CCompGraf* GetCompGraf(int index) const;
    // Finds the element by identity, removes and deletes it; false when it is not in the list.
    bool RemoveCompGraf(const CCompGraf* element);
    bool RemoveCompGraf(int index);

    // The first element bound to a zone, output or relay; null when none (or for -1).
    CCompGraf* FindByZona(int zone);
    CCompGraf* FindBySortida(int output);
    CCompGraf* FindByRele(int relay);

    // Deletes every element and empties the four plan names.
    void Reset();

private:
    std::vector<std::unique_ptr<CCompGraf>> m_elements;
    std::array<std::string, kPlans> m_plans;
};
