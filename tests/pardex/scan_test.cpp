#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pardex/scan.h"
#include "pardex_test_util.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(pardex::FileList& list) {
    std::vector<std::string> names;
    list.Rewind();
    for (const pardex::FileEntry* e = list.Current(); e != nullptr; e = list.Next())
        names.push_back(e->name);
    return names;
}

}  // namespace

TEST(FileList, CursorFollowsAppendNextAndRemove) {
    pardex::FileList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    list.Append({"a", 1});
    list.Append({"b", 2});
    list.Append({"c", 3});
    EXPECT_EQ(list.Count(), 3u);
    ASSERT_NE(list.Current(), nullptr);
    EXPECT_EQ(list.Current()->name, "a");  // the first entry appended became the cursor
    EXPECT_EQ(list.Next()->name, "b");
    EXPECT_EQ(list.Next()->name, "c");
    EXPECT_EQ(list.Next(), nullptr);  // at the last entry the cursor stays
    EXPECT_EQ(list.Current()->name, "c");
    list.Rewind();
    list.Next();
    list.RemoveCurrent();  // removes "b"; the cursor moves to "c"
    EXPECT_EQ(list.Current()->name, "c");
    list.RemoveCurrent();  // removes the last: no cursor
    EXPECT_EQ(list.Current(), nullptr);
    list.Append({"d", 4});
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "d"}));
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Current(), nullptr);
}

TEST(ScanDirectory, AFolderThatCannotBeListedGivesNone) {
    TempDir dir;
    dir.Write("file.htm", "x");
    EXPECT_FALSE(pardex::ScanDirectory(dir / "missing").has_value());
    EXPECT_FALSE(pardex::ScanDirectory("").has_value());
    EXPECT_FALSE(pardex::ScanDirectory(dir / "file.htm").has_value());
}

TEST(ScanDirectory, AFolderWithoutFilesGivesAnEmptyList) {
    TempDir dir;
    fs::create_directories(dir / "sub" / "deeper");
    fs::create_directories(dir / "other");
    dir.Write("sub/inside.htm", "x");
    std::optional<pardex::FileList> list = pardex::ScanDirectory(dir.Path());
    ASSERT_TRUE(list.has_value());
    EXPECT_TRUE(list->IsEmpty());
}

TEST(ScanDirectory, ListsRegularFilesOnlySortedByNameWithTheirSizes) {
    TempDir dir;
    dir.Write("b.htm", "12345");
    dir.Write("A.css", "");
    dir.Write("a.gif", "1234567");
    dir.Write(".hidden", "12");
    dir.Write("index.htm", "1");
    dir.Write("Index.htm", "12");
    dir.Write("se\xC3\xB1" "al.htm", "123");
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "b.htm", dir / "link.htm");   // followed: a regular file
    fs::create_symlink(dir / "nowhere", dir / "dead.htm");  // broken: left out
    fs::create_directory_symlink(dir / "sub", dir / "subLink");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);  // never opened

    std::optional<pardex::FileList> list = pardex::ScanDirectory(dir.Path());
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(Names(*list),
              (std::vector<std::string>{".hidden", "A.css", "a.gif", "b.htm", "Index.htm", "index.htm",
                                        "link.htm", "se\xC3\xB1" "al.htm"}));
    std::vector<std::uint64_t> sizes;
    list->Rewind();
    for (const pardex::FileEntry* e = list->Current(); e != nullptr; e = list->Next())
        sizes.push_back(e->size);
    EXPECT_EQ(sizes, (std::vector<std::uint64_t>{2, 0, 7, 5, 2, 1, 5, 3}));
}
