#include "pardex/image.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "pardex/compact.h"
#include "pardex/files.h"
#include "pardex/scan.h"

namespace pardex {
namespace {

constexpr std::string_view kAnswer401 =
    "HTTP/1.0 401 Authorization Required\r\n"
    "Server: VoskSS mZorvex\r\n"
    "Content-Length: 129\r\n"
    "WWW-Authenticate: Basic realm=\"Vosk Security\"\r\n"
    "\r\n"
    "<html><title>404 Authorization Required</title><body><h1>ERROR 401 Authorization required</h1>"
    "<br>>>myZorvex Server</body></html>";

constexpr std::string_view kAnswer404 =
    "HTTP/1.0 404 Not Found\r\n"
    "Server: VoskSS mZorvex\r\n"
    "Content-Length: 215\r\n"
    "\r\n"
    "<html><title>404 Not Found</title><body><h1>ERROR 404 Page not found</h1><br>The Page You "
    "requested was not found on the server.<br>Check the address in your browser for errors<br><br>"
    ">>myZorvex Server</body></html>";

constexpr std::string_view kAnswer500 =
    "HTTP/1.0 500 Internal Error\r\n"
    "Server: VoskSS mZorvex\r\n"
    "Content-Length: 172\r\n"
    "\r\n"
    "<html><title>500 Internal Error</title><body><h1>ERROR 500 Internal Error</h1>\r\n"
    "An internal error occured while treating your demand<br\r\n"
    "<br>>>myZorvex Server</body></html>";

constexpr BuiltInAnswer kAnswers[] = {{"401", kAnswer401}, {"404", kAnswer404}, {"500", kAnswer500}};

constexpr std::size_t kCopyBlock = 10000;
constexpr std::uint64_t kSizeLimit16 = 65535;

void Put16(std::uint8_t* out, std::uint16_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t Get16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}
std::uint32_t Get32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

// Closes a stream when its owner goes away.
struct StreamCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

// The text log. Without a name every write is dropped; writes are not checked, the log only tells.
class Log {
public:
    bool Create(const char* path) {
        file_.reset(std::fopen(path, "we"));
        return file_ != nullptr;
    }
    __attribute__((format(printf, 2, 3))) void Printf(const char* format, ...) {
        if (file_ == nullptr) return;
        va_list args;
        va_start(args, format);
        std::vfprintf(file_.get(), format, args);
        va_end(args);
    }

private:
    Stream file_;
};

// The temporary data area.
class TempData {
public:
    bool Create() {
        file_.reset(CreateAnonymousTempFile());
        return file_ != nullptr;
    }
    // Writes the bytes, then zeros up to a whole unit.
    bool AppendPadded(const void* bytes, std::size_t size) {
        static constexpr std::uint8_t zeros[kUnitSize] = {};
        if (size != 0 && std::fwrite(bytes, 1, size, file_.get()) != size) return false;
        const std::size_t pad = static_cast<std::size_t>(UnitsFor(size) * kUnitSize - size);
        return pad == 0 || std::fwrite(zeros, 1, pad, file_.get()) == pad;
    }
    bool Rewind() { return std::fflush(file_.get()) == 0 && std::fseek(file_.get(), 0, SEEK_SET) == 0; }
    std::FILE* Get() const { return file_.get(); }

private:
    Stream file_;
};

// The image being written. Unless it is finished, it is closed and removed when this goes away, so
// a failed build leaves no partial image; only a regular file is ever removed.
class ImageOutput {
public:
    ImageOutput() = default;
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;
    ~ImageOutput() {
        if (file_ == nullptr) return;
        file_.reset();
        if (regular_) std::remove(path_.c_str());
    }
    bool Create(const char* path) {
        file_.reset(std::fopen(path, "wbe"));
        if (file_ == nullptr) return false;
        path_ = path;
        struct stat st {};
        regular_ = ::fstat(::fileno(file_.get()), &st) == 0 && S_ISREG(st.st_mode);
        return true;
    }
    bool Write(const void* bytes, std::size_t size) {
        return size == 0 || std::fwrite(bytes, 1, size, file_.get()) == size;
    }
    // Closes the image; false (and the image is removed) when the last bytes cannot be written.
    bool Finish() {
        if (std::fclose(file_.release()) == 0) return true;
        if (regular_) std::remove(path_.c_str());
        return false;
    }

private:
    Stream file_;
    std::string path_;
    bool regular_ = false;
};

FlashDirEntry MakeEntry(std::string_view name, std::uint32_t start, std::uint32_t size,
                        std::uint16_t kind) {
    FlashDirEntry entry{};
    std::memcpy(entry.name, name.data(), std::min(name.size(), kNameSize));
    entry.startUnit = start;
    entry.size = size;
    entry.kind = kind;
    return entry;
}

FlashDirEntry VersionEntry() {
    FlashDirEntry entry = MakeEntry("?VER", 0, 0, PARDEX_KIND_ANSWER);
    entry.name[10] = 1;
    entry.name[11] = 1;
    return entry;
}

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

enum class CopyResult { kDone, kImageFailed, kTempFailed };

CopyResult WriteImage(ImageOutput& image, const FlashImageHeader& header,
                      const std::vector<FlashDirEntry>& directory, TempData& data,
                      std::uint64_t dataBytes) {
    std::uint8_t head[kHeaderSize];
    EncodeHeader(header, head);
    if (!image.Write(head, sizeof head)) return CopyResult::kImageFailed;
    for (const FlashDirEntry& entry : directory) {
        std::uint8_t bytes[kEntrySize];
        EncodeEntry(entry, bytes);
        if (!image.Write(bytes, sizeof bytes)) return CopyResult::kImageFailed;
    }
    if (!data.Rewind()) return CopyResult::kTempFailed;
    std::vector<std::uint8_t> block(kCopyBlock);
    std::uint64_t copied = 0;
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), data.Get());
        if (n == 0) break;
        if (!image.Write(block.data(), n)) return CopyResult::kImageFailed;
        copied += n;
    }
    if (std::ferror(data.Get()) || copied != dataBytes) return CopyResult::kTempFailed;
    return image.Finish() ? CopyResult::kDone : CopyResult::kImageFailed;
}

}  // namespace

