// Programming transfer between the installation's codes and the panel: receive, send, verify,
// apply, return to default values, the keypad pane's single-group transfers, and the inner
// operations they share (code-address resolution, single codes with their retries, packed
// groups, tree walks, counting for the progress dialog).
#include <algorithm>
#include <array>
#include <vector>

#include "core/appcore.h"
#include "datamodel/codi.h"
#include "datamodel/codifit.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/fitxer.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "link/frame.h"

namespace {

const char* const kBadOption = "Opción no válida";

// A packed group goes in write frames at offsets 8k, and an offset must fit one byte, so a group
// may hold at most 32 frames of 8 bytes.
constexpr int kMaxBlockBytes = 256;
// A longer packed read is split into pieces of this size (a multiple of the 8-byte answers).
constexpr int kReadPiece = 248;

// A bus address or code number as two bytes: left-padded with "0" to four characters, read as
// two hexadecimal pairs (anything that is not a hexadecimal digit counts as 0). Only the last four
// characters of a longer text count.
std::array<unsigned char, 2> TwoBytes(const std::string& text) {
    std::string t = text;
    while (t.size() < 4) t.insert(t.begin(), '0');
    t = t.substr(t.size() - 4);
    return {static_cast<unsigned char>(HexCharToValue(t[0]) << 4 | HexCharToValue(t[1])),
            static_cast<unsigned char>(HexCharToValue(t[2]) << 4 | HexCharToValue(t[3]))};
}

std::string DifferenceText(const CCodi& codi) {
    return "Diferencias verificando el código " + codi.GetKpAddress() + "\n" + "Proceso de verificación detenido aquí.";
}

}  // namespace

// ---- received code bytes ----

bool CAppCore::TakeCodeBytes(CCodi& codi, std::span<const unsigned char> bytes, bool verify) {
    // A code whose bytes did not all arrive is a failed read: neither decoded nor compared.
    if (bytes.size() < static_cast<std::size_t>(codi.GetByteCount())) {
        lastError_ = kBadValue;
        return false;
    }
    if (verify) {
        if (codi.EqualsBytes(bytes)) return true;
        lastError_ = DifferenceText(codi);
        return false;
    }
    if (codi.FromBytes(bytes)) return true;
    lastError_ = kBadValue;
    return false;
}

// ---- destinations ----

std::string CAppCore::CodiDestination() {
    CModel* component = UseCurrentComponent();
    if (currentGrup_ && currentGrup_->HasDest()) return currentGrup_->GetDest();
    return component->GetBusDir();
}

// ---- code-address resolution ----

bool CAppCore::ResolveCodiAddress(const std::string& dest, CCodi* codi) {
    if (!codi) {
        lastError_ = kBadAddress;
        return false;
    }
    RestartPollTimer();
    const std::string& kp = codi->GetKpAddress();
    std::array<unsigned char, 2> descriptor = TwoBytes(kp);
    if (descriptor[0] == 0x0F) {
        // A local code: its place is known without asking the panel.
        descriptor[0] = 0x40;
    } else {
        if (!protocol_.BuildCodiAddressQuery(dest, kp, codi->IsUsuari()) || !protocol_.Send() ||
            !protocol_.WaitAnswer(kCmdCodiAddress, kCmdWriteEeprom, kCmdWriteRam)) {
            lastError_ = protocol_.GetError();
            return false;
        }
        int length = 0;
        const unsigned char* answer = protocol_.GetAnswer(length);
        if (!answer || length < 2) {
            lastError_ = kBadValue;
            return false;
        }
        // Only the code-address answer (two bytes) describes the code; a data answer that ended
        // the wait is no descriptor and must not become the code's address.
        if (length != PanelFrame::PayloadLength(kCmdCodiAddress)) {
            lastError_ = kBadAddress;
            return false;
        }
        descriptor = {answer[0], answer[1]};
    }
    if (!codi->SetFromDescriptor(descriptor)) {
        lastError_ = kBadAddress;
        return false;
    }
    log_.LogLine("Adreça del codi " + kp + ": " + codi->GetCodeNumber());
    return true;
}

