// The program's settings, kept as "config.xml" in the working folder (the program's folder):
// the branding texts (section oem), the four most recently used installation files (section ini)
// and one key/value map per link family (section conexions: local, modem, modem-gsm, tcpip)
// holding the serial parameters and the modem strings.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "datamodel/xml.h"

class CConfig final : public XmlNotify {
public:
    static constexpr const char* kFileName = "config.xml";
    static constexpr int kMaxUltims = 4;

    CConfig() = default;
    CConfig(const CConfig&) = default;
    CConfig& operator=(const CConfig&) = default;

    // Reads the file. False with the error text set when it cannot be read or is not well formed
    // (what was read before the fault stays). Link maps and recent files are cleared first.
    bool Load();
    // Writes the file safely (the old one survives any failure). False with the error text set.
    // The first save after a load that could not read the file (malformed, too large, not
    // readable) keeps the old file as "config.xml.bak".
    bool Save();
    // The whole text that Save writes.
    std::string ToXml() const;
    const std::string& GetError() const { return error_; }

    // The folder of "config.xml"; empty (the default) means the working folder.
    void SetFolder(const std::filesystem::path& folder) { folder_ = folder; }
    std::filesystem::path GetPath() const;

    // The link kind whose map GetParam and SetParam use: 1 local, 2 modem, 3 modem-gsm, 4 tcpip;
    // any other value selects none. Always true.
    bool SetTipusConexio(int kind);
    int GetTipusConexio() const { return tipusConexio_; }
    // The key's value in the map of the current link kind; a missing key is added with an empty
    // value, so the next save writes it. Without a map: the empty text, nothing added.
    const std::string& GetParam(const std::string& key);
    // Sets the key in the map of the current link kind; false without a map.
    bool SetParam(const std::string& key, const std::string& value);
    // The key's value in the branding section, added with an empty value when missing.
    const std::string& GetOem(const std::string& key);
    // Recent file index (0 the newest), or the empty text.
    const std::string& GetUltim(int index) const;
    // Makes path the most recently used file: the entry naming the same file moves to the front
    // and takes this spelling; otherwise path is added and the oldest of four dropped. Entries
    // name the same file when their absolute, normalised paths are equal; a relative entry is
    // taken from the settings' folder (the program's folder, where the program runs). Reading
    // the file keeps one entry per file too.
    void AddUltim(const std::string& path);
    // The folder relative recent entries are taken from, absolute.
    std::filesystem::path GetRecentBase() const;
    // Empties the link maps and the recent files and selects no link kind; the branding stays.
    void Clear();

    void foundNode(std::string& name, const std::string& attributes) override;
    void foundElement(std::string& name, const std::string& content,
                      const std::string& attributes) override;
    void endNode(std::string& name, const std::string& attributes) override;

private:
    using Map = std::map<std::string, std::string>;
    // The link map of a kind (1 to 4), or null.
    Map* LinkMap(int kind);
    const Map* LinkMap(int kind) const;
    // The index of the recent entry naming the same file as path; -1 when none.
    int FindUltim(const std::string& path) const;

    int currentMap_ = 0;  // link map that leaves go to while reading (kind 1 to 4), 0 none
    std::string error_;
    std::string currentSection_;
    std::string empty_;
    bool insideConexions_ = false;
    int tipusConexio_ = 0;
    Map oem_;
    Map local_;
    Map modem_;
    Map modemGsm_;
    Map tcpip_;
    std::vector<std::string> ultims_;
    std::filesystem::path folder_;
    bool backupPending_ = false;  // the file on disk could not be read
};
