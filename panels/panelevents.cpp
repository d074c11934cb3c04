#include "panels/panelevents.h"

#include <algorithm>
#include <initializer_list>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/wrapsizer.h>

#include "datamodel/events.h"
#include "datamodel/text.h"
#include "panels/dialogs.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"

namespace {

const char* const kWholeMemoryQuestion =
    "Si marca esta opción puede que reciba eventos erróneos y eventos repetidos.\n"
    " ¿Esta seguro de que quiere marcar esta opción?";
const char* const kEmptyQuestion = "¿Seguro que desea vaciar la lista de eventos?";
const char* const kExportTitle = "Elija un nombre para el fichero CSV de exportación";
const char* const kExportDone =
    "Lista de eventos exportada con éxito.\nDespues de exportar se recomiendo vaciar la lista de eventos\n"
    "para evitar ficheros de instalación demasiado grandes.";
constexpr int kCellMargin = 16;  // a cell's padding on both sides

// The list asks the panel for the text and colour of each row it draws.
class EventListCtrl final : public wxListCtrl {
public:
    explicit EventListCtrl(CPanelEvents* panel)
        : wxListCtrl(panel, wxID_ANY, wxPoint(0, 0), wxSize(300, 150), wxLC_REPORT | wxLC_HRULES | wxLC_VIRTUAL),
          panel_(panel) {
        alarm_.SetBackgroundColour(wxColour(255, 187, 187));
    }

    wxString OnGetItemText(long item, long column) const override { return panel_->CellText(item, column); }
    wxItemAttr* OnGetItemAttr(long item) const override { return panel_->IsAlarm(item) ? &alarm_ : nullptr; }

private:
    CPanelEvents* panel_;
    mutable wxItemAttr alarm_;
};

}  // namespace

CPanelEvents::CPanelEvents(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 150) : size, style, name) {
    SetSizer(new wxBoxSizer(wxVERTICAL));
    Bind(wxEVT_CHECKBOX, &CPanelEvents::OnShowFlag, this, ID_SHOW_ALARMS, ID_SHOW_PHONE_CALLS);
    Bind(wxEVT_CHECKBOX, &CPanelEvents::OnShowFlag, this, ID_FILTER_ACCOUNT);
    Bind(wxEVT_CHECKBOX, &CPanelEvents::OnReceiveWholeMemory, this, ID_WHOLE_MEMORY);
    Bind(wxEVT_BUTTON, &CPanelEvents::OnExport, this, ID_EXPORT);
    Bind(wxEVT_BUTTON, &CPanelEvents::OnEmpty, this, ID_EMPTY);
}

// The list's rows call back into the panel: it goes before the panel's members do.
CPanelEvents::~CPanelEvents() { DeleteControls(); }

bool CPanelEvents::SetNames(CGrup* zones, CGrup* areas, CGrup* users) {
    names_.Fill(zones, areas, users);
    return true;
}

bool CPanelEvents::SetEvents(CEvents* record) {
    record_ = record;
    CreateControls();
    return true;
}

bool CPanelEvents::UpdateControls() {
    if (!record_) return false;
    // Emptying the list or a read may have changed the flag behind the box.
    ShowWholeMemory();
    FillList();
    return true;
}

bool CPanelEvents::StoreControls() { return record_ != nullptr; }

void CPanelEvents::Clear() {
    record_ = nullptr;
    DeleteControls();
}

void CPanelEvents::DeleteControls() {
    DestroyPanelControls(this);
    list_ = nullptr;
    wholeMemory_ = nullptr;
    account_ = nullptr;
    shown_.clear();
}

