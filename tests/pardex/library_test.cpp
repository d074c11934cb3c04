// The built libpardex.so, loaded at run time as the program loads it: a web folder goes in, and the
// image read back through the library's own reader gives every file's bytes at its directory entry.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "pardex/compact.h"
#include "pardex/image.h"
#include "pardex/pardex.h"
#include "pardex_test_util.h"

TEST(Library, RoundTripOfAWebFolderThroughItsCFunctions) {
    void* lib = ::dlopen(PARDEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    const auto compile = reinterpret_cast<PardexCompileFunc>(::dlsym(lib, "Compile"));
    const auto open = reinterpret_cast<int (*)(const char*, void*)>(::dlsym(lib, "Open"));
    const auto read = reinterpret_cast<int (*)(void*, unsigned)>(::dlsym(lib, "Read"));
    const auto close = reinterpret_cast<int (*)()>(::dlsym(lib, "Close"));
    ASSERT_TRUE(compile && open && read && close);
    EXPECT_EQ(::dlsym(lib, "CompileImage"), nullptr);

    TempDir dir;
    ScopedTempFolder temp;
    std::string gif = "GIF89a";
    for (int i = 0; i < 256; ++i) gif += static_cast<char>(i);
    // In the order of the listing; markup is compacted.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"admin.htm", "<b> admin </b>"},
        {"estilo.css", "body {\n  color: #333;\n}\n"},
        {"index.htm", "<html>\n  <!-- cabecera -->\n  <h1>Central   de alarma</h1>\n  <p>Estado\nde</p>\n</html>\n"},
        {"logo.gif", gif},
        {"se\xC3\xB1" "al.htm", "<p>Se\xC3\xB1" "al   d\xC3\xA9" "bil</p>"},
        {"vac\xC3\xAD" "o.txt", ""}};
    for (const auto& [name, bytes] : files) dir.Write("web/" + name, bytes);
    dir.Write("web/img/dentro.gif", "GIF89a");  // inside a sub-folder: not listed
    const std::string image = (dir / "web.rom").string();
    ASSERT_EQ(compile(0, 0, PARDEX_COMPACT_MARKUP, (dir / "web").c_str(), image.c_str(), nullptr), 0);

    FlashImageHeader header{};
    ASSERT_EQ(open(image.c_str(), &header), 0);
    ASSERT_EQ(header.entryCount, 9u);
    EXPECT_EQ(header.firstDataUnit, 22u);
    std::vector<FlashDirEntry> entries(header.entryCount + 2);
    const int directoryBytes = static_cast<int>(entries.size() * sizeof(FlashDirEntry));
    ASSERT_EQ(read(entries.data(), static_cast<unsigned>(directoryBytes)), directoryBytes);
    std::string data(header.dataUnits * 16u + 1, '\0');
    ASSERT_EQ(read(data.data(), static_cast<unsigned>(data.size())), static_cast<int>(data.size()) - 1);
    EXPECT_EQ(close(), 0);
    EXPECT_EQ(close(), 0);

    // What each entry must hold: the files, compacted when markup, then the three answers.
    std::vector<std::pair<std::string, std::string>> expected = files;
    for (auto& [name, bytes] : expected)
        if (name.find(".htm") != std::string::npos || name.find(".css") != std::string::npos)
            bytes = Text(pardex::CompactMarkup(Bytes(bytes)));
    for (const pardex::BuiltInAnswer& answer : pardex::BuiltInAnswers())
        expected.emplace_back(answer.name, answer.text);
    std::uint32_t start = header.firstDataUnit;
    std::uint32_t payload = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const FlashDirEntry& e = entries[i + 1];
        const auto& [name, bytes] = expected[i];
        EXPECT_EQ(std::string(e.name, strnlen(e.name, 16)), name);
        EXPECT_EQ(e.kind, i == 0 ? PARDEX_KIND_ADMIN : i < files.size() ? PARDEX_KIND_FILE : PARDEX_KIND_ANSWER)
            << name;
        EXPECT_EQ(e.startUnit, start) << name;
        EXPECT_EQ(e.size, bytes.size()) << name;
        EXPECT_EQ(data.substr((start - header.firstDataUnit) * 16u, Padded(bytes).size()), Padded(bytes)) << name;
        start += static_cast<std::uint32_t>(Padded(bytes).size() / 16);
        payload += e.size;
    }
    EXPECT_EQ(header.payloadBytes, payload);
    EXPECT_EQ(start - header.firstDataUnit, header.dataUnits);
    const FlashDirEntry end{};
    EXPECT_EQ(std::memcmp(&entries.back(), &end, sizeof end), 0);
    EXPECT_EQ(open((dir / "web" / "admin.htm").c_str(), nullptr), PARDEX_ERR_NOT_IMAGE);
    EXPECT_TRUE(temp.IsEmpty());
    ::dlclose(lib);
}
