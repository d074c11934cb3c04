// The installation commands of the core: new, open, save, save as and close an installation, add
// and remove bus components, and the installation file's text.
#include "core/appcore.h"

#include "core/installfile.h"
#include "core/outofmemory.h"
#include "core/report.h"
#include "datamodel/files.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "datamodel/xml.h"

namespace {

// A bus address goes into two frame bytes: one to four hexadecimal digits.
bool IsBusAddress(const std::string& busdir) {
    return !busdir.empty() && busdir.size() <= 4 && IsHexString(busdir);
}

// The component of the installation (the central included) that already answers at busdir, or
// null. Addresses compare by value, as the frames carry them: "021" and "21" are one device.
const CModel* HolderOfBusAddress(CInstalacio& instalacio, const std::string& busdir) {
    const int wanted = HexStringToInt(busdir);
    auto holds = [wanted](const CModel* model) {
        return model && IsBusAddress(model->GetBusDir()) && HexStringToInt(model->GetBusDir()) == wanted;
    };
    if (holds(&instalacio.GetCentral())) return &instalacio.GetCentral();
    for (int i = 0; i < instalacio.GetComponentCount(); ++i) {
        if (holds(instalacio.GetComponent(i))) return instalacio.GetComponent(i);
    }
    return nullptr;
}

}  // namespace

void CAppCore::ClearEditView() {
    if (editView_) editView_->Clear();
    statusPolling_ = false;
}

void CAppCore::ForgetInstalacioRecords() {
    currentComponent_ = nullptr;
    currentGrup_ = nullptr;
}

void CAppCore::ReleaseInstalacio() {
    // The view's panels, the tree, the name groups and the current records point into the
    // installation: they go before it is emptied.
    ClearEditView();
    ClearTree();
    ForgetInstalacioRecords();
    instalacio_.Clear();
}

void CAppCore::StorePanels() {
    if (!editView_) return;
    // The installation-data panel writes its record in place; a change there is an edit of the
    // installation like any other and must make closing ask to save.
    CDades* dades = editView_->GetDades();
    std::string before;
    if (dades) AppendDadesXml(*dades, before);
    editView_->TransferFromPanels();
    if (dades) {
        std::string after;
        AppendDadesXml(*dades, after);
        if (after != before) instalacio_.SetModified();
    }
}

void CAppCore::StoreAndClearPanel() {
    StorePanels();
    ClearEditView();
}

bool CAppCore::NewInstalacio(const std::string& model, const std::string& versio) {
    return UnlessOutOfMemory(
        lastError_,
        [&] {
            ReleaseInstalacio();
            if (!model.empty() && !instalacio_.InitCentral("0", model, versio, "0")) {
                const std::string error = instalacio_.GetError();
                CloseInstalacio();
                lastError_ = error;
                return false;
            }
            CDades dades = instalacio_.GetDades();
            dades.SetNomInstal("Nueva Instalación");
            instalacio_.SetDades(dades);
            title_ = dades.GetNomInstal();
            BuildTree();
            return true;
        },
        [&] { CloseInstalacio(); });
}

bool CAppCore::LoadInstalacioFile(const std::string& path) {
    std::string text;
    std::string reason;
    if (!ReadJoinedLines(ToOsPath(path), text, &reason)) {
        lastError_ = ReadErrorText(path, reason);
        return false;
    }
    ReleaseInstalacio();
    instalacio_.SetLogTarget(&log_);
    XmlParser parser(&instalacio_);
    // An empty file or text without markup does not parse either.
    if (!parser.Parse(text, 0, static_cast<long>(text.size()) - 1)) {
        lastError_ = "Formato XML incorrecto";
        instalacio_.Clear();
        return false;
    }
    // Well-formed, but without a single component (the settings file, say): no installation.
    if (instalacio_.IsOk() && instalacio_.GetCentral().GetId().empty() && instalacio_.GetComponentCount() == 0) {
        lastError_ = "El fichero no contiene ninguna instalación";
        instalacio_.Clear();
        return false;
    }
    if (!instalacio_.IsOk()) {
        lastError_ = instalacio_.GetError();
        instalacio_.Clear();
        return false;
    }
    return true;
}

