#include "ui/wxdialogs.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/choicdlg.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

#include "panels/wxtext.h"
#include "ui/language.h"

namespace {
// Questions belong to the main window; boxes have no parent.
wxWindow* QuestionParent() { return wxTheApp ? wxTheApp->GetTopWindow() : nullptr; }

wxString FolderText(const std::filesystem::path& folder) { return wxString::FromUTF8(folder.string()); }

// GTK labels the buttons of its message boxes through its own catalogue and the process's message
// locale (left at "C"): the labels are set here from the toolkit's catalogue instead.
int ShowMessage(wxWindow* parent, const std::string& text, const std::string& caption, long style) {
    wxMessageDialog dlg(parent, ToWx(text), ToWx(caption), style);
    if (style & wxYES_NO) {
        if (style & wxCANCEL)
            dlg.SetYesNoCancelLabels(StockButtonLabel(wxID_YES), StockButtonLabel(wxID_NO),
                                     StockButtonLabel(wxID_CANCEL));
        else
            dlg.SetYesNoLabels(StockButtonLabel(wxID_YES), StockButtonLabel(wxID_NO));
    } else {
        dlg.SetOKLabel(StockButtonLabel(wxID_OK));
    }
    return dlg.ShowModal();
}

std::filesystem::path ToolkitPath(const wxString& path) {
    return std::filesystem::path(std::string(static_cast<const char*>(path.fn_str())));
}
}  // namespace

void WxDialogs::Info(const std::string& text, const std::string& caption) {
    ShowMessage(nullptr, text, caption, wxOK | wxCENTRE | wxICON_INFORMATION);
}

void WxDialogs::Error(const std::string& text, const std::string& caption) {
    ShowMessage(nullptr, text, caption, wxOK | wxCENTRE | wxICON_ERROR);
}

bool WxDialogs::AskYesNo(const std::string& text, const std::string& caption, DefaultButton button) {
    const long defaultButton = button == DefaultButton::No ? wxNO_DEFAULT : wxYES_DEFAULT;
    return ShowMessage(QuestionParent(), text, caption, wxYES_NO | defaultButton | wxICON_QUESTION) == wxID_YES;
}

Answer WxDialogs::AskYesNoCancel(const std::string& text, const std::string& caption) {
    switch (ShowMessage(QuestionParent(), text, caption, wxYES_NO | wxCANCEL | wxICON_QUESTION)) {
        case wxID_YES: return Answer::Yes;
        case wxID_NO: return Answer::No;
        default: return Answer::Cancel;
    }
}

std::optional<int> WxDialogs::ChooseOne(const std::string& text, const std::string& caption,
                                        const std::vector<std::string>& choices, int initial) {
    if (choices.empty()) return std::nullopt;  // the toolkit asserts on an empty list
    wxArrayString items;
    for (const std::string& c : choices) items.Add(ToWx(c));
    wxSingleChoiceDialog dlg(QuestionParent(), ToWx(text), ToWx(caption), items);
    if (initial >= 0 && initial < static_cast<int>(choices.size())) dlg.SetSelection(initial);
    // The list shows six lines, more for a longer list up to twelve. Its size is set before the
    // dialog is shown: GTK otherwise first lays the list out with a negative height for its
    // scroll bar (a Gtk-CRITICAL).
    for (wxWindow* child : dlg.GetChildren()) {
        if (auto* list = dynamic_cast<wxListBox*>(child)) {
            const int lines = std::clamp(static_cast<int>(choices.size()), 6, 12);
            list->SetMinSize(wxSize(std::max(list->GetBestSize().x, dlg.FromDIP(250)),
                                    lines * dlg.GetCharHeight() * 3 / 2 + 4));
            dlg.Fit();
        }
    }
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    const int sel = dlg.GetSelection();
    if (sel < 0 || sel >= static_cast<int>(choices.size())) return std::nullopt;
    return sel;
}

std::optional<std::string> WxDialogs::GetText(const std::string& text, const std::string& caption,
                                              const std::string& initial) {
    wxTextEntryDialog dlg(QuestionParent(), ToWx(text), ToWx(caption), ToWx(initial), wxOK | wxCANCEL | wxCENTRE);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return FromWx(dlg.GetValue());
}

std::optional<std::filesystem::path> WxDialogs::ChooseOpenPath(const std::string& message, const std::string& wildcard,
                                                               const std::filesystem::path& folder) {
    wxFileDialog dlg(QuestionParent(), ToWx(message), FolderText(folder), wxEmptyString, ToWx(wildcard),
                     wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return ToolkitPath(dlg.GetPath());
}

std::optional<std::filesystem::path> WxDialogs::ChooseSavePath(const std::string& message, const std::string& wildcard,
                                                               const std::filesystem::path& folder,
                                                               const std::string& defaultName) {
    // The caller asks before replacing a file, so the question goes through this seam too.
    wxFileDialog dlg(QuestionParent(), ToWx(message), FolderText(folder), ToWx(defaultName), ToWx(wildcard), wxFD_SAVE);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return ToolkitPath(dlg.GetPath());
}

std::optional<std::filesystem::path> WxDialogs::ChooseFolder(const std::string& message,
                                                             const std::filesystem::path& folder) {
    wxDirDialog dlg(QuestionParent(), ToWx(message), FolderText(folder), wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return ToolkitPath(dlg.GetPath());
}
