// Every kind of dialog the program opens, each as the first dialog of its process with the main
// window maximised, as on a desktop: it opens centred on the main window (questions, choices,
// text, files, folders, progress) or on the screen (the outcome boxes), a box is wide enough for
// its whole caption beside the title bar's buttons, and nothing is printed (a toolkit message
// fails the test through the test main). Under a window manager each runs in a process of its
// own (tests/scripts/each_test_alone.sh), since only a process's first dialog meets a toolkit
// that has not measured a window manager's frames yet.
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/translation.h>
#include <wx/utils.h>

#include "panels/wxtext.h"
#include "toplevel_geometry.h"
#include "ui/adapters.h"
#include "ui/language.h"
#include "ui/wxdialogs.h"

namespace {
// How far a dialog's centre may lie from the centre of what it is centred on: the toolkit knows
// neither a maximised window's title bar nor, before the first dialog shows, a dialog's frame,
// and places by what it knows. A window in a corner misses by hundreds of pixels.
constexpr int kSlack = 32;
// Every wait for the window manager ends here (the manager answers within milliseconds).
constexpr int kPolls = 500;

void Settle() {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
}

enum class Over { MainWindow, Screen };

struct Kind {
    const char* name;
    Over over;
    const char* caption;  // a box's caption as shown; null for the other kinds
    // Opens the dialog; the progress dialog, which is not modal, comes back open.
    std::function<std::unique_ptr<ProgressDialog>(WxDialogs&, WxUiServices&)> open;
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

const Kind kKinds[] = {
    {"InformationBox", Over::Screen, "Información",
     [](auto& d, auto&) { d.Info("Conectado", "Información"); return nullptr; }},
    {"BoxWithTheDefaultCaption", Over::Screen, "Mensaje",
     [](auto& d, auto&) { d.Info("ok", wxMessageBoxCaptionStr); return nullptr; }},
    {"ErrorBox", Over::Screen, "Error", [](auto& d, auto&) { d.Error("Conexión cerrada", "Error"); return nullptr; }},
    {"Question", Over::MainWindow, nullptr,
     [](auto& d, auto&) { d.AskYesNo("¿Seguro?", "Reset", DefaultButton::No); return nullptr; }},
    {"QuestionWithCancel", Over::MainWindow, nullptr,
     [](auto& d, auto&) { d.AskYesNoCancel("¿Guardar los cambios?", "Guardar"); return nullptr; }},
    {"SingleChoice", Over::MainWindow, nullptr,
     [](auto& d, auto&) {
         d.ChooseOne("Seleccione el modelo de la central para la instalación:", "Elegir modelo", {"EX08", "TK40"});
         return nullptr;
     }},
    {"TextEntry", Over::MainWindow, nullptr, [](auto& d, auto&) { d.GetText("IP destino", "IP"); return nullptr; }},
    {"OpenFile", Over::MainWindow, nullptr,
     [](auto& d, auto&) { d.ChooseOpenPath("Abrir instalación", "*.voski"); return nullptr; }},
    {"SaveFile", Over::MainWindow, nullptr,
     [](auto& d, auto&) { d.ChooseSavePath("Guardar como", "*.voski"); return nullptr; }},
    {"Folder", Over::MainWindow, nullptr, [](auto& d, auto&) { d.ChooseFolder("Carpeta"); return nullptr; }},
    {"Progress", Over::MainWindow, nullptr,
     [](auto&, auto& ui) { return ui.OpenProgress("Conectando...", "Conectando...", 5, {true, true}); }},
};

// Lets the next modal dialog open, notes where the window manager puts it and what it shows, and
// closes it; a dialog without a modal loop is followed by hand.
class Watch final : public wxModalDialogHook {
public:
    Watch() {
        Register();
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Poll(); });
    }
    ~Watch() override { Unregister(); }

    // A dialog that is not modal: polled until it is on the screen.
    void Follow(wxDialog* dialog) {
        Enter(dialog);
        for (int i = 0; i < kPolls && dialog_; ++i) {
            Poll();
            Settle();
        }
    }

