#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pardex/scan.h"
#include "pardex_test_util.h"

namespace fs = std::filesystem;

namespace {

// "name:size" of every entry from the first on.
std::vector<std::string> Listed(pardex::FileList& list) {
    std::vector<std::string> out;
    list.Rewind();
    for (const pardex::FileEntry* e = list.Current(); e != nullptr; e = list.Next())
        out.push_back(e->name + ":" + std::to_string(e->size));
    return out;
}

}  // namespace

TEST(FileList, CursorFollowsAppendNextAndRemove) {
    pardex::FileList list;
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    for (const char* name : {"a", "b", "c"}) list.Append({name, 1});
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
    EXPECT_EQ(Listed(list), (std::vector<std::string>{"a:1", "d:4"}));
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Current(), nullptr);
}

TEST(ScanDirectory, NoneForWhatCannotBeListedAnEmptyListForAFolderWithoutFiles) {
    TempDir dir;
    dir.Write("file.htm", "x");
    for (const fs::path& p : {dir / "missing", fs::path(), dir / "file.htm"})
        EXPECT_FALSE(pardex::ScanDirectory(p).has_value()) << p;
    fs::create_directories(dir / "only" / "sub" / "deeper");
    dir.Write("only/sub/inside.htm", "x");
    std::optional<pardex::FileList> list = pardex::ScanDirectory(dir / "only");
    ASSERT_TRUE(list.has_value());
    EXPECT_TRUE(list->IsEmpty());
}

TEST(ScanDirectory, ListsRegularFilesOnlySortedByNameWithTheirSizes) {
    TempDir dir;
    dir.Write("b.htm", "12345");
    dir.Write("A.css", "");
    dir.Write("a.gif", "1234567");
    dir.Write("a", "");
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
    EXPECT_EQ(Listed(*list), (std::vector<std::string>{".hidden:2", "a:0", "A.css:0", "a.gif:7", "b.htm:5",
                                                       "Index.htm:2", "index.htm:1", "link.htm:5",
                                                       "se\xC3\xB1" "al.htm:3"}));
}