std::span<const BuiltInAnswer> BuiltInAnswers() { return kAnswers; }

void EncodeHeader(const FlashImageHeader& header, std::uint8_t (&out)[kHeaderSize]) {
    std::memset(out, 0, sizeof out);
    std::memcpy(out, header.magic, 4);
    out[4] = header.versionMajor;
    out[5] = header.versionMinor;
    Put16(out + 6, header.reserved6);
    std::memcpy(out + 8, header.date, 4);
    std::memcpy(out + 12, header.time, 4);
    Put32(out + 16, header.directoryUnits);
    Put32(out + 20, header.entryCount);
    Put32(out + 24, header.payloadBytes);
    Put32(out + 28, header.dataUnits);
    Put32(out + 32, header.firstDataUnit);
    std::memcpy(out + 36, header.reserved36, sizeof header.reserved36);
}

FlashImageHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> in) {
    FlashImageHeader header{};
    std::memcpy(header.magic, in.data(), 4);
    header.versionMajor = in[4];
    header.versionMinor = in[5];
    header.reserved6 = Get16(in.data() + 6);
    std::memcpy(header.date, in.data() + 8, 4);
    std::memcpy(header.time, in.data() + 12, 4);
    header.directoryUnits = Get32(in.data() + 16);
    header.entryCount = Get32(in.data() + 20);
    header.payloadBytes = Get32(in.data() + 24);
    header.dataUnits = Get32(in.data() + 28);
    header.firstDataUnit = Get32(in.data() + 32);
    std::memcpy(header.reserved36, in.data() + 36, sizeof header.reserved36);
    return header;
}

