// Operations not built yet: each says "No disponible" and fails. Whoever builds one removes it
// from here.
#include "core/appcore.h"

namespace {
constexpr const char* kNotAvailable = "No disponible";
}

// ---- connection ----
bool CAppCore::ConfigureConexio() { lastError_ = kNotAvailable; return false; }
bool CAppCore::NeedsConexioSettings() { lastError_ = kNotAvailable; return false; }
bool CAppCore::SetConexioSettings(int, int, const std::string&, bool, bool, const std::string&, int) { lastError_ = kNotAvailable; return false; }
bool CAppCore::Connect() { lastError_ = kNotAvailable; return false; }
bool CAppCore::Disconnect() { lastError_ = kNotAvailable; return false; }
void CAppCore::ResetConnection() { lastError_ = kNotAvailable; }
bool CAppCore::SetPanelClock(std::span<const unsigned char>) { lastError_ = kNotAvailable; return false; }

// ---- programming transfer ----
bool CAppCore::Receive(TreeItemId) { lastError_ = kNotAvailable; return false; }
bool CAppCore::Send(TreeItemId) { lastError_ = kNotAvailable; return false; }
bool CAppCore::Verify(TreeItemId) { lastError_ = kNotAvailable; return false; }
bool CAppCore::Apply(TreeItemId) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ApplyFactoryValues(TreeItemId) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveGrup(CGrup*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendGrup(CGrup*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ResolveCodiAddress(const std::string&, CCodi*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendCodi(CCodi*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveCodi(CCodi*, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendGrupBlock(CGrup*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveGrupBlock(CGrup*, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendTree(CGrup*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveTree(CGrup*, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveSelectedTree(CModel*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendSelectedTree(CModel*) { lastError_ = kNotAvailable; return false; }
int CAppCore::CountTreeItems(CGrup*, bool) { lastError_ = kNotAvailable; return -1; }
int CAppCore::CountNodeItems(TreeItemId, bool) { lastError_ = kNotAvailable; return -1; }

// ---- flash ----
bool CAppCore::ReceiveGrupFlash(CGrupFlash*, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendGrupFlash(CGrupFlash*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendFitxer(CGrupFlash*, CFitxer*) { lastError_ = kNotAvailable; return false; }
bool CAppCore::StoreFactoryValues() { lastError_ = kNotAvailable; return false; }
bool CAppCore::RestoreFactoryValues() { lastError_ = kNotAvailable; return false; }
bool CAppCore::HardResetEeprom() { lastError_ = kNotAvailable; return false; }

// ---- status, commands, events ----
bool CAppCore::ReceiveStatus(bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveMesures() { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveOutputs() { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveRelays() { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveRadio() { lastError_ = kNotAvailable; return false; }
bool CAppCore::ReceiveEventLog() { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendAreaCommand(unsigned char, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendZoneCommand(std::span<const unsigned char>, int) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendOutputCommand(int, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendRelayCommand(int, bool) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SendPhoneTest() { lastError_ = kNotAvailable; return false; }
