#include "app/search_rules.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <vector>

#include "transfer/path_names.h"

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

// A search of the file system matches 8.3 short names too (*.htm finds
// every .html file by its short name); each entry's own name is checked
// against the pattern by the rules Windows applies to long names.
TEST(SearchRules, WildcardsNameLongNamesOnly) {
    struct Case { Text pattern, name; bool named; };
    const std::vector<Case> cases = {
        {u"*.jpg", u"a.jpg", true},
        {u"*.jpg", u"photo.jpg_old", false},   // short name PHOTO~1.JPG
        {u"*.htm", u"page.html", false},       // short name PAGE~1.HTM
        {u"*.htm", u"page.htm", true},
        {u"*.JPG", u"a.jpg", true},            // letters in either case
        {u"*.jpg", u"a.b.jpg", true},
        {u"*.jpg", u".jpg", true},
        {u"*.*", u"noext", true},              // every name
        {u"*.*", u"a.b.c", true},
        {u"*", u"a.txt", true},
        {u"*.", u"noext", true},               // a trailing dot: no extension
        {u"*.", u"a.txt", false},
        {u"*.*.", u"a.txt", true},
        {u"a*.*", u"abc", true},
        {u"a*.*", u"bc.d", false},
        {u"?.txt", u"a.txt", true},
        {u"?.txt", u"ab.txt", false},
        {u"??.txt", u"a.txt", true},           // a '?' stands for nothing at a dot
        {u"a?", u"a", true},                   // or at the end
        {u"a?c", u"abc", true},
        {u"a?c", u"ac", false},
        {u"*.?", u"a.b", true},
        {u"*.?", u"a", true},                  // ".?" may stand for the end
        {u"*.?", u"a.bc", false},
        {u"x*y", u"x.y", true},
        {u"sub\\*.txt", u"a.txt", true},      // the part after the folder
        {u"sub\\*.txt", u"a.txt_", false},
        {u"*\u010d.txt", u"\u010c.txt", true},  // other letters in either case
        {u"*.mp3", u"x.mp3.part", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LongNameMatches(c.pattern, c.name), c.named) << To1250(c.pattern) << " " << To1250(c.name);
}

// The name a copy is written under until it is whole is short whatever the
// destination's, and no user's name is taken for it.
TEST(SearchRules, CopyTempNames) {
    EXPECT_TRUE(IsCopyTempName(CopyTempName(0)));
    EXPECT_TRUE(IsCopyTempName(CopyTempName(0xdeadbeef)));
    EXPECT_NE(CopyTempName(1), CopyTempName(2));
    EXPECT_LE(CopyTempName(0xffffffff).size(), 32u);
    EXPECT_FALSE(IsCopyTempName(u"~Kolvar_files-0000000g.tmp"));
    EXPECT_FALSE(IsCopyTempName(u"~Kolvar_files-00000000.tmp.txt"));
    EXPECT_FALSE(IsCopyTempName(u"a.txt.~1"));
}

}  // namespace

