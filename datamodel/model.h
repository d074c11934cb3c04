// One panel or bus-component model, loaded from its model file "models/<id>-<version>.xml",
// together with the component's state in an installation: its codes, the programming and status
// trees, the flash groups, the status record and the event memory.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/xml.h"

class CModel final : public XmlNotify {
public:
    CModel();
    ~CModel();
    CModel(const CModel&) = delete;
    CModel& operator=(const CModel&) = delete;

    // The component's name in the installation ("0" for the central), the model id and version
    // (they name the model file).
    bool SetName(std::string_view name);
    bool SetId(std::string_view id);
    bool SetVersio(std::string_view versio);
    const std::string& GetName() const { return name_; }
    const std::string& GetId() const { return id_; }
    const std::string& GetVersio() const { return versio_; }

    // Bus addresses as hexadecimal text (the empty text is accepted). The component's own address
    // is the destination of every frame addressed to it; the other three are only kept.
    bool SetBusDir(std::string_view address);
    bool SetBusLocal(std::string_view address);
    bool SetBusRemot(std::string_view address);
    bool SetBusDigital(std::string_view address);
    const std::string& GetBusDir() const { return busdir_; }
    const std::string& GetBusLocal() const { return buslocal_; }
    const std::string& GetBusRemot() const { return busremot_; }
    const std::string& GetBusDigital() const { return busdigital_; }

    bool SetZones(int zones);      // refuses negative values
    bool SetVrxZona(int vrxzona);  // radio entries per zone; refuses negative values
    int GetZones() const { return zones_; }
    int GetVrxZona() const { return vrxzona_; }

    // The programming tree's root; its name is the model's description.
    CGrup* GetRootGrup() { return &root_; }
    const CGrup* GetRootGrup() const { return &root_; }
    CGrup* GetEstatRootGrup() { return &estatRoot_; }
    const CGrup* GetEstatRootGrup() const { return &estatRoot_; }
    const std::string& GetDescr() const { return root_.GetName(); }
    bool SetDescr(std::string_view descr) { return root_.SetName(descr); }

    CEstat& GetEstat() { return estat_; }
    const CEstat& GetEstat() const { return estat_; }
    CEvents& GetEvents() { return events_; }
    const CEvents& GetEvents() const { return events_; }

    // The model owns every code, group and flash group; these append and return the new index
    // (-1 for null).
    int AddCode(std::unique_ptr<CCodi> codi);
    int AddGrup(std::unique_ptr<CGrup> grup);
    int AddGrupFlash(std::unique_ptr<CGrupFlash> grupFlash);
    int GetCodiCount() const { return static_cast<int>(codes_.size()); }
    int GetGrupCount() const { return static_cast<int>(groups_.size()); }
    int GetFlashGrupCount() const { return static_cast<int>(flashGroups_.size()); }
    // Null outside the list.
    CCodi* GetCodi(int index) const;
    CGrup* GetGrup(int index) const;
    CGrupFlash* GetGrupFlash(int index) const;

    // The first entry with that id, or null.
    CCodi* FindCode(std::string_view id) const;
    CGrup* FindGrup(std::string_view id) const;
    CGrupFlash* FindGrupFlash(std::string_view id) const;

    // Whether a code reachable from the programming root is modified; clears those marks.
    bool IsModified() const;
    void ClearModified();

    // A status answer of the panel (10 bytes) into the status record.
    bool SetEstatFrame(std::span<const unsigned char> reply);

    // Reads the model file "models/<id>-<versio>.xml" below the working folder. False for an
    // empty id or version, a file that cannot be read or a file the XML reader rejects (what was
    // read up to the failure stays). The model's content is emptied first, so a model can be
    // loaded again; name, id, version and bus addresses stay.
    bool Load();
    // The same for the text of a model file held in memory.
    bool LoadFromText(std::string text);
    // Why the last load failed, when there is more to say than that the model file is missing or
    // malformed: a file that is not a regular file or is too large, an identity that cannot name
    // a model file, or a size that no panel has (the model is refused before memory is taken).
    const std::string& GetLoadError() const { return loadError_; }

    // Bounds on the sizes a model file asks for. A panel addresses its event memory and its flash
    // tables with 16-bit indices, so no real model comes near them.
    static constexpr int kMaxFlashElements = 65536;
    static constexpr int kMaxFlashColumns = 256;
    static constexpr int kMaxEvents = 65536;
    // A flash file is read whole into memory before it is sent: 16 MB, a whole flash chip.
    static constexpr int kMaxFlashFileSectors = 4096;

    // Deletes every code, group and flash group, resets the status record, the event memory and
    // both roots, empties name, id and version and sets the counts to 0. The bus addresses stay.
    void Clear();

    // XmlNotify: the model file's reader.
    void foundNode(std::string& name, const std::string& attributes) override;
    void foundElement(std::string& name, const std::string& content,
                      const std::string& attributes) override;
    void endNode(std::string& name, const std::string& attributes) override;

    // The value type of a model type name; "sortida" only for codes, not for table columns.
    static int CodiTypeFromName(std::string_view name, bool forColumn);

private:
    void ClearContent();
    void ResetReadingState();
    void ApplyGroupAttributes(CGrup& grup, const std::string& attributes);
    CGrup* NewGroup(CGrup* parent, const std::string& attributes);
    void CodiLeaf(CCodi& codi, const std::string& name, const std::string& text,
                  const std::string& attributes);
    void UpdateRadioZoneCount();
    void Ignore(std::string& name);
    void Refuse(std::string reason);
    void FlashLeaf(CGrupFlash& flash, const std::string& name, const std::string& text,
                   const std::string& attributes);

    // Code lookup by id without a walk over every code: a model may hold 100 000 codes and an
    // installation names each of them. The first code of an id wins; ids are fixed once a code
    // is added.
    struct IdHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view id) const noexcept { return std::hash<std::string_view>{}(id); }
    };

    std::string name_;
    std::string id_;
    std::string versio_;
    std::string busdir_;
    std::string buslocal_;
    std::string busremot_;
    std::string busdigital_;
    int zones_ = 0;
    int vrxzona_ = 0;
    CGrup root_;
    CGrup estatRoot_;
    CEvents events_;
    std::vector<std::unique_ptr<CCodi>> codes_;
    std::unordered_map<std::string, CCodi*, IdHash, std::equal_to<>> codeIndex_;
    std::vector<std::unique_ptr<CGrup>> groups_;
    std::vector<std::unique_ptr<CGrupFlash>> flashGroups_;

    // Reading state, used only while the model file is read.
    CGrup* currentGrup_ = nullptr;
    CCodi* currentCodi_ = nullptr;
    CGrupFlash* currentGrupFlash_ = nullptr;
    bool insideEstat_ = false;
    int currentColumna_ = -1;
    CMesura* currentMesura_ = nullptr;
    std::string section_;
    int mesuraKind_ = -1;
    CFitxer* currentFitxer_ = nullptr;
    // Elements out of place are skipped with everything inside them; this counts the open ones.
    int ignoreDepth_ = 0;
    // Set when the file asks for a size beyond the bounds: the rest of it is not read.
    bool refused_ = false;
    std::string loadError_;

    CEstat estat_;
};
