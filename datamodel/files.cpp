#include "datamodel/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "datamodel/text.h"

std::filesystem::path ToOsPath(std::string_view recordText) {
    std::string text(recordText);
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    return std::filesystem::path(Cp1252ToUtf8(text));
}

std::string FromOsPath(const std::filesystem::path& path, bool* lossless) {
    return Utf8ToCp1252(path.string(), lossless);
}

std::string SystemReason(int error) {
    switch (error) {
        case ENOENT: return "No existe el fichero o la carpeta.";
        case EACCES:
        case EPERM: return "Permiso denegado.";
        case EROFS: return "El sistema de ficheros es de solo lectura.";
        case ENOSPC: return "No queda espacio en el disco.";
        case EDQUOT: return "Se ha superado la cuota de disco.";
        case EFBIG: return "El fichero supera el tamaño máximo permitido.";
        case EISDIR: return "Es una carpeta, no un fichero.";
        case ENOTDIR: return "Una parte de la ruta no es una carpeta.";
        case ENAMETOOLONG: return "El nombre del fichero es demasiado largo.";
        case ELOOP: return "Demasiados enlaces simbólicos.";
        case EIO: return "Error de entrada/salida del disco.";
        case ENOMEM: return "Memoria insuficiente.";
        case EMFILE:
        case ENFILE: return "Demasiados ficheros abiertos.";
        default: return std::strerror(error);
    }
}

namespace {

bool Fail(std::string* reason, std::string why) {
    if (reason) *reason = std::move(why);
    return false;
}

const char kNotRegular[] = "No es un fichero normal (es un dispositivo, una tubería o un socket).";

std::string KindReason(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : std::string(kNotRegular);
}

// Opens a file for reading only when it is a regular file (or, with anyKind, anything but a
// folder). The kind is checked before the file is opened (opening a device or a pipe may block or
// have effects) and again on the descriptor, which never blocks. -1 when it cannot be read.
int OpenForReading(const std::filesystem::path& path, std::string* reason, off_t* size, bool anyKind = false) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        Fail(reason, SystemReason(errno));
        return -1;
    }
    const auto wrongKind = [anyKind](const struct stat& s) { return anyKind ? S_ISDIR(s.st_mode) : !S_ISREG(s.st_mode); };
    if (wrongKind(st)) {
        Fail(reason, KindReason(st));
        return -1;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        Fail(reason, SystemReason(errno));
        return -1;
    }
    if (fstat(fd, &st) != 0 || wrongKind(st)) {
        close(fd);
        Fail(reason, KindReason(st));
        return -1;
    }
    if (size) *size = st.st_size;
    return fd;
}

// Appends up to limit bytes from the descriptor; -1 on a read error (errno set), else the count.
long long ReadUpTo(int fd, std::uintmax_t limit, std::string& bytes) {
    char chunk[65536];
    std::uintmax_t total = 0;
    while (total < limit) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(sizeof chunk, limit - total));
        const ssize_t n = read(fd, chunk, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) break;  // a pipe or terminal with nothing more to give now
            return -1;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
        total += static_cast<std::uintmax_t>(n);
    }
    return static_cast<long long>(total);
}

std::string TooLargeReason(std::uintmax_t maxBytes) {
    const std::uintmax_t unit = maxBytes >= 1024u * 1024u ? 1024u * 1024u : 1024u;
    return "El fichero es demasiado grande: ocupa más de " + std::to_string(maxBytes / unit) +
           (unit == 1024u ? " KB" : " MB") + " y no puede ser un fichero de este tipo.";
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* reason,
                   std::uintmax_t maxBytes) {
    off_t size = 0;
    const int fd = OpenForReading(path, reason, &size);
    if (fd < 0) return false;
    if (static_cast<std::uintmax_t>(size) > maxBytes) {
        close(fd);
        return Fail(reason, TooLargeReason(maxBytes));
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(size));
    // One byte more than allowed tells a file that grew past the limit while it was read.
    const long long n = ReadUpTo(fd, maxBytes + 1, data);
    const int error = errno;
    close(fd);
    if (n < 0) return Fail(reason, SystemReason(error));
    if (static_cast<std::uintmax_t>(n) > maxBytes) return Fail(reason, TooLargeReason(maxBytes));
    bytes = std::move(data);
    return true;
}

bool ReadFileStart(const std::filesystem::path& path, std::size_t limit, std::string& bytes,
                   std::string* reason) {
    const int fd = OpenForReading(path, reason, nullptr, true);
    if (fd < 0) return false;
    std::string data;
    const long long n = ReadUpTo(fd, limit, data);
    const int error = errno;
    close(fd);
    if (n < 0) return Fail(reason, SystemReason(error));
    bytes = std::move(data);
    return true;
}

