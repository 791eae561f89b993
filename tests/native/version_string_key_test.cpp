#include <gtest/gtest.h>

#include <set>
#include <string>

#include "version/VersionStringKey.h"

TEST(VersionStringKey, EveryKeyHasOneRowWithAnameAndALabel) {
    std::set<std::string> names, labels;
    for (size_t i = 0; i < kVersionStringKeys.size(); ++i) {
        const VersionStringKeyInfo& row = kVersionStringKeys[i];
        EXPECT_EQ(&InfoOf(row.key), &row) << row.name;
        names.insert(row.name);
        labels.insert(row.label);
    }
    EXPECT_EQ(names.size(), 12u);
    EXPECT_EQ(labels.size(), 12u);
    // The language name is handled between these two; the table keeps them apart.
    EXPECT_EQ(kVersionStringKeys[10].key, VersionStringKey::SpecialBuild);
    EXPECT_EQ(kVersionStringKeys[11].key, VersionStringKey::OriginalFilename);
}

TEST(VersionStringKey, BuildsTheNamesToLookUp) {
    struct Case {
        uint16_t language;
        uint16_t codePage;
        VersionStringKey key;
        const char* expected;
    } const cases[] = {
        {0x0804, 0x04B0, VersionStringKey::FileVersion, "\\StringFileInfo\\080404b0\\FileVersion"},
        {0x0409, 1252, VersionStringKey::CompanyName, "\\StringFileInfo\\040904e4\\CompanyName"},
        {0x0C0A, 0xFDE9, VersionStringKey::Comments, "\\StringFileInfo\\0c0afde9\\Comments"},
        {0x0009, 0, VersionStringKey::OriginalFilename,
         "\\StringFileInfo\\00090000\\OriginalFilename"},
        {0xFFFF, 0xFFFF, VersionStringKey::LegalTrademarks,
         "\\StringFileInfo\\ffffffff\\LegalTrademarks"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionStringName(c.language, c.codePage, c.key), c.expected);
    }
    EXPECT_EQ(VersionTableName(0x0804, 1200), "080404b0");
    EXPECT_STREQ(kVersionTranslationName, "\\VarFileInfo\\Translation");
}

TEST(VersionStringKey, LongestNameFitsTheLookUpBuffer) {
    size_t longest = 0;
    for (const VersionStringKeyInfo& row : kVersionStringKeys) {
        longest = std::max(longest, VersionStringName(0xFFFF, 0xFFFF, row.key).size());
    }
    EXPECT_EQ(longest, 41u);
}
