#include "datamodel/modellist.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(ModelListTest, ListsModelsAndVersionsSortedByName) {
    TempDir dir;
    for (const char* name : {"B-1.xml", "A-2.xml", "A-1.0.xml", "A-B-1.xml", "readme.xml", "C-1.XML",
                             "C-1.xml.bak", "-1.xml", "D-.xml", "\xCE\xA9-1.xml"}) {
        dir.Write(name, "<model/>");
    }
    std::filesystem::create_directory(dir / "E-1.xml");

    CModelList list;
    list.Scan(dir.Path().string());
    list.BuildModels();
    ASSERT_EQ(list.GetModelCount(), 2);  // no folder, no empty part, no name cp1252 cannot hold
    EXPECT_EQ(list.GetModel(0), "A");
    EXPECT_EQ(list.GetModel(1), "B");
    EXPECT_EQ(list.GetModel(-1), "");
    EXPECT_EQ(list.GetModel(2), "");
    ASSERT_EQ(list.GetVersionCount("A"), 3);
    EXPECT_EQ(list.GetVersion("A", 0), "1.0");  // the version whose file the loader opens
    EXPECT_EQ(list.GetVersion("A", 1), "2");
    EXPECT_EQ(list.GetVersion("A", 2), "B-1");  // only the first hyphen separates
    EXPECT_EQ(list.GetVersion("A", 3), "");
    EXPECT_EQ(list.GetVersion("A", -1), "");
    EXPECT_EQ(list.GetVersionCount("a"), 0);
    EXPECT_EQ(CModelList::ModelOf("A.B-2.1.xml"), "A.B");
    EXPECT_EQ(CModelList::VersionOf("A.B-2.1.xml"), "2.1");
}

TEST(ModelListTest, EmptyOrMissingFolderKeepsTheLastList) {
    TempDir dir;
    CModelList list;
    list.Scan((dir / "missing").string());
    list.BuildModels();
    EXPECT_EQ(list.GetModelCount(), 0);

    dir.Write("A-1.xml", "");
    list.Scan(dir.Path().string());
    std::filesystem::remove(dir / "A-1.xml");
    list.Scan(dir.Path().string());
    list.BuildModels();
    EXPECT_EQ(list.GetModelCount(), 1);
}

}  // namespace
