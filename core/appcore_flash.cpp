// Flash operations: reading and verifying a flash table, uploading a table or the files of a file
// group, and the three one-request commands on the panel's stored programming (factory values
// stored or restored, EEPROM reset).
//
// Flash addresses count 16-byte blocks. A table starts at the group's base block; a file at the
// base block + its sector × 256. The first two blocks of the flash are never written by a file.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/appcore.h"
#include "datamodel/files.h"
#include "datamodel/fitxer.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"

namespace {

constexpr int kBlocksPerSector = 0x100;
// Block addresses travel in two bytes.
constexpr long long kFlashBlocks = 0x10000;
// A block read asks for at most this many blocks; longer tables are read in several requests.
constexpr int kMaxBlocksPerRead = 255;
// Sends of a block read that got no data are repeated while tries stay at most this.
constexpr int kReadTries = 2;
// The panel erases a table in about 1 s and a file area in about 4 s.
constexpr int kTableEraseRounds = 10;
constexpr int kFileEraseRounds = 40;
constexpr int kEraseRoundMs = 100;

constexpr const char* kDeleting = "Deleting flash memory...";
constexpr const char* kSendingFlash = "Enviando tabla flash...";


// Why a file has nothing to upload, for the installer.
std::string NoDataText(const CFitxer& fitxer) {
    const std::string& path = fitxer.GetPath();
    switch (fitxer.GetStatus()) {
    case FitxerStatus::NoPath: return "No se ha elegido ningún fichero para " + fitxer.GetId();
    case FitxerStatus::Empty: return "El fichero está vacío: " + path;
    case FitxerStatus::NoSpace: return "No hay sectores reservados para el fichero: " + path;
    case FitxerStatus::RomTooShort: return "La imagen no contiene datos: " + path;
    default: return "No se puede leer el fichero: " + path;
    }
}

// A file longer than its reserved sectors was cut at load; written cut, the panel would hold a
// broken file. The upload is refused with the file's full length and its space.
std::string CutText(const CFitxer& fitxer) {
    const std::string space = IntToString(fitxer.GetLong() * CFitxer::kSectorSize);
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(ToOsPath(fitxer.GetPath()), error);
    const std::string occupies = error ? "más de " + space : std::to_string(length);
    return "El fichero " + fitxer.GetPath() + " ocupa " + occupies + " bytes y el espacio reservado es de " + space +
           " bytes";
}

}  // namespace

// The destination of a flash request: the group's own bus address, else the current component's.
static std::string FlashDestination(CAppCore& core, const CGrupFlash* grup) {
    if (grup && grup->HasDest()) return grup->GetDest();
    return core.UseCurrentComponent()->GetBusDir();
}

// Waits the erase time in rounds of 100 ms, checking Cancel after each.
static bool WaitErase(CAppCore& core, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        core.GetClock().SleepMs(kEraseRoundMs);
        if (core.CheckCancel()) return false;
    }
    return true;
}

// A block address past the two address bytes would wrap onto the start of the flash.
static bool FitsFlash(CAppCore& core, long long base, std::size_t bytes) {
    if (base + CAppCore::FlashBlocksFor(static_cast<long long>(bytes)) <= kFlashBlocks) return true;
    core.SetLastError(CAppCore::kBadAddress);
    return false;
}

bool CAppCore::EraseAndWriteFlash(const std::string& dest, long long base, std::span<const unsigned char> data,
                                  int first, int eraseRounds) {
    if (!protocol_.Send()) {
        lastError_ = protocol_.GetError();
        return false;
    }
    if (!ProgressStep(1, kDeleting) || !WaitErase(*this, eraseRounds)) return false;
    if (!ProgressStep(0, kSendingFlash)) return false;
    // The last block carries what remains; the dialog advances by one per block.
    const int blocks = CAppCore::FlashBlocksFor(static_cast<long long>(data.size()));
    for (int k = std::max(first, 0); k < blocks; ++k) {
        const std::size_t at = static_cast<std::size_t>(k) * CAppCore::kFlashBlockBytes;
        const int count = static_cast<int>(std::min<std::size_t>(CAppCore::kFlashBlockBytes, data.size() - at));
        if (!protocol_.BuildFlashWrite(dest, IntToHexString(static_cast<int>(base + k)), data.data() + at, count)) {
            lastError_ = protocol_.GetError();
            return false;
        }
        if (!SendRepeated(true) || !ProgressStep(1, std::string())) return false;
    }
    return true;
}

