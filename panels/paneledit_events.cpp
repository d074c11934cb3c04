// The edit view's handling of the event list panel.
#include "panels/paneledit.h"
#include "panels/panelevents.h"

void CPanelEdit::AddEvents(CEvents* events, CGrup* zones, CGrup* areas, CGrup* users) {
    DestroyEvents();
    events_ = new CPanelEvents(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER, wxT("scrolledWindow"));
    events_->SetNames(zones, areas, users);
    events_->SetEvents(events);
    Stack(events_, 1, wxALL);
}

void CPanelEdit::TransferEvents(bool store) {
    if (!events_) return;
    if (store) {
        events_->StoreControls();
    } else {
        events_->UpdateControls();
    }
}

void CPanelEdit::DestroyEvents() {
    if (events_) events_->Destroy();
    events_ = nullptr;
}

CEvents* CPanelEdit::GetEvents() const { return events_ ? events_->GetEvents() : nullptr; }
