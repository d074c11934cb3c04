// The toolkit's side of the dialogs seam, answered through the toolkit's own test hooks: what
// each dialog returns, and that an empty choice list opens no dialog at all.
#include <gtest/gtest.h>
#include <wx/choicdlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
// After the message dialog's base, which it needs.
#include <wx/generic/msgdlgg.h>
#include <wx/testing.h>
#include <wx/textdlg.h>

#include "panels/wxtext.h"
#include "ui/wxdialogs.h"

template <>
class wxExpectModal<wxGenericMessageDialog> : public wxExpectModalBase<wxGenericMessageDialog> {
public:
    explicit wxExpectModal(int id) : id_(id) {}

protected:
    int OnInvoked(wxGenericMessageDialog*) const override { return id_; }

private:
    int id_;
};

template <>
class wxExpectModal<wxSingleChoiceDialog> : public wxExpectModalBase<wxSingleChoiceDialog> {
public:
    wxExpectModal(int selection, int id = wxID_OK) : selection_(selection), id_(id) {}

protected:
    int OnInvoked(wxSingleChoiceDialog* dlg) const override {
        dlg->SetSelection(selection_);
        return id_;
    }

private:
    int selection_;
    int id_;
};

template <>
class wxExpectModal<wxTextEntryDialog> : public wxExpectModalBase<wxTextEntryDialog> {
public:
    wxExpectModal(const wxString& value, int id = wxID_OK) : value_(value), id_(id) {}

protected:
    int OnInvoked(wxTextEntryDialog* dlg) const override {
        dlg->SetValue(value_);
        return id_;
    }

private:
    wxString value_;
    int id_;
};

namespace {
// Answers a message box with No and keeps the button that Return would press.
class ExpectQuestion : public wxExpectModalBase<wxGenericMessageDialog> {
public:
    explicit ExpectQuestion(int* defaultId) : defaultId_(defaultId) {}

protected:
    int OnInvoked(wxGenericMessageDialog* dlg) const override {
        wxWindow* item = dlg->GetDefaultItem();
        *defaultId_ = item ? item->GetId() : wxID_NONE;
        return wxID_NO;
    }

private:
    int* defaultId_;
};

// Fails on any dialog that opens and answers it with Cancel.
class NoDialog final : public wxModalDialogHook {
public:
    NoDialog() { Register(); }
    ~NoDialog() override { Unregister(); }

protected:
    int Enter(wxDialog*) override {
        ADD_FAILURE() << "a dialog opened";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};
}  // namespace

TEST(WxDialogs, AnswersComeBackAsTheSeamsValues) {
    WxDialogs d;
    bool yes = false, no = true;
    Answer cancel = Answer::Yes;
    wxTEST_DIALOG(yes = d.AskYesNo("¿Seguro?", "Reset"), wxExpectModal<wxGenericMessageDialog>(wxID_YES));
    wxTEST_DIALOG(no = d.AskYesNo("¿Seguro?", "Reset"), wxExpectModal<wxGenericMessageDialog>(wxID_NO));
    wxTEST_DIALOG(cancel = d.AskYesNoCancel("Guardar?", "Guardar"), wxExpectModal<wxGenericMessageDialog>(wxID_CANCEL));
    EXPECT_TRUE(yes);
    EXPECT_FALSE(no);
    EXPECT_EQ(cancel, Answer::Cancel);
    wxTEST_DIALOG(d.Error("Se perdió la conexión", "Error"), wxExpectModal<wxGenericMessageDialog>(wxID_OK));

    std::optional<int> chosen, dismissed;
    const std::vector<std::string> kinds = {"0 - Ninguna", "1 - Local", "2 - Año"};
    wxTEST_DIALOG(chosen = d.ChooseOne("Seleccione", "Elegir", kinds), wxExpectModal<wxSingleChoiceDialog>(2));
    wxTEST_DIALOG(dismissed = d.ChooseOne("Seleccione", "Elegir", kinds),
                  wxExpectModal<wxSingleChoiceDialog>(1, wxID_CANCEL));
    EXPECT_EQ(chosen, 2);
    EXPECT_FALSE(dismissed.has_value());

    std::optional<std::string> text, none;
    wxTEST_DIALOG(text = d.GetText("IP", "IP destino", "1.2.3.4"), wxExpectModal<wxTextEntryDialog>(ToWx("Pérez")));
    wxTEST_DIALOG(none = d.GetText("IP", "IP destino"), wxExpectModal<wxTextEntryDialog>(wxT("x"), wxID_CANCEL));
    EXPECT_EQ(text, "Pérez");  // back in cp1252
    EXPECT_FALSE(none.has_value());
}

TEST(WxDialogs, AnEmptyChoiceListOpensNoDialog) {
    WxDialogs d;
    NoDialog guard;
    EXPECT_FALSE(d.ChooseOne("Puerto COM", "Puerto com", {}).has_value());
}

TEST(WxDialogs, AQuestionNamesItsDefaultButton) {
    WxDialogs d;
    struct Case {
        DefaultButton button;
        int id;
    } cases[] = {{DefaultButton::No, wxID_NO}, {DefaultButton::Yes, wxID_YES}};
    for (const Case& c : cases) {
        int id = wxID_NONE;
        wxTEST_DIALOG(d.AskYesNo("¿Seguro?", "Reset", c.button), ExpectQuestion(&id));
        EXPECT_EQ(id, c.id);
    }
    int id = wxID_NONE;
    wxTEST_DIALOG(d.AskYesNo("¿Seguro?", "Cerrar"), ExpectQuestion(&id));
    EXPECT_EQ(id, wxID_YES);  // without a word, Yes
}
