#include "panels/dialogs.h"

#include <cstdio>

#include "core/appcore.h"

namespace {
// Answers every question with its refusal and leaves a trace of it.
class RefusingDialogs final : public Dialogs {
public:
    void Info(const std::string& text, const std::string& caption) override { Trace(caption, text); }
    void Error(const std::string& text, const std::string& caption) override { Trace(caption, text); }
    using Dialogs::AskYesNo;
    bool AskYesNo(const std::string& text, const std::string& caption, DefaultButton) override {
        Trace(caption, text);
        return false;
    }
    Answer AskYesNoCancel(const std::string& text, const std::string& caption) override {
        Trace(caption, text);
        return Answer::Cancel;
    }
    std::optional<int> ChooseOne(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>&, int) override {
        Trace(caption, text);
        return std::nullopt;
    }
    std::optional<std::string> GetText(const std::string& text, const std::string& caption,
                                       const std::string&) override {
        Trace(caption, text);
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseOpenPath(const std::string& message, const std::string&,
                                                        const std::filesystem::path&) override {
        Trace("open", message);
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseSavePath(const std::string& message, const std::string&,
                                                        const std::filesystem::path&,
                                                        const std::string&) override {
        Trace("save", message);
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseFolder(const std::string& message,
                                                      const std::filesystem::path&) override {
        Trace("folder", message);
        return std::nullopt;
    }

private:
    static void Trace(const std::string& caption, const std::string& text) {
        std::fprintf(stderr, "dialog without a window [%s]: %s\n", caption.c_str(), text.c_str());
    }
};

RefusingDialogs refusing;
Dialogs* installed = nullptr;
}  // namespace

Dialogs& GetDialogs() { return installed ? *installed : refusing; }

void SetDialogs(Dialogs* dialogs) { installed = dialogs; }

void ShowCoreError(CAppCore* core, const std::string& text) {
    // The report is taken before the box shows: a modal box runs the window's pending events.
    if (core) core->TakeLostLinkReport();
    GetDialogs().Error(text, "Error");
}
