// The installation commands with one allocation failing, swept over the allocations each command
// makes: the command ends with a message, the installation and the files on disk are as they
// were, and the program goes on (the next command works).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>

#include "core/outofmemory.h"
#include "core_harness.h"
#include "datamodel/files.h"

namespace {

// Allocations counted since the last Arm; the one numbered failAt (from 0) throws. -1: none.
long g_allocations = 0;
long g_failAt = -1;

void* Allocate(std::size_t size) {
    if (g_allocations++ == g_failAt) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void Arm(long failAt) {
    g_allocations = 0;
    g_failAt = failAt;
}

long Disarm() {
    g_failAt = -1;
    return g_allocations;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
// Callers of the non-throwing forms (the library's temporary buffers) manage without: only the
// throwing forms fail.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

const std::filesystem::path kSource = ORVANE_SOURCE_DIR;

class OutOfMemory : public CoreTest {
protected:
    std::string SamplePath() const { return (kSource / "samples" / "ejemplo.voski").string(); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Bytes(const std::string& name) const {
        std::string bytes;
        ReadWholeFile(dir / name, bytes);
        return bytes;
    }
    std::string InstallationText() {
        std::string text;
        core->WriteInstalacioXml(text);
        return text;
    }

    // Runs the command once to count its allocations, then again after a fresh setup with each
    // allocation in turn failing (every one for short commands, an even spread of about 120 for
    // long ones, the first and last ones always), checking each end.
    void Sweep(const std::function<void()>& setup, const std::function<bool()>& command,
               const std::function<void(bool)>& check) {
        setup();
        Arm(-1);
        ASSERT_TRUE(command()) << core->GetLastError();
        const long total = Disarm();
        ASSERT_GT(total, 0);
        const long step = std::max(1L, total / 120);
        for (long k = 0; k < total; k = k < 40 || k >= total - 40 ? k + 1 : std::min(k + step, total - 40)) {
            SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(total));
            setup();
            Arm(k);
            const bool done = command();
            // The first run may allocate once-only things a later run finds made: an allocation
            // number past a run's end fails nothing.
            if (Disarm() <= k) {
                EXPECT_TRUE(done);
                break;
            }
            check(done);
            if (HasFatalFailure() || ::testing::Test::HasFailure()) return;
        }
    }
};

TEST_F(OutOfMemory, ASaveKeepsTheFileTheNameAndTheModifiedFlags) {
    std::string saved;
    const std::string other = Path("b.voski");
    Sweep(
        [&] {
            ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
            ASSERT_TRUE(core->SaveInstalacioAs(Path("a.voski")));
            core->GetInstalacio().GetCentral().FindCode("011")->SetValue("9999");
            saved = Bytes("a.voski");
            std::filesystem::remove(dir / "b.voski");
        },
        [&] { return core->SaveInstalacioAs(other); },
        [&](bool done) {
            EXPECT_FALSE(done);
            EXPECT_EQ(core->GetLastError(), kOutOfMemory);
            EXPECT_EQ(core->GetInstalacio().GetFileName(), Path("a.voski"));
            EXPECT_TRUE(core->IsModified());
            EXPECT_EQ(Bytes("a.voski"), saved);
            EXPECT_FALSE(std::filesystem::exists(dir / "b.voski"));
        });
    ASSERT_TRUE(core->SaveInstalacio()) << core->GetLastError();
    EXPECT_FALSE(core->IsModified());
}

TEST_F(OutOfMemory, AnOpenEndsWithNothingOpenAndTheNextOpenWorks) {
    const std::string sample = SamplePath();
    Sweep([&] { ASSERT_TRUE(core->OpenInstalacio(sample)); }, [&] { return core->OpenInstalacio(sample); },
          [&](bool done) {
              EXPECT_FALSE(done);
              EXPECT_EQ(core->GetLastError(), kOutOfMemory);
              EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 0);
              EXPECT_TRUE(core->GetInstalacio().GetCentral().GetId().empty());
              EXPECT_EQ(core->GetTreeIndex().GetRootItem(), kNoTreeItem);
          });
    ASSERT_TRUE(core->OpenInstalacio(SamplePath())) << core->GetLastError();
    EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 2);
}

TEST_F(OutOfMemory, AddingAComponentLeavesTheInstallationAsItWas) {
    std::string before;
    const std::string model = "EX08", versio = "1.2", busdir = "30";
    Sweep(
        [&] {
            ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
            before = InstallationText();
        },
        [&] { return core->AddComponent(model, versio, busdir); },
        [&](bool done) {
            EXPECT_FALSE(done);
            EXPECT_EQ(core->GetLastError(), kOutOfMemory);
            EXPECT_TRUE(InstallationText() == before);
            EXPECT_FALSE(core->IsModified());
            EXPECT_NE(core->GetTreeIndex().GetRootItem(), kNoTreeItem);
        });
}

TEST_F(OutOfMemory, ANewInstallationOrAReportEndsWithAMessage) {
    const std::string model = "VX16", versio = "2.1", report = Path("informe.txt");
    Sweep([&] { ASSERT_TRUE(core->OpenInstalacio(SamplePath())); }, [&] { return core->NewInstalacio(model, versio); },
          [&](bool done) {
              EXPECT_FALSE(done);
              EXPECT_EQ(core->GetLastError(), kOutOfMemory);
              EXPECT_TRUE(core->GetInstalacio().GetCentral().GetId().empty());
          });
    Sweep(
        [&] {
            ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
            std::filesystem::remove(dir / "informe.txt");
        },
        [&] { return core->ExportReport(report); },
          [&](bool done) {
              EXPECT_FALSE(done);
              EXPECT_EQ(core->GetLastError(), kOutOfMemory);
              EXPECT_FALSE(std::filesystem::exists(dir / "informe.txt"));
          });
}

}  // namespace
