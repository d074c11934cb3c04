#include "datamodel/model.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>

#include "datamodel/files.h"
#include "datamodel/strings.h"
#include "datamodel/text.h"

namespace {

// The tag an element out of place is renamed to: its leaves match no section.
const std::string kIgnored = "IGNORAR";

// Texts by language: Spanish (or no language) always wins, English only fills an empty text
// (when allowed), any other language is ignored.
bool TakesText(const std::string& attributes, const std::string& current, bool allowEnglish) {
    std::string lang = GetXmlAttribute(attributes, "lang");
    if (lang.empty() || lang == "es") return true;
    return allowEnglish && lang == "en" && current.empty();
}

std::string Attribute(const std::string& attributes, const char* name) {
    return XmlDecode(GetXmlAttribute(attributes, name));
}

// A real number whatever the C locale ("5.0", also "5,0").
bool ParseReal(std::string text, float& value) {
    std::replace(text.begin(), text.end(), ',', '.');
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && (*first == ' ' || *first == '\t')) ++first;
    if (first < last && *first == '+') ++first;
    auto result = std::from_chars(first, last, value);
    return result.ec == std::errc();
}

// The fill rule of `omplir`: one character is appended; "+c" appends c; any other two characters
// put the first one in front; other lengths are ignored.
void ApplyPadding(CCodi& codi, const std::string& text) {
    if (text.size() == 1) {
        codi.SetPadding(text[0], true);
    } else if (text.size() == 2) {
        if (text[0] == '+') {
            codi.SetPadding(text[1], true);
        } else {
            codi.SetPadding(text[0], false);
        }
    }
}

template <typename T>
T* Find(const std::vector<std::unique_ptr<T>>& list, std::string_view id) {
    for (const auto& entry : list) {
        if (entry->GetId() == id) return entry.get();
    }
    return nullptr;
}

template <typename T>
T* At(const std::vector<std::unique_ptr<T>>& list, int index) {
    if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
    return list[static_cast<std::size_t>(index)].get();
}

// A bus address is kept only as hexadecimal text (the empty text included).
bool StoreHex(std::string& field, std::string_view address) {
    if (!IsHexString(address)) return false;
    field = address;
    return true;
}

CGrup* LastChild(CGrup* grup) {
    if (!grup || grup->GetSubgrupCount() == 0) return nullptr;
    return grup->GetSubgrup(grup->GetSubgrupCount() - 1);
}

}  // namespace

CModel::CModel() : estat_(16) {}

CModel::~CModel() { Clear(); }

bool CModel::SetName(std::string_view name) {
    name_ = name;
    return true;
}

bool CModel::SetId(std::string_view id) {
    id_ = id;
    return true;
}

bool CModel::SetVersio(std::string_view versio) {
    versio_ = versio;
    return true;
}

bool CModel::SetBusDir(std::string_view address) { return StoreHex(busdir_, address); }
bool CModel::SetBusLocal(std::string_view address) { return StoreHex(buslocal_, address); }
bool CModel::SetBusRemot(std::string_view address) { return StoreHex(busremot_, address); }
bool CModel::SetBusDigital(std::string_view address) { return StoreHex(busdigital_, address); }

bool CModel::SetZones(int zones) {
    if (zones < 0) return false;
    zones_ = zones;
    return true;
}

bool CModel::SetVrxZona(int vrxzona) {
    if (vrxzona < 0) return false;
    vrxzona_ = vrxzona;
    return true;
}

int CModel::AddCode(std::unique_ptr<CCodi> codi) {
    if (!codi) return -1;
    codes_.push_back(std::move(codi));
    try {
        codeIndex_.try_emplace(codes_.back()->GetId(), codes_.back().get());
    } catch (...) {
        codes_.pop_back();  // the list and the index stay in step when memory runs out
        throw;
    }
    return static_cast<int>(codes_.size()) - 1;
}

int CModel::AddGrup(std::unique_ptr<CGrup> grup) {
    if (!grup) return -1;
    groups_.push_back(std::move(grup));
    return static_cast<int>(groups_.size()) - 1;
}

int CModel::AddGrupFlash(std::unique_ptr<CGrupFlash> grupFlash) {
    if (!grupFlash) return -1;
    flashGroups_.push_back(std::move(grupFlash));
    return static_cast<int>(flashGroups_.size()) - 1;
}

CCodi* CModel::GetCodi(int index) const { return At(codes_, index); }
CGrup* CModel::GetGrup(int index) const { return At(groups_, index); }
CGrupFlash* CModel::GetGrupFlash(int index) const { return At(flashGroups_, index); }