void CPanelEvents::CreateControls() {
    DeleteControls();
    if (!record_) return;
    format_ = record_->GetTipus();
    list_ = new EventListCtrl(this);

    auto box = [this](ControlId id, const char* label, bool value) {
        auto* b = new wxCheckBox(this, id, ToWx(label));
        b->SetValue(value);
        return b;
    };
    wxCheckBox* alarms = box(ID_SHOW_ALARMS, "Muestra Alarmas", filter_.alarms);
    wxCheckBox* supervisions = box(ID_SHOW_SUPERVISIONS, "Muestra Supervisiones", filter_.supervisions);
    wxCheckBox* onOff = box(ID_SHOW_ONOFF, "Muestra ON/OFF", filter_.openClose);
    wxCheckBox* faults = box(ID_SHOW_FAULTS, "Muestra Averías", filter_.troubles);
    wxCheckBox* tests = box(ID_SHOW_TESTS, "Muestra Tests", filter_.tests);
    wxCheckBox* omissions = box(ID_SHOW_OMISSIONS, "Muestra Omisiones", filter_.bypasses);
    wxCheckBox* reverse = box(ID_REVERSE_ORDER, "Invierte orden", filter_.reverse);
    wxCheckBox* phoneCalls = box(ID_SHOW_PHONE_CALLS, "Muestra Llamadas telefónicas", filter_.phoneCalls);
    wholeMemory_ = box(ID_WHOLE_MEMORY, "Recibir toda la memoria de eventos", record_->IsWholeMemory());
    wxCheckBox* byAccount = nullptr;
    if (format_ == EventFormatExtended) {
        byAccount = box(ID_FILTER_ACCOUNT, " Filtrar por código de abonado ", filter_.byAccount);
        // Wide enough for a four-digit account; the toolkit's own height.
        account_ = new wxTextCtrl(this, ID_ACCOUNT, ToWx(filter_.account), wxPoint(0, 30), wxSize(80, -1));
    }

    auto* filters = new wxBoxSizer(wxVERTICAL);
    for (wxWindow* w : {alarms, faults, onOff, supervisions, tests, omissions, phoneCalls}) filters->Add(w);
    if (byAccount) {
        filters->Add(byAccount);
        filters->Add(account_);
    }
    // One row where the view is wide enough; on a narrow view the row wraps, so that no control
    // is squeezed below its text.
    // (The toolkit's default would stretch the last control of each line over the spare width.)
    auto* bottom = new wxWrapSizer(wxHORIZONTAL, wxREMOVE_LEADING_SPACES);
    bottom->Add(filters);
    bottom->Add(reverse);
    bottom->Add(wholeMemory_, wxSizerFlags().Border(wxLEFT | wxRIGHT, 5));
    bottom->Add(new wxButton(this, ID_EXPORT, wxT("Exportar")));
    bottom->Add(new wxButton(this, ID_EMPTY, wxT("Vaciar")));

    GetSizer()->Add(list_, wxSizerFlags(1).Expand());
    GetSizer()->Add(bottom, wxSizerFlags(0).Expand().Border(wxALL, 5));
    GetSizer()->Layout();
    FillList();
}

void CPanelEvents::FillList() {
    if (!list_ || !record_) return;
    if (account_) filter_.account = FromWx(account_->GetValue());
    shown_ = SelectEvents(*record_, filter_, false);

    list_->ClearAll();
    const std::vector<std::string> headings = EventHeadings(format_);
    for (std::size_t c = 0; c < headings.size(); ++c)
        list_->InsertColumn(static_cast<long>(c), ToWx(headings[c]), wxLIST_FORMAT_LEFT);
    list_->SetItemCount(static_cast<long>(shown_.size()));
    // Once the record holds events (even when the filters show none), date, time and
    // description fit their contents; zone or user, area and account fit their contents and at
    // least their headings. The other columns keep the toolkit's width.
    if (record_->GetCount() > 0) {
        for (int c : {0, 1, 4}) SizeColumn(c, std::string());
        for (int c : {5, 6}) SizeColumn(c, headings[static_cast<std::size_t>(c)]);
        if (headings.size() > 7) SizeColumn(7, headings[7]);
    }
    // The type column is as wide as its longest text, whatever the rows.
    int typeWidth = 0;
    for (const std::string& type : EventTypes()) typeWidth = std::max(typeWidth, list_->GetTextExtent(ToWx(type)).x);
    list_->SetColumnWidth(3, typeWidth + kCellMargin);
    // Whatever the contents, no heading is cut.
    for (std::size_t c = 0; c < headings.size(); ++c) {
        const int column = static_cast<int>(c);
        const int least = HeadingWidth(headings[c]);
        if (list_->GetColumnWidth(column) < least) list_->SetColumnWidth(column, least);
    }
    list_->Refresh();
}

