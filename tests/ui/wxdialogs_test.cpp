// The toolkit's side of the dialogs seam, answered through the toolkit's own test hooks: what
// each dialog returns, that an empty choice list opens no dialog at all, and that a choice's list
// shows a scroll bar only when it scrolls.
#include <dlfcn.h>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/choicdlg.h>
#include <wx/listbox.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
// After the message dialog's base, which it needs.
#include <wx/generic/msgdlgg.h>
#include <wx/testing.h>
#include <wx/textdlg.h>
#include <wx/utils.h>

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

// Shows a single choice as its modal loop would (the hook runs before it shows), waits until its
// list is on the screen, notes whether the list's vertical scroll bar is on the screen too, and
// cancels. GTK hides a bar that is not needed with gtk_widget_set_child_visible: such a bar stays
// "visible" but is never mapped. GTK is looked up at run time in the toolkit the process has
// loaded (the build has no GTK headers).
class ExpectScrollBar : public wxExpectModalBase<wxSingleChoiceDialog> {
public:
    explicit ExpectScrollBar(std::optional<bool>* shown) : shown_(shown) {}

protected:
    int OnInvoked(wxSingleChoiceDialog* dlg) const override {
        const auto vbar = reinterpret_cast<GtkWidget* (*)(GtkWidget*)>(
            dlsym(RTLD_DEFAULT, "gtk_scrolled_window_get_vscrollbar"));
        const auto mapped = reinterpret_cast<int (*)(GtkWidget*)>(dlsym(RTLD_DEFAULT, "gtk_widget_get_mapped"));
        wxListBox* list = nullptr;
        for (wxWindow* child : dlg->GetChildren())
            if (auto* l = dynamic_cast<wxListBox*>(child)) list = l;
        if (!vbar || !mapped || !list) {
            ADD_FAILURE() << "no list or no GTK";
            return wxID_CANCEL;
        }
        // On GTK a list box's widget is its scrolled window.
        GtkWidget* scrolled = list->GetHandle();
        dlg->Show();
        // Until the list is mapped, and a few rounds more for whatever the layout still has to do.
        for (int i = 0, after = 0; i < 500 && after < 10; ++i, after += mapped(scrolled) ? 1 : 0) {
            wxTheApp->Yield(true);
            wxMilliSleep(10);
        }
        if (mapped(scrolled)) *shown_ = mapped(vbar(scrolled)) != 0;
        dlg->Hide();
        return wxID_CANCEL;
    }

private:
    std::optional<bool>* shown_;
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

TEST(WxDialogs, AChoiceShowsAScrollBarOnlyWhenItsListScrolls) {
    WxDialogs d;
    std::vector<std::string> components;
    for (int i = 1; i <= 30; ++i) components.push_back("Componente " + std::to_string(i));
    const std::vector<std::string> twelve(components.begin(), components.begin() + 12);
    struct Case {
        const char* name;
        std::vector<std::string> entries;
        bool bar;
    } cases[] = {
        {"Elegir tipo conexión",
         {"0 - Ninguna", "1 - Local", "2 - Modem", "3 - CSD", "4 - TCP/IP", "5 - GPRS", "6 - CRA LINK"},
         false},
        {"Elegir modelo", {"EX08", "TK40", "VX16"}, false},
        {"twelve entries, the most the list grows to show", twelve, false},
        {"thirty entries", components, true},
    };
    for (const Case& c : cases) {
        std::optional<bool> bar;
        wxTEST_DIALOG(d.ChooseOne("Seleccione", c.name, c.entries), ExpectScrollBar(&bar));
        ASSERT_TRUE(bar.has_value()) << c.name << ": the list never showed";
        EXPECT_EQ(*bar, c.bar) << c.name << ": " << (*bar ? "a scroll bar" : "no scroll bar");
    }
}