CCodi* CModel::FindCode(std::string_view id) const {
    const auto found = codeIndex_.find(id);
    return found == codeIndex_.end() ? nullptr : found->second;
}
CGrup* CModel::FindGrup(std::string_view id) const { return Find(groups_, id); }
CGrupFlash* CModel::FindGrupFlash(std::string_view id) const { return Find(flashGroups_, id); }

bool CModel::IsModified() const { return root_.IsModified(); }

void CModel::ClearModified() { root_.ClearModified(); }

bool CModel::SetEstatFrame(std::span<const unsigned char> reply) {
    return estat_.SetFromReply(reply);
}

int CModel::CodiTypeFromName(std::string_view name, bool forColumn) {
    struct Entry {
        const char* name;
        int type;
    };
    static const Entry kTypes[] = {
        {"bitmask", CodiBitmask},   {"decimal", CodiDecimal},       {"nibble4", CodiNibble4},
        {"nibble6", CodiNibble6},   {"nibble28", CodiNibble28},     {"string", CodiString},
        {"lstring", CodiString},    {"horaquart", CodiHoraQuart},   {"nibble2", CodiNibble2},
        {"nibble8", CodiNibble8},   {"sortida", CodiSortida},       {"nibble2_1N", CodiNibble2_1N},
        {"nibble16", CodiNibble16},
    };
    for (const Entry& e : kTypes) {
        if (name == e.name) {
            if (forColumn && e.type == CodiSortida) return CodiNone;
            return e.type;
        }
    }
    return CodiNone;
}

void CModel::ResetReadingState() {
    currentGrup_ = nullptr;
    currentCodi_ = nullptr;
    currentGrupFlash_ = nullptr;
    insideEstat_ = false;
    currentColumna_ = -1;
    currentMesura_ = nullptr;
    section_.clear();
    mesuraKind_ = -1;
    currentFitxer_ = nullptr;
    ignoreDepth_ = 0;
    refused_ = false;
}

// Everything the model file fills; identity and bus addresses stay.
void CModel::ClearContent() {
    root_.Reset();
    estatRoot_.Reset();
    flashGroups_.clear();
    groups_.clear();
    codeIndex_.clear();
    codes_.clear();
    estat_.Reset();
    estat_.GetPpeCodi().Clear();
    events_ = CEvents();
    zones_ = 0;
    vrxzona_ = 0;
    ResetReadingState();
}

void CModel::Clear() {
    ClearContent();
    name_.clear();
    id_.clear();
    versio_.clear();
}

bool CModel::Load() {
    loadError_.clear();
    if (id_.empty() || versio_.empty()) return false;
    // The identity comes from installation files, which travel between installers: it names a
    // file inside models/ and nothing else (a NUL would end the name early).
    static constexpr std::string_view kNotInName("/\\\0", 3);
    for (const std::string* part : {&id_, &versio_}) {
        if (part->find_first_of(kNotInName) != std::string::npos || *part == "." || *part == "..") {
            loadError_ = "El nombre del modelo no es válido.";
            return false;
        }
    }
    std::string text;
    std::string reason;
    if (!ReadJoinedLines(ToOsPath("models/" + id_ + "-" + versio_ + ".xml"), text, &reason)) {
        // A missing model file says enough by its name.
        if (reason != SystemReason(ENOENT)) loadError_ = reason;
        return false;
    }
    return LoadFromText(std::move(text));
}

bool CModel::LoadFromText(std::string text) {
    ClearContent();
    loadError_.clear();
    XmlParser parser(this);
    bool ok = parser.Parse(text, 0, static_cast<long>(text.size()) - 1);
    ok = ok && !refused_;
    ResetReadingState();
    return ok;
}

void CModel::Refuse(std::string reason) {
    if (refused_) return;
    refused_ = true;
    loadError_ = std::move(reason);
}

void CModel::UpdateRadioZoneCount() {
    long long count = static_cast<long long>(zones_) * vrxzona_;
    estat_.SetRadioZoneCount(static_cast<int>(std::min<long long>(count, INT_MAX)));
}

void CModel::Ignore(std::string& name) {
    name = kIgnored;
    section_ = kIgnored;
    ignoreDepth_ = 1;
}

void CModel::ApplyGroupAttributes(CGrup& grup, const std::string& attributes) {
    grup.SetId(Attribute(attributes, "id"));
    if (GetXmlAttribute(attributes, "type") == "bits") grup.SetBits();
    std::string caract = GetXmlAttribute(attributes, "caract");
    if (caract == "seguits") {
        grup.SetSeguits();
    } else if (caract == "norecv") {
        grup.SetNoRecv();
    } else if (caract == "nosend") {
        grup.SetNoSend();
    } else if (caract == "girat") {
        grup.SetGirat(true);
    }
    std::string distancia = GetXmlAttribute(attributes, "distancia");
    grup.SetDistancia(distancia.empty() ? 0 : StringToInt(distancia));
}

