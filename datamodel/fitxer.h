// A file that the installer picks on the PC and that is written into the panel's flash at fixed
// sectors. The file is loaded for upload by whole 4096-byte sectors: a file longer than its
// reserved sectors is cut there, a shorter one gets one 0xFF byte after its data so the panel sees
// where it ends. A web-server image (ROM flag) keeps its 48-byte header out of the upload.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// Outcome of the last attempt to load a file's data.
enum class FitxerStatus {
    NotLoaded,    // nothing tried since the data was last dropped
    Loaded,       // the whole file, with the 0xFF end mark when there was room for it
    Cut,          // loaded, but the file is longer than its reserved sectors and was cut there
    NoPath,       // no file chosen
    Unreadable,   // the file cannot be opened or read
    Empty,        // the file holds no bytes
    NoSpace,      // no sector is reserved for the file
    RomTooShort,  // a web-server image with nothing after its header
};

class CFitxer {
public:
    static constexpr int kSectorSize = 4096;
    static constexpr int kRomHeaderSize = 48;
    // Most sectors a file may reserve, so that its byte capacity stays an int.
    static constexpr int kMaxSectors = 0x7FFFFFFF / kSectorSize - 1;

    CFitxer();

    bool SetId(std::string_view id);
    const std::string& GetId() const { return id_; }
    CFitxer* Self() { return this; }
    bool SetNom(std::string_view nom);
    const std::string& GetNom() const { return nom_; }

    // Another path drops the loaded data, so the next size or data request reads the new file;
    // the same path again keeps it.
    bool SetPath(std::string_view path);
    const std::string& GetPath() const { return path_; }

    bool SetIndex(int index);  // the file's number in its group: the flash area the panel erases
    int GetIndex() const { return index_; }
    bool SetSector(int sector);  // first sector: the file goes from base + sector × 4096
    int GetSector() const { return sector_; }
    bool SetLong(int sectors);  // sectors reserved; a change drops the loaded data
    int GetLong() const { return long_; }

    bool SetSend(bool send);  // to be written at the next upload
    bool GetSend() const { return send_; }
    bool SetRom(bool rom);  // a web-server flash image; a change drops the loaded data
    bool IsRom() const { return rom_; }

    // Loads the file when it is not loaded yet and returns the bytes to upload: the data, or for
    // a web-server image the data after its header. Empty when nothing can be loaded
    // (GetStatus says why). Its size is always GetSize().
    std::span<const unsigned char> LoadData();
    // For a web-server image the whole data from byte 0 (its header first), loading it when
    // needed; empty for any other file and when nothing can be loaded.
    std::span<const unsigned char> GetData();
    // The number of bytes to upload (loading the file when needed); -1 when it cannot be loaded.
    int GetSize();
    // Drops the loaded data; the next request reads the file again.
    void FreeData();
    FitxerStatus GetStatus() const { return status_; }

private:
    bool Load();
    std::span<const unsigned char> Payload() const;

    std::string id_;
    std::string nom_;
    std::string path_;
    int index_;
    int sector_;
    int long_;
    int size_;  // bytes loaded (header included), -1 while not loaded
    std::vector<unsigned char> data_;
    bool send_;
    bool rom_;
    FitxerStatus status_;
};
