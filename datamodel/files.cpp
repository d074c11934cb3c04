#include "datamodel/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

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

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    bytes = std::move(data);
    return true;
}

bool ReadJoinedLines(const std::filesystem::path& path, std::string& joined) {
    std::string raw;
    if (!ReadWholeFile(path, raw)) return false;
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

bool WriteFileSafely(const std::filesystem::path& target, std::string_view content,
                     std::string* reason, bool* openFailed) {
    auto fail = [&](const std::string& why, bool atOpen) {
        if (reason) *reason = why;
        if (openFailed) *openFailed = atOpen;
        return false;
    };
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) return fail(std::strerror(errno), true);
    // mkstemp creates 0600: keep the permissions of the file replaced, or give a new one the
    // usual permissions of a user's document.
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::string why = std::strerror(errno);
            close(fd);
            unlink(pattern.c_str());
            return fail(why, false);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0 && errno != EINVAL) {
        std::string why = std::strerror(errno);
        close(fd);
        unlink(pattern.c_str());
        return fail(why, false);
    }
    if (close(fd) != 0) {
        std::string why = std::strerror(errno);
        unlink(pattern.c_str());
        return fail(why, false);
    }
    if (std::rename(pattern.c_str(), target.c_str()) != 0) {
        std::string why = std::strerror(errno);
        unlink(pattern.c_str());
        return fail(why, false);
    }
    if (openFailed) *openFailed = false;
    return true;
}
