#include "datamodel/instalacio.h"

#include <algorithm>

#include "datamodel/log.h"
#include "datamodel/strings.h"
#include "datamodel/text.h"

namespace {

// The tag an element whose record cannot be found is renamed to: its leaves match no section.
const std::string kIgnored = "IGNORAR";

std::string Attribute(const std::string& attributes, const char* name) {
    return XmlDecode(GetXmlAttribute(attributes, name));
}

// A status byte from its first 8 characters: character i holding '1' sets bit i.
int StatusByte(const std::string& text) {
    int value = 0;
    for (std::size_t i = 0; i < text.size() && i < 8; ++i) {
        if (text[i] == '1') value |= 1 << i;
    }
    return value;
}

// The model's own reason, when it gives one, follows on a line of its own.
std::string LoadError(std::string_view id, std::string_view versio, const CModel& model) {
    std::string text = "No se puede crear el modelo: " + std::string(id) + "-" + std::string(versio);
    if (!model.GetLoadError().empty()) text += "\n" + model.GetLoadError();
    return text;
}

}  // namespace

CInstalacio::CInstalacio() { central_.SetName("0"); }

CInstalacio::~CInstalacio() = default;

void CInstalacio::ResetReadingState() {
    currentModel_ = nullptr;
    currentCodi_ = nullptr;
    currentEvent_ = nullptr;
    currentGrupFlash_ = nullptr;
    currentFitxer_ = nullptr;
    currentElement_ = -1;
    currentColumna_ = 0;
    currentCompGraf_ = nullptr;
    centralRead_ = false;
    ignoreDepth_ = 0;
    echoed_ = 0;
}

void CInstalacio::Clear() {
    ResetReadingState();
    components_.clear();
    central_.Clear();
    dades_.Clear();
    loadOk_ = true;
    error_.clear();
    section_.clear();
    fileName_.clear();
    modified_ = false;
}

bool CInstalacio::InitCentral(std::string_view name, std::string_view id, std::string_view versio,
                              std::string_view busdir) {
    central_.SetName(name);
    central_.SetId(id);
    central_.SetVersio(versio);
    if (!central_.SetBusDir(busdir)) return false;
    modified_ = true;
    if (!central_.Load()) {
        error_ = LoadError(id, versio, central_);
        return false;
    }
    return true;
}

int CInstalacio::AddComponent(std::string_view name, std::string_view id, std::string_view versio) {
    auto model = std::make_unique<CModel>();
    model->SetName(name);
    model->SetId(id);
    model->SetVersio(versio);
    if (!model->Load()) {
        error_ = LoadError(id, versio, *model);
        return -1;
    }
    components_.push_back(std::move(model));
    modified_ = true;
    return GetComponentCount() - 1;
}

bool CInstalacio::SetComponentBusdirByName(std::string_view name, std::string_view busdir) {
    for (int i = 0; i < GetComponentCount(); ++i) {
        if (components_[static_cast<std::size_t>(i)]->GetName() == name) return SetComponentBusdir(i, busdir);
    }
    return false;
}

bool CInstalacio::SetComponentBusdir(int index, std::string_view busdir) {
    CModel* model = GetComponent(index);
    if (!model) return false;
    modified_ = true;
    return model->SetBusDir(busdir);
}

bool CInstalacio::SetCentralBusDir(std::string_view busdir) {
    modified_ = true;
    return central_.SetBusDir(busdir);
}

bool CInstalacio::RemoveComponent(int index) {
    if (index < 0 || index >= GetComponentCount()) {
        error_ = "Out of range";
        return false;
    }
    components_.erase(components_.begin() + index);
    modified_ = true;
    return true;
}

bool CInstalacio::RemoveComponentById(std::string_view name) {
    for (int i = 0; i < GetComponentCount(); ++i) {
        if (components_[static_cast<std::size_t>(i)]->GetName() == name) return RemoveComponent(i);
    }
    return false;
}

void CInstalacio::SetDades(const CDades& dades) {
    modified_ = true;
    dades_ = dades;
}

void CInstalacio::ClearDades() {
    modified_ = true;
    dades_.Clear();
}

CModel* CInstalacio::GetComponent(int index) const {
    if (index < 0 || index >= GetComponentCount()) return nullptr;
    return components_[static_cast<std::size_t>(index)].get();
}

bool CInstalacio::IsModified() {
    if (modified_) return true;
    bool changed = central_.IsModified() ||
                   std::any_of(components_.begin(), components_.end(),
                               [](const auto& m) { return m->IsModified(); });
    if (changed) modified_ = true;
    return modified_;
}

void CInstalacio::ClearModified() {
    modified_ = false;
    central_.ClearModified();
    for (auto& model : components_) model->ClearModified();
}

std::string CInstalacio::GetInstallerCode() const {
    const CCodi* codi = central_.FindCode("000");
    return codi ? codi->GetValue() : std::string(kDefaultInstallerCode);
}

