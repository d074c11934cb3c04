// The window's language: the toolkit's own buttons read Spanish whatever the system's language,
// read from what GTK actually draws, and the C locale keeps its decimal point.
#include <dlfcn.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/translation.h>

#include "panels/wxtext.h"
#include "ui/adapters.h"
#include "ui/language.h"
#include "ui/wxdialogs.h"

namespace {
template <class F>
F Gtk(const char* name) {
    auto f = reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
    if (!f) ADD_FAILURE() << "no GTK function " << name;
    return f;
}

// Every label text GTK shows inside widget, depth first.
void CollectLabels(GtkWidget* widget, void* out) {
    static const auto isA = Gtk<int (*)(void*, unsigned long)>("g_type_check_instance_is_a");
    static const auto labelType = Gtk<unsigned long (*)()>("gtk_label_get_type")();
    static const auto containerType = Gtk<unsigned long (*)()>("gtk_container_get_type")();
    static const auto text = Gtk<const char* (*)(GtkWidget*)>("gtk_label_get_text");
    static const auto forall = Gtk<void (*)(GtkWidget*, void (*)(GtkWidget*, void*), void*)>("gtk_container_forall");
    if (isA(widget, labelType)) static_cast<std::vector<std::string>*>(out)->push_back(text(widget));
    if (isA(widget, containerType)) forall(widget, &CollectLabels, out);
}

// Lets the next modal dialog show, reads what it shows once it is up, and closes it.
class ShownLabels final : public wxModalDialogHook {
public:
    ShownLabels() {
        Register();
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ReadAndClose(); });
    }
    ~ShownLabels() override { Unregister(); }
    std::vector<std::string> labels;

protected:
    int Enter(wxDialog* dialog) override {
        dialog_ = dialog;
        timer_.StartOnce(300);
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    void ReadAndClose() {
        if (!dialog_) return;
        if (dialog_->GetHandle()) CollectLabels(dialog_->GetHandle(), &labels);
        dialog_->EndModal(wxID_CANCEL);
        dialog_ = nullptr;
    }
    wxDialog* dialog_ = nullptr;
    wxTimer timer_;
};

// GTK's texts are UTF-8, the program's cp1252.
bool Holds(const std::vector<std::string>& labels, const std::string& text) {
    for (const std::string& l : labels)
        if (wxString::FromUTF8(l) == ToWx(text)) return true;
    return false;
}
}  // namespace

TEST(ToolkitLanguage, StockButtonsReadSpanishAndNumbersKeepTheCLocale) {
    ASSERT_TRUE(UseSpanishToolkitTexts()) << "the toolkit's Spanish catalogue is not installed";
    WxDialogs dialogs;
    const std::vector<std::string> choices = {"0 - Ninguna", "1 - Local"};
    struct Row {
        const char* what;
        std::function<void()> show;
        std::vector<std::string> buttons;
    } rows[] = {
        {"question with cancel", [&] { dialogs.AskYesNoCancel("¿Guardar?", "Guardar"); }, {"Sí", "No", "Cancelar"}},
        {"question", [&] { dialogs.AskYesNo("¿Seguro?", "Reset"); }, {"Sí", "No"}},
        {"information box", [&] { dialogs.Info("Conectado", "Información"); }, {"Aceptar"}},
        {"error box", [&] { dialogs.Error("No conetado", "Error"); }, {"Aceptar"}},
        {"text entry", [&] { dialogs.GetText("IP", "IP destino", "1.2.3.4"); }, {"Aceptar", "Cancelar"}},
        {"single choice", [&] { dialogs.ChooseOne("Seleccione", "Elegir tipo conexión", choices); },
         {"Aceptar", "Cancelar"}},
        // GTK's own file chooser: its buttons (its other texts follow the process's message locale).
        {"open file", [&] { dialogs.ChooseOpenPath("Abrir instalación", "*.voski"); }, {"Abrir", "Cancelar"}},
        {"save file", [&] { dialogs.ChooseSavePath("Guardar como", "*.voski"); }, {"Guardar", "Cancelar"}},
    };
    for (const Row& r : rows) {
        ShownLabels shown;
        r.show();
        for (const std::string& b : r.buttons) EXPECT_TRUE(Holds(shown.labels, b)) << r.what << ": no " << b;
        for (const char* english : {"Yes", "Cancel", "OK"})
            EXPECT_FALSE(Holds(shown.labels, english)) << r.what << ": " << english;
    }

    // The operations' progress dialog with its Cancel button (it needs a running event loop).
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        WxUiServices ui;
        ProgressOptions options;
        options.canCancel = true;
        auto progress = ui.OpenProgress("Enviando...", "Enviando...", 10, options);
        ASSERT_TRUE(progress);
        std::vector<std::string> labels;
        wxWindow* dialog = wxTopLevelWindows.GetLast()->GetData();
        CollectLabels(dialog->GetHandle(), &labels);
        EXPECT_TRUE(Holds(labels, "Cancelar"));
        EXPECT_FALSE(Holds(labels, "Cancel"));
    }

    // Only the texts changed: numbers still print and read with a point.
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 2.5);
    EXPECT_STREQ(printed, "2.5");
    EXPECT_EQ(std::strtod("2.5", nullptr), 2.5);
    wxTranslations::Set(nullptr);
}
