#include "support/fake_ui.h"

namespace {

class FakeProgress final : public ProgressDialog {
public:
    FakeProgress(FakeUi& ui, std::shared_ptr<ProgressRecord> record, int cancelAfter)
        : ui_(ui), record_(std::move(record)), cancelAfter_(cancelAfter) {}
    ~FakeProgress() override { record_->open = false; }
    bool Update(int value, const std::string& message) override {
        record_->updates.push_back({value, message});
        if (!message.empty()) record_->messages.push_back(message);
        if (cancelAfter_ > 0 && static_cast<int>(record_->updates.size()) >= cancelAfter_) record_->cancelled = true;
        if (ui_.cancelIf && ui_.cancelIf()) record_->cancelled = true;
        return !record_->cancelled;
    }
    bool WasCancelled() const override { return record_->cancelled; }

private:
    FakeUi& ui_;
    std::shared_ptr<ProgressRecord> record_;
    int cancelAfter_;
};

}  // namespace

std::unique_ptr<ProgressDialog> FakeUi::OpenProgress(const std::string& title, const std::string& message,
                                                     int maximum, const ProgressOptions& options) {
    auto record = std::make_shared<ProgressRecord>();
    record->title = title;
    record->message = message;
    record->maximum = maximum;
    record->options = options;
    progress.push_back(record);
    const int cancel = cancelAfterUpdates;
    cancelAfterUpdates = -1;
    return std::make_unique<FakeProgress>(*this, record, cancel);
}