std::string CInstalacio::GetCraLinkCode() const {
    const CCodi* codi = central_.FindCode("426");
    return codi ? codi->GetValue() : std::string(kDefaultCraLinkCode);
}

void CInstalacio::Fail(const std::string& error) {
    loadOk_ = false;
    error_ = error;
}

void CInstalacio::Unresolved(std::string& name) { name = kIgnored; }

void CInstalacio::StartComponent(std::string& name, const std::string& attributes) {
    std::string id = Attribute(attributes, "id");
    std::string model = Attribute(attributes, "model");
    std::string versio = Attribute(attributes, "versio");
    // Every component starts with nothing current, so no record of the previous one is filled.
    currentCodi_ = nullptr;
    currentEvent_ = nullptr;
    currentGrupFlash_ = nullptr;
    currentFitxer_ = nullptr;
    currentElement_ = -1;
    currentColumna_ = 0;
    currentCompGraf_ = nullptr;
    if (id == "0") {
        if (centralRead_) {
            // A second central would load the central again over the first one: it is skipped.
            currentModel_ = nullptr;
            name = kIgnored;
            ignoreDepth_ = 1;
            return;
        }
        centralRead_ = true;
        currentModel_ = &central_;
    } else {
        components_.push_back(std::make_unique<CModel>());
        currentModel_ = components_.back().get();
    }
    currentModel_->SetName(id);
    if (model.empty()) {
        Fail("No se puede determinar el modelo");
    } else if (versio.empty()) {
        Fail("No se puede determinar la versión");
    } else {
        currentModel_->SetId(model);
        currentModel_->SetVersio(versio);
        if (!currentModel_->Load()) Fail(LoadError(model, versio, *currentModel_));
    }
}

void CInstalacio::Echo(std::string line) {
    if (!log_ || echoed_ > kMaxEchoLines) return;
    if (echoed_++ == kMaxEchoLines) {
        log_->AppendRaw("[...] El registro muestra solo las primeras " + std::to_string(kMaxEchoLines) +
                        " líneas de la lectura del fichero.\n");
        return;
    }
    if (line.size() > kMaxEchoLineChars) {
        line.resize(kMaxEchoLineChars);
        line += " [...]";
    }
    log_->AppendRaw(line + "\n");
}

void CInstalacio::foundNode(std::string& name, const std::string& attributes) {
    Echo("foundNode: " + name + " atr: " + attributes);
    if (!loadOk_) return;
    modified_ = true;
    if (ignoreDepth_ > 0) {
        ++ignoreDepth_;
        name = kIgnored;
    } else if (name == "component") {
        StartComponent(name, attributes);
    } else if (name == "codi") {
        currentCodi_ = currentModel_ ? currentModel_->FindCode(Attribute(attributes, "id")) : nullptr;
        if (!currentCodi_) Unresolved(name);
    } else if (name == "grup-flash") {
        currentGrupFlash_ =
            currentModel_ ? currentModel_->FindGrupFlash(Attribute(attributes, "id")) : nullptr;
        currentElement_ = -1;
        currentColumna_ = 0;
        currentFitxer_ = nullptr;
        if (!currentGrupFlash_) Unresolved(name);
    } else if (name == "element") {
        ++currentElement_;
        currentColumna_ = 0;
    } else if (name == "fitxer") {
        currentFitxer_ =
            currentGrupFlash_ ? currentGrupFlash_->FindFitxer(Attribute(attributes, "id")) : nullptr;
        if (!currentFitxer_) Unresolved(name);
    } else if (name == "compgraf") {
        currentCompGraf_ = nullptr;
        if (currentModel_) {
            auto element = std::make_unique<CCompGraf>();
            currentCompGraf_ = element.get();
            currentModel_->GetEstat().GetGrafic().AddCompGraf(std::move(element));
        } else {
            Unresolved(name);
        }
    } else if (name == "event") {
        currentEvent_ = nullptr;
        if (currentModel_) {
            auto event = std::make_unique<CEvent>();
            currentEvent_ = event.get();
            currentModel_->GetEvents().AddEvent(std::move(event));
        } else {
            Unresolved(name);
        }
    }
    if (loadOk_) section_ = name;
}

void CInstalacio::EstatLeaf(CEstat& estat, const std::string& name, const std::string& text) {
    bool (CEstat::*mark)(int) = nullptr;
    if (name == "detectz") {
        mark = &CEstat::SetZoneDetect;
    } else if (name == "alarmz") {
        mark = &CEstat::SetZoneAlarm;
    } else if (name == "omitz") {
        mark = &CEstat::SetZoneOmit;
    } else if (name == "averiaz") {
        mark = &CEstat::SetZoneAveria;
    }
    if (mark) {
        // The record refuses zones it does not have, so a long text cannot reach past them.
        for (std::size_t i = 0; i < text.size() && i < static_cast<std::size_t>(CEstat::kMaxZones); ++i) {
            if (text[i] == '1') (estat.*mark)(static_cast<int>(i));
        }
    } else if (name == "areast") {
        estat.SetAreaStatus(StatusByte(text));
    } else if (name == "stpanel") {
        estat.SetPanelStatus(StatusByte(text));
    } else if (name == "ppe") {
        estat.SetEventPointer(StringToInt(text));
    }
}

