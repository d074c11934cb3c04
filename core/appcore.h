// The application core: the one object that does the program's work behind the main window. It
// owns the settings, the open installation, the link to the panel with its frame layer, the log
// writer and the registry of the installation tree; it reaches the window only through the
// seams (views.h, datamodel/seams.h), given to it at start-up. Used from the GUI thread only.
//
// Every operation reports failure by a false result (or -1 where it returns a count) and the
// reason in GetLastError(). One panel exchange runs at a time: the busy flag marks it, the idle
// poll skips while it is set.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/treeindex.h"
#include "core/views.h"
#include "datamodel/config.h"
#include "datamodel/instalacio.h"
#include "datamodel/log.h"
#include "datamodel/seams.h"
#include "link/conexio.h"
#include "link/progress.h"
#include "link/protocol.h"
#include "link/texts.h"

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
    static constexpr const char* kCancelled = kTextCancelled;
    static constexpr const char* kBusy = kTextBusy;
    static constexpr const char* kNotConnected = kTextNotConnected;
    static constexpr const char* kConnectionLost = kTextConnectionLost;
    static constexpr const char* kBadValue = "Valor incorrecto";
    static constexpr const char* kBadAddress = kTextBadAddress;
    static constexpr const char* kNothingToReceive = "Nada que recibir";
    static constexpr const char* kNothingToSend = "Nada que enviar";
    // The largest memory read the panel is asked for at once; longer reads are split.
    static constexpr int kMaxReadBytes = 255;
    // Flash is read and written in blocks of this many bytes.
    static constexpr int kFlashBlockBytes = 16;
    // The blocks that hold bytes bytes (the last one partly filled); past 2^30 it stays there.
    static int FlashBlocksFor(long long bytes) {
        return static_cast<int>(std::min<long long>((std::max(bytes, 0LL) + kFlashBlockBytes - 1) / kFlashBlockBytes, 1 << 30));
    }
    static constexpr int kPumpInterval = kPumpIntervalMs;
    static constexpr int kPollInterval = kIdlePollIntervalMs;
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
    // The idle-poll and link-pump timers, for the core and the frame layer at once.
    void SetTimers(Timer* poll, Timer* pump);
    void SetEditView(EditView* view) { editView_ = view; }
    void SetLegendView(LegendView* legend) { legend_ = legend; }
    // The UI services of the core, its progress, the frame layer and the link at once, so no
    // wait runs without its yield and Cancel whatever the order of wiring.
    void SetUiServices(UiServices* ui);
    // The clock of every sleep of the core, the frame layer, the link and the log.
    void SetClock(Clock* clock);
    // Called once whenever the core ends a lost connection (a lost link seen by the pump or at
    // the end of an operation, three failed idle polls); the window then shows the disconnected
    // state. The reason is shown once, by one box (TakeLostLinkReport).
    void SetConnectionLostHandler(std::function<void()> handler) { connectionLost_ = std::move(handler); }
    // One box per lost link: the loss leaves its report pending, and whichever box shows an error
    // first after it (the failed operation's own box, or the window's report of a loss that no
    // operation reported) takes it. True once per loss.
    bool TakeLostLinkReport() { return std::exchange(lostReportPending_, false); }
    // Called after a status read changed the status record (the idle poll, a panel's command, a
    // receive on a status node), so the window refreshes its title and the hosted panels.
    void SetStatusChangedHandler(std::function<void()> handler) { statusChanged_ = std::move(handler); }
    // Adds the seven tree pictures to the tree's image list and keeps their indices; gives the
    // tree to the index.
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
    // steps (an open one is replaced); the frame layer and the link step and check the same
    // progress. An operation that exchanges frames: refuse while busy, SetBusy(true),
    // BeginProgress, ..., EndProgress on every path out (or a BusyScope).
    bool BeginProgress(const std::string& text, int maximum, const ProgressOptions& options = ProgressOptions{});
    // Holds the busy flag for its lifetime and gives back the state it found, so a command inside
    // a series that runs under its own busy flag leaves that flag set. Given a text, it also opens
    // a progress dialog of maximum steps unless one is open, and closes it (EndProgress) on every
    // path out before the busy flag comes back.
    class BusyScope {
    public:
        explicit BusyScope(CAppCore& core);
        BusyScope(CAppCore& core, const std::string& text, int maximum);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CAppCore& core_;
        bool was_;
        bool ownDialog_ = false;
    };
    // A panel's command series (the status panel, the site-plan canvas): holds the busy flag and
    // one progress dialog of maximum steps for the whole series and releases both on every path
    // out, so the idle poll never runs inside a series and never stays blocked after it.
    class CommandSeries {
    public:
        CommandSeries(CAppCore& core, const std::string& text, int maximum);
        CommandSeries(const CommandSeries&) = delete;
        CommandSeries& operator=(const CommandSeries&) = delete;
        // False when another operation runs ("Espere, Proceso automático en curso" in the last
        // error); nothing is held then.
        bool Started() const { return scope_.has_value(); }

    private:
        std::optional<BusyScope> scope_;
    };
    // Deletes the dialog, zeroes the counter, clears the pointers handed out and the busy flag;
    // when the link was found lost meanwhile, runs the loss path (the last error stays the
    // operation's, the window is told).
    void EndProgress();
    bool HasProgress() const { return progress_.IsOpen(); }
    ProgressDialog* GetProgress() const { return progress_.Dialog(); }
    // The running operation's progress, shared with the frame layer and the link.
    Progress& GetOperationProgress() { return progress_; }
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
    // Watches a status read: when it ends, the status-changed handler is called if the current
    // component's status record differs from what it was at the start.
    class StatusWatch {
    public:
        explicit StatusWatch(CAppCore& core);
        ~StatusWatch();
        StatusWatch(const StatusWatch&) = delete;
        StatusWatch& operator=(const StatusWatch&) = delete;

    private:
        CAppCore& core_;
        std::string before_;
    };
    // What a status read can change of the current component's status record, as one text.
    std::string StatusSnapshot();

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
    Progress progress_;
    UiServices* ui_ = nullptr;
    bool busy_ = false;
    bool lostReportPending_ = false;
    std::string grupName_;
    CGrup* aliasZones_ = nullptr;
    CGrup* aliasAreas_ = nullptr;
    CGrup* aliasOutputs_ = nullptr;
    CGrup* aliasUsers_ = nullptr;
    Clock* clock_ = nullptr;
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
