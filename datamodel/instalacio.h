// The open installation: its header, the central and the bus components, each a CModel with its
// programming values, status, site plans and events. It is also the reader of installation
// files: the loader hands it to the XML reader as the subscriber.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datamodel/dades.h"
#include "datamodel/model.h"
#include "datamodel/xml.h"

class CLog;

class CInstalacio final : public XmlNotify {
public:
    // Access codes used when the central's model has no code "000" (installer) or "426"
    // (alarm-receiving-centre link).
    static constexpr const char* kDefaultInstallerCode = "8371";
    static constexpr const char* kDefaultCraLinkCode = "C7D2";

    CInstalacio();
    ~CInstalacio();
    CInstalacio(const CInstalacio&) = delete;
    CInstalacio& operator=(const CInstalacio&) = delete;

    // Empties everything: components deleted, central and header cleared, load state good,
    // error, section and file name empty, not modified.
    void Clear();

    // Names the central, sets its model, version and bus address and loads its model file. False
    // without loading when the bus address is not hexadecimal; false with the error
    // "No se puede crear el modelo: <id>-<versio>" when the model cannot be loaded.
    bool InitCentral(std::string_view name, std::string_view id, std::string_view versio,
                     std::string_view busdir);
    // Creates a bus component and loads its model file; its index, or -1 (nothing added, the
    // error "No se puede crear el modelo: <id>-<versio>") when the model cannot be loaded.
    int AddComponent(std::string_view name, std::string_view id, std::string_view versio);
    bool SetComponentBusdirByName(std::string_view name, std::string_view busdir);
    bool SetComponentBusdir(int index, std::string_view busdir);
    bool SetCentralBusDir(std::string_view busdir);
    // False with the error "Out of range" for an index outside the list.
    bool RemoveComponent(int index);
    bool RemoveComponentById(std::string_view name);

    void SetDades(const CDades& dades);
    void ClearDades();
    CDades& GetDades() { return dades_; }
    const CDades& GetDades() const { return dades_; }

    CModel& GetCentral() { return central_; }
    const CModel& GetCentral() const { return central_; }
    CModel* GetComponent(int index) const;  // null outside the list
    int GetComponentCount() const { return static_cast<int>(components_.size()); }
    void ClearCentral() { central_.Clear(); }

    const std::string& GetFileName() const { return fileName_; }
    void SetFileName(std::string_view fileName) { fileName_ = fileName; }
    const std::string& GetError() const { return error_; }
    // False after a load that failed (the error says why).
    bool IsOk() const { return loadOk_; }

    const std::string& GetTelfConexio() const { return dades_.GetTelfConexio(); }
    const std::string& GetTelfConexioCSD() const { return dades_.GetTelfConexioCSD(); }
    bool GetCallback() const { return dades_.GetCallback(); }
    int GetTipusConexio() const { return dades_.GetTipusConexio(); }

    // True when the installation or any of its models changed; a change seen in a model is kept
    // until ClearModified.
    bool IsModified();
    void ClearModified();
    void SetModified() { modified_ = true; }

    // The value of the central's code "000", or the built-in installer code.
    std::string GetInstallerCode() const;
    // The value of the central's code "426", or the built-in access code of the
    // alarm-receiving-centre link.
    std::string GetCraLinkCode() const;

    // Where the loader echoes every element it reads (without time stamps); none: no echo.
    // Setting it starts a new load's echo.
    void SetLogTarget(CLog* log) {
        log_ = log;
        echoed_ = 0;
    }
    // The echo of one load shows its first kMaxEchoLines lines, each cut after kMaxEchoLineChars
    // characters, then one line that says so: the pane keeps only its last 64000 characters anyway,
    // and a file of a million elements would otherwise keep the window busy for many seconds.
    static constexpr int kMaxEchoLines = 1000;
    static constexpr std::size_t kMaxEchoLineChars = 500;

    // XmlNotify: the installation file's reader.
    void foundNode(std::string& name, const std::string& attributes) override;
    void foundElement(std::string& name, const std::string& content,
                      const std::string& attributes) override;
    void endNode(std::string& name, const std::string& attributes) override;

private:
    void ResetReadingState();
    void Unresolved(std::string& name);
    void StartComponent(std::string& name, const std::string& attributes);
    void EstatLeaf(CEstat& estat, const std::string& name, const std::string& text);
    void Fail(const std::string& error);
    void Echo(std::string line);

    CDades dades_;
    CModel central_;
    std::vector<std::unique_ptr<CModel>> components_;
    std::string fileName_;
    bool modified_ = false;
    std::string error_;

    // Reading state, used only while an installation file is read.
    CModel* currentModel_ = nullptr;
    CCodi* currentCodi_ = nullptr;
    CEvent* currentEvent_ = nullptr;
    CGrupFlash* currentGrupFlash_ = nullptr;
    CFitxer* currentFitxer_ = nullptr;
    int currentElement_ = -1;
    int currentColumna_ = 0;
    std::string section_;
    bool loadOk_ = true;
    CCompGraf* currentCompGraf_ = nullptr;
    bool centralRead_ = false;
    // A second central is skipped with everything inside it; this counts its open elements.
    int ignoreDepth_ = 0;

    CLog* log_ = nullptr;
    int echoed_ = 0;  // echo lines of the current load
};
