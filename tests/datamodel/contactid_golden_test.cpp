// The Contact ID catalogue and the event index table against the list kept as data beside this
// test (contactid_golden.txt): any changed text, code, class or order fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datamodel/contactid.h"
#include "datamodel/text.h"

namespace {

struct GoldenRow {
    int code;
    int eventClass;
    std::string text;  // UTF-8
};

void ReadGolden(std::vector<GoldenRow>& rows, std::vector<std::pair<int, int>>& index) {
    std::ifstream in(std::filesystem::path(ORVANE_SOURCE_DIR) / "tests/datamodel/contactid_golden.txt");
    ASSERT_TRUE(in) << "contactid_golden.txt";
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string first, second, third;
        std::getline(fields, first, '\t');
        std::getline(fields, second, '\t');
        std::getline(fields, third);
        if (first == "index") {
            index.emplace_back(std::stoi(second), std::stoi(third));
        } else {
            rows.push_back({std::stoi(first), std::stoi(second), third});
        }
    }
}

}  // namespace

TEST(ContactIdGolden, EveryRowOfTheCatalogue) {
    std::vector<GoldenRow> rows;
    std::vector<std::pair<int, int>> index;
    ReadGolden(rows, index);
    ASSERT_EQ(rows.size(), ContactIdTable.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ", code " + std::to_string(rows[i].code));
        EXPECT_EQ(ContactIdTable[i].code, rows[i].code);
        EXPECT_EQ(ContactIdTable[i].eventClass, rows[i].eventClass);
        EXPECT_EQ(Cp1252ToUtf8(ContactIdTable[i].text), rows[i].text);
    }
}

TEST(ContactIdGolden, EveryEntryOfTheIndexTable) {
    std::vector<GoldenRow> rows;
    std::vector<std::pair<int, int>> index;
    ReadGolden(rows, index);
    ASSERT_EQ(index.size(), 99u);
    for (std::size_t i = 0; i < kContactIdIndexEntries; ++i) {
        const ContactIdIndexEntry& entry = ContactIdIndexTable[i];
        const int code = (entry[0] & 0x0F) * 100 + (entry[1] >> 4) * 10 + (entry[1] & 0x0F);
        if (i < index.size()) {
            EXPECT_EQ(index[i].first, static_cast<int>(i));
            EXPECT_EQ(code, index[i].second) << "entry " << i;
        } else {
            EXPECT_EQ(code, 0) << "entry " << i;
        }
    }
}