// ---- single codes ----

bool CAppCore::SendCodi(CCodi* codi) {
    if (!connected_) {
        lastError_ = kNotConnected;
        return false;
    }
    if (!codi) {
        lastError_ = kBadValue;
        return false;
    }
    const std::string dest = CodiDestination();
    // A code typed before its type was known (the keypad pane's) learns its type from the panel
    // here; it is written only when that type shows the value as typed, or the panel would hold
    // another value than the one the installer asked for.
    const bool typedUntyped = !codi->IsTypeSet();
    const std::string typed = codi->GetValue();
    if (codi->GetCodeNumber().empty() && !ResolveCodiAddress(dest, codi)) return false;
    if (typedUntyped && !CodiShowsTyped(*codi, typed)) {
        lastError_ = "El valor \"" + typed + "\" no cabe en el código de teclado " + codi->GetKpAddress() + ": " +
                     CodiAcceptedText(*codi) + ".\nNo se ha enviado nada: el panel conserva su valor.";
        return false;
    }
    const CCodi::RawBytes& bytes = codi->ToBytes();
    const int n = codi->GetByteCount();
    const bool ram = codi->GetAccess() == CodiRam;
    // A code without bytes has nothing to write (a request of no bytes would be refused).
    for (int start = 0; start < n; start += 8) {
        int count = std::min(8, n - start);
        if (!protocol_.BuildWrite(dest, codi->GetCodeNumber(), ram, bytes.data() + start, count,
                                   codi->GetAddress() + start) ||
            !protocol_.Send()) {
            lastError_ = protocol_.GetError();
            return false;
        }
    }
    return ProgressStep(1, std::string());
}

bool CAppCore::ReceiveCodi(CCodi* codi, bool verify) {
    if (!connected_) {
        lastError_ = kNotConnected;
        return false;
    }
    if (!codi) {
        lastError_ = kBadValue;
        return false;
    }
    RestartPollTimer();
    const std::string dest = CodiDestination();
    if (codi->GetCodeNumber().empty() && !ResolveCodiAddress(dest, codi)) return false;
    const int n = codi->GetByteCount();
    if (n < 1) return ProgressStep(1, std::string());  // nothing to read
    const bool ram = codi->GetAccess() == CodiRam;

    std::vector<unsigned char> got;
    for (int tries = 0;;) {
        got.clear();
        if (!protocol_.BuildRead(dest, codi->GetCodeNumber(), ram, n, codi->GetAddress())) {
            lastError_ = protocol_.GetError();  // the request itself is refused: no retry
            return false;
        }
        if (!protocol_.Send()) {
            if (CheckCancel()) return false;
            if (!protocol_.TimedOut() || tries > 2) {
                lastError_ = protocol_.GetError();
                return false;
            }
            ++tries;
            log_.LogLine("retry no answer");
            continue;
        }
        // A single code's answers echo its code number in bytes 0 and 1.
        CollectOptions options;
        options.checkAddress = true;
        const CollectEnd end = protocol_.CollectAnswers(got, static_cast<std::size_t>(n), options);
        if (end == CollectEnd::Complete) break;
        // Nothing, or not all of the code, came: a partial value is never decoded.
        if (CheckCancel()) return false;
        if (end == CollectEnd::Foreign) {
            // Answers to other requests only: a new attempt, while tries stay at most 3.
            if (++tries <= 3) continue;
            lastError_ = kBadValue;
            return false;
        }
        if (!protocol_.TimedOut() || tries > 2) {
            lastError_ = protocol_.GetError();
            return false;
        }
        ++tries;
        log_.LogLine("retry no data");
    }
    if (!TakeCodeBytes(*codi, got, verify)) return false;
    return ProgressStep(1, std::string());
}

// ---- packed groups ----

