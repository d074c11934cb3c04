// The application core: the one object that does the program's work behind the main window. It
// owns the settings, the open installation, the link to the panel with its frame layer, the log
// writer and the registry of the installation tree; it reaches the window only through the
// seams (views.h, datamodel/seams.h), given to it at start-up. Used from the GUI thread only.
//
// Every operation reports failure by a false result (or -1 where it returns a count) and the
// reason in GetLastError(). One panel exchange runs at a time: the busy flag marks it, the idle
// poll skips while it is set.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "core/treeindex.h"
#include "core/views.h"
#include "datamodel/config.h"
#include "datamodel/instalacio.h"
#include "datamodel/log.h"
#include "datamodel/seams.h"
#include "link/conexio.h"
#include "link/protocol.h"

class CCodi;
class CDades;
class CEstat;
class CEvents;
class CFitxer;
class CGrup;
class CGrupFlash;
class CModel;

class CAppCore {
public:
    static constexpr const char* kVersion = "1.06";
    static constexpr const char* kCancelled = "Cancelado por el usuario";
    static constexpr const char* kBusy = "Espere, Proceso automático en curso";
    static constexpr const char* kNotConnected = "No conetado";
    static constexpr const char* kConnectionLost = "Se perdió la conexión";
    static constexpr const char* kBadValue = "Valor incorrecto";
    static constexpr const char* kBadAddress = "Dirección no válida";
    static constexpr const char* kNothingToReceive = "Nada que recibir";
    static constexpr const char* kNothingToSend = "Nada que enviar";
    // The largest memory read the panel is asked for at once; longer reads are split.
    static constexpr int kMaxReadBytes = 255;
    // Flash is read and written in blocks of this many bytes.
    static constexpr int kFlashBlockBytes = 16;
    static constexpr int kPumpInterval = 20;
    static constexpr int kPollInterval = 20000;
    static constexpr int kMaxPollFailures = 3;

    // Loads "config.xml" from configFolder (empty: the working folder). When that fails the
    // settings' error is shown in a box captioned "Error" (through ui when given) and the core
    // goes on with empty settings.
    explicit CAppCore(UiServices* ui = nullptr, const std::filesystem::path& configFolder = {});
    // Disconnects first when connected.
    ~CAppCore();
    CAppCore(const CAppCore&) = delete;
    CAppCore& operator=(const CAppCore&) = delete;

    // ---- Start-up wiring (by the window, once, then CreateImageList) ----
    void SetLogSink(LogSink* sink);
    void SetTreeView(TreeView* tree) { tree_ = tree; }
    void SetTimers(Timer* poll, Timer* pump) {
        pollTimer_ = poll;
        pumpTimer_ = pump;
    }
    void SetEditView(EditView* view) { editView_ = view; }
    void SetLegendView(LegendView* legend) { legend_ = legend; }
    void SetUiServices(UiServices* ui) { ui_ = ui; }
    // The clock of every sleep of the core, the frame layer, the link and the log.
    void SetClock(Clock* clock);
    // Called once whenever the core ends a lost connection (a lost link seen by the pump or at
    // the end of an operation, three failed idle polls); the window then shows the disconnected
    // state. The reason is reported by the false result of the call that found the loss, so the
    // handler shows no message of its own.
    void SetConnectionLostHandler(std::function<void()> handler) { connectionLost_ = std::move(handler); }
    // Called after a status read changed the status record (the idle poll, a panel's command, a
    // receive on a status node), so the window refreshes its title and the hosted panels.
    void SetStatusChangedHandler(std::function<void()> handler) { statusChanged_ = std::move(handler); }
    // Adds the seven tree pictures to the tree's image list and keeps their indices; gives the
    // tree to the index, the link to the frame layer, the timers and UI services to both.
    void CreateImageList();

