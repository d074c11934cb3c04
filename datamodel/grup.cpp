#include "datamodel/grup.h"

#include "datamodel/codi.h"

CGrup::CGrup() {
    Reset();
}

void CGrup::Reset() {
    name_.clear();
    id_.clear();
    dest_.clear();
    parent_ = nullptr;
    codis_.clear();
    subgrups_.clear();
    for (std::string& bitName : bitNames_) bitName.clear();
    bits_ = false;
    seguits_ = false;
    noRecv_ = false;
    noSend_ = false;
    girat_ = false;
    distancia_ = 0;
}

bool CGrup::SetName(std::string_view name) {
    name_ = name;
    return true;
}

bool CGrup::SetId(std::string_view id) {
    id_ = id;
    return true;
}

bool CGrup::SetParent(CGrup* parent) {
    parent_ = parent;
    return true;
}

bool CGrup::SetDest(std::string_view dest) {
    dest_ = dest;
    return true;
}

int CGrup::AddCodi(CCodi* codi) {
    if (!codi) return -1;
    codis_.push_back(codi);
    return static_cast<int>(codis_.size()) - 1;
}

CCodi* CGrup::GetCodi(int i) const {
    if (i < 0 || i >= GetCodiCount()) return nullptr;
    return codis_[static_cast<std::size_t>(i)];
}

int CGrup::AddSubgrup(CGrup* grup) {
    if (!grup || grup == this) return -1;
    grup->SetParent(this);
    subgrups_.push_back(grup);
    return static_cast<int>(subgrups_.size()) - 1;
}

CGrup* CGrup::GetSubgrup(int i) const {
    if (i < 0 || i >= GetSubgrupCount()) return nullptr;
    return subgrups_[static_cast<std::size_t>(i)];
}

bool CGrup::SetBitName(int i, std::string_view name) {
    if (i < 0 || i > 7) return false;
    bitNames_[static_cast<std::size_t>(i)] = name;
    return true;
}

const std::string& CGrup::GetBitName(int i) const {
    return bitNames_[(i < 0 || i > 7) ? 0 : static_cast<std::size_t>(i)];
}

bool CGrup::SetDistancia(int distancia) {
    distancia_ = distancia < 1 ? 0 : distancia;
    return true;
}

bool CGrup::IsModified() const {
    for (const CCodi* codi : codis_) {
        if (codi && codi->IsModified()) return true;
    }
    for (const CGrup* grup : subgrups_) {
        if (grup && grup->IsModified()) return true;
    }
    return false;
}

void CGrup::ClearModified() {
    for (CCodi* codi : codis_) {
        if (codi) codi->ClearModified();
    }
    for (CGrup* grup : subgrups_) {
        if (grup) grup->ClearModified();
    }
}

bool CGrup::RevertToDefaults() {
    for (CCodi* codi : codis_) {
        if (codi) codi->RevertValue();
    }
    for (CGrup* grup : subgrups_) {
        if (grup) grup->RevertToDefaults();
    }
    return true;
}
