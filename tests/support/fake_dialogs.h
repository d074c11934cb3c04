// Scripted answers for the dialogs seam: a test queues what the installer would answer, in
// order; every question is recorded, and a question with no queued answer (or of another kind
// than the next answer) fails the test and is refused, so no test ever blocks on a dialog.
// Install it with SetDialogs(&fake) and check Done() at the end.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "panels/dialogs.h"

class FakeDialogs final : public Dialogs {
public:
    struct Shown {
        Shown(std::string k, std::string t, std::string c = {}, std::vector<std::string> ch = {}, std::string i = {},
              std::string w = {})
            : kind(std::move(k)), text(std::move(t)), caption(std::move(c)), choices(std::move(ch)), initial(std::move(i)),
              wildcard(std::move(w)) {}
        std::string kind;  // "info", "error", "yesno", "yesnocancel", "choose", "text", "open", "save", "folder"
        std::string text;
        std::string caption;
        std::vector<std::string> choices;
        std::string initial;   // a text question's default answer, a save dialog's default name
        std::string wildcard;  // a file dialog's wildcard
        bool defaultNo = false;  // a Yes / No question whose default button is No
        bool operator==(const Shown&) const = default;
        friend void PrintTo(const Shown& s, std::ostream* os) {
            *os << s.kind << " \"" << s.text << "\" caption \"" << s.caption << "\" initial \"" << s.initial
                << "\" wildcard \"" << s.wildcard << "\" choices " << s.choices.size()
                << (s.defaultNo ? " default No" : "");
        }
        // A Yes / No question as shown, with its default button.
        static Shown YesNo(std::string text, std::string caption, DefaultButton button) {
            Shown s("yesno", std::move(text), std::move(caption));
            s.defaultNo = button == DefaultButton::No;
            return s;
        }
    };
    std::vector<Shown> shown;

    // Queued answers, one per question that expects one (Info and Error take none).
    void AnswerYesNo(bool yes) { answers_.push_back({"yesno", yes ? Answer::Yes : Answer::No}); }
    void AnswerYesNoCancel(Answer a) { answers_.push_back({"yesnocancel", a}); }
    void AnswerChoice(std::optional<int> index) { answers_.push_back({"choose", index}); }
    void AnswerText(std::optional<std::string> text) { answers_.push_back({"text", text}); }
    void AnswerOpenPath(std::optional<std::filesystem::path> p) { answers_.push_back({"open", p}); }
    void AnswerSavePath(std::optional<std::filesystem::path> p) { answers_.push_back({"save", p}); }
    void AnswerFolder(std::optional<std::filesystem::path> p) { answers_.push_back({"folder", p}); }

    // True when every queued answer was used.
    bool Done() const { return answers_.empty(); }
    // The texts of the error boxes shown so far.
    std::vector<std::string> Errors() const {
        std::vector<std::string> out;
        for (const Shown& s : shown)
            if (s.kind == "error") out.push_back(s.text);
        return out;
    }
    const Shown* Last() const { return shown.empty() ? nullptr : &shown.back(); }

    void Info(const std::string& text, const std::string& caption) override { shown.push_back({"info", text, caption, {}}); }
    void Error(const std::string& text, const std::string& caption) override { shown.push_back({"error", text, caption, {}}); }
    using Dialogs::AskYesNo;
    bool AskYesNo(const std::string& text, const std::string& caption, DefaultButton button) override {
        shown.push_back(Shown::YesNo(text, caption, button));
        auto a = Take<Answer>("yesno");
        return a && *a == Answer::Yes;
    }
    Answer AskYesNoCancel(const std::string& text, const std::string& caption) override {
        shown.push_back({"yesnocancel", text, caption, {}});
        return Take<Answer>("yesnocancel").value_or(Answer::Cancel);
    }
    std::optional<int> ChooseOne(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>& choices, int) override {
        shown.push_back({"choose", text, caption, choices});
        if (choices.empty()) return std::nullopt;  // as the real one: no dialog, no answer used
        return Take<std::optional<int>>("choose").value_or(std::nullopt);
    }
    std::optional<std::string> GetText(const std::string& text, const std::string& caption,
                                       const std::string& initial) override {
        shown.push_back({"text", text, caption, {}, initial, {}});
        return Take<std::optional<std::string>>("text").value_or(std::nullopt);
    }
    std::optional<std::filesystem::path> ChooseOpenPath(const std::string& message, const std::string& wildcard,
                                                        const std::filesystem::path&) override {
        shown.push_back({"open", message, {}, {}, {}, wildcard});
        return Take<std::optional<std::filesystem::path>>("open").value_or(std::nullopt);
    }
    std::optional<std::filesystem::path> ChooseSavePath(const std::string& message, const std::string& wildcard,
                                                        const std::filesystem::path&,
                                                        const std::string& defaultName) override {
        shown.push_back({"save", message, {}, {}, defaultName, wildcard});
        return Take<std::optional<std::filesystem::path>>("save").value_or(std::nullopt);
    }
    std::optional<std::filesystem::path> ChooseFolder(const std::string& message,
                                                      const std::filesystem::path&) override {
        shown.push_back({"folder", message, {}, {}});
        return Take<std::optional<std::filesystem::path>>("folder").value_or(std::nullopt);
    }

private:
    using Value = std::variant<Answer, std::optional<int>, std::optional<std::string>,
                               std::optional<std::filesystem::path>>;
    struct Queued {
        std::string kind;
        Value value;
    };
    std::deque<Queued> answers_;

    template <class T>
    std::optional<T> Take(const std::string& kind) {
        if (answers_.empty() || answers_.front().kind != kind) {
            ADD_FAILURE() << "unexpected " << kind << " dialog: " << shown.back().text
                          << (answers_.empty() ? " (no answer queued)" : " (next answer is " + answers_.front().kind + ")");
            return std::nullopt;
        }
        T value = std::get<T>(answers_.front().value);
        answers_.pop_front();
        return value;
    }
};
