#include "datamodel/grupflash.h"

#include <algorithm>
#include <utility>

#include "datamodel/strings.h"

namespace {
const std::string kEmpty;
}

CGrupFlash::CGrupFlash() {
    Reset();
}

void CGrupFlash::Reset() {
    descr_.clear();
    id_.clear();
    dest_.clear();
    addrBase_.clear();
    parent_ = nullptr;
    columns_.clear();
    files_.clear();
    bytesElement_ = -1;
    elements_ = -1;
    kind_ = FlashGroupNone;
    hasTable_ = false;
    table_.clear();
}

bool CGrupFlash::SetDescr(std::string_view descr) {
    descr_ = descr;
    return true;
}

bool CGrupFlash::SetId(std::string_view id) {
    id_ = id;
    return true;
}

bool CGrupFlash::SetDest(std::string_view dest) {
    dest_ = dest;
    return true;
}

bool CGrupFlash::SetParent(CGrup* parent) {
    parent_ = parent;
    return true;
}

bool CGrupFlash::SetAddrBase(std::string_view addrBase) {
    if (!IsHexString(addrBase)) return false;
    addrBase_ = addrBase;
    return true;
}

bool CGrupFlash::SetBytesElement(int bytes) {
    if (bytes < 0) return false;
    if (!hasTable_ && elements_ >= 0 &&
        static_cast<long long>(bytes) * elements_ > kMaxTableBytes) {
        return false;
    }
    bytesElement_ = bytes;
    MakeTable();
    return true;
}

bool CGrupFlash::SetElements(int count) {
    if (count < 0) return false;
    if (!hasTable_ && bytesElement_ >= 0 &&
        static_cast<long long>(count) * bytesElement_ > kMaxTableBytes) {
        return false;
    }
    elements_ = count;
    MakeTable();
    return true;
}

void CGrupFlash::MakeTable() {
    if (hasTable_ || elements_ < 0 || bytesElement_ < 0) return;
    table_.assign(static_cast<std::size_t>(elements_) * static_cast<std::size_t>(bytesElement_), 0);
    hasTable_ = true;
}

int CGrupFlash::AddColumna() {
    columns_.push_back(std::make_unique<CCodi>());
    kind_ = FlashGroupTable;
    return GetColumnaCount() - 1;
}

bool CGrupFlash::SetColumnaField(int c, int type) {
    CCodi* column = GetColumnaAt(c);
    return column && column->SetType(type);
}

bool CGrupFlash::SetColumnaText(int c, std::string_view text) {
    CCodi* column = GetColumnaAt(c);
    return column && column->SetDescr(text);
}

const std::string& CGrupFlash::GetColumna(int c) const {
    if (columns_.empty()) return kEmpty;
    if (c < 0 || c >= GetColumnaCount()) c = 0;
    return columns_[static_cast<std::size_t>(c)]->GetDescr();
}

CCodi* CGrupFlash::GetColumnaAt(int c) {
    if (c < 0 || c >= GetColumnaCount()) return nullptr;
    return columns_[static_cast<std::size_t>(c)].get();
}

const unsigned char* CGrupFlash::GetElementPtr(int i) const {
    if (i < 0 || bytesElement_ <= 0) return nullptr;
    const std::size_t size = static_cast<std::size_t>(bytesElement_);
    if ((static_cast<std::size_t>(i) + 1) * size > table_.size()) return nullptr;
    return table_.data() + static_cast<std::size_t>(i) * size;
}

unsigned char* CGrupFlash::GetElementPtr(int i) {
    return const_cast<unsigned char*>(std::as_const(*this).GetElementPtr(i));
}

bool CGrupFlash::StoreElement(int i, std::span<const unsigned char> bytes) {
    unsigned char* element = GetElementPtr(i);
    const std::size_t size = static_cast<std::size_t>(bytesElement_);
    if (!element || bytes.size() < size) return false;
    std::copy_n(bytes.begin(), size, element);
    return true;
}

bool CGrupFlash::CompareElement(int i, std::span<const unsigned char> bytes) const {
    const unsigned char* element = GetElementPtr(i);
    const std::size_t size = static_cast<std::size_t>(bytesElement_);
    if (!element || bytes.size() < size) return false;
    return std::equal(element, element + size, bytes.begin());
}

bool CGrupFlash::CellSpan(int i, int c, std::size_t& start, std::size_t& count) const {
    if (c < 0 || c >= GetColumnaCount()) return false;
    const unsigned char* element = GetElementPtr(i);
    if (!element) return false;
    std::size_t offset = 0;
    for (int k = 0; k < c; ++k) {
        offset += static_cast<std::size_t>(columns_[static_cast<std::size_t>(k)]->GetByteCount());
    }
    count = static_cast<std::size_t>(columns_[static_cast<std::size_t>(c)]->GetByteCount());
    if (offset + count > static_cast<std::size_t>(bytesElement_)) return false;
    start = static_cast<std::size_t>(element - table_.data()) + offset;
    return true;
}

bool CGrupFlash::SetCell(int i, int c, std::string_view text) {
    std::size_t start = 0;
    std::size_t count = 0;
    if (!CellSpan(i, c, start, count)) return false;
    CCodi& column = *columns_[static_cast<std::size_t>(c)];
    column.SetValue(text);
    const CCodi::RawBytes& raw = column.ToBytes();
    std::copy_n(raw.begin(), count, table_.begin() + static_cast<std::ptrdiff_t>(start));
    return true;
}

bool CGrupFlash::FillAll(int c, std::string_view text) {
    // The text may be the column's own value, which every SetCell stores again.
    const std::string value(text);
    for (int i = 0; i < elements_; ++i) {
        if (!SetCell(i, c, value)) return false;
    }
    return true;
}

std::string CGrupFlash::GetCellText(int i, int c) {
    std::size_t start = 0;
    std::size_t count = 0;
    if (!CellSpan(i, c, start, count)) return std::string();
    CCodi& column = *columns_[static_cast<std::size_t>(c)];
    if (!column.FromBytes(std::span<const unsigned char>(table_).subspan(start, count))) {
        return std::string();
    }
    return column.GetValue();
}

int CGrupFlash::AddFitxer(std::unique_ptr<CFitxer> fitxer) {
    if (!fitxer) return -1;
    files_.push_back(std::move(fitxer));
    kind_ = FlashGroupFiles;
    return GetFitxerCount() - 1;
}

CFitxer* CGrupFlash::GetFitxer(int i) {
    if (i < 0 || i >= GetFitxerCount()) return nullptr;
    return files_[static_cast<std::size_t>(i)].get();
}

CFitxer* CGrupFlash::FindFitxer(std::string_view id) {
    for (const auto& fitxer : files_) {
        if (fitxer->GetId() == id) return fitxer.get();
    }
    return nullptr;
}

long long CGrupFlash::GetSendSize() {
    long long total = 0;
    for (const auto& fitxer : files_) {
        if (fitxer->GetSend()) total += std::max(fitxer->GetSize(), 0);
    }
    return total;
}

bool CGrupFlash::ApplyDefaults() {
    if (kind_ == FlashGroupTable) {
        for (int c = 0; c < GetColumnaCount(); ++c) {
            CCodi& column = *columns_[static_cast<std::size_t>(c)];
            column.RevertValue();
            if (!FillAll(c, column.GetValue())) return false;
        }
    } else if (kind_ == FlashGroupFiles) {
        for (const auto& fitxer : files_) {
            fitxer->FreeData();
            fitxer->SetPath("");
            fitxer->SetSend(false);
        }
    }
    return true;
}