bool CAppCore::BlockLayout(CGrup* grup, int& stride, int& total) {
    stride = 0;
    total = 0;
    if (!grup || grup->GetCodiCount() == 0) return true;
    stride = grup->GetDistancia() > 0 ? grup->GetDistancia() : grup->GetCodi(0)->GetByteCount();
    if (stride < 1) return true;
    long long bytes = static_cast<long long>(stride) * grup->GetCodiCount();
    if (bytes > kMaxBlockBytes) {
        // Frames past 256 bytes would need offsets that do not fit and would overwrite the
        // start of the group in the panel: refused before anything is sent.
        lastError_ = kBadValue;
        return false;
    }
    total = static_cast<int>(bytes);
    return true;
}

bool CAppCore::SendGrupBlock(CGrup* grup) {
    if (!connected_) {
        lastError_ = kNotConnected;
        return false;
    }
    int stride = 0, total = 0;
    if (!BlockLayout(grup, stride, total)) return false;
    if (total == 0) return ProgressStep(grup ? grup->GetCodiCount() : 0, std::string());
    std::string dest = UseCurrentComponent()->GetBusDir();
    if (grup->HasDest()) dest = grup->GetDest();
    CCodi* first = grup->GetCodi(0);
    if (first->GetCodeNumber().empty() && !ResolveCodiAddress(dest, first)) return false;
    const bool ram = first->GetAccess() == CodiRam;

    std::vector<unsigned char> buffer(static_cast<std::size_t>(total), 0);
    for (int i = 0; i < grup->GetCodiCount(); ++i) {
        CCodi* codi = grup->GetCodi(i);
        const CCodi::RawBytes& bytes = codi->ToBytes();
        int at = i * stride;
        int count = std::min(codi->GetByteCount(), total - at);
        std::copy_n(bytes.begin(), std::max(count, 0), buffer.begin() + at);
    }

    const int frames = (total + 7) / 8;
    const bool gsm = conexio_.GetKind() == ConexioGsm;
    for (int k = 0; k < frames; ++k) {
        const int count = std::min(8, total - 8 * k);
        const bool unanswered = gsm && k < frames - 1;
        if (!protocol_.BuildWrite(dest, first->GetCodeNumber(), ram, buffer.data() + 8 * k, count, 8 * k)) {
            lastError_ = protocol_.GetError();
            return false;
        }
        if (unanswered) protocol_.ClearAnswerWanted();
        if (!SendRepeated(false)) return false;
        if (unanswered) GetClock().SleepMs(150);
    }
    return ProgressStep(grup->GetCodiCount(), std::string());
}

bool CAppCore::ReceiveGrupBlock(CGrup* grup, bool verify) {
    if (!connected_) {
        lastError_ = kNotConnected;
        return false;
    }
    int stride = 0, total = 0;
    if (!BlockLayout(grup, stride, total)) return false;
    if (total == 0) return ProgressStep(grup ? grup->GetCodiCount() : 0, std::string());
    const std::string dest = UseCurrentComponent()->GetBusDir();
    CCodi* first = grup->GetCodi(0);
    if (first->GetCodeNumber().empty() && !ResolveCodiAddress(dest, first)) return false;
    const bool ram = first->GetAccess() == CodiRam;

    std::vector<unsigned char> buffer;
    buffer.reserve(static_cast<std::size_t>(total));
    // One read when it fits a request, otherwise consecutive pieces.
    const int piece = total <= kMaxReadBytes ? total : kReadPiece;
    for (int offset = 0; offset < total; offset += piece) {
        const int count = std::min(piece, total - offset);
        for (int tries = 0;;) {
            std::vector<unsigned char> got;
            if (!protocol_.BuildRead(dest, first->GetCodeNumber(), ram, count, offset)) {
                lastError_ = protocol_.GetError();
                return false;
            }
            CollectEnd end = CollectEnd::Stopped;
            if (protocol_.Send()) end = protocol_.CollectAnswers(got, static_cast<std::size_t>(count));
            if (end == CollectEnd::Complete) {
                buffer.insert(buffer.end(), got.begin(), got.end());
                break;
            }
            // Nothing, or only part of the group, came: no code takes a partial value. (A packed
            // read checks no echo, so no answer is refused as another request's.)
            if (CheckCancel()) return false;
            if (!protocol_.TimedOut() || tries > 2) {
                lastError_ = protocol_.GetError();
                return false;
            }
            ++tries;
        }
    }

    for (int i = 0; i < grup->GetCodiCount(); ++i) {
        CCodi* codi = grup->GetCodi(i);
        const int at = i * stride;
        std::span<const unsigned char> bytes(buffer.data() + at, static_cast<std::size_t>(total - at));
        if (!TakeCodeBytes(*codi, bytes, verify)) return false;
    }
    return ProgressStep(grup->GetCodiCount(), std::string());
}