void EncodeEntry(const FlashDirEntry& entry, std::uint8_t (&out)[kEntrySize]) {
    std::memcpy(out, entry.name, kNameSize);
    Put32(out + 16, entry.startUnit);
    Put32(out + 20, entry.size);
    Put16(out + 24, entry.reserved24);
    Put16(out + 26, entry.reserved26);
    Put16(out + 28, entry.kind);
    Put16(out + 30, entry.reserved30);
}

FlashDirEntry DecodeEntry(std::span<const std::uint8_t, kEntrySize> in) {
    FlashDirEntry entry{};
    std::memcpy(entry.name, in.data(), kNameSize);
    entry.startUnit = Get32(in.data() + 16);
    entry.size = Get32(in.data() + 20);
    entry.reserved24 = Get16(in.data() + 24);
    entry.reserved26 = Get16(in.data() + 26);
    entry.kind = Get16(in.data() + 28);
    entry.reserved30 = Get16(in.data() + 30);
    return entry;
}

std::optional<std::vector<std::uint8_t>> ReadListedFile(const std::filesystem::path& path,
                                                        std::uint64_t size) {
    if (size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    const int fd = OpenRegularFile(path.c_str());
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes.emplace(static_cast<std::size_t>(size));
        if (ReadUpTo(fd, bytes->data(), bytes->size()) != static_cast<long long>(size)) bytes.reset();
    } catch (const std::bad_alloc&) {
        bytes.reset();
    } catch (const std::length_error&) {
        bytes.reset();
    }
    ::close(fd);
    return bytes;
}

