#include "app/search_rules.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SearchRules, MaskKindsAndPatternParts) {
    EXPECT_EQ(PatternForMask("*.mp3").pattern, "*.mp3");
    EXPECT_EQ(PatternForMask("*.mp3").substring, "");
    EXPECT_EQ(PatternForMask("a?c").pattern, "a?c");
    EXPECT_EQ(PatternForMask("abc").pattern, "*.*");
    EXPECT_EQ(PatternForMask("abc").substring, "abc");
    EXPECT_EQ(PatternForMask("sub\\x").substring, "sub\\x");
    EXPECT_EQ(PatternDirPart("sub\\*.txt"), "sub\\");
    EXPECT_EQ(PatternDirPart("a\\b\\*.txt"), "a\\b\\");
    EXPECT_EQ(PatternDirPart("*.txt"), "");
    EXPECT_EQ(PatternDirPart("c:x\\*.txt"), "c:x\\");
    EXPECT_EQ(WithTrailingBackslash("c:\\a"), "c:\\a\\");
    EXPECT_EQ(WithTrailingBackslash("c:\\"), "c:\\");
}

TEST(SearchRules, SubstringFilter) {
    EXPECT_TRUE(RowMatches("C:\\abc\\x.txt", "abc"));
    EXPECT_FALSE(RowMatches("C:\\abc\\x.txt", "ABC"));
    EXPECT_TRUE(RowMatches("anything", "   "));   // a mask of blanks lists every file
    EXPECT_TRUE(RowMatches("anything", ""));
    EXPECT_FALSE(RowMatches("a b", " b "));      // untrimmed, blanks included
}

TEST(SearchRules, DirectoryEditRule) {
    struct Case { std::string text; bool full, bareDrive; std::string shown; };
    const std::string base = "C:\\work";
    const std::vector<Case> cases = {
        {"C:\\work\\photos", true, false, "C:\\work\\photos"},
        {"", true, false, "C:\\work"},
        {"D:", true, false, "C:\\workD:"},
        {"D:", true, true, "D:"},
        {"", true, true, "C:\\work"},
        {"\\photos", true, false, "C:\\work\\photos"},
        {"C:\\work\\photos", false, false, "\\photos"},
        {"C:\\work", false, false, ""},
        {"C:\\workshop", false, true, "C:\\workshop"},  // the same letters, another folder
        {"D:\\x", false, true, "D:\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DirectoryEditText(c.text, base, c.full, c.bareDrive), c.shown) << c.text;
}

// A mask, a row and a folder in another script are kept as typed: a mask
// never turns into '?', which would make it a wildcard.
TEST(SearchRules, OtherLettersStayAsTyped) {
    EXPECT_EQ(PatternForMask(u"жук").pattern, u"*.*");
    EXPECT_EQ(PatternForMask(u"жук").substring, u"жук");
    EXPECT_EQ(PatternForMask(u"*\u03B1.jpg").pattern, u"*\u03B1.jpg");
    EXPECT_TRUE(RowMatches(u"C:\\жук\\x.txt", u"жук"));
    EXPECT_FALSE(RowMatches(u"C:\\лук\\x.txt", u"жук"));
    EXPECT_EQ(PatternDirPart(u"фото\\*.txt"), u"фото\\");
    EXPECT_EQ(DirectoryEditText(u"C:\\работа\\фото", u"C:\\работа", false, false), u"\\фото");
    EXPECT_EQ(DirectoryEditText(u"\\фото", u"C:\\работа", true, false), u"C:\\работа\\фото");
}

}  // namespace

