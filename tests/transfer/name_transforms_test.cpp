#include "transfer/name_transforms.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(StripBaseDir, RemovesALeadingBaseDirWithBackslash) {
    EXPECT_EQ(StripBaseDir("c:\\work\\out\\a.txt", "c:\\work"), "out\\a.txt");
    EXPECT_EQ(StripBaseDir("d:\\x\\c:\\work\\a.txt", "c:\\work"), "d:\\x\\c:\\work\\a.txt");
    EXPECT_EQ(StripBaseDir("d:\\other\\a.txt", "c:\\work"), "d:\\other\\a.txt");
    EXPECT_EQ(StripBaseDir("c:\\workshop\\a.txt", "c:\\work"), "c:\\workshop\\a.txt");
    EXPECT_EQ(StripBaseDir("c:\\a.txt", "c:\\"), "c:\\a.txt");  // a drive root never matches
}

TEST(FlattenFolderNames, JoinsFoldersWithTheDelimiter) {
    struct Case { std::string path, base, delim, expected; };
    const std::vector<Case> cases = {
        {"c:\\data\\photo\\2010\\img 1.jpg", "c:\\data", "_", "photo_2010_img 1.jpg"},
        {"d:\\x\\y.txt", "c:\\data", "_", "d:_x_y.txt"},
        {"c:\\database\\y.txt", "c:\\data", "_", "c:_database_y.txt"},  // not below the base
        {"c:\\data\\a/b\\c.txt", "c:\\data", "~", "a~b~c.txt"},
        {"c:\\data\\sub\\f.txt", "c:\\data", "", "subf.txt"},
        {"c:\\data\\sub\\f.txt", "c:\\data", "\\", "sub\\f.txt"},  // delimiter holding "\": one pass
    };
    for (const auto& c : cases)
        EXPECT_EQ(FlattenFolderNames(c.path, c.base, c.delim), c.expected) << c.path;
}

TEST(DecodeFolderNames, DelimiterBecomesBackslash) {
    EXPECT_EQ(DecodeFolderNames("Artist~Album~01.mp3", "~"), "Artist\\Album\\01.mp3");
    EXPECT_EQ(DecodeFolderNames("Artist~Album~01.mp3", ""), "Artist~Album~01.mp3");
    EXPECT_EQ(DecodeFolderNames("a--b", "--"), "a\\b");
}

TEST(ReplaceCharsInTarget, OutputDirectoryIsNeverChanged) {
    EXPECT_EQ(ReplaceCharsInTarget("d:\\my out\\Trip A\\img 1.jpg", "d:\\my out", " ", "_"),
              "d:\\my out\\Trip_A\\img_1.jpg");
    EXPECT_EQ(ReplaceCharsInTarget("e:\\my out\\a b.jpg", "d:\\my out", " ", "_"),
              "e:\\my_out\\a_b.jpg");
    EXPECT_EQ(ReplaceCharsInTarget("d:\\out\\a b", "d:\\out", "", "_"), "d:\\out\\a b");
}

TEST(CzechToAscii, TableInOrderIgnoringCase) {
    // "Čech - Píseň & Co´s.mp3" in Windows-1250
    EXPECT_EQ(CzechToAscii("\xC8" "ech - P\xEDse\xF2 & Co\xB4s.mp3"), "cech___Pisen___Co_s.mp3");
    // Every capital of the table becomes the small plain letter.
    EXPECT_EQ(CzechToAscii("\xCC\x8A\xC8\xD8\x8E\xDD\xC1\xCD\xC9\xD9\xDA\xD2\xCF\x8D"),
              "escrzyaieuundt");
    EXPECT_EQ(CzechToAscii("\xEC\x9A\xE8\xF8\x9E\xFD\xE1\xED\xE9\xF9\xFA\xF2\xEF\x9D"),
              "escrzyaieuundt");
    EXPECT_EQ(CzechToAscii("\xF3\xD3QZ"), "\xF3\xD3QZ");  // ó, Ó and other capitals stay
}

}  // namespace