int CompileImage(unsigned baseUnit, unsigned flags, const char* sourceFolder, const char* imagePath,
                 const char* logPath) {
    Log log;
    if (logPath != nullptr) {
        if (!log.Create(logPath)) return PARDEX_ERR_LOG;
        log.Printf("Pardex v%i.%i\r\n\r\n", 1, 0);
    }

    FlashImageHeader header{};
    std::memcpy(header.magic, PARDEX_MAGIC, 4);
    header.versionMajor = 1;
    header.versionMinor = 1;

    std::optional<FileList> files;
    if (sourceFolder != nullptr) files = ScanDirectory(sourceFolder);
    if (!files) {
        std::fputs("No Files in Directory or Directory not found\r\n", stdout);
        std::fflush(stdout);
        return PARDEX_ERR_FOLDER;
    }

    const bool withAnswers = (flags & PARDEX_NO_ANSWERS) == 0;
    std::vector<FlashDirEntry> directory;
    directory.reserve(files->Count() + 2 + (withAnswers ? 3 : 0));
    log.Printf("Parsing directory %s\r\n", sourceFolder);

    TempData data;
    if (!data.Create()) {
        log.Printf("Error creating temporary output file\n");
        return PARDEX_ERR_TEMP;
    }

    directory.push_back(VersionEntry());
    std::uint32_t entryCount = 0;
    std::uint64_t directoryUnits = 4;
    std::uint64_t dataUnits = 0;
    std::uint64_t payloadBytes = 0;
    int warning = PARDEX_OK;

    // Stores one entry's data and its directory entry; false when the data cannot be written.
    auto store = [&](std::string_view name, const void* bytes, std::size_t size,
                     std::uint16_t kind) {
        if (!data.AppendPadded(bytes, size)) return false;
        directory.push_back(MakeEntry(name, static_cast<std::uint32_t>(dataUnits),
                                      static_cast<std::uint32_t>(size), kind));
        ++entryCount;
        directoryUnits += 2;
        dataUnits += UnitsFor(size);
        payloadBytes += size;
        return true;
    };

    const std::filesystem::path folder(sourceFolder);
    for (const FileEntry* file = files->Current(); file != nullptr; file = files->Next()) {
        const char* name = file->name.c_str();
        if (file->name.size() > kNameSize) {
            log.Printf("Filename %s exceeds 16 characters.Skipped\n", name);
            warning = PARDEX_WARN_SKIPPED;
            continue;
        }
        log.Printf("File : %s, size  : %llu\n", name, static_cast<unsigned long long>(file->size));
        std::optional<std::vector<std::uint8_t>> bytes = ReadListedFile(folder / file->name, file->size);
        if (bytes && (flags & PARDEX_COMPACT_MARKUP) != 0 &&
            (Contains(file->name, ".css") || Contains(file->name, ".htm"))) {
            bytes = CompactMarkup(std::move(*bytes));
            log.Printf("         ==>Optimized size : %zu\n\n", bytes->size());
        }
        // The header's 32-bit totals must hold the file as well.
        if (!bytes || payloadBytes + bytes->size() > std::numeric_limits<std::uint32_t>::max()) {
            log.Printf("Error opening File %s - skipped.\n", name);
            warning = PARDEX_WARN_SKIPPED;
            continue;
        }
        if (bytes->size() > kSizeLimit16) {
            log.Printf("Warning, file %s exceeds 16 bit size limit!\n", name);
            warning = PARDEX_WARN_SIZE_LIMIT;
        }
        const std::uint16_t kind = Contains(file->name, "admin") ? PARDEX_KIND_ADMIN : PARDEX_KIND_FILE;
        if (!store(file->name, bytes->data(), bytes->size(), kind)) {
            log.Printf("Error writing temporary output file\n");
            return PARDEX_ERR_TEMP;
        }
    }

    if (withAnswers) {
        for (const BuiltInAnswer& answer : BuiltInAnswers()) {
            log.Printf("Writing HTTP Message %s\n", answer.name);
            if (!store(answer.name, answer.text.data(), answer.text.size(), PARDEX_KIND_ANSWER)) {
                log.Printf("Error writing temporary output file\n");
                return PARDEX_ERR_TEMP;
            }
        }
    }

    const std::uint64_t firstDataUnit = std::uint64_t{baseUnit} + directoryUnits;
    for (std::size_t i = 1; i < directory.size(); ++i) {
        const std::uint64_t start = directory[i].startUnit + firstDataUnit;
        directory[i].startUnit = static_cast<std::uint32_t>(start);
        if (start > kSizeLimit16) {
            log.Printf("Warning, file %.16s start address exceeds 16 bit size limit!\n",
                       directory[i].name);
            warning = PARDEX_WARN_START_LIMIT;
        }
    }
    directory.push_back(FlashDirEntry{});  // the end of the directory

    header.directoryUnits = static_cast<std::uint32_t>(directoryUnits);
    header.entryCount = entryCount;
    header.payloadBytes = static_cast<std::uint32_t>(payloadBytes);
    header.dataUnits = static_cast<std::uint32_t>(dataUnits);
    header.firstDataUnit = static_cast<std::uint32_t>(firstDataUnit);

    ImageOutput image;
    if (imagePath == nullptr || !image.Create(imagePath)) {
        std::printf("Error opening outputfile %s.\n", imagePath != nullptr ? imagePath : "");
        std::fflush(stdout);
        return PARDEX_ERR_IMAGE;
    }
    log.Printf("Writing output file %s...", imagePath);
    switch (WriteImage(image, header, directory, data, dataUnits * kUnitSize)) {
        case CopyResult::kDone:
            break;
        case CopyResult::kImageFailed:
            log.Printf("failed\n");
            return PARDEX_ERR_IMAGE;
        case CopyResult::kTempFailed:
            log.Printf("failed\n");
            return PARDEX_ERR_TEMP;
    }

    log.Printf("done\n");
    log.Printf("\r\n\r\n------------------------- SUMMARY ------------------------------------\r\n");
    log.Printf("Total files found          : %u\r\n", entryCount);
    log.Printf("Sectors needed for FAT     : %llu\r\n", static_cast<unsigned long long>(directoryUnits));
    log.Printf("Sectors needed for Data    : %llu\r\n", static_cast<unsigned long long>(dataUnits));
    log.Printf("Total Size of Flash        : %llu Bytes\r\n",
               static_cast<unsigned long long>((directoryUnits + dataUnits) * kUnitSize));
    log.Printf("----------------------------------------------------------------------\r\n");
    log.Printf("***END***");
    return warning;
}

}  // namespace pardex
