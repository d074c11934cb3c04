// UI services for tests: yields are counted (with an optional hook), message boxes recorded, and
// every progress dialog recorded with its updates; a dialog reports Cancel from a chosen update on
// or once a test's condition holds.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "datamodel/seams.h"

// What one progress dialog was asked to show.
struct ProgressRecord {
    std::string title;
    std::string message;
    int maximum = 0;
    ProgressOptions options;
    std::vector<std::pair<int, std::string>> updates;  // value, message (empty: kept)
    std::vector<std::string> messages;                 // the messages shown after the first
    bool cancelled = false;
    bool open = true;
};

class FakeUi final : public UiServices {
public:
    void Yield() override {
        ++yields;
        if (onYield) onYield();
    }
    std::unique_ptr<ProgressDialog> OpenProgress(const std::string& title, const std::string& message, int maximum,
                                                 const ProgressOptions& options) override;
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
    }
    ProgressRecord& Last() { return *progress.back(); }

    // The next dialog opened reports Cancel from its n-th update on (1: the first); -1 never.
    int cancelAfterUpdates = -1;
    // Asked at every update of any dialog: true makes it report Cancel from then on.
    std::function<bool()> cancelIf;
    std::function<void()> onYield;
    int yields = 0;
    std::vector<std::pair<std::string, std::string>> messages;  // text, caption
    std::vector<std::shared_ptr<ProgressRecord>> progress;
};
