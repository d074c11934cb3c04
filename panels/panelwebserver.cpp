#include "panels/panelwebserver.h"

#include <cstdio>
#include <system_error>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "datamodel/files.h"
#include "datamodel/fitxer.h"
#include "panels/dialogs.h"
#include "panels/paneledit.h"
#include "panels/pardexlib.h"
#include "panels/wxtext.h"

namespace fs = std::filesystem;

namespace {
const char kImageMessage[] = "Fichero FLASH (ROM)";
const char kImageWildcard[] = "*.rom";
// The library writes its log into the working folder.
const char kLogName[] = "log.txt";
// The outcome of a build is told in the toolkit's plain message box, under its own caption.
const std::string kCaption = wxMessageBoxCaptionStr;

void Tell(const std::string& text) { GetDialogs().Info(text, kCaption); }

// True when path lies inside folder (or is the folder).
bool IsInside(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    const fs::path relative = fs::weakly_canonical(path, ec).lexically_relative(fs::weakly_canonical(folder, ec));
    return !ec && !relative.empty() && *relative.begin() != "..";
}
}  // namespace

CPanelWebserver::CPanelWebserver(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                                 const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 25) : size, style, name) {
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

CPanelWebserver::~CPanelWebserver() { DeleteControls(); }

bool CPanelWebserver::SetFitxer(CFitxer* fitxer) {
    fitxer_ = fitxer;
    Build();
    return true;
}

void CPanelWebserver::Build() {
    DeleteControls();
    if (!fitxer_) return;
    SetBackgroundColour(wxColour(221, 221, 221));
    wxSizer* main = GetSizer();

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    row_.Create(this, top, *fitxer_);
    row_.browse->Bind(wxEVT_BUTTON, &CPanelWebserver::OnBrowse, this);
    main->Add(top, wxSizerFlags(0).Expand().Border(wxBOTTOM, 2));

    for (std::size_t i = 0; i < kImageHeaderFields; ++i) {
        auto* line = new wxBoxSizer(wxHORIZONTAL);
        line->Add(new wxStaticText(this, wxID_ANY, ToWx(ImageHeaderLabels()[i]), wxDefaultPosition, wxDefaultSize,
                                   wxBORDER_SIMPLE),
                  wxSizerFlags(3));
        values_[i] = new wxStaticText(this, wxID_ANY, wxT(" - "), wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE);
        line->Add(values_[i], wxSizerFlags(2));
        main->Add(line, wxSizerFlags(0).Expand());
    }

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    folder_ = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
    chooseFolder_ = new wxButton(this, wxID_ANY, wxT("..."), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    compile_ = new wxButton(this, wxID_ANY, wxT("Compilar"));
    chooseFolder_->Bind(wxEVT_BUTTON, &CPanelWebserver::OnSelectDir, this);
    compile_->Bind(wxEVT_BUTTON, &CPanelWebserver::OnCompile, this);
    bottom->Add(folder_, wxSizerFlags(3).CentreVertical());
    bottom->Add(chooseFolder_, wxSizerFlags(0).CentreVertical().Border(wxLEFT, 2));
    bottom->Add(compile_, wxSizerFlags(0).CentreVertical().Border(wxLEFT, 2));
    main->Add(bottom, wxSizerFlags(0).Expand().Border(wxTOP, 2));

    // The row is as tall as its lines, not its initial size.
    SetMinSize(wxDefaultSize);
    Layout();
    UpdateControls();
}

void CPanelWebserver::DeleteControls() {
    DestroyPanelControls(this);
    row_.Forget();
    values_.fill(nullptr);
    folder_ = nullptr;
    chooseFolder_ = nullptr;
    compile_ = nullptr;
}

bool CPanelWebserver::UpdateControls() {
    if (!fitxer_) return false;
    row_.Update(*fitxer_);
    const ImageHeaderTexts texts = ImageHeaderValues(fitxer_->GetData());
    for (std::size_t i = 0; i < kImageHeaderFields; ++i) {
        if (values_[i]) values_[i]->SetLabel(ToWx(texts[i]));
    }
    return true;
}

bool CPanelWebserver::StoreControls() {
    if (!fitxer_) return false;
    // The same path again is no refusal: the send box is stored all the same.
    return row_.Store(this, *fitxer_);
}

void CPanelWebserver::Clear() {
    fitxer_ = nullptr;
    DeleteControls();
}

void CPanelWebserver::OnBrowse(wxCommandEvent&) {
    if (!fitxer_) return;
    row_.Browse(this, *fitxer_, kImageMessage, kImageWildcard);
    UpdateControls();
}

void CPanelWebserver::OnSelectDir(wxCommandEvent&) {
    if (!folder_) return;
    std::optional<fs::path> chosen = GetDialogs().ChooseFolder("Dir");
    if (!chosen) return;
    bool lossless = true;
    const std::string text = FromOsPath(*chosen, &lossless);
    if (!lossless) {
        GetDialogs().Error("El nombre de la carpeta tiene caracteres que Orvane no puede mostrar:\n" + text +
                           "\nCambie el nombre o elija otra carpeta.");
        return;
    }
    folder_->ChangeValue(ToWx(text));
}

void CPanelWebserver::OnCompile(wxCommandEvent&) {
    if (!fitxer_ || !folder_) return;
    PardexLibrary library(PardexLibraryPath());
    if (library.GetState() != PardexLibrary::State::Loaded) {
        Tell(library.Problem());
        return;
    }
    // The folder goes to the library as it is: the library answers an empty or missing one.
    const std::string folderText = FromWx(folder_->GetValue());
    const fs::path source = ToOsPath(folderText);
    const std::optional<fs::path> image = GetDialogs().ChooseSavePath(kImageMessage, kImageWildcard);
    if (!image) return;
    const std::optional<std::string> recordPath = RecordPathFromDialog(*image);
    if (!recordPath) return;
    if (!folderText.empty() && IsInside(*image, source)) {
        // The next build would take the old image in as a web page.
        GetDialogs().Error("La imagen no puede guardarse dentro de la carpeta de las páginas web:\n" + *recordPath);
        return;
    }

    int result = 0;
    {
        wxBusyCursor busy;
        result = library.GetCompile()(0, 0, PARDEX_COMPACT_MARKUP, source.c_str(), image->c_str(), kLogName);
    }
    if (result < 0) {
        char code[32];
        std::snprintf(code, sizeof code, "Error! #%d", result);
        Tell(code);
        return;
    }

    // A warning (a file skipped) still gives an image.
    fitxer_->FreeData();
    if (!ChangeFitxerPath(this, *fitxer_, *recordPath)) MarkInstallationModified(this);  // a new image, same path
    fitxer_->SetSend(true);
    UpdateControls();
    Tell("ok");

    // The upload sends only the file's reserved sectors: a larger image would arrive cut.
    std::error_code ec;
    const auto bytes = fs::file_size(*image, ec);
    const auto capacity = static_cast<std::uintmax_t>(fitxer_->GetLong()) * CFitxer::kSectorSize;
    if (!ec && bytes > capacity) {
        GetDialogs().Error("La imagen ocupa " + std::to_string(bytes) + " bytes y el fichero tiene reservados " +
                               std::to_string(capacity) + ": se enviará cortada.",
                           kCaption);
    }
}