CGrup* CModel::NewGroup(CGrup* parent, const std::string& attributes) {
    // Owned first, then linked: running out of memory between the two never leaves the tree
    // pointing at a group that was deleted.
    auto grup = std::make_unique<CGrup>();
    CGrup* raw = grup.get();
    AddGrup(std::move(grup));
    parent->AddSubgrup(raw);
    ApplyGroupAttributes(*raw, attributes);
    currentGrup_ = raw;
    return raw;
}

void CModel::foundNode(std::string& name, const std::string& attributes) {
    if (refused_) return;
    if (ignoreDepth_ > 0) {
        ++ignoreDepth_;
        name = kIgnored;
        section_ = kIgnored;
        return;
    }
    CGrup* treeRoot = insideEstat_ ? &estatRoot_ : &root_;
    if (name == "model") {
        root_.Reset();
        // A missing attribute keeps the identity the file was found by, so that an installation
        // saved afterwards names a model file that exists.
        std::string id = Attribute(attributes, "id");
        std::string versio = Attribute(attributes, "versio");
        if (!id.empty()) SetId(id);
        if (!versio.empty()) SetVersio(versio);
    } else if (name == "grup") {
        NewGroup(treeRoot, attributes);
    } else if (name == "subgrup") {
        CGrup* parent = LastChild(treeRoot);
        if (!parent) return Ignore(name);
        NewGroup(parent, attributes);
    } else if (name == "intgrup") {
        CGrup* parent = LastChild(LastChild(treeRoot));
        if (!parent) return Ignore(name);
        NewGroup(parent, attributes);
    } else if (name == "codi") {
        if (!currentGrup_) return Ignore(name);
        std::string id = Attribute(attributes, "id");
        CCodi* codi = FindCode(id);
        if (!codi) {
            auto fresh = std::make_unique<CCodi>();
            fresh->SetId(id);
            codi = fresh.get();
            AddCode(std::move(fresh));
        }
        currentCodi_ = codi;
        currentGrup_->AddCodi(codi);
        if (GetXmlAttribute(attributes, "caract") == "noedit") codi->SetEditable(false);
    } else if (name == "grup-flash") {
        auto flash = std::make_unique<CGrupFlash>();
        flash->SetParent(&root_);
        flash->SetId(Attribute(attributes, "id"));
        currentGrupFlash_ = flash.get();
        currentColumna_ = -1;
        currentFitxer_ = nullptr;
        AddGrupFlash(std::move(flash));
    } else if (name == "columna") {
        if (!currentGrupFlash_) return Ignore(name);
        if (currentGrupFlash_->GetColumnaCount() >= kMaxFlashColumns) {
            return Refuse("La tabla flash " + currentGrupFlash_->GetId() + " tiene más de " +
                          std::to_string(kMaxFlashColumns) + " columnas.");
        }
        currentColumna_ = currentGrupFlash_->AddColumna();
    } else if (name == "fitxer") {
        if (!currentGrupFlash_) return Ignore(name);
        auto fitxer = std::make_unique<CFitxer>();
        fitxer->SetId(Attribute(attributes, "id"));
        if (GetXmlAttribute(attributes, "caract") == "ROM") fitxer->SetRom(true);
        currentFitxer_ = fitxer.get();
        currentGrupFlash_->AddFitxer(std::move(fitxer));
    } else if (name == "estat") {
        insideEstat_ = true;
    } else if (name == "tcvzona") {
        std::string formula = GetXmlAttribute(attributes, "formula");
        mesuraKind_ = formula == "A" ? 1 : formula == "B" ? 2 : formula == "C" ? 3 : formula == "D" ? 4 : -1;
    } else if (name == "tcvalim") {
        mesuraKind_ = MesuraSupply;
    } else if (name == "tcvmonitor") {
        mesuraKind_ = MesuraMonitor;
    } else if (name == "sortides") {
        mesuraKind_ = MesuraOutput;
    } else if (name == "reles") {
        mesuraKind_ = MesuraRelay;
    } else if (name == "mesura") {
        auto mesura = std::make_unique<CMesura>();
        mesura->SetTipus(GetXmlAttribute(attributes, "formula") == "TEMP" ? MesuraTemperature : mesuraKind_);
        currentMesura_ = mesura.get();
        if (mesuraKind_ == MesuraOutput) {
            estat_.AddOutput(std::move(mesura));
        } else if (mesuraKind_ == MesuraRelay) {
            estat_.AddRelay(std::move(mesura));
        } else {
            estat_.AddMesura(std::move(mesura));
        }
    } else if (name == "mesuraAC") {
        auto mesura = std::make_unique<CMesura>();
        mesura->SetTipus(MesuraMain);
        currentMesura_ = mesura.get();
        estat_.SetMainMesura(std::move(mesura));
    } else if (name == "cobertura") {
        // The coverage code is the status record's own: read as a code, in no list and no group.
        estat_.SetHasPpe(true);
        currentCodi_ = &estat_.GetPpeCodi();
        name = "codi";
    }
    section_ = name;
}

