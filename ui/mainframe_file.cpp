// Installation and tree commands of the main window: new, open, save, save as, export, close,
// the recent files, add / remove / rename a component, the tree's selection and pop-up menus,
// and the save question.
#include <filesystem>

#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include "core/appcore.h"
#include "datamodel/files.h"
#include "datamodel/model.h"
#include "datamodel/modellist.h"
#include "panels/dialogs.h"
#include "panels/wxtext.h"
#include "ui/adapters.h"
#include "ui/ids.h"
#include "ui/mainframe.h"

namespace {
constexpr const char* kInstallationWildcard = "*.voski";
constexpr const char* kReportWildcard = "*.txt";
constexpr const char* kNoModels = "No se encontró ningún modelo en la carpeta models";

bool ChooseModel(const std::string& question, CModelList& list, std::string& model) {
    list.Scan("models");
    list.BuildModels();
    std::vector<std::string> names;
    for (int i = 0; i < list.GetModelCount(); ++i) names.push_back(list.GetModel(i));
    if (names.empty()) {
        GetDialogs().Error(kNoModels, "Error");
        return false;
    }
    auto choice = GetDialogs().ChooseOne(question, "Elegir modelo", names);
    if (!choice) return false;
    model = names[static_cast<std::size_t>(*choice)];
    return true;
}

// The versions of the model; alwaysAsk shows the question even for one version.
bool ChooseVersion(const CModelList& list, const std::string& model, bool alwaysAsk, std::string& version) {
    std::vector<std::string> versions;
    for (int i = 0; i < list.GetVersionCount(model); ++i) versions.push_back(list.GetVersion(model, i));
    if (versions.size() == 1 && !alwaysAsk) {
        version = versions[0];
        return true;
    }
    auto choice = GetDialogs().ChooseOne("Seleccione la versión", "Eligir versión", versions);
    if (!choice) return false;
    version = versions[static_cast<std::size_t>(*choice)];
    return true;
}
}  // namespace

void MyFrame::ShowError(const std::string& text) { ShowCoreError(core_, text); }

bool MyFrame::AskSaveIfModified() {
    if (!core_) return true;
    // Values typed into a panel count: they go into their records before the question.
    core_->StorePanels();
    if (!core_->IsModified()) return true;
    switch (GetDialogs().AskYesNoCancel(WindowText::kSaveQuestion, "Guardar")) {
        case Answer::Yes: return Save();  // a failed or cancelled save keeps the installation
        case Answer::No: return true;
        case Answer::Cancel: break;
    }
    return false;
}

void MyFrame::DisconnectIfConnected() {
    if (!state_.connected) return;
    core_->Disconnect();
    SetConnected(false);
}

void MyFrame::RememberRecent(const std::string& path) {
    core_->GetConfig().AddUltim(path);
    BuildInstallationMenu(GetMenuBar()->GetMenu(0));
}

// ---- new ----

bool MyFrame::ChooseCentralModel(std::string& model, std::string& version) {
    CModelList list;
    return ChooseModel("Seleccione el modelo de la central para la instalación:", list, model) &&
           ChooseVersion(list, model, false, version);
}

void MyFrame::OnNew(wxCommandEvent&) {
    if (!core_ || !AskSaveIfModified()) return;
    DisconnectIfConnected();
    std::string model, version;
    if (!ChooseCentralModel(model, version)) return;
    core_->StoreAndClearPanel();
    if (!core_->NewInstalacio(model, version)) {
        ShowError("Ocurrieron algunos errores durante la creación de la instalación:\n" + core_->GetLastError());
        SetInstallationOpen(false);
        return;
    }
    GetDialogs().Info("Nueva instalación creada", "Información");
    SetInstallationOpen(true);
    titleFileName_ = model + " " + version;
    UpdateTitle();
}

// ---- open ----

void MyFrame::OnOpenDialog(wxCommandEvent&) { OnOpen(-1); }

void MyFrame::OnOpenRecent(wxCommandEvent& event) { OnOpen(event.GetId() - ID_RECENT1); }

void MyFrame::OnOpen(int index) {
    if (!core_ || !AskSaveIfModified()) return;
    DisconnectIfConnected();
    std::string path;
    if (index < 0) {
        auto chosen = GetDialogs().ChooseOpenPath("Abrir instalación", kInstallationWildcard);
        if (!chosen) return;
        std::string error;
        auto text = PathAsRecordText(*chosen, error);
        if (!text) {
            ShowError(error);
            return;
        }
        path = *text;
    } else {
        path = core_->GetConfig().GetUltim(index);
        if (path.empty()) return;
    }
    OpenInstallationFile(path);
}

void MyFrame::OpenInstallationFile(const std::string& path) {
    if (!core_) return;
    bool ok;
    {
        wxBusyCursor busy;
        ok = core_->OpenInstalacio(path);
    }
    if (!ok) ShowError(core_->GetLastError());
    SetInstallationOpen(ok);
    if (!ok) return;
    RememberRecent(path);
    titleFileName_ = TitleFileName(path);
    UpdateTitle();
}

// ---- save, save as, export ----

std::optional<std::string> MyFrame::ChooseSaveTarget(const std::string& wildcard) {
    auto chosen = GetDialogs().ChooseSavePath("Guardar como", wildcard);
    if (!chosen) return std::nullopt;
    std::string error;
    auto text = PathAsRecordText(*chosen, error);
    if (!text) {
        ShowError(error);
        return std::nullopt;
    }
    std::error_code ec;
    if (std::filesystem::exists(*chosen, ec) &&
        !GetDialogs().AskYesNo("El fichero ya existe:\n" + *text + "\n¿Desea reemplazarlo?", "Guardar como"))
        return std::nullopt;
    return text;
}

