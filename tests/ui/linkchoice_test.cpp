// The link dialogue's first question offers the installation's own link kind, so OK without
// looking keeps the link the installation has.
#include <gtest/gtest.h>

#include "core/appcore.h"
#include "datamodel/dades.h"
#include "window_harness.h"

namespace {
// Forwards every question to the scripted dialogs and records the entry each single choice
// offers; a choice answered "as offered" returns that entry, as OK without looking does.
class OfferedChoices final : public Dialogs {
public:
    explicit OfferedChoices(FakeDialogs& scripted) : scripted_(scripted) {}
    std::vector<int> offered;
    int acceptAsOffered = 0;  // how many of the next choices are answered with OK at once

    void Info(const std::string& t, const std::string& c) override { scripted_.Info(t, c); }
    void Error(const std::string& t, const std::string& c) override { scripted_.Error(t, c); }
    bool AskYesNo(const std::string& t, const std::string& c, DefaultButton b) override {
        return scripted_.AskYesNo(t, c, b);
    }
    Answer AskYesNoCancel(const std::string& t, const std::string& c) override { return scripted_.AskYesNoCancel(t, c); }
    std::optional<int> ChooseOne(const std::string& t, const std::string& c, const std::vector<std::string>& choices,
                                 int initial) override {
        offered.push_back(initial);
        if (acceptAsOffered > 0) {
            --acceptAsOffered;
            return initial;
        }
        return scripted_.ChooseOne(t, c, choices, initial);
    }
    std::optional<std::string> GetText(const std::string& t, const std::string& c, const std::string& i) override {
        return scripted_.GetText(t, c, i);
    }
    std::optional<std::filesystem::path> ChooseOpenPath(const std::string& m, const std::string& w,
                                                        const std::filesystem::path& f) override {
        return scripted_.ChooseOpenPath(m, w, f);
    }
    std::optional<std::filesystem::path> ChooseSavePath(const std::string& m, const std::string& w,
                                                        const std::filesystem::path& f, const std::string& d) override {
        return scripted_.ChooseSavePath(m, w, f, d);
    }
    std::optional<std::filesystem::path> ChooseFolder(const std::string& m, const std::filesystem::path& f) override {
        return scripted_.ChooseFolder(m, f);
    }

private:
    FakeDialogs& scripted_;
};
}  // namespace

TEST_F(WindowTest, TheLinkDialogueOffersTheInstallationsKind) {
    ASSERT_TRUE(OpenSample());
    OfferedChoices choices(dialogs);
    SetDialogs(&choices);
    CDades& dades = core->GetInstalacio().GetDades();
    // "0 - Ninguna" ... "6 - CRA LINK" are entries 0 to 6; a kind outside them offers the first.
    for (auto [kind, entry] : {std::pair{0, 0}, {1, 1}, {4, 4}, {6, 6}, {9, 0}, {-1, 0}}) {
        dades.SetTipusConexio(kind);
        dialogs.AnswerChoice(std::nullopt);
        ASSERT_TRUE(Run(ID_TOOL_CONFIGURE));
        ASSERT_FALSE(choices.offered.empty());
        EXPECT_EQ(choices.offered.back(), entry) << "kind " << kind;
        EXPECT_EQ(dades.GetTipusConexio(), kind);  // cancelled: nothing stored
    }

    // OK at once keeps the TCP/IP link; only its address and port are asked again.
    dades.SetTipusConexio(4);
    choices.acceptAsOffered = 1;
    dialogs.AnswerText("192.168.1.100");
    dialogs.AnswerText("4000");
    ASSERT_TRUE(Run(ID_MENU_CONFIGURE));
    EXPECT_EQ(dades.GetTipusConexio(), 4);
    EXPECT_EQ(dades.GetIpPort(), 4000);
    SetDialogs(&dialogs);
}