void CModel::CodiLeaf(CCodi& codi, const std::string& name, const std::string& text,
                      const std::string& attributes) {
    if (name == "val") {
        if (TakesText(attributes, codi.GetValue(), false)) codi.SetValueKeep(text);
    } else if (name == "kpaddress") {
        codi.SetKpAddress(text);
        codi.SetUsuari(GetXmlAttribute(attributes, "usuari") == "1");
    } else if (name == "tipus") {
        codi.SetType(CodiTypeFromName(text, false));
        if (text == "lstring") codi.SetLowerCase(true);
    } else if (name == "eeprom") {
        codi.SetAccess(CodiEeprom);
        codi.SetCodeNumber(text);
    } else if (name == "ram") {
        codi.SetAccess(CodiRam);
        codi.SetCodeNumber(text);
    } else if (name == "offset") {
        codi.SetAddress(StringToInt(text));
    } else if (name == "descr") {
        if (TakesText(attributes, codi.GetDescr(), true)) codi.SetDescr(text);
    } else if (name == "bitdescr") {
        std::string bit = GetXmlAttribute(attributes, "bit");
        if (bit.empty()) return;
        int i = StringToInt(bit) - 1;
        if (TakesText(attributes, codi.GetOption(i), true)) codi.SetOption(i, text);
    } else if (name == "omplir") {
        ApplyPadding(codi, text);
    }
}