bool ReadJoinedLines(const std::filesystem::path& path, std::string& joined, std::string* reason,
                     std::uintmax_t maxBytes) {
    std::string raw;
    if (!ReadWholeFile(path, raw, reason, maxBytes)) return false;
    std::string out;
    out.reserve(raw.size());
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\n', start);
        std::size_t next = end == std::string::npos ? raw.size() : end + 1;
        if (end == std::string::npos) end = raw.size();
        std::size_t len = end - start;
        if (len > 0 && raw[start + len - 1] == '\r') --len;
        out.append(raw, start, len);
        start = next;
    }
    joined = std::move(out);
    return true;
}

int SaveCalls::Access(const char* path, int mode) { return access(path, mode); }
ssize_t SaveCalls::Write(int fd, const void* data, std::size_t size) { return write(fd, data, size); }
int SaveCalls::Fsync(int fd) { return fsync(fd); }
int SaveCalls::Close(int fd) { return close(fd); }
int SaveCalls::Rename(const char* from, const char* to) { return rename(from, to); }

namespace {

SaveCalls g_systemSaveCalls;
SaveCalls* g_saveCalls = &g_systemSaveCalls;

// The file a path names once symbolic links are followed (the path itself when it is none). A
// link that points nowhere yet gives the path it points to, where the file will be created.
bool FollowLinks(std::filesystem::path path, std::filesystem::path& real, std::string* reason) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            real = path;
            return true;
        }
        std::error_code ec;
        std::filesystem::path to = std::filesystem::read_symlink(path, ec);
        if (ec) return Fail(reason, SystemReason(ec.value()));
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    return Fail(reason, SystemReason(ELOOP));
}

// Removes the temporary files that an interrupted save of this file left in its folder.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& fileName) {
    const std::string prefix = "." + fileName + std::string(kSaveTempMark);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const std::filesystem::path stale = folder / std::string(name);
        struct stat st {};
        if (lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(stale.c_str());
    }
    closedir(dir);
}

}  // namespace

void SetSaveCalls(SaveCalls* calls) { g_saveCalls = calls ? calls : &g_systemSaveCalls; }

bool WriteFileSafely(const std::filesystem::path& target, std::string_view content,
                     std::string* reason, bool* openFailed) {
    auto fail = [&](const std::string& why, bool atOpen) {
        if (reason) *reason = why;
        if (openFailed) *openFailed = atOpen;
        return false;
    };
    SaveCalls& sys = *g_saveCalls;
    std::filesystem::path real;
    std::string why;
    if (!FollowLinks(target, real, &why)) return fail(why, true);
    struct stat old {};
    const bool exists = stat(real.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) return fail(KindReason(old), true);
        // The owner's own protection counts even for a user whom the system would let through.
        if ((old.st_mode & 0222) == 0) return fail("El fichero es de solo lectura.", true);
        if (sys.Access(real.c_str(), W_OK) != 0) return fail(SystemReason(errno), true);
    }
    std::filesystem::path folder = real.parent_path();
    if (folder.empty()) folder = ".";
    const std::string fileName = real.filename().string();
    RemoveStaleTemporaries(folder, fileName);
    std::string temp = (folder / ("." + fileName + std::string(kSaveTempMark) + "XXXXXX")).string();
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return fail(SystemReason(errno), true);
    // mkstemp creates 0600: keep the permissions and owner of the file replaced, or give a new
    // one the usual permissions of a user's document.
    if (exists) {
        fchmod(fd, old.st_mode & 07777);
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only a privileged user may give the file away; the content matters more.
        }
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    auto abandon = [&](int error) {
        if (fd >= 0) sys.Close(fd);
        unlink(temp.c_str());
        return fail(SystemReason(error), false);
    };
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = sys.Write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon(errno);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (sys.Fsync(fd) != 0 && errno != EINVAL) return abandon(errno);
    const int closed = sys.Close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno);
    if (sys.Rename(temp.c_str(), real.c_str()) != 0) return abandon(errno);
    // The new name is durable only once the folder itself is on the disk.
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    if (openFailed) *openFailed = false;
    return true;
}

namespace {

std::string WithReason(std::string text, std::string_view reason) {
    if (!reason.empty()) {
        text += '\n';
        text += reason;
    }
    return text;
}

}  // namespace

std::string ReadErrorText(std::string_view name, std::string_view reason) {
    return WithReason("No se pudo abrir el fichero para lectura: \n" + std::string(name), reason);
}

std::string WriteErrorText(std::string_view name, std::string_view reason, bool openFailed) {
    return WithReason((openFailed ? "No se pudo abrir el fichero para escritura: \n"
                                  : "No se pudo escribir el fichero: \n") +
                          std::string(name),
                      reason);
}
