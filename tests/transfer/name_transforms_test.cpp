#include "transfer/name_transforms.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <array>
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

// The Czech table is kept by character; for every Windows-1250 byte it gives
// what the byte table gave, ignoring case under the byte pairs.
TEST(CzechToAscii, CharacterTableAgreesWithTheByteTableForAll256Bytes) {
    std::array<char, 256> expected{};
    for (int b = 0; b < 256; ++b) expected[b] = static_cast<char>(b);
    const char* const small = "\xEC\x9A\xE8\xF8\x9E\xFD\xE1\xED\xE9\xF9\xFA\xF2\xEF\x9D";
    const char* const capital = "\xCC\x8A\xC8\xD8\x8E\xDD\xC1\xCD\xC9\xD9\xDA\xD2\xCF\x8D";
    const char* const plain = "escrzyaieuundt";
    for (int i = 0; plain[i] != 0; ++i)
        expected[static_cast<unsigned char>(small[i])] = expected[static_cast<unsigned char>(capital[i])] = plain[i];
    for (const char c : {'\xB4', '&', ' ', '-'}) expected[static_cast<unsigned char>(c)] = '_';
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(CzechToAscii(From1250(std::string(1, static_cast<char>(b)))), From1250(std::string(1, expected[b])))
            << "byte " << b;
}

// Letters beyond Windows-1250 and surrogate pairs pass the Czech rule and
// the replacement untouched; a replaced character written as a pair is one.
TEST(NameTransforms, OtherLettersAndSurrogatePairs) {
    const Text smile = u"\U0001F600";
    EXPECT_EQ(CzechToAscii(u"\u010Cech - жук \u03B1" + smile + u" c\u030C.mp3"), u"cech___жук_\u03B1" + smile + u"_c\u030C.mp3");
    EXPECT_EQ(ReplaceCharsInTarget(u"d:\\жук\\a" + smile + u"b" + smile + u".jpg", u"d:\\жук", smile, u"_"),
              u"d:\\жук\\a_b_.jpg");
    EXPECT_EQ(ReplaceCharsInTarget(u"d:\\o\\Жук жук.jpg", u"d:\\o", u"ж", u"z"), u"d:\\o\\Жук zук.jpg");
    // A lone half typed into the box replaces no half of a pair.
    EXPECT_EQ(ReplaceCharsInTarget(u"d:\\o\\a" + smile, u"d:\\o", Text(1, smile[1]), u"_"), u"d:\\o\\a" + smile);
    EXPECT_EQ(FlattenFolderNames(u"c:\\данные\\фото\\1.jpg", u"c:\\данные", smile), u"фото" + smile + u"1.jpg");
    EXPECT_EQ(DecodeFolderNames(u"a" + smile + u"b", smile), u"a\\b");
    EXPECT_EQ(StripBaseDir(u"c:\\работа\\a.txt", u"c:\\работа"), u"a.txt");
}

}  // namespace

