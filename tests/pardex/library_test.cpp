// The built libpardex.so, loaded at run time as the program loads it.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "pardex/pardex.h"
#include "pardex_test_util.h"

namespace {

class Library {
public:
    Library() : handle_(::dlopen(PARDEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_ != nullptr) ::dlclose(handle_);
    }
    bool Loaded() const { return handle_ != nullptr; }
    template <typename F>
    F Find(const char* name) const {
        return reinterpret_cast<F>(::dlsym(handle_, name));
    }

private:
    void* handle_;
};

}  // namespace

TEST(Library, BuildsAndReadsAnImageThroughItsCFunctions) {
    Library lib;
    ASSERT_TRUE(lib.Loaded()) << ::dlerror();
    const auto compile = lib.Find<PardexCompileFunc>("Compile");
    const auto open = lib.Find<int (*)(const char*, void*)>("Open");
    const auto read = lib.Find<int (*)(void*, unsigned)>("Read");
    const auto close = lib.Find<int (*)()>("Close");
    ASSERT_TRUE(compile && open && read && close);
    EXPECT_EQ(lib.Find<void*>("CompileImage"), nullptr);

    TempDir dir;
    ScopedTempFolder temp;
    dir.Write("web/index.htm", "<p>  hola  </p>");
    const std::string image = (dir / "web.rom").string();
    ASSERT_EQ(compile(0, 0, PARDEX_COMPACT_MARKUP, (dir / "web").c_str(), image.c_str(), nullptr), 0);

    FlashImageHeader header{};
    ASSERT_EQ(open(image.c_str(), &header), 0);
    EXPECT_EQ(header.entryCount, 4u);
    FlashDirEntry entries[6];
    ASSERT_EQ(read(entries, sizeof entries), static_cast<int>(sizeof entries));
    EXPECT_STREQ(entries[1].name, "index.htm");
    EXPECT_EQ(entries[1].size, 12u);
    char data[16];
    ASSERT_EQ(read(data, sizeof data), 16);
    EXPECT_EQ(std::string(data, 16), std::string("<p>hola </p>\0\0\0\0", 16));
    EXPECT_EQ(close(), 0);
    EXPECT_EQ(close(), 0);
    EXPECT_EQ(open((dir / "web" / "index.htm").c_str(), nullptr), PARDEX_ERR_NOT_IMAGE);
    EXPECT_TRUE(temp.IsEmpty());
}
