#include "ui/wxdialogs.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/choicdlg.h>
#include <wx/dcclient.h>
#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/msgdlg.h>
// After the message dialog's base, which it needs.
#include <wx/generic/msgdlgg.h>
#include <wx/textdlg.h>
#include <wx/translation.h>

#include "panels/wxtext.h"
#include "ui/language.h"

namespace {
// Questions and the other dialogs belong to the main window and open centred on it; outcome boxes
// have no parent of their own and open centred on the screen (the toolkit still keeps them above
// the main window, which it disables while they are up).
wxWindow* MainWindow() { return wxTheApp ? wxTheApp->GetTopWindow() : nullptr; }

wxString FolderText(const std::filesystem::path& folder) { return wxString::FromUTF8(folder.string()); }

// A window manager's title bar holds the caption beside the window's icon and its minimise,
// maximise and close buttons, each about as wide as the bar is high: the least width of a box
// that shows its whole caption. The caption is measured bold, as title bars draw it.
int CaptionWidth(wxWindow& dlg, const wxString& caption) {
    wxClientDC dc(&dlg);
    dc.SetFont(dlg.GetFont().Bold());
    const wxSize text = dc.GetTextExtent(caption);
    const int bar = text.y + 12;
    return text.x + 4 * bar + 2 * text.y;
}

// The toolkit's generic message box. GTK's own is built and shown inside the toolkit's ShowModal,
// out of the program's reach: it opens wherever the window manager likes and as narrow as its
// text, which cuts a short box's caption ("In…n"), and it shows no caption at all for the
// toolkit's default one.
class MessageBox final : public wxGenericMessageDialog {
public:
    MessageBox(const wxString& text, const wxString& caption, long style, bool onScreen)
        : wxGenericMessageDialog(onScreen ? nullptr : MainWindow(), text, caption, style), onScreen_(onScreen) {}

    int ShowModal() override {
        DoCreateMsgdialog();
        wxSize client = GetClientSize();
        client.x = std::max(client.x, CaptionWidth(*this, GetTitle()));
        PlaceDialog(*this, onScreen_ ? nullptr : GetParent(), client);
        return wxDialog::ShowModal();
    }

private:
    bool onScreen_;
};

// The caption as shown: the toolkit's default caption in the toolkit's language.
wxString Caption(const std::string& caption) {
    if (caption == wxMessageBoxCaptionStr) return wxGetTranslation(wxASCII_STR(wxMessageBoxCaptionStr));
    return ToWx(caption);
}

// The buttons take the labels of the toolkit's catalogue (the process's message locale stays "C").
int ShowMessage(bool onScreen, const std::string& text, const std::string& caption, long style) {
    MessageBox dlg(ToWx(text), Caption(caption), style, onScreen);
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

// The toolkit's single choice, whose list shows a vertical scroll bar only when its entries do
// not fit. The toolkit asks for one always (wxLB_ALWAYS_SB): with the program's ordinary scroll
// bars (ui/scrollbars.h), even a short list then shows a bar whose thumb fills its track. Built
// by Create, not by a constructor of the toolkit's, so that the toolkit reaches this CreateList.
class ChoiceDialog final : public wxSingleChoiceDialog {
public:
    wxWindow* List() const { return m_listbox; }

protected:
    wxListBoxBase* CreateList(int n, const wxString* choices, long styleLbox) override {
        return wxSingleChoiceDialog::CreateList(n, choices, styleLbox & ~wxLB_ALWAYS_SB);
    }
};

std::filesystem::path ToolkitPath(const wxString& path) {
    return std::filesystem::path(std::string(static_cast<const char*>(path.fn_str())));
}
}  // namespace

void PlaceDialog(wxDialog& dialog, wxWindow* over, wxSize client) {
    dialog.SetClientSize(client);
    if (!over || over->GetSize() == wxDisplay(over).GetClientArea().GetSize()) dialog.CentreOnScreen();
    else dialog.CentreOnParent();
}

void WxDialogs::Info(const std::string& text, const std::string& caption) {
    ShowMessage(true, text, caption, wxOK | wxCENTRE | wxICON_INFORMATION);
}

void WxDialogs::Error(const std::string& text, const std::string& caption) {
    ShowMessage(true, text, caption, wxOK | wxCENTRE | wxICON_ERROR);
}

bool WxDialogs::AskYesNo(const std::string& text, const std::string& caption, DefaultButton button) {
    const long defaultButton = button == DefaultButton::No ? wxNO_DEFAULT : wxYES_DEFAULT;
    return ShowMessage(false, text, caption, wxYES_NO | defaultButton | wxICON_QUESTION) == wxID_YES;
}

Answer WxDialogs::AskYesNoCancel(const std::string& text, const std::string& caption) {
    switch (ShowMessage(false, text, caption, wxYES_NO | wxCANCEL | wxICON_QUESTION)) {
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
    ChoiceDialog dlg;
    dlg.Create(MainWindow(), ToWx(text), ToWx(caption), items);
    if (initial >= 0 && initial < static_cast<int>(choices.size())) dlg.SetSelection(initial);
    // The list shows six lines, more for a longer list up to twelve; a line of one and a half
    // character heights is taller than GTK's row (23 pixels for characters 17 high), so a list of
    // up to twelve entries shows them all without a scroll bar. Its size is set before the
    // dialog is shown: GTK otherwise first lays the list out with a negative height for its
    // scroll bar (a Gtk-CRITICAL).
    if (wxWindow* list = dlg.List()) {
        const int lines = std::clamp(static_cast<int>(choices.size()), 6, 12);
        list->SetMinSize(wxSize(std::max(list->GetBestSize().x, dlg.FromDIP(250)),
                                lines * dlg.GetCharHeight() * 3 / 2 + 4));
    }
    dlg.GetSizer()->SetSizeHints(&dlg);
    PlaceDialog(dlg, dlg.GetParent(), dlg.GetClientSize());
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    const int sel = dlg.GetSelection();
    if (sel < 0 || sel >= static_cast<int>(choices.size())) return std::nullopt;
    return sel;
}

std::optional<std::string> WxDialogs::GetText(const std::string& text, const std::string& caption,
                                              const std::string& initial) {
    wxTextEntryDialog dlg(MainWindow(), ToWx(text), ToWx(caption), ToWx(initial), wxOK | wxCANCEL | wxCENTRE);
    PlaceDialog(dlg, dlg.GetParent(), dlg.GetClientSize());
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return FromWx(dlg.GetValue());
}

std::optional<std::filesystem::path> WxDialogs::ChooseOpenPath(const std::string& message, const std::string& wildcard,
                                                               const std::filesystem::path& folder) {
    wxFileDialog dlg(MainWindow(), ToWx(message), FolderText(folder), wxEmptyString, ToWx(wildcard),
                     wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return ToolkitPath(dlg.GetPath());
}

std::optional<std::filesystem::path> WxDialogs::ChooseSavePath(const std::string& message, const std::string& wildcard,
                                                               const std::filesystem::path& folder,
                                                               const std::string& defaultName) {
    // The caller asks before replacing a file, so the question goes through this seam too.
    wxFileDialog dlg(MainWindow(), ToWx(message), FolderText(folder), ToWx(defaultName), ToWx(wildcard), wxFD_SAVE);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return ToolkitPath(dlg.GetPath());
}

std::optional<std::filesystem::path> WxDialogs::ChooseFolder(const std::string& message,
                                                             const std::filesystem::path& folder) {
    wxDirDialog dlg(MainWindow(), ToWx(message), FolderText(folder), wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return ToolkitPath(dlg.GetPath());
}