// Stores (or with verify compares) every element complete in the collected bytes. A verify
// difference fails with the text that names the element. Stored elements change what the
// installation file holds: the installation is marked modified.
static bool TakeElements(CAppCore& core, CGrupFlash& grup, const std::vector<unsigned char>& data, bool verify) {
    const int size = grup.GetBytesElement();
    const int complete = std::min(grup.GetElements(), static_cast<int>(data.size()) / size);
    if (!verify && complete > 0) core.MarkModified();
    for (int i = 0; i < complete; ++i) {
        std::span<const unsigned char> element(data.data() + static_cast<std::size_t>(i) * size,
                                               static_cast<std::size_t>(size));
        if (verify) {
            if (!grup.CompareElement(i, element)) {
                core.SetLastError("Diferencias verificando el código " + IntToString(i) + "\n" +
                                  "Proceso de verificación detenido aquí.");
                return false;
            }
        } else {
            grup.StoreElement(i, element);
        }
    }
    return true;
}

// A table whose element count and size are known and whose bytes are held.
static bool UsableTable(const CGrupFlash* grup) {
    return grup && grup->GetKind() == FlashGroupTable && grup->HasTable() && grup->GetElements() > 0 &&
           grup->GetBytesElement() > 0 && grup->GetTableSize() > 0;
}

bool CAppCore::ReceiveGrupFlash(CGrupFlash* grup, bool verify) {
    if (!IsConnected()) {
        SetLastError(kNotConnected);
        return false;
    }
    RestartPollTimer();
    if (!UsableTable(grup)) {
        SetLastError(kNothingToReceive);
        return false;
    }
    CProtocol& protocol = GetProtocol();
    const std::string dest = FlashDestination(*this, grup);
    const std::size_t total = static_cast<std::size_t>(grup->GetElements()) * grup->GetBytesElement();
    const int blocks = CAppCore::FlashBlocksFor(static_cast<long long>(total));
    const long long base = static_cast<unsigned>(HexStringToInt(grup->GetAddrBase()));
    if (!FitsFlash(*this, base, total)) return false;

    std::vector<unsigned char> data;
    data.reserve(total);
    // Fails the read, keeping (or comparing) the elements complete so far.
    auto failWith = [&](const std::string& error) {
        SetLastError(error);
        TakeElements(*this, *grup, data, verify);
        return false;
    };

    // Tables longer than one request can carry are read in several requests.
    for (int first = 0; first < blocks; first += kMaxBlocksPerRead) {
        const int count = std::min(kMaxBlocksPerRead, blocks - first);
        const std::size_t wanted = std::min(total, static_cast<std::size_t>(first + count) * CAppCore::kFlashBlockBytes);
        const std::size_t before = data.size();
        for (int tries = 0;;) {
            if (!protocol.BuildBlockRead(dest, IntToHexString(static_cast<int>(base + first)), count))
                return failWith(protocol.GetError());
            // The dialog advances after every answer that does not complete the table.
            auto step = [&] { return ProgressStep(1, std::string()); };
            CollectEnd end = CollectEnd::Stopped;
            if (protocol.Send()) {
                end = protocol.CollectAnswers(data, wanted - before, {false, step});
                if (end == CollectEnd::Cancelled) return failWith(kCancelled);
                if (end == CollectEnd::Complete) {
                    if (data.size() < total && !step()) return failWith(kCancelled);
                    break;
                }
                // Some of the request's bytes came, then the answers stopped.
                if (data.size() > before) return failWith(protocol.GetError());
            }
            // Nothing came for this request (or it could not be sent). A block read checks no
            // echo, so no answer is refused as another request's.
            if (CheckCancel()) return failWith(kCancelled);
            if (!protocol.TimedOut() || tries > kReadTries) return failWith(protocol.GetError());
            ++tries;
        }
    }
    if (!TakeElements(*this, *grup, data, verify)) return false;
    return !CheckCancel();
}

