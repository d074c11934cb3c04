#include "panels/pardexlib.h"

#include <wx/dynlib.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include "datamodel/files.h"
#include "datamodel/text.h"

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

PardexLibrary::PardexLibrary(const std::filesystem::path& path) : path_(path), library_(new wxDynamicLibrary) {
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
    const std::string where = FromOsPath(path_);
    switch (state_) {
    case State::Missing: return "DLL Error\nNo se puede cargar la biblioteca de imágenes web: " + where;
    case State::NoExport: return "DLL Error #2\nLa biblioteca " + where + " no tiene la función Compile.";
    case State::Loaded: break;
    }
    return {};
}

std::string ReadPardexLog(const std::filesystem::path& path, std::size_t maxChars) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return {};
    std::string text = Utf8ToCp1252(bytes);
    std::erase(text, '\r');
    if (text.size() > maxChars) text = "..." + text.substr(text.size() - maxChars);
    return text;
}