// ---- tree walks ----

bool CAppCore::SendTree(CGrup* grup) {
    if (!grup || grup->IsNoSend()) return true;
    currentGrup_ = grup;
    if (grup->IsSeguits()) {
        if (!SendGrupBlock(grup)) return false;
    } else {
        for (int i = 0; i < grup->GetCodiCount(); ++i)
            if (!SendCodi(grup->GetCodi(i))) return false;
        for (int i = 0; i < grup->GetSubgrupCount(); ++i) {
            if (!SendTree(grup->GetSubgrup(i))) return false;
        }
    }
    currentGrup_ = nullptr;
    return true;
}

bool CAppCore::ReceiveTree(CGrup* grup, bool verify) {
    if (!grup || grup->IsNoRecv()) return true;
    currentGrup_ = grup;
    if (grup->IsSeguits()) {
        if (!ReceiveGrupBlock(grup, verify)) return false;
    } else {
        for (int i = 0; i < grup->GetCodiCount(); ++i)
            if (!ReceiveCodi(grup->GetCodi(i), verify)) return false;
        for (int i = 0; i < grup->GetSubgrupCount(); ++i) {
            if (!ReceiveTree(grup->GetSubgrup(i), verify)) return false;
        }
    }
    currentGrup_ = nullptr;
    return true;
}

bool CAppCore::ReceiveSelectedTree(CModel* model) {
    if (!model) model = &instalacio_.GetCentral();
    return ReceiveTree(model->GetRootGrup(), false);
}

bool CAppCore::SendSelectedTree(CModel* model) {
    if (!model) model = &instalacio_.GetCentral();
    return SendTree(model->GetRootGrup());
}

// ---- counting ----

int CAppCore::CountTreeItems(CGrup* grup, bool forReceive) {
    if (!grup) return 0;
    if (forReceive ? grup->IsNoRecv() : grup->IsNoSend()) return 0;
    int count = grup->GetCodiCount();
    for (int i = 0; i < grup->GetSubgrupCount(); ++i) count += CountTreeItems(grup->GetSubgrup(i), forReceive);
    return count;
}

int CAppCore::CountNodeItems(TreeItemId item, bool forReceive) {
    switch (treeIndex_.GetKind(item)) {
        case TreeNodeGrup: return CountTreeItems(treeIndex_.GetGrup(item), forReceive);
        case TreeNodeGrupFlash: {
            CGrupFlash* flash = treeIndex_.GetGrupFlash(item);
            if (!flash) return 0;
            if (flash->GetKind() == FlashGroupTable)
                return FlashBlocksFor(static_cast<long long>(flash->GetElements()) * flash->GetBytesElement());
            if (flash->GetKind() == FlashGroupFiles) {
                if (forReceive) return 0;
                // One erase step per marked file besides its blocks; a marked file that cannot be
                // read still counts, so the upload runs and says why instead of "nothing to send".
                int marked = 0;
                for (int i = 0; i < flash->GetFitxerCount(); ++i) marked += flash->GetFitxer(i)->GetSend() ? 1 : 0;
                return FlashBlocksFor(flash->GetSendSize()) + marked;
            }
            return 0;
        }
        case TreeNodeComponent: {
            CModel* model = treeIndex_.GetComponent(item);
            return model ? CountTreeItems(model->GetRootGrup(), forReceive) : 0;
        }
        case TreeNodeEstat: return forReceive ? 6 : 0;
        case TreeNodeVista:
            if (!forReceive) return 0;
            switch (treeIndex_.GetVista(item)) {
                case StatusViewGeneral: return 4;
                case StatusViewRadio: return 1;
                case StatusViewOutputs: return 1;
                case StatusViewAnalog: return 1;
                case StatusViewGrafic: return 3;
                default: return 0;
            }
        case TreeNodeEvents: {
            if (!forReceive) return 0;
            CEvents* events = treeIndex_.GetEvents(item);
            CModel* model = treeIndex_.GetComponent(item);
            if (!events || !model) return 0;
            int start = 0, passes[2];
            const int fresh = NewEventRecords(*events, model->GetEstat().GetEventPointer(), start, passes);
            const int bytes = events->GetBytesEvent();
            if (fresh == 0 || bytes < 1 || bytes > 64) return 1;
            return fresh / (64 / bytes) + 2;
        }
        default: return -1;  // installation data, plain items
    }
}