int CPanelEvents::HeadingWidth(const std::string& heading) const {
    constexpr int kHeadingMargin = 24;  // the heading's padding and separator
    return list_->GetTextExtent(ToWx(heading)).x + kHeadingMargin;
}

// The toolkit's own automatic width measures rows for up to 40 ms per column, too slow for a
// memory of thousands of events; the few different shapes of a column's texts are enough.
void CPanelEvents::SizeColumn(int column, const std::string& heading) {
    int width = 0;
    for (const std::string& shape : ColumnShapes(*record_, shown_, column, format_, names_))
        width = std::max(width, list_->GetTextExtent(ToWx(shape)).x);
    width += kCellMargin;
    if (!heading.empty()) width = std::max(width, HeadingWidth(heading));
    list_->SetColumnWidth(column, width);
}

CEvent* CPanelEvents::RowEvent(long row) const {
    if (!record_ || row < 0 || row >= static_cast<long>(shown_.size())) return nullptr;
    // Null when the record lost events since the last fill.
    return record_->GetEvent(shown_[static_cast<std::size_t>(row)]);
}

int CPanelEvents::GetRowEvent(long row) const {
    return RowEvent(row) ? shown_[static_cast<std::size_t>(row)] : -1;
}

wxString CPanelEvents::CellText(long row, long column) const {
    CEvent* event = RowEvent(row);
    if (!event) return wxString();
    return ToWx(ShownText(EventCell(*event, static_cast<int>(column), format_, names_)));
}

bool CPanelEvents::IsAlarm(long row) const {
    const CEvent* event = RowEvent(row);
    return event && IsAlarmRow(*event);
}

void CPanelEvents::ShowWholeMemory() {
    if (wholeMemory_ && record_) wholeMemory_->SetValue(record_->IsWholeMemory());
}

void CPanelEvents::OnShowFlag(wxCommandEvent& event) {
    const bool on = event.IsChecked();
    switch (event.GetId()) {
        case ID_SHOW_ALARMS: filter_.alarms = on; break;
        case ID_SHOW_SUPERVISIONS: filter_.supervisions = on; break;
        case ID_SHOW_ONOFF: filter_.openClose = on; break;
        case ID_SHOW_FAULTS: filter_.troubles = on; break;
        case ID_SHOW_TESTS: filter_.tests = on; break;
        case ID_SHOW_OMISSIONS: filter_.bypasses = on; break;
        case ID_REVERSE_ORDER: filter_.reverse = on; break;
        case ID_SHOW_PHONE_CALLS: filter_.phoneCalls = on; break;
        case ID_FILTER_ACCOUNT: filter_.byAccount = on; break;
        default: return;
    }
    FillList();
}

void CPanelEvents::OnReceiveWholeMemory(wxCommandEvent& event) {
    if (!record_) return;
    const bool on = event.IsChecked();
    record_->SetWholeMemory(on);
    if (on && !GetDialogs().AskYesNo(kWholeMemoryQuestion, "Confirmar")) record_->SetWholeMemory(false);
    ShowWholeMemory();
}

void CPanelEvents::OnEmpty(wxCommandEvent&) {
    if (!record_) return;
    if (!GetDialogs().AskYesNo(kEmptyQuestion, "Vaciar")) return;
    record_->Clear();
    UpdateControls();
}

void CPanelEvents::OnExport(wxCommandEvent&) {
    if (!record_) return;
    const auto path = GetDialogs().ChooseSavePath(kExportTitle, "*.csv");
    if (!path) return;
    // An account typed since the last refill takes effect in the list too, so the file holds
    // what the list shows.
    FillList();
    bool written = false;
    {
        wxBusyCursor wait;
        written = WriteEventsCsv(*path, *record_, filter_, error_);
    }
    if (written)
        GetDialogs().Info(kExportDone, "Información");
    else
        GetDialogs().Error(error_, "Error");
}
