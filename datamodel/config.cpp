#include "datamodel/config.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

#include "datamodel/files.h"
#include "datamodel/text.h"

namespace {

// Section names of the link maps, in file order; index + 1 is the link kind.
const char* const kLinkSections[] = {"local", "modem", "modem-gsm", "tcpip"};

int LinkKindOfSection(const std::string& name) {
    for (int i = 0; i < 4; ++i) {
        if (name == kLinkSections[i]) return i + 1;
    }
    return 0;
}

bool IsTagName(const std::string& key) {
    if (key.empty()) return false;
    // The file's own elements: an entry of that name would nest a section inside a section.
    for (const char* element : {"config", "oem", "ini", "ultim", "conexions"}) {
        if (key == element) return false;
    }
    if (LinkKindOfSection(key) != 0) return false;
    // A name starts with a letter or '_' ("!--" would open a comment, "?" an instruction) and
    // goes on with letters, digits, '-', '_' and '.'; bytes above 0x7F are letters of cp1252.
    auto letter = [](unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; };
    if (!letter(static_cast<unsigned char>(key[0]))) return false;
    for (unsigned char c : key) {
        if (!letter(c) && !std::isdigit(c) && c != '-' && c != '.') return false;
    }
    return true;
}

void AppendEntries(std::string& out, const std::map<std::string, std::string>& map, const char* indent) {
    for (const auto& [key, value] : map) {
        // Only a key that can stand as a tag name is written back: one read from a self-closing or
        // an empty tag, holding blanks, control bytes or markup characters, or named like one of
        // the file's sections, would read back as another key or make the whole file unreadable.
        if (!IsTagName(key)) continue;
        const std::string tag = XmlEscape(key);
        out += indent;
        out += "<" + tag + ">" + XmlEscape(value) + "</" + tag + ">\n";
    }
}

}  // namespace

std::filesystem::path CConfig::GetPath() const {
    return folder_.empty() ? std::filesystem::path(kFileName) : folder_ / kFileName;
}

CConfig::Map* CConfig::LinkMap(int kind) {
    switch (kind) {
        case 1: return &local_;
        case 2: return &modem_;
        case 3: return &modemGsm_;
        case 4: return &tcpip_;
        default: return nullptr;
    }
}

const CConfig::Map* CConfig::LinkMap(int kind) const {
    return const_cast<CConfig*>(this)->LinkMap(kind);
}

bool CConfig::Load() {
    std::string text;
    std::string reason;
    if (!ReadJoinedLines(GetPath(), text, &reason, kMaxSettingsFileBytes)) {
        error_ = ReadErrorText(kFileName, reason);
        // A file that is there but could not be read (too large, no permission) is kept too.
        backupPending_ = true;
        return false;
    }
    Clear();
    XmlParser parser(this);
    if (!parser.Parse(text, 0, static_cast<long>(text.size()) - 1)) {
        error_ = "Formato XML incorrecto";
        backupPending_ = true;
        return false;
    }
    backupPending_ = false;
    return true;
}

std::string CConfig::ToXml() const {
    std::string out = "<config>\n\t<oem>\n";
    AppendEntries(out, oem_, "\t\t");
    out += "\t</oem>\n\t<ini>\n";
    for (const std::string& path : ultims_) out += "\t\t<ultim>" + XmlEscape(path) + "</ultim>\n";
    out += "\t</ini>\n\t<conexions>\n";
    for (int kind = 1; kind <= 4; ++kind) {
        const Map* map = LinkMap(kind);
        if (map->empty()) continue;
        const std::string section = kLinkSections[kind - 1];
        out += "\t\t<" + section + ">\n";
        AppendEntries(out, *map, "\t\t\t");
        out += "\t\t</" + section + ">\n";
    }
    out += "\t</conexions>\n</config>\n";
    return out;
}