    // ---- Shared services ----
    const std::string& GetLastError() const { return lastError_; }
    void SetLastError(const std::string& error) { lastError_ = error; }
    // With a progress dialog: advances the counter by steps and shows text (empty keeps the
    // message); false with "Cancelado por el usuario" when Cancel was pressed. Without: yields,
    // true.
    bool ProgressStep(int steps, const std::string& text);
    // True (with "Cancelado por el usuario") when the running operation's Cancel was pressed.
    bool CheckCancel();
    bool IsModified();
    // The edit view stores its panels into their records; an edit of the installation data
    // marks the installation modified. The window calls it before asking whether to save.
    void StorePanels();
    // Marks the installation modified: panel edits that change what the installation file stores
    // (flash cells and file paths, site-plan elements) and renames.
    void MarkModified() { instalacio_.SetModified(); }
    bool SaveConfig();
    void GetAboutText(std::string& out);
    bool HasGrupFlash() const;
    bool HasPpe();
    int GetPpeValue();
    // Link-pump tick (20 ms). False when it found the link lost (the core has then closed it).
    bool PumpLink();
    // Idle-poll tick (20000 ms). False when the connection was lost.
    bool OnPollTimer();

    // The operation frame: a progress dialog whose title and message are text, with maximum
    // steps, handed with the counter to the frame layer (and the link when withLink). The status
    // panel and the site-plan canvas use it around their command series too. An operation that
    // exchanges frames: refuse while busy, SetBusy(true), BeginProgress, ..., EndProgress on
    // every path out.
    bool BeginProgress(const std::string& text, int maximum, bool withLink = false);
    // A panel's command series (the status panel, the site-plan canvas): holds the busy flag and
    // one progress dialog of maximum steps for the whole series and releases both on every path
    // out, so the idle poll never runs inside a series and never stays blocked after it.
    class CommandSeries {
    public:
        CommandSeries(CAppCore& core, const std::string& text, int maximum);
        ~CommandSeries();
        CommandSeries(const CommandSeries&) = delete;
        CommandSeries& operator=(const CommandSeries&) = delete;
        // False when another operation runs ("Espere, Proceso automático en curso" in the last
        // error); nothing is held then.
        bool Started() const { return started_; }

    private:
        CAppCore& core_;
        bool started_ = false;
    };
    // Deletes the dialog, zeroes the counter, clears the pointers handed out and the busy flag;
    // when the link was found lost meanwhile, runs the loss path (the last error stays the
    // operation's, the window is told).
    void EndProgress();
    bool HasProgress() const { return progress_ != nullptr; }
    ProgressDialog* GetProgress() const { return progress_.get(); }
    int& ProgressCounter() { return progressCounter_; }
    bool IsBusy() const { return busy_; }
    void SetBusy(bool busy) { busy_ = busy; }
    // Stops the idle-poll timer and starts it again with its interval.
    void RestartPollTimer();
    // The current component, the central when none is set (it then becomes current).
    CModel* UseCurrentComponent();
    CModel* GetCurrentComponent() const { return currentComponent_; }
    void SetCurrentComponent(CModel* model) { currentComponent_ = model; }
    CGrup* GetCurrentGrup() const { return currentGrup_; }

    bool IsConnected() const { return connected_; }
    bool IsStatusPolling() const { return statusPolling_; }
    int GetPollFailures() const { return pollFailures_; }
    const std::string& GetTitle() const { return title_; }

    CInstalacio& GetInstalacio() { return instalacio_; }
    CConfig& GetConfig() { return config_; }
    CConexio& GetConexio() { return conexio_; }
    CProtocol& GetProtocol() { return protocol_; }
    CLog& GetLog() { return log_; }
    CTreeIndex& GetTreeIndex() { return treeIndex_; }
    TreeView* GetTreeView() const { return tree_; }
    EditView* GetEditView() const { return editView_; }
    LegendView* GetLegendView() const { return legend_; }
    UiServices* GetUiServices() const { return ui_; }
    Clock& GetClock() const;
    int GetIcon(TreeIcon icon) const { return icons_[static_cast<int>(icon)]; }

