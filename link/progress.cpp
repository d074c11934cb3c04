#include "link/progress.h"

#include <algorithm>

void Progress::Open(const std::string& title, const std::string& message, int maximum,
                    const ProgressOptions& options) {
    Close();
    maximum_ = std::max(maximum, 0);
    if (ui_) dialog_ = ui_->OpenProgress(title, message, maximum_, options);
}

void Progress::Close() {
    if (dialog_ && maximum_ > 0 && counter_ >= maximum_) dialog_->Update(maximum_, std::string());
    dialog_.reset();
    counter_ = 0;
    maximum_ = 0;
}

int Progress::Shown() const { return std::clamp(counter_, 0, std::max(maximum_ - 1, 0)); }

bool Progress::Step(int steps, const std::string& text) {
    counter_ += steps;
    if (!dialog_) {
        Yield();
        return true;
    }
    return dialog_->Update(Shown(), text) && !dialog_->WasCancelled();
}

bool Progress::Cancelled() {
    if (!dialog_) {
        Yield();
        return false;
    }
    return !dialog_->Update(Shown(), std::string()) || dialog_->WasCancelled();
}

void Progress::Yield() {
    if (ui_) ui_->Yield();
}