bool CConfig::Save() {
    const std::filesystem::path path = GetPath();
    const std::string backupName = std::string(kFileName) + ".bak";
    std::filesystem::path backup = path;
    backup.replace_filename(backupName);
    bool movedAside = false;
    if (backupPending_) {
        // The file on disk could not be read: keep it before it is replaced, so settings written
        // in it by hand are not lost for one typo. It is moved aside rather than copied, so a
        // file of any size is kept without being read; the new settings are then written in its
        // place. Keeping it is part of writing the settings: a failure is a write failure.
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            if (rename(path.c_str(), backup.c_str()) != 0) {
                error_ = WriteErrorText(backupName, SystemReason(errno), false);
                return false;
            }
            movedAside = true;
        }
        backupPending_ = false;
    }
    bool openFailed = false;
    std::string reason;
    if (!WriteFileSafely(path, ToXml(), &reason, &openFailed)) {
        error_ = WriteErrorText(kFileName, reason, openFailed);
        // Nothing was written: the unread file goes back to its place, to be kept at the next save.
        if (movedAside && rename(backup.c_str(), path.c_str()) == 0) backupPending_ = true;
        return false;
    }
    return true;
}

bool CConfig::SetTipusConexio(int kind) {
    tipusConexio_ = kind;
    return true;
}

const std::string& CConfig::GetParam(const std::string& key) {
    Map* map = LinkMap(tipusConexio_);
    if (!map) return empty_;
    return (*map)[key];
}

bool CConfig::SetParam(const std::string& key, const std::string& value) {
    Map* map = LinkMap(tipusConexio_);
    if (!map) return false;
    (*map)[key] = value;
    return true;
}

const std::string& CConfig::GetOem(const std::string& key) { return oem_[key]; }

const std::string& CConfig::GetUltim(int index) const {
    if (index < 0 || index >= static_cast<int>(ultims_.size())) return empty_;
    return ultims_[static_cast<std::size_t>(index)];
}

namespace {
// The file a recent entry names, absolute and normalised (symbolic links followed where the path
// exists), so that two spellings of one file compare equal. A relative entry is taken from base.
std::filesystem::path FileOfEntry(const std::string& entry, const std::filesystem::path& base) {
    std::filesystem::path path = ToOsPath(entry);
    if (path.is_relative()) path = base / path;
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : resolved;
}
}  // namespace

std::filesystem::path CConfig::GetRecentBase() const {
    std::error_code ec;
    return std::filesystem::absolute(folder_.empty() ? std::filesystem::path(".") : folder_, ec);
}

int CConfig::FindUltim(const std::string& path) const {
    const std::filesystem::path base = GetRecentBase();
    const std::filesystem::path file = FileOfEntry(path, base);
    for (std::size_t k = 0; k < ultims_.size(); ++k) {
        if (ultims_[k] == path || FileOfEntry(ultims_[k], base) == file) return static_cast<int>(k);
    }
    return -1;
}

void CConfig::AddUltim(const std::string& name) {
    // A copy: the caller may pass one of the entries themselves (reopening a recent file), which
    // the move below overwrites.
    const std::string path = name;
    // One entry per file: the entry of the same file moves to the front, under the name used now.
    if (const int k = FindUltim(path); k >= 0) {
        for (auto i = static_cast<std::size_t>(k); i > 0; --i) ultims_[i] = ultims_[i - 1];
        ultims_[0] = path;
        return;
    }
    if (ultims_.size() >= static_cast<std::size_t>(kMaxUltims)) ultims_.pop_back();
    ultims_.insert(ultims_.begin(), path);
}

void CConfig::Clear() {
    local_.clear();
    modem_.clear();
    modemGsm_.clear();
    tcpip_.clear();
    ultims_.clear();
    insideConexions_ = false;
    tipusConexio_ = 0;
    currentMap_ = 0;
}

void CConfig::foundNode(std::string& name, const std::string& /*attributes*/) {
    const int kind = LinkKindOfSection(name);
    if (name == "conexions") {
        insideConexions_ = true;
    } else if (kind != 0) {
        currentMap_ = kind;
    } else {
        insideConexions_ = false;
    }
    currentSection_ = name;
}

void CConfig::foundElement(std::string& name, const std::string& content,
                           const std::string& /*attributes*/) {
    if (insideConexions_) {
        if (Map* map = LinkMap(currentMap_)) (*map)[XmlDecode(name)] = XmlDecode(content);
    } else if (currentSection_ == "oem") {
        oem_[XmlDecode(name)] = XmlDecode(content);
    } else if (currentSection_ == "ini") {
        // A file listed twice (under two spellings) keeps its first, newest entry.
        if (name == "ultim" && ultims_.size() < static_cast<std::size_t>(kMaxUltims)) {
            std::string path = XmlDecode(content);
            if (FindUltim(path) < 0) ultims_.push_back(std::move(path));
        }
    }
}

void CConfig::endNode(std::string& /*name*/, const std::string& /*attributes*/) {}