// ---- the window's operations ----

bool CAppCore::Receive(TreeItemId item) {
    lastError_.clear();
    const int count = CountNodeItems(item, true);
    if (count < 1) {
        lastError_ = kNothingToReceive;
        return false;
    }
    if (busy_) {
        lastError_ = kBusy;
        return false;
    }
    RestartPollTimer();
    BeginTransfer("Recibiendo...", count, treeIndex_.GetComponent(item));

    bool ok = false;
    switch (treeIndex_.GetKind(item)) {
        case TreeNodeGrup: ok = ReceiveTree(treeIndex_.GetGrup(item), false); break;
        case TreeNodeGrupFlash: ok = ReceiveGrupFlash(treeIndex_.GetGrupFlash(item), false); break;
        case TreeNodeComponent: ok = ReceiveSelectedTree(treeIndex_.GetComponent(item)); break;
        case TreeNodeDades: ok = true; break;
        case TreeNodeEstat: {
            const CEstat& estat = UseCurrentComponent()->GetEstat();
            ok = ReceiveStatus(false);
            if (ok && estat.HasAnalog()) ok = ReceiveMesures();
            if (ok && estat.HasOutputs()) ok = ReceiveOutputs() && ReceiveRelays();
            if (ok && estat.HasRadio()) ok = ReceiveRadio();
            break;
        }
        case TreeNodeVista: {
            const CEstat& estat = UseCurrentComponent()->GetEstat();
            switch (treeIndex_.GetVista(item)) {
                case StatusViewGeneral:
                    ok = ReceiveStatus(false);
                    if (ok && estat.HasOutputs()) ok = ReceiveOutputs() && ReceiveRelays();
                    break;
                case StatusViewAnalog: ok = ReceiveMesures(); break;
                case StatusViewOutputs: ok = ReceiveOutputs(); break;
                case StatusViewRadio: ok = ReceiveRadio(); break;
                case StatusViewGrafic: ok = ReceiveStatus(false); break;
                default: break;
            }
            break;
        }
        case TreeNodeEvents:
            // The general status brings the panel's event pointer, which sizes the read.
            ok = ReceiveStatus(false);
            if (ok) {
                // A new dialog, sized by the records now known, takes the old one's place.
                BeginProgress("Recibiendo...", CountNodeItems(item, true));
                ok = ReceiveEventLog();
            }
            break;
        default: break;
    }
    if (editView_) editView_->TransferToPanels();
    EndTransfer();
    return ok;
}

bool CAppCore::Send(TreeItemId item) {
    if (busy_) {
        lastError_ = kBusy;
        return false;
    }
    StorePanels();
    const int count = CountNodeItems(item, false);
    if (count < 1) {
        lastError_ = kNothingToSend;
        return false;
    }
    RestartPollTimer();
    BeginTransfer("Enviando...", count, treeIndex_.GetComponent(item));

    bool ok = false;
    switch (treeIndex_.GetKind(item)) {
        case TreeNodeGrup: ok = SendTree(treeIndex_.GetGrup(item)); break;
        case TreeNodeGrupFlash: ok = SendGrupFlash(treeIndex_.GetGrupFlash(item)); break;
        case TreeNodeDades: ok = true; break;
        default: lastError_ = kBadOption; break;
    }
    EndTransfer();
    return ok;
}

