#include "panels/filerow.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "datamodel/files.h"
#include "datamodel/fitxer.h"
#include "panels/dialogs.h"
#include "panels/flashtext.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"

namespace {
// The box for a path whose characters an installation cannot keep ('?' shows where).
void RefusePath(const std::string& shown, const std::string& advice) {
    GetDialogs().Error(UnstorableText("El nombre del fichero", shown, advice));
}
}  // namespace

std::optional<std::string> RecordPathFromDialog(const std::filesystem::path& chosen) {
    bool lossless = true;
    std::string text = FromOsPath(chosen, &lossless);
    if (!lossless) {
        RefusePath(text, "Cambie el nombre o elija otro fichero.");
        return std::nullopt;
    }
    return text;
}

bool ChangeFitxerPath(wxWindow* host, CFitxer& fitxer, const std::string& recordPath) {
    if (recordPath == fitxer.GetPath()) return false;
    fitxer.SetPath(recordPath);
    MarkInstallationModified(host);
    return true;
}

void FileRowControls::Create(wxWindow* parent, wxBoxSizer* row, CFitxer& fitxer) {
    send = new wxCheckBox(parent, wxID_ANY, wxEmptyString);
    label = new wxStaticText(parent, wxID_ANY, ToWx(FitxerTitle(fitxer)));
    path = new wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
    browse = new wxButton(parent, wxID_ANY, wxT("Examinar..."));
    row->Add(send, wxSizerFlags(0).CentreVertical().Border(wxRIGHT, 5));
    row->Add(label, wxSizerFlags(3).CentreVertical());
    row->Add(path, wxSizerFlags(2).CentreVertical().Border(wxLEFT, 2));
    row->Add(browse, wxSizerFlags(1).CentreVertical().Border(wxLEFT, 2));
    Update(fitxer);
}

void FileRowControls::Update(CFitxer& fitxer) {
    if (!Exists()) return;
    path->ChangeValue(ToWx(fitxer.GetPath()));
    send->SetValue(fitxer.GetSend());
}

bool FileRowControls::Store(wxWindow* host, CFitxer& fitxer) {
    if (!Exists()) return false;
    bool lossless = true;
    const std::string typed = FromWx(path->GetValue(), &lossless);
    fitxer.SetSend(send->GetValue());
    if (!lossless) {
        RefusePath(typed, KeptAdvice(fitxer.GetPath()));
        path->ChangeValue(ToWx(fitxer.GetPath()));
        return false;
    }
    ChangeFitxerPath(host, fitxer, typed);
    return true;
}

void FileRowControls::Browse(wxWindow* host, CFitxer& fitxer, const std::string& message, const std::string& wildcard) {
    std::optional<std::filesystem::path> chosen = GetDialogs().ChooseOpenPath(message, wildcard);
    if (!chosen) return;
    std::optional<std::string> recordPath = RecordPathFromDialog(*chosen);
    if (!recordPath) return;
    ChangeFitxerPath(host, fitxer, *recordPath);
    fitxer.SetSend(true);
    Update(fitxer);
}