    // ---- tree ----
    void BuildTree();
    void ClearTree();
    void ShowTreeItem(TreeItemId item);
    CModel* GetItemComponent(TreeItemId item) const;
    int GetItemCategory(TreeItemId item) const;
    // The name groups found by the last BuildTree (null when none).
    CGrup* GetZonesAlias() const { return aliasZones_; }
    CGrup* GetAreasAlias() const { return aliasAreas_; }
    CGrup* GetOutputsAlias() const { return aliasOutputs_; }
    CGrup* GetUsersAlias() const { return aliasUsers_; }

    // ---- installation file ----
    bool NewInstalacio(const std::string& model, const std::string& versio);
    bool OpenInstalacio(const std::string& path);
    bool LoadInstalacioFile(const std::string& path);
    bool SaveInstalacio();
    bool SaveInstalacioAs(const std::string& path);
    void CloseInstalacio();
    bool AddComponent(const std::string& model, const std::string& versio, const std::string& busdir);
    bool DeleteComponent(int index);
    void StoreAndClearPanel();
    void WriteInstalacioXml(std::string& out);
    void WriteComponentXml(CModel* model, std::string& out);

    // ---- report ----
    bool ExportReport(const std::string& path);
    void WriteReport(std::string& out);
    void WriteComponentReport(CModel* model, std::string& out);

    // ---- connection ----
    bool ConfigureConexio();
    bool NeedsConexioSettings();
    bool SetConexioSettings(int kind, int port, const std::string& phone, bool callback, bool special,
                            const std::string& address, int ipPort);
    bool Connect();
    bool Disconnect();
    void ResetConnection();
    // Empty: the PC's clock; else six bytes hour, minute, second, day, month, year - 2000.
    bool SetPanelClock(std::span<const unsigned char> clock = {});

    // ---- programming transfer ----
    bool Receive(TreeItemId item);
    bool Send(TreeItemId item);
    bool Verify(TreeItemId item);
    bool Apply(TreeItemId item);
    bool ApplyFactoryValues(TreeItemId item);
    bool ReceiveGrup(CGrup* grup);
    bool SendGrup(CGrup* grup);
    bool ResolveCodiAddress(const std::string& dest, CCodi* codi);
    bool SendCodi(CCodi* codi);
    bool ReceiveCodi(CCodi* codi, bool verify);
    bool SendGrupBlock(CGrup* grup);
    bool ReceiveGrupBlock(CGrup* grup, bool verify);
    bool SendTree(CGrup* grup);
    bool ReceiveTree(CGrup* grup, bool verify);
    bool ReceiveSelectedTree(CModel* model);
    bool SendSelectedTree(CModel* model);
    int CountTreeItems(CGrup* grup, bool forReceive);
    int CountNodeItems(TreeItemId item, bool forReceive);

    // ---- flash ----
    bool ReceiveGrupFlash(CGrupFlash* grup, bool verify);
    bool SendGrupFlash(CGrupFlash* grup);
    bool SendFitxer(CGrupFlash* grup, CFitxer* fitxer);
    bool StoreFactoryValues();
    bool RestoreFactoryValues();
    bool HardResetEeprom();

    // ---- status, commands, events ----
    bool ReceiveStatus(bool afterCommand);
    bool ReceiveMesures();
    bool ReceiveOutputs();
    bool ReceiveRelays();
    bool ReceiveRadio();
    bool ReceiveEventLog();
    bool SendAreaCommand(unsigned char areaMask, bool arm);
    // zoneMask: two bytes, zones 0-7 and 8-15, one bit per zone.
    bool SendZoneCommand(std::span<const unsigned char> zoneMask, int zoneCount);
    bool SendOutputCommand(int output, bool on);
    bool SendRelayCommand(int relay, bool on);
    bool SendPhoneTest();

private:
    // Test-only access to the connection state (tests/core/core_harness.h).
    friend struct CoreTestAccess;

    // The loss of the connection: last error, link closed, frame layer stopped, poll timer
    // stopped, not connected nor busy; the window is told.
    void LoseConnection(const std::string& error);
    // Counts a failed idle poll; at the third in a row the connection is lost (true).
    bool CountPollFailure(const std::string& error);
    void YieldUi();
    // Updates the dialog to the counter (capped at its maximum) with text; false with
    // "Cancelado por el usuario" when Cancel was pressed.
    bool UpdateProgress(const std::string& text);