bool CAppCore::Verify(TreeItemId item) {
    lastError_.clear();
    const int count = CountNodeItems(item, true);
    if (count < 1) {
        lastError_ = kNothingToReceive;
        return false;
    }
    if (busy_) {
        lastError_ = kBusy;
        return false;
    }
    StorePanels();
    BeginTransfer("Verificando...", count, treeIndex_.GetComponent(item));

    bool ok = false;
    switch (treeIndex_.GetKind(item)) {
        case TreeNodeGrup: ok = ReceiveTree(treeIndex_.GetGrup(item), true); break;
        case TreeNodeGrupFlash: ok = ReceiveGrupFlash(treeIndex_.GetGrupFlash(item), true); break;
        default: lastError_ = kBadOption; break;
    }
    if (editView_) editView_->TransferToPanels();
    EndTransfer();
    return ok;
}

bool CAppCore::Apply(TreeItemId item) {
    if (!connected_) {
        lastError_ = kNotConnected;
        return false;
    }
    if (busy_) {
        lastError_ = kBusy;
        return false;
    }
    BeginProgress("Aplicando...", 2);
    busy_ = true;
    CModel* component = treeIndex_.GetComponent(item);
    if (!component) component = &instalacio_.GetCentral();
    bool ok = protocol_.BuildApply(component->GetBusDir(), false);
    if (!ok) lastError_ = protocol_.GetError();
    ok = ok && ProgressStep(1, std::string());
    if (ok && !protocol_.Send()) {
        lastError_ = protocol_.GetError();
        ok = false;
    }
    // A cancel now fails the operation although the request went out.
    ok = ok && ProgressStep(1, std::string());
    EndTransfer();
    return ok;
}

bool CAppCore::ApplyFactoryValues(TreeItemId item) {
    StorePanels();
    switch (treeIndex_.GetKind(item)) {
        case TreeNodeGrup: {
            CGrup* grup = treeIndex_.GetGrup(item);
            if (grup) grup->RevertToDefaults();
            break;
        }
        case TreeNodeGrupFlash: {
            CGrupFlash* flash = treeIndex_.GetGrupFlash(item);
            if (flash) flash->ApplyDefaults();
            break;
        }
        default: lastError_ = kBadOption; return false;
    }
    // The codes took other values: the installation must be saved to keep them.
    instalacio_.SetModified();
    if (editView_) editView_->TransferToPanels();
    return true;
}

// ---- the keypad pane ----

bool CAppCore::ReceiveGrup(CGrup* grup) {
    lastError_.clear();
    const int count = CountTreeItems(grup, true);
    if (count <= 0) {
        lastError_ = kNothingToReceive;
        return false;
    }
    if (busy_) {
        lastError_ = kBusy;
        return false;
    }
    BeginTransfer("Recibiendo...", count, &instalacio_.GetCentral());
    bool ok = ReceiveTree(grup, false);
    if (editView_) editView_->TransferToPanels();
    EndTransfer();
    return ok;
}

bool CAppCore::SendGrup(CGrup* grup) {
    if (busy_) {
        lastError_ = kBusy;
        return false;
    }
    StorePanels();
    const int count = CountTreeItems(grup, false);
    if (count <= 0) {
        lastError_ = kNothingToSend;
        return false;
    }
    RestartPollTimer();
    BeginTransfer("Enviando...", count, &instalacio_.GetCentral());
    bool ok = SendTree(grup);
    EndTransfer();
    return ok;
}

void CAppCore::BeginTransfer(const std::string& text, int count, CModel* component) {
    BeginProgress(text, count);
    busy_ = true;
    currentComponent_ = component;
    protocol_.ClearQueue();
}

bool CAppCore::SendRepeated(bool checkCancel) {
    for (int repeats = 0;; ++repeats) {
        const bool sent = protocol_.Send();
        if (checkCancel && CheckCancel()) return false;
        if (sent) return true;
        if (!protocol_.TimedOut() || repeats >= 3) {
            lastError_ = protocol_.GetError();
            return false;
        }
    }
}

void CAppCore::EndTransfer() {
    EndProgress();  // also clears the busy flag
    // A walk that failed leaves no group whose override would redirect later requests.
    currentGrup_ = nullptr;
}
