// Operations not built yet: each says "No disponible" and fails. Whoever builds one removes it
// from here.
#include "core/appcore.h"

namespace {
constexpr const char* kNotAvailable = "No disponible";
}

// ---- installation file ----
bool CAppCore::NewInstalacio(const std::string&, const std::string&) { lastError_ = kNotAvailable; return false; }
bool CAppCore::OpenInstalacio(const std::string&) { lastError_ = kNotAvailable; return false; }
bool CAppCore::LoadInstalacioFile(const std::string&) { lastError_ = kNotAvailable; return false; }
bool CAppCore::SaveInstalacio() { lastError_ = kNotAvailable; return false; }
bool CAppCore::SaveInstalacioAs(const std::string&) { lastError_ = kNotAvailable; return false; }
void CAppCore::CloseInstalacio() { lastError_ = kNotAvailable; }
bool CAppCore::AddComponent(const std::string&, const std::string&, const std::string&) { lastError_ = kNotAvailable; return false; }
bool CAppCore::DeleteComponent(int) { lastError_ = kNotAvailable; return false; }
void CAppCore::StoreAndClearPanel() { lastError_ = kNotAvailable; }
void CAppCore::WriteInstalacioXml(std::string&) { lastError_ = kNotAvailable; }
void CAppCore::WriteComponentXml(CModel*, std::string&) { lastError_ = kNotAvailable; }

// ---- report ----
bool CAppCore::ExportReport(const std::string&) { lastError_ = kNotAvailable; return false; }
void CAppCore::WriteReport(std::string&) { lastError_ = kNotAvailable; }
void CAppCore::WriteComponentReport(CModel*, std::string&) { lastError_ = kNotAvailable; }

// ---- connection ----

// ---- programming transfer ----