    CTreeIndex treeIndex_;
    CProtocol protocol_;
    int pollFailures_ = 0;
    bool connected_ = false;
    bool pollToggle_ = false;
    std::string lastError_;
    CModel* currentComponent_ = nullptr;
    CGrup* currentGrup_ = nullptr;
    int icons_[kTreeIconCount] = {-1, -1, -1, -1, -1, -1, -1};
    bool statusPolling_ = false;
    CInstalacio instalacio_;
    CConexio conexio_;
    CLog log_;
    CConfig config_;
    LogSink* logSink_ = nullptr;
    TreeView* tree_ = nullptr;
    Timer* pollTimer_ = nullptr;
    Timer* pumpTimer_ = nullptr;
    std::string title_;
    EditView* editView_ = nullptr;
    LegendView* legend_ = nullptr;
    std::unique_ptr<ProgressDialog> progress_;
    UiServices* ui_ = nullptr;
    int progressCounter_ = 0;
    bool busy_ = false;
    std::string grupName_;
    CGrup* aliasZones_ = nullptr;
    CGrup* aliasAreas_ = nullptr;
    CGrup* aliasOutputs_ = nullptr;
    CGrup* aliasUsers_ = nullptr;
    Clock* clock_ = nullptr;
    int progressMaximum_ = 0;
    bool progressWithLink_ = false;
    std::function<void()> connectionLost_;
    std::function<void()> statusChanged_;

    // ---- tree ----
    void AddComponentNode(TreeItemId parent, CModel* model);
    void AddGrupNodes(TreeItemId parent, CGrup* grup);
    void NoteAliasGroup(CGrup* grup);

    // ---- installation file ----
    // Clears the edit view; no status view is shown afterwards.
    void ClearEditView();
    // The current component and group point into the installation: forgotten when it changes.
    void ForgetInstalacioRecords();
    // Empties the installation after everything that points into it: the edit view, the tree
    // and its name groups, the current component and group.
    void ReleaseInstalacio();

    // ---- report ----

    // ---- connection ----
    void OpenConnectProgress(int maximum);
    // Ends a failed connect: the link closed, the core disconnected and idle, the error kept.
    bool FailConnect(const std::string& error);
    // Ends the connection after a failed disconnect request.
    bool DropLink(const std::string& error);
    // The clock write and its control request to one component (empty clock: the PC's).
    bool WritePanelClock(CModel& target, std::span<const unsigned char> clock);

    // ---- programming transfer ----
    // Bus address of a single-code request: the current group's override, else the current
    // component's address.
    std::string CodiDestination();
    // Decodes (or with verify compares) the bytes received for a code; false with the reason
    // when they are fewer than the code needs, do not decode, or differ.
    bool TakeCodeBytes(CCodi& codi, std::span<const unsigned char> bytes, bool verify);
    // Stride and total bytes of a packed group; false (nothing sent) when it cannot travel.
    bool BlockLayout(CGrup* grup, int& stride, int& total);
    // Start of a window-level transfer: busy, the dialog with count steps, the component current,
    // the receive queue emptied.
    void BeginTransfer(const std::string& text, int count, CModel* component);
    // End of a window-level transfer: dialog closed, not busy, no current group.
    void EndTransfer();
    // Sends the frame just built; a send that timed out goes again, up to three more times (with
    // checkCancel a cancel check follows every attempt). False with the reason in the last error.
    bool SendRepeated(bool checkCancel);

    // ---- flash ----
    // Sends the erase request just built, waits eraseRounds × 100 ms, then writes data as 16-byte
    // blocks from block address base, beginning with block first.
    bool EraseAndWriteFlash(const std::string& dest, long long base, std::span<const unsigned char> data, int first,
                            int eraseRounds);

    // ---- status, commands, events ----
    // The records the next event-memory read takes: from start, first passes[0] records up to the
    // end of the memory, then passes[1] from record 0. Returns their total.
    static int NewEventRecords(const CEvents& events, int pointer, int& start, int passes[2]);
};