void CInstalacio::foundElement(std::string& name, const std::string& content,
                               const std::string& attributes) {
    Echo("foundElement: " + name + " atr: " + attributes + " val: " + content);
    if (!loadOk_) return;
    modified_ = true;
    if (ignoreDepth_ > 0) return;
    const std::string text = XmlDecode(content);
    const int number = StringToInt(text);
    if (section_ == "dades") {
        if (name == "nominstal") dades_.SetNomInstal(text);
        else if (name == "nomclient") dades_.SetNomClient(text);
        else if (name == "direccio") dades_.SetDireccio(text);
        else if (name == "telefon") dades_.SetTelefon(text);
        else if (name == "email") dades_.SetEmail(text);
        else if (name == "telfconexio") dades_.SetTelfConexio(text);
        else if (name == "telfconexioCSD") dades_.SetTelfConexioCSD(text);
        else if (name == "ipdest") dades_.SetIpDest(text);
        else if (name == "ipgprsdest") dades_.SetIpGprsDest(text);
        else if (name == "ipcralnkdest") dades_.SetIpCraLnkDest(text);
        else if (name == "tipusconexio") dades_.SetTipusConexio(number);
        else if (name == "baudrate") dades_.SetBaudRate(number);
        else if (name == "ipport") dades_.SetIpPort(number);
        else if (name == "ipgprsport") dades_.SetIpGprsPort(number);
        else if (name == "ipcralnkport") dades_.SetIpCraLnkPort(number);
        else if (name == "callback") dades_.SetCallback(text == "yes");
        else if (name == "especial") dades_.SetEspecial(text == "yes");
        return;
    }
    if (section_ == "element") {
        if (name == "col" && currentGrupFlash_ && currentElement_ >= 0) {
            currentGrupFlash_->SetCell(currentElement_, currentColumna_, text);
            ++currentColumna_;
        }
        return;
    }
    if (section_ == "codi") {
        if (name == "val" && currentCodi_) currentCodi_->SetValue(text);
        return;
    }
    if (section_ == "fitxer") {
        if (name == "nom" && currentFitxer_) currentFitxer_->SetPath(text);
        return;
    }
    if (section_ == "compgraf") {
        if (!currentCompGraf_) return;
        if (name == "tipus") currentCompGraf_->SetTipus(number);
        else if (name == "nummapa") currentCompGraf_->SetNumMapa(number);
        else if (name == "posx") currentCompGraf_->SetPosX(number);
        else if (name == "posy") currentCompGraf_->SetPosY(number);
        else if (name == "zona") currentCompGraf_->SetZona(number);
        else if (name == "area") currentCompGraf_->SetArea(number);
        else if (name == "sortida") currentCompGraf_->SetSortida(number);
        else if (name == "rele") currentCompGraf_->SetRele(number);
        return;
    }
    if (section_ == "event") {
        if (!currentEvent_) return;
        if (name == "hora") currentEvent_->SetTime(text);
        else if (name == "data") currentEvent_->SetDate(text);
        else if (name == "contactid") currentEvent_->SetContactId(text);
        else if (name == "abonat") currentEvent_->SetAbonat(text);
        else if (name == "descphonecall") currentEvent_->SetDescPhoneCall(text);
        else if (name == "zona") currentEvent_->SetZoneText(text);
        else if (name == "area") currentEvent_->SetArea(number);
        else if (name == "linia") currentEvent_->SetLinia(number);
        else if (name == "numero") currentEvent_->SetNumero(number);
        return;
    }
    // The remaining sections belong to the current component.
    if (!currentModel_) return;
    if (section_ == "component") {
        if (name == "busdir") currentModel_->SetBusDir(text);
        else if (name == "descr") currentModel_->SetDescr(text);
    } else if (section_ == "estat") {
        EstatLeaf(currentModel_->GetEstat(), name, text);
    } else if (section_ == "grafic") {
        if (name == "mapa") {
            currentModel_->GetEstat().GetGrafic().SetMapa(text, StringToInt(GetXmlAttribute(attributes, "num")));
        }
    } else if (section_ == "events") {
        if (name == "myppe") currentModel_->GetEvents().SetMyPpe(number);
    }
}

void CInstalacio::endNode(std::string& /*name*/, const std::string& /*attributes*/) {
    if (ignoreDepth_ > 0) --ignoreDepth_;
}
