// The progress of the running operation: its one dialog, the step counter with its maximum, the
// check of the Cancel button and the yield to the window. The application core owns one and
// opens and closes its dialog per operation; the frame layer and the link are handed a pointer to
// the same object and step or check it in their waits, so every layer shows and clamps the same
// value.
//
// The bar never passes its maximum, and while the operation runs it stops one step short of it:
// a dialog that hides itself when full cannot vanish in the middle of an operation. Closing the
// dialog after every planned step was counted shows the full bar first.
#pragma once

#include <memory>
#include <string>

#include "datamodel/seams.h"

class Progress {
public:
    Progress() = default;
    ~Progress() = default;
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // The services that open the dialog and yield (null: no dialog, no yield).
    void SetUiServices(UiServices* ui) { ui_ = ui; }
    UiServices* GetUiServices() const { return ui_; }

    // Opens a dialog of maximum steps at 0 (an open one is closed first). Without UI services
    // nothing is shown, and steps and checks only count.
    void Open(const std::string& title, const std::string& message, int maximum,
              const ProgressOptions& options = ProgressOptions{});
    // Closes the dialog and zeroes the counter.
    void Close();
    bool IsOpen() const { return dialog_ != nullptr; }
    ProgressDialog* Dialog() const { return dialog_.get(); }
    int Value() const { return counter_; }
    int Maximum() const { return maximum_; }
    // The value the bar shows now: the counter within 0 and one step short of the maximum.
    int Shown() const;

    // Advances by steps and shows text (empty keeps the message). False when Cancel was pressed.
    // Without a dialog it lets the window run and is true.
    bool Step(int steps, const std::string& text = std::string());
    // True when the operation's Cancel was pressed. Without a dialog it lets the window run.
    bool Cancelled();
    // Lets pending window events run (no user input reaches the window without a dialog).
    void Yield();

private:
    UiServices* ui_ = nullptr;
    std::unique_ptr<ProgressDialog> dialog_;
    int counter_ = 0;
    int maximum_ = 0;
};