bool MyFrame::Save() {
    if (core_->GetInstalacio().GetFileName().empty()) return SaveAs();
    bool ok;
    {
        wxBusyCursor busy;
        ok = core_->SaveInstalacio();
    }
    if (!ok) {
        ShowError(core_->GetLastError());
        return false;
    }
    GetDialogs().Info("Instalación guardada correctamente", "Información");
    RememberRecent(core_->GetInstalacio().GetFileName());
    return true;
}

bool MyFrame::SaveAs() {
    auto path = ChooseSaveTarget(kInstallationWildcard);
    if (!path) return false;
    bool ok;
    {
        wxBusyCursor busy;
        ok = core_->SaveInstalacioAs(*path);
    }
    if (!ok) {
        ShowError(core_->GetLastError());
        return false;
    }
    GetDialogs().Info("Instalación guardada correctamente", "Información");
    RememberRecent(*path);
    titleFileName_ = TitleFileName(*path);
    UpdateTitle();
    return true;
}

void MyFrame::OnSave(wxCommandEvent&) {
    if (core_) Save();
}

void MyFrame::OnSaveAs(wxCommandEvent&) {
    if (core_) SaveAs();
}

void MyFrame::OnExport(wxCommandEvent&) {
    if (!core_) return;
    auto path = ChooseSaveTarget(kReportWildcard);
    if (!path) return;
    bool ok;
    {
        wxBusyCursor busy;
        ok = core_->ExportReport(*path);
    }
    if (!ok) ShowError(core_->GetLastError());
    else GetDialogs().Info("Programación exportada con éxito.", "Información");
}

// ---- close ----

void MyFrame::OnCloseInstallation(wxCommandEvent&) {
    if (!core_ || !AskSaveIfModified()) return;
    DisconnectIfConnected();
    core_->CloseInstalacio();
    SetInstallationOpen(false);
    titleFileName_.clear();
    SetTitle(wxT("Orvane"));
}

// ---- components ----

bool MyFrame::ChooseComponentModel(std::string& model, std::string& version, std::string& busdir) {
    CModelList list;
    if (!ChooseModel("Seleccione el modelo del componente a añadir a la instalación:", list, model)) return false;
    if (!ChooseVersion(list, model, true, version)) return false;
    auto answer = GetDialogs().GetText("Dirección bus del componente", "Dirección de bus", "12");
    if (!answer || answer->empty()) return false;
    busdir = *answer;
    return true;
}

void MyFrame::OnAddComponent(wxCommandEvent&) {
    if (!core_) return;
    std::string model, version, busdir;
    if (!ChooseComponentModel(model, version, busdir)) return;
    if (!core_->AddComponent(model, version, busdir)) {
        ShowError("Ocurrieron algunos errores:\n" + core_->GetLastError());
        return;
    }
    GetDialogs().Info("Nuevo componente añadido", "Información");
}

void MyFrame::OnRemoveComponent(wxCommandEvent&) {
    if (!core_) return;
    const std::vector<std::string> choices = RemoveComponentChoices(core_->GetInstalacio());
    if (choices.empty()) {
        GetDialogs().Error("No hay componentes para borrar", "Error");
        return;
    }
    auto choice = GetDialogs().ChooseOne("Seleccione el componente del bus que desea borrar de la instalación:",
                                         "Elegir modelo", choices);
    if (!choice) return;
    const int index = ComponentIndexOfChoice(choices[static_cast<std::size_t>(*choice)]);
    if (!core_->DeleteComponent(index)) ShowError(core_->GetLastError());
}

void MyFrame::OnRename(wxCommandEvent&) {
    if (!core_) return;
    const TreeItemId item = SelectedItem();
    CModel* model = core_->GetItemComponent(item);
    if (!model) return;
    auto answer = GetDialogs().GetText("Escriba nombre o alias del componente", "Nuevo nombre o alias",
                                       model->GetDescr());
    if (!answer || answer->empty()) return;
    model->SetDescr(*answer);
    tree_->SetItemText(FromTreeItemId(item), ToWx(model->GetDescr()));
    // A new name is stored in the installation file: closing must ask to save it.
    core_->MarkModified();
}

// ---- tree ----

TreeItemId MyFrame::SelectedItem() const { return ToTreeItemId(tree_->GetSelection()); }

void MyFrame::OnTreeSelChanged(wxTreeEvent& event) {
    if (!core_) return;
    const wxTreeItemId item = event.GetItem().IsOk() ? event.GetItem() : tree_->GetSelection();
    core_->ShowTreeItem(ToTreeItemId(item));
    right_->Layout();
    Layout();
    UpdateTitle();
}

void MyFrame::OnTreeItemMenu(wxTreeEvent& event) {
    if (!core_) return;
    // The menu belongs to the item that was right-clicked: it becomes the selected item first,
    // so every command of the menu acts on it.
    const wxTreeItemId clicked = event.GetItem();
    if (clicked.IsOk() && clicked != tree_->GetSelection()) tree_->SelectItem(clicked);
    const std::vector<PopupItem> items = PopupMenuItems(core_->GetItemCategory(SelectedItem()), state_.connected);
    if (items.empty()) return;
    wxMenu menu;
    for (const PopupItem& p : items) {
        if (p.id == 0) {
            menu.AppendSeparator();
            continue;
        }
        menu.Append(p.id, ToWx(p.label), ToWx(p.help));
        if (!p.enabled) menu.Enable(p.id, false);
    }
    PopupMenu(&menu);
}
