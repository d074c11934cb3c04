// The toolkit's side of the dialogs seam (panels/dialogs.h): message boxes, questions, single
// choices, text entry and the file and folder choosers. The program installs it at start-up.
#pragma once

#include "panels/dialogs.h"

class WxDialogs final : public Dialogs {
public:
    void Info(const std::string& text, const std::string& caption) override;
    void Error(const std::string& text, const std::string& caption = "Error") override;
    using Dialogs::AskYesNo;
    bool AskYesNo(const std::string& text, const std::string& caption, DefaultButton button) override;
    Answer AskYesNoCancel(const std::string& text, const std::string& caption) override;
    std::optional<int> ChooseOne(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>& choices, int initial = 0) override;
    std::optional<std::string> GetText(const std::string& text, const std::string& caption,
                                       const std::string& initial = std::string()) override;
    std::optional<std::filesystem::path> ChooseOpenPath(const std::string& message, const std::string& wildcard,
                                                        const std::filesystem::path& folder = {}) override;
    std::optional<std::filesystem::path> ChooseSavePath(const std::string& message, const std::string& wildcard,
                                                        const std::filesystem::path& folder = {},
                                                        const std::string& defaultName = std::string()) override;
    std::optional<std::filesystem::path> ChooseFolder(const std::string& message,
                                                      const std::filesystem::path& folder = {}) override;
};
