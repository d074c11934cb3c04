#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "datamodel/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Every name in the folder, sorted.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Files of this process may grow to at most `bytes` while it lives; writing past that fails
// with EFBIG instead of raising SIGXFSZ. The limit holds for every user, root included.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = old_;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

}  // namespace

TEST(SafeWrite, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string old(3000, 'a');
    dir.Write("inst.voski", old);
    std::string reason;
    bool openFailed = true;
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(WriteFileSafely(dir / "inst.voski", std::string(10000, 'b'), &reason, &openFailed));
    }
    EXPECT_FALSE(openFailed);
    EXPECT_EQ(reason, "El fichero supera el tamaño máximo permitido.");
    EXPECT_EQ(dir.Read("inst.voski"), old);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"inst.voski"});
    EXPECT_EQ(WriteErrorText("inst.voski", reason, openFailed),
              "No se pudo escribir el fichero: \ninst.voski\nEl fichero supera el tamaño máximo permitido.");
}

TEST(SafeWrite, ALinkKeepsPointingToTheFileItNames) {
    TempDir dir;
    fs::create_directory(dir / "datos");
    fs::create_directory(dir / "accesos");
    dir.Write("datos/real.voski", "viejo");
    fs::create_symlink("../datos/real.voski", dir / "accesos/enlace.voski");
    fs::create_symlink("enlace.voski", dir / "accesos/otro.voski");  // a link to a link

    ASSERT_TRUE(WriteFileSafely(dir / "accesos/otro.voski", "nuevo"));
    EXPECT_TRUE(fs::is_symlink(dir / "accesos/enlace.voski"));
    EXPECT_TRUE(fs::is_symlink(dir / "accesos/otro.voski"));
    EXPECT_EQ(dir.Read("datos/real.voski"), "nuevo");
    EXPECT_EQ(Names(dir / "datos"), std::vector<std::string>{"real.voski"});
    EXPECT_EQ(Names(dir / "accesos"), (std::vector<std::string>{"enlace.voski", "otro.voski"}));

    // A loop of links is refused, not followed forever.
    fs::create_symlink("b", dir / "a");
    fs::create_symlink("a", dir / "b");
    std::string reason;
    EXPECT_FALSE(WriteFileSafely(dir / "a", "x", &reason));
    EXPECT_EQ(reason, "Demasiados enlaces simbólicos.");
}

TEST(SafeWrite, AReadOnlyFileIsNotReplaced) {
    TempDir dir;
    dir.Write("solo.voski", "guardado");
    fs::permissions(dir / "solo.voski", fs::perms::owner_read | fs::perms::group_read);
    std::string reason;
    bool openFailed = false;
    EXPECT_FALSE(WriteFileSafely(dir / "solo.voski", "otro", &reason, &openFailed));
    EXPECT_TRUE(openFailed);
    EXPECT_EQ(WriteErrorText("solo.voski", reason, openFailed),
              "No se pudo abrir el fichero para escritura: \nsolo.voski\nEl fichero es de solo lectura.");
    EXPECT_EQ(dir.Read("solo.voski"), "guardado");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"solo.voski"});
}

