#include "panels/pardexlib.h"

#include <wx/dynlib.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>


namespace {
std::filesystem::path& ChosenLibraryPath() {
    static std::filesystem::path path;
    return path;
}
}  // namespace

std::filesystem::path PardexLibraryPath() {
    if (!ChosenLibraryPath().empty()) return ChosenLibraryPath();
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    const wxString name = wxDynamicLibrary::CanonicalizeName(wxT("pardex"));
    return std::filesystem::path(program.GetPath().utf8_string()) / name.utf8_string();
}

void SetPardexLibraryPath(const std::filesystem::path& path) { ChosenLibraryPath() = path; }

PardexLibrary::PardexLibrary(const std::filesystem::path& path) : library_(new wxDynamicLibrary) {
    wxLogNull quiet;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) ||
        !library_->Load(wxString::FromUTF8(path.string()), wxDL_NOW | wxDL_QUIET)) {
        state_ = State::Missing;
        return;
    }
    bool found = false;
    void* symbol = library_->GetSymbol(wxT("Compile"), &found);
    if (!found || !symbol) {
        state_ = State::NoExport;
        return;
    }
    compile_ = reinterpret_cast<PardexCompileFunc>(symbol);
    state_ = State::Loaded;
}

PardexLibrary::~PardexLibrary() {
    wxLogNull quiet;
    library_->Unload();
}

std::string PardexLibrary::Problem() const {
    switch (state_) {
    case State::Missing: return "DLL Error";
    case State::NoExport: return "DLL Error #2";
    case State::Loaded: break;
    }
    return {};
}