void CModel::foundElement(std::string& name, const std::string& content,
                          const std::string& attributes) {
    if (ignoreDepth_ > 0 || refused_) return;
    const std::string text = XmlDecode(content);
    if (section_ == "model") {
        if (name == "descr") {
            if (TakesText(attributes, root_.GetName(), true)) root_.SetName(text);
        } else if (name == "zones") {
            int zones = StringToInt(text);
            if (SetZones(zones)) {
                estat_.SetZoneCount(zones);
                UpdateRadioZoneCount();
            }
        } else if (name == "arees") {
            estat_.SetAreaCount(StringToInt(text));
        } else if (name == "vrxzona") {
            if (SetVrxZona(StringToInt(text))) UpdateRadioZoneCount();
        } else if (name == "busdir") {
            SetBusDir(text);
        } else if (name == "buslocal") {
            SetBusLocal(text);
        } else if (name == "busremot") {
            SetBusRemot(text);
        } else if (name == "busdigital") {
            SetBusDigital(text);
        }
    } else if (section_ == "codi") {
        if (currentCodi_) CodiLeaf(*currentCodi_, name, text, attributes);
    } else if (section_ == "grup" || section_ == "subgrup" || section_ == "intgrup") {
        if (!currentGrup_) return;
        if (name == "descr") {
            if (TakesText(attributes, currentGrup_->GetName(), true)) currentGrup_->SetName(text);
        } else if (name == "busdir") {
            currentGrup_->SetDest(text);
        } else if (name == "bitdescr" && section_ != "grup") {
            std::string bit = GetXmlAttribute(attributes, "bit");
            if (bit.empty()) return;
            int i = StringToInt(bit) - 1;
            if (TakesText(attributes, currentGrup_->GetBitName(i), true)) currentGrup_->SetBitName(i, text);
        }
    } else if (section_ == "grup-flash") {
        if (currentGrupFlash_) FlashLeaf(*currentGrupFlash_, name, text, attributes);
    } else if (section_ == "columna") {
        if (!currentGrupFlash_) return;
        CCodi* column = currentGrupFlash_->GetColumnaAt(currentColumna_);
        if (!column) return;
        if (name == "descr") {
            if (TakesText(attributes, currentGrupFlash_->GetColumna(currentColumna_), true)) {
                currentGrupFlash_->SetColumnaText(currentColumna_, text);
            }
        } else if (name == "tipus") {
            currentGrupFlash_->SetColumnaField(currentColumna_, CodiTypeFromName(text, true));
            if (text == "lstring") column->SetLowerCase(true);
        } else if (name == "val") {
            currentGrupFlash_->FillAll(currentColumna_, text);
            column->SetValueKeep(text);
        } else if (name == "omplir") {
            ApplyPadding(*column, text);
        }
    } else if (section_ == "fitxer") {
        if (!currentFitxer_) return;
        if (name == "index") {
            currentFitxer_->SetIndex(StringToInt(text));
        } else if (name == "long") {
            const int sectors = StringToInt(text);
            if (sectors > kMaxFlashFileSectors) {
                return Refuse("El fichero flash " + currentFitxer_->GetId() + " ocupa " + std::to_string(sectors) +
                              " sectores; el máximo es " + std::to_string(kMaxFlashFileSectors) + ".");
            }
            currentFitxer_->SetLong(sectors);
        } else if (name == "sector") {
            currentFitxer_->SetSector(StringToInt(text));
        } else if (name == "descr") {
            if (TakesText(attributes, currentFitxer_->GetNom(), true)) currentFitxer_->SetNom(text);
        }
    } else if (section_ == "estat") {
        if (name == "noanalogic") {
            estat_.SetHasAnalog(false);
        } else if (name == "noviaradio") {
            estat_.SetHasRadio(false);
        } else if (name == "nosortides") {
            estat_.SetHasOutputs(false);
        } else if (name == "nogeneral") {
            estat_.SetHasGeneral(false);
        } else if (name == "notesttelefonic") {
            estat_.SetHasPhoneTest(false);
        } else if (name == "noestatgrafic") {
            estat_.SetHasGrafic(false);
        }
    } else if (section_ == "analogic") {
        float scale = 0.0f;
        if (name == "vdd" && ParseReal(text, scale)) estat_.SetScale(scale);
    } else if (section_ == "mesura" || section_ == "mesuraAC") {
        if (!currentMesura_) return;
        if (name == "offset") {
            currentMesura_->SetOffset(StringToInt(text));
        } else if (name == "unitats") {
            currentMesura_->SetUnitats(text);
        } else if (name == "descr") {
            if (TakesText(attributes, currentMesura_->GetDescr(), true)) currentMesura_->SetDescr(text);
        }
    } else if (section_ == "events") {
        if (name == "address") {
            events_.SetAddress(text);
        } else if (name == "flash") {
            events_.SetFlash(text);
        } else if (name == "maxevents") {
            const int capacity = StringToInt(text);
            if (capacity > kMaxEvents) {
                return Refuse("La memoria de eventos tiene " + std::to_string(capacity) + " eventos; el máximo es " +
                              std::to_string(kMaxEvents) + ".");
            }
            events_.SetMaxEvents(capacity);
        } else if (name == "bytesevent") {
            events_.SetBytesEvent(StringToInt(text));
        } else if (name == "tipus") {
            events_.SetTipus(EventFormatFromName(text));
        }
    }
}

void CModel::FlashLeaf(CGrupFlash& flash, const std::string& name, const std::string& text,
                       const std::string& attributes) {
    if (name == "descr") {
        if (TakesText(attributes, flash.GetDescr(), true)) flash.SetDescr(text);
    } else if (name == "busdir") {
        flash.SetDest(text);
    } else if (name == "elements" || name == "bytes-element") {
        // The table is allocated once both are known: its size is checked before.
        const bool isCount = name == "elements";
        const int value = StringToInt(text);
        if (isCount && value > kMaxFlashElements) {
            return Refuse("La tabla flash " + flash.GetId() + " tiene " + std::to_string(value) +
                          " elementos; el máximo es " + std::to_string(kMaxFlashElements) + ".");
        }
        const int other = isCount ? flash.GetBytesElement() : flash.GetElements();
        const long long bytes = static_cast<long long>(value) * other;
        if (!flash.HasTable() && value > 0 && bytes > CGrupFlash::kMaxTableBytes) {
            return Refuse("La tabla flash " + flash.GetId() + " ocupa " + std::to_string(bytes) +
                          " bytes; el máximo es " + std::to_string(CGrupFlash::kMaxTableBytes) + ".");
        }
        if (isCount) {
            flash.SetElements(value);
        } else {
            flash.SetBytesElement(value);
        }
    } else if (name == "addrbase") {
        flash.SetAddrBase(text);
    }
}

void CModel::endNode(std::string& name, const std::string& /*attributes*/) {
    if (refused_) return;
    if (ignoreDepth_ > 0) {
        --ignoreDepth_;
        return;
    }
    if (name == "estat") insideEstat_ = false;
}