TEST(SafeWrite, KeepsThePermissionsOfTheFileReplaced) {
    TempDir dir;
    dir.Write("p.voski", "1");
    fs::permissions(dir / "p.voski", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_TRUE(WriteFileSafely(dir / "p.voski", "2"));
    EXPECT_EQ(fs::status(dir / "p.voski").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}

TEST(SafeWrite, TheNextSaveRemovesWhatACrashedSaveLeft) {
    TempDir dir;
    dir.Write("x.voski", "1");
    const std::string stale = ".x.voski" + std::string(kSaveTempMark) + "Ab3dE9";
    dir.Write(stale, "a save killed half way");
    // Files of the user that only look alike, and the leftovers of another file, stay.
    const std::vector<std::string> others = {".x.voski.bak", ".x.voski" + std::string(kSaveTempMark) + "toolong",
                                             ".y.voski" + std::string(kSaveTempMark) + "Ab3dE9"};
    for (const std::string& name : others) dir.Write(name, "mine");

    ASSERT_TRUE(WriteFileSafely(dir / "x.voski", "2"));
    std::vector<std::string> expected = others;
    expected.push_back("x.voski");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(dir.Path()), expected);
    EXPECT_EQ(dir.Read("x.voski"), "2");
}

namespace {

// Records the calls of a save in order ("access", "write", "fsync", "close", "rename", each with
// whether it concerned the temporary file) and fails the one named in failing with failError.
class WatchedCalls final : public SaveCalls {
public:
    std::vector<std::string> calls;
    std::string failing;
    int failError = EIO;

    int Access(const char* path, int mode) override {
        return Done("access", SaveCalls::Access(path, mode));
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return Done("write", SaveCalls::Write(fd, data, size), fd);
    }
    int Fsync(int fd) override { return Done("fsync", SaveCalls::Fsync(fd), fd); }
    // The descriptor is released even when the close is then reported as failed, as the system
    // does for a close that fails on a deferred write error.
    int Close(int fd) override { return Done("close", SaveCalls::Close(fd), fd); }
    int Rename(const char* from, const char* to) override {
        return Done("rename", SaveCalls::Rename(from, to));
    }

private:
    template <typename T>
    T Done(const std::string& name, T result, int fd = -1) {
        calls.push_back(fd >= 0 ? name + " temp" : name);
        if (name != failing) return result;
        errno = failError;
        return -1;
    }
};

class ScopedSaveCalls {
public:
    explicit ScopedSaveCalls(SaveCalls* calls) { SetSaveCalls(calls); }
    ~ScopedSaveCalls() { SetSaveCalls(nullptr); }
};

}  // namespace

TEST(SafeWrite, TheTemporaryFileIsOnTheDiskBeforeItReplacesTheOld) {
    TempDir dir;
    dir.Write("a.voski", "antiguo");
    WatchedCalls watched;
    ScopedSaveCalls scope(&watched);
    ASSERT_TRUE(WriteFileSafely(dir / "a.voski", "nuevo"));
    EXPECT_EQ(watched.calls,
              (std::vector<std::string>{"access", "write temp", "fsync temp", "close temp", "rename"}));
    EXPECT_EQ(dir.Read("a.voski"), "nuevo");
}

TEST(SafeWrite, AFailedCheckOrCloseLeavesTheOldFileWhole) {
    // Root passes every permission check of the system: the seam stands in for a user who may
    // not write the file, and for a close that reports a deferred write error (NFS, full disk).
    const struct {
        const char* failing;
        int error;
        bool openFailed;
        const char* reason;
    } cases[] = {
        {"access", EACCES, true, "Permiso denegado."},
        {"close", EIO, false, "Error de entrada/salida del disco."},
        {"close", ENOSPC, false, "No queda espacio en el disco."},
        {"fsync", EIO, false, "Error de entrada/salida del disco."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.failing) + " " + c.reason);
        TempDir dir;
        dir.Write("a.voski", "antiguo");
        WatchedCalls watched;
        watched.failing = c.failing;
        watched.failError = c.error;
        std::string reason;
        bool openFailed = !c.openFailed;
        {
            ScopedSaveCalls scope(&watched);
            EXPECT_FALSE(WriteFileSafely(dir / "a.voski", "nuevo", &reason, &openFailed));
        }
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(openFailed, c.openFailed);
        EXPECT_EQ(dir.Read("a.voski"), "antiguo");
        EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.voski"});
        EXPECT_EQ(std::count(watched.calls.begin(), watched.calls.end(), "rename"), 0);
    }
}

TEST(BoundedRead, OnlyRegularFilesUpToTheCapAreRead) {
    TempDir dir;
    dir.Write("ok.xml", "<a>\r\n</a>");
    ASSERT_EQ(mkfifo((dir / "tuberia.xml").c_str(), 0600), 0);
    fs::create_directory(dir / "carpeta.xml");
    fs::create_symlink(dir / "ok.xml", dir / "enlace.xml");
    {
        std::ofstream big(dir / "grande.xml", std::ios::binary);
        big.seekp(2048);
        big.put('x');  // 2049 bytes, most of them a hole
    }
    const struct {
        const char* name;
        const char* reason;  // empty: read
    } cases[] = {
        {"ok.xml", ""},
        {"enlace.xml", ""},
        {"tuberia.xml", "No es un fichero normal (es un dispositivo, una tubería o un socket)."},
        {"carpeta.xml", "Es una carpeta, no un fichero."},
        {"ausente.xml", "No existe el fichero o la carpeta."},
        {"grande.xml", "El fichero es demasiado grande: ocupa más de 2 KB y no puede ser un fichero de este tipo."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string joined = "before", reason;
        const bool read = ReadJoinedLines(dir / c.name, joined, &reason, 2048);
        EXPECT_EQ(read, *c.reason == '\0');
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(joined, read ? "<a></a>" : "before");
    }
    // A device never hangs the reader and never fills its memory.
    std::string bytes, reason;
    EXPECT_FALSE(ReadWholeFile("/dev/zero", bytes, &reason));
    EXPECT_EQ(reason, "No es un fichero normal (es un dispositivo, una tubería o un socket).");
    // The start of a pipe is what it holds now: nothing, without waiting for a writer.
    ASSERT_TRUE(ReadFileStart(dir / "tuberia.xml", 10, bytes));
    EXPECT_EQ(bytes, "");
    // The start of a longer file is cut, not refused.
    ASSERT_TRUE(ReadFileStart(dir / "grande.xml", 10, bytes));
    EXPECT_EQ(bytes, std::string(10, '\0'));
    EXPECT_EQ(ReadErrorText("a.voski", reason),
              "No se pudo abrir el fichero para lectura: \na.voski\n"
              "No es un fichero normal (es un dispositivo, una tubería o un socket).");
    EXPECT_EQ(ReadErrorText("a.voski", ""), "No se pudo abrir el fichero para lectura: \na.voski");
}
