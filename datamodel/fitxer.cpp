#include "datamodel/fitxer.h"

#include <algorithm>

#include "datamodel/files.h"

CFitxer::CFitxer()
    : index_(0), sector_(0), long_(0), size_(-1), send_(false), rom_(false),
      status_(FitxerStatus::NotLoaded) {}

bool CFitxer::SetId(std::string_view id) {
    id_ = id;
    return true;
}

bool CFitxer::SetNom(std::string_view nom) {
    nom_ = nom;
    return true;
}

bool CFitxer::SetPath(std::string_view path) {
    if (path == path_) return true;
    FreeData();
    path_ = path;
    return true;
}

bool CFitxer::SetIndex(int index) {
    if (index < 0) return false;
    index_ = index;
    return true;
}

bool CFitxer::SetSector(int sector) {
    if (sector < 0) return false;
    sector_ = sector;
    return true;
}

bool CFitxer::SetLong(int sectors) {
    if (sectors < 0 || sectors > kMaxSectors) return false;
    if (sectors != long_) FreeData();
    long_ = sectors;
    return true;
}

bool CFitxer::SetSend(bool send) {
    send_ = send;
    return true;
}

bool CFitxer::SetRom(bool rom) {
    if (rom != rom_) FreeData();
    rom_ = rom;
    return true;
}

void CFitxer::FreeData() {
    data_.clear();
    data_.shrink_to_fit();
    size_ = -1;
    status_ = FitxerStatus::NotLoaded;
}

bool CFitxer::Load() {
    if (size_ >= 0) return true;
    if (path_.empty()) {
        status_ = FitxerStatus::NoPath;
        return false;
    }
    const std::size_t capacity = static_cast<std::size_t>(long_) * kSectorSize;
    // One byte past the capacity tells a file that is cut from one that just fills its sectors.
    std::string bytes;
    if (!ReadFileStart(ToOsPath(path_), capacity + 1, bytes)) {
        status_ = FitxerStatus::Unreadable;
        return false;
    }
    if (bytes.empty()) {
        status_ = FitxerStatus::Empty;
        return false;
    }
    if (capacity == 0) {
        status_ = FitxerStatus::NoSpace;
        return false;
    }
    const std::size_t size = std::min(bytes.size(), capacity);
    if (rom_ && size <= static_cast<std::size_t>(kRomHeaderSize)) {
        status_ = FitxerStatus::RomTooShort;
        return false;
    }
    data_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    if (size < capacity) data_.push_back(0xFF);  // end mark
    size_ = static_cast<int>(data_.size());
    status_ = bytes.size() > capacity ? FitxerStatus::Cut : FitxerStatus::Loaded;
    return true;
}

std::span<const unsigned char> CFitxer::Payload() const {
    if (size_ < 0) return {};
    std::span<const unsigned char> all(data_);
    return rom_ ? all.subspan(kRomHeaderSize) : all;
}

std::span<const unsigned char> CFitxer::LoadData() {
    if (!Load()) return {};
    return Payload();
}

std::span<const unsigned char> CFitxer::GetData() {
    if (!rom_ || !Load()) return {};
    return std::span<const unsigned char>(data_);
}

int CFitxer::GetSize() {
    if (!Load()) return -1;
    return static_cast<int>(Payload().size());
}