bool CAppCore::OpenInstalacio(const std::string& path) {
    // Like any failed open, one that runs out of memory leaves nothing open.
    return UnlessOutOfMemory(
        lastError_,
        [&] {
            if (!LoadInstalacioFile(path)) {
                const std::string error = lastError_;
                CloseInstalacio();
                lastError_ = error;
                return false;
            }
            instalacio_.SetFileName(path);
            title_ = instalacio_.GetDades().GetNomInstal();
            instalacio_.ClearModified();
            BuildTree();
            return true;
        },
        [&] { CloseInstalacio(); });
}

bool CAppCore::SaveInstalacio() {
    // Values being edited go into the file; the text is complete before the disk is touched, so
    // running out of memory while it is built leaves the file and the modified flags alone.
    return UnlessOutOfMemory(
        lastError_,
        [&] {
            StorePanels();
            std::string text;
            WriteInstalacioXml(text);
            if (!InstalacioFitsOpenCap(text, lastError_)) return false;
            if (!StoreTextFile(instalacio_.GetFileName(), text, lastError_)) return false;
            instalacio_.ClearModified();
            return true;
        },
        [] {});
}

bool CAppCore::SaveInstalacioAs(const std::string& path) {
    std::string previous;
    bool renamed = false;
    return UnlessOutOfMemory(
        lastError_,
        [&] {
            previous = instalacio_.GetFileName();
            instalacio_.SetFileName(path);
            renamed = true;
            if (SaveInstalacio()) return true;
            // The next plain save goes where the installation was saved before, not to the failed name.
            instalacio_.SetFileName(previous);
            return false;
        },
        [&] {
            if (renamed) instalacio_.SetFileName(previous);
        });
}

void CAppCore::CloseInstalacio() { ReleaseInstalacio(); }

bool CAppCore::AddComponent(const std::string& model, const std::string& versio, const std::string& busdir) {
    if (model.empty()) return false;
    if (!IsBusAddress(busdir)) {
        lastError_ = "Dirección de bus incorrecta: " + busdir;
        return false;
    }
    // Two components at one address would both answer every frame sent to it.
    if (const CModel* holder = HolderOfBusAddress(instalacio_, busdir)) {
        lastError_ = "La dirección de bus " + busdir + " ya está ocupada por \"" + holder->GetDescr() +
                     "\".\nNo se ha añadido el componente.";
        return false;
    }
    const int before = instalacio_.GetComponentCount();
    const bool wasModified = instalacio_.IsModified();
    return UnlessOutOfMemory(
        lastError_,
        [&] {
            const int index = instalacio_.AddComponent(busdir, model, versio);
            if (index < 0) {
                lastError_ = instalacio_.GetError();
                return false;
            }
            // By index: another component added earlier with the same text keeps its own address.
            instalacio_.SetComponentBusdir(index, busdir);
            BuildTree();
            return true;
        },
        [&] {
            // The installation goes back to what it was: without the new component.
            ClearTree();
            ForgetInstalacioRecords();
            if (instalacio_.GetComponentCount() > before) instalacio_.RemoveComponent(before);
            if (!wasModified) instalacio_.ClearModified();
            BuildTree();
        });
}

bool CAppCore::DeleteComponent(int index) {
    if (index < 0 || index >= instalacio_.GetComponentCount()) {
        instalacio_.RemoveComponent(index);
        lastError_ = instalacio_.GetError();
        return false;
    }
    // The view may show a panel of the component removed: it is stored and cleared first.
    StoreAndClearPanel();
    ClearTree();
    ForgetInstalacioRecords();
    instalacio_.RemoveComponent(index);
    BuildTree();
    return true;
}

void CAppCore::WriteInstalacioXml(std::string& out) {
    out.clear();
    AppendInstalacioXml(instalacio_, out);
}

void CAppCore::WriteComponentXml(CModel* model, std::string& out) {
    out.clear();
    if (model) AppendComponentXml(*model, out);
}