    std::optional<wxRect> frame;  // the dialog with its frame, once on the screen
    std::optional<wxRect> inner;  // without the frame
    wxString title;
    wxFont font;

protected:
    int Enter(wxDialog* dialog) override {
        if (seen_) return wxID_NONE;  // a file dialog passes the hooks twice
        seen_ = true;
        dialog_ = dialog;
        timer_.Start(10);
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    void Poll() {
        if (!dialog_) return;
        ++polls_;
        if (!Placed(dialog_) && polls_ < kPolls) return;
        frame = FrameRect(dialog_);
        inner = InnerRect(dialog_);
        title = dialog_->GetTitle();
        font = dialog_->GetFont();
        timer_.Stop();
        if (dialog_->IsModal()) dialog_->EndModal(wxID_CANCEL);
        dialog_ = nullptr;
    }

    wxDialog* dialog_ = nullptr;
    wxTimer timer_;
    int polls_ = 0;
    bool seen_ = false;
};

wxPoint Centre(const wxRect& r) { return wxPoint(r.x + r.width / 2, r.y + r.height / 2); }

class FirstDialogTest : public ::testing::TestWithParam<Kind> {};

TEST_P(FirstDialogTest, OpensCentredWholeAndWithoutAToolkitMessage) {
    const Kind& kind = GetParam();
    // The toolkit's texts in the program's language, as the program starts.
    ASSERT_TRUE(UseSpanishToolkitTexts()) << "the toolkit's Spanish catalogue is not installed";
    // The main window maximised, as the program opens it (and as large as the screen where no
    // window manager maximises it). Shown first: the toolkit then knows no frame's size when the
    // dialog comes, as the program's first dialog finds it on a desktop.
    const wxRect screen = wxDisplay(0u).GetClientArea();
    auto* main = new wxFrame(nullptr, wxID_ANY, wxT("Vosk Orvane"), screen.GetPosition(), screen.GetSize());
    wxTheApp->SetTopWindow(main);
    main->Show();
    main->Maximize(true);
    bool shown = false;
    for (int i = 0; i < kPolls && !shown; ++i) {
        Settle();
        shown = Settled(main) && FrameRect(main) == screen;
    }
    ASSERT_TRUE(shown) << "the main window never showed maximised";

    {
        // The progress dialog needs a running event loop.
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        WxDialogs dialogs;
        WxUiServices ui;
        Watch watch;
        const std::unique_ptr<ProgressDialog> open = kind.open(dialogs, ui);
        if (open) watch.Follow(static_cast<wxDialog*>(wxTopLevelWindows.GetLast()->GetData()));
        ASSERT_TRUE(watch.frame) << kind.name << ": the dialog never showed";
        const std::optional<wxRect> mainRect = FrameRect(main);
        ASSERT_TRUE(mainRect);
        const wxRect area = kind.over == Over::Screen ? screen : *mainRect;
        const wxPoint off = Centre(*watch.frame) - Centre(area);
        EXPECT_TRUE(std::abs(off.x) <= kSlack && std::abs(off.y) <= kSlack)
            << kind.name << " at " << watch.frame->x << "," << watch.frame->y << " " << watch.frame->width << "x"
            << watch.frame->height << ", off centre by " << off.x << "," << off.y;
        if (kind.caption) {
            EXPECT_EQ(FromWx(watch.title), kind.caption);
            // The caption, bold as title bars draw it, beside four buttons as wide as the title bar
            // is high (window menu, minimise, maximise, close).
            wxClientDC dc(main);
            dc.SetFont(watch.font.Bold());
            const int bar = watch.inner ? watch.inner->y - watch.frame->y : 0;
            EXPECT_GE(watch.frame->width, dc.GetTextExtent(watch.title).x + 4 * bar)
                << kind.name << ": the caption is cut (title bar " << bar << " high)";
        }
    }
    wxTheApp->SetTopWindow(nullptr);
    delete main;
    wxTranslations::Set(nullptr);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, FirstDialogTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

}  // namespace
