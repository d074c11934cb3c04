#include "datamodel/grafic.h"

#include <algorithm>

bool CCompGraf::SetTipus(int kind) {
    if (kind < GraficKindWater || kind > GraficKindRelay) return false;
    m_kind = kind;
    return true;
}

bool CCompGraf::SetZona(int zone) {
    if (zone < 0) return false;
    m_zone = zone;
    return true;
}

bool CCompGraf::SetArea(int area) {
    if (area < 1) return false;
    m_area = area;
    return true;
}

bool CCompGraf::SetNumMapa(int plan) {
    if (plan < 0) return false;
    m_plan = plan;
    return true;
}

bool CCompGraf::SetSortida(int output) {
    if (output < 0) return false;
    m_output = output;
    return true;
}

bool CCompGraf::SetRele(int relay) {
    if (relay < 0) return false;
    m_relay = relay;
    return true;
}

bool CCompGraf::SetPosX(int x) {
    if (x < 0) return false;
    m_x = x;
    return true;
}

bool CCompGraf::SetPosY(int y) {
    if (y < 0) return false;
    m_y = y;
    return true;
}

bool CCompGraf::SetPos(int x, int y) {
    if (x >= 0) m_x = x;
    if (x < 0 || y < 0) return false;
    m_y = y;
    return true;
}

bool CGrafic::SetMapa(std::string_view fileName, int plan) {
    if (plan < 0 || plan >= kPlans) return false;
    m_plans[static_cast<std::size_t>(plan)] = fileName;
    return true;
}

const std::string& CGrafic::GetMapa(int plan) const {
    static const std::string empty;
    if (plan < 0 || plan >= kPlans) return empty;
    return m_plans[static_cast<std::size_t>(plan)];
}

int CGrafic::AddCompGraf(std::unique_ptr<CCompGraf> element) {
    if (!element) return -1;
    m_elements.push_back(std::move(element));
    return GetCompGrafCount() - 1;
}

CCompGraf* CGrafic::GetCompGraf(int index) {
    if (index < 0 || index >= GetCompGrafCount()) return nullptr;
    return m_elements[static_cast<std::size_t>(index)].get();
}

const CCompGraf* CGrafic::GetCompGraf(int index) const {
    if (index < 0 || index >= GetCompGrafCount()) return nullptr;
    return m_elements[static_cast<std::size_t>(index)].get();
}

bool CGrafic::RemoveCompGraf(const CCompGraf* element) {
    if (!element) return false;
    auto it = std::find_if(m_elements.begin(), m_elements.end(),
                           [element](const auto& held) { return held.get() == element; });
    if (it == m_elements.end()) return false;
    return RemoveCompGraf(static_cast<int>(it - m_elements.begin()));
}

bool CGrafic::RemoveCompGraf(int index) {
    if (index < 0 || index >= GetCompGrafCount()) return false;
    m_elements.erase(m_elements.begin() + index);
    return true;
}

CCompGraf* CGrafic::FindByZona(int zone) {
    if (zone < 0) return nullptr;
    for (auto& element : m_elements)
        if (element->GetZona() == zone) return element.get();
    return nullptr;
}

CCompGraf* CGrafic::FindBySortida(int output) {
    if (output < 0) return nullptr;
    for (auto& element : m_elements)
        if (element->GetSortida() == output) return element.get();
    return nullptr;
}

CCompGraf* CGrafic::FindByRele(int relay) {
    if (relay < 0) return nullptr;
    for (auto& element : m_elements)
        if (element->GetRele() == relay) return element.get();
    return nullptr;
}

void CGrafic::Reset() {
    m_elements.clear();
    for (std::string& plan : m_plans) plan.clear();
}