bool CAppCore::SendGrupFlash(CGrupFlash* grup) {
    if (!IsConnected()) {
        SetLastError(kNotConnected);
        return false;
    }
    if (grup && grup->GetKind() == FlashGroupFiles) {
        for (int i = 0; i < grup->GetFitxerCount(); ++i) {
            CFitxer* fitxer = grup->GetFitxer(i);
            if (fitxer && fitxer->GetSend() && !SendFitxer(grup, fitxer)) return false;
        }
        return true;
    }
    if (!UsableTable(grup)) {
        SetLastError(kNothingToSend);
        return false;
    }
    const std::string dest = FlashDestination(*this, grup);
    const std::size_t total = static_cast<std::size_t>(grup->GetElements()) * grup->GetBytesElement();
    const long long base = static_cast<unsigned>(HexStringToInt(grup->GetAddrBase()));
    if (!FitsFlash(*this, base, total)) return false;

    std::vector<unsigned char> buffer;
    buffer.reserve(total);
    for (int i = 0; i < grup->GetElements(); ++i) {
        const unsigned char* element = grup->GetElementPtr(i);
        buffer.insert(buffer.end(), element, element + grup->GetBytesElement());
    }
    if (!protocol_.BuildFlashErase(dest, grup->GetAddrBase())) {
        lastError_ = protocol_.GetError();
        return false;
    }
    return EraseAndWriteFlash(dest, base, buffer, 0, kTableEraseRounds);
}

bool CAppCore::SendFitxer(CGrupFlash* grup, CFitxer* fitxer) {
    if (!IsConnected()) {
        SetLastError(kNotConnected);
        return false;
    }
    RestartPollTimer();
    if (!fitxer) {
        SetLastError(kNothingToSend);
        return false;
    }
    // The file is read afresh for every upload (the installer may have changed it on disk), and
    // before the panel's copy is erased: a file that cannot be read leaves the panel as it was.
    fitxer->FreeData();
    std::span<const unsigned char> data = fitxer->LoadData();
    if (data.empty()) {
        SetLastError(NoDataText(*fitxer));
        return false;
    }
    if (fitxer->GetStatus() == FitxerStatus::Cut) {
        SetLastError(CutText(*fitxer));
        return false;
    }
    const std::string dest = FlashDestination(*this, grup);
    const long long base = static_cast<unsigned>(HexStringToInt(grup ? grup->GetAddrBase() : "")) +
                           static_cast<long long>(fitxer->GetSector()) * kBlocksPerSector;
    if (!FitsFlash(*this, base, data.size())) return false;
    if (!protocol_.BuildFlashLength(dest, fitxer->GetIndex())) {
        lastError_ = protocol_.GetError();
        return false;
    }
    // Absolute blocks 0 and 1 belong to the panel: a file placed over them starts later.
    const int first = base < 2 ? static_cast<int>(2 - base) : 0;
    return EraseAndWriteFlash(dest, base, data, first, kFileEraseRounds);
}

// One control request to the current component. The send's failure is reported.
static bool SendControl(CAppCore& core, ControlCode code) {
    if (!core.IsConnected()) {
        core.SetLastError(CAppCore::kNotConnected);
        return false;
    }
    CProtocol& protocol = core.GetProtocol();
    CAppCore::BusyScope busy(core);
    if (protocol.BuildControl(core.UseCurrentComponent()->GetBusDir(), code, false) && protocol.Send()) return true;
    core.SetLastError(protocol.GetError());
    return false;
}

bool CAppCore::StoreFactoryValues() { return SendControl(*this, kCtrlStoreFactory); }

bool CAppCore::RestoreFactoryValues() { return SendControl(*this, kCtrlRestoreFactory); }

bool CAppCore::HardResetEeprom() { return SendControl(*this, kCtrlEepromReset); }
