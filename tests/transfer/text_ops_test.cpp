#include "transfer/text_ops.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FieldCase { std::string text, sep; int n; std::string expected; };

TEST(StrField, PiecesBetweenSeparators) {
    const std::vector<FieldCase> cases = {
        {"a\\b\\c", "\\", 1, "a"},   {"a\\b\\c", "\\", 2, "b"}, {"a\\b\\c", "\\", 3, "c"},
        {"a\\b", "\\", 4, ""},       {"abc", "\\", 1, "abc"},   {"abc", "\\", 2, ""},
        {"d:\\outx", "d:\\out", 2, "x"},                          // prefix separator
        {"d:\\outxd:\\outy", "d:\\out", 2, "x"},                  // up to its second occurrence
        {"abc", "", 1, "abc"},       {"abc", "", 2, ""},        {"abc", "", 255, ""},
        {"a\\b\\c", "\\", 0, ""},                                   // 255 rounds
        {"a\\b\\c", "\\", 257, "a"},                                // the count is 8-bit
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str_field(c.text, c.sep, static_cast<std::uint8_t>(c.n)), c.expected)
            << c.text << " / " << c.sep << " / " << c.n;
}

struct ReplaceCase { std::string text, searched, replacement; int limit; std::string expected; };

TEST(StrReplaceAll, RescansAndLimits) {
    const std::string many150(150, 'x');
    const std::vector<ReplaceCase> cases = {
        {"a\\b\\c", "\\", "_", 0, "a_b_c"},
        {"aaa", "a", "b", 2, "bba"},
        {"x-y", "-", "", 0, "xy"},
        {many150, "x", "y", 100, std::string(100, 'y') + std::string(50, 'x')},
        {"aab", "ab", "b", 0, "b"},           // text brought in by a replacement is searched again
        {"abc", "", "z", 0, "abc"},          // an empty searched text never occurs
        {"abc", "q", "z", 0, "abc"},
        // A replacement holding the searched text: one pass instead of never ending.
        {"a\\b", "\\", "\\\\", 0, "a\\\\b"},
        {"aaa", "a", "aa", 0, "aaaaaa"},
        {"aa", "a", "aa", 3, "aaaaa"},        // with a limit the rescans stop by themselves
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str_replace_all(c.text, c.searched, c.replacement, c.limit), c.expected)
            << c.text << " / " << c.searched << " / " << c.replacement;
}

TEST(StrPocVyskytu, CountsOverlappingOccurrences) {
    EXPECT_EQ(Str_poc_vyskytu("aaa", "aa"), 2);
    EXPECT_EQ(Str_poc_vyskytu("c:\\a\\b.mp3", "\\"), 2);
    EXPECT_EQ(Str_poc_vyskytu("abc", ""), 0);
    EXPECT_EQ(Str_poc_vyskytu("abc", "x"), 0);
    EXPECT_EQ(Str_poc_vyskytu("abab", "ab"), 2);
    // A searched text beginning with the marker byte finishes (it used to loop).
    EXPECT_EQ(Str_poc_vyskytu("\xFA" "a\xFA" "a", "\xFA" "a"), 2);
    EXPECT_EQ(Str_poc_vyskytu("\xFA\xFA\xFA", "\xFA\xFA"), 2);
}

TEST(StrNthPosition, NthOrLastOccurrence) {
    EXPECT_EQ(Str_nth_position("c:\\a\\b\\x.mp3", "\\", 2), 5);
    EXPECT_EQ(Str_nth_position("c:\\a\\b\\x.mp3", "\\", 1), 3);
    EXPECT_EQ(Str_nth_position("c:\\a\\b\\x.mp3", "\\", 9), 7);  // fewer than n: the last
    EXPECT_EQ(Str_nth_position("c:\\a\\b\\x.mp3", "\\", 0), 0);
    EXPECT_EQ(Str_nth_position("abc", "\\", 1), 0);
    EXPECT_EQ(Str_nth_position("\xFA" "a\xFA" "a", "\xFA" "a", 5), 3);
}

TEST(StrPocVyskytu, MarkerByteAloneIsRefusedWithTheMessage) {
    std::vector<std::string> shown;
    SetTextOpsMessageSink([&](const std::string& s) { shown.push_back(s); });
    EXPECT_EQ(Str_poc_vyskytu("a\xFA" "b", "\xFA"), 0);
    EXPECT_EQ(Str_nth_position("a\xFA" "b", "\xFA", 1), 0);
    SetTextOpsMessageSink(nullptr);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Cannot use Str_poc_vyskytu procedure ...");
}

TEST(StrCutAtChar, CutsAtFirstCharacterButNeverExaminesTheLast) {
    struct Case { std::string text; char c; bool del; std::string expected; };
    const std::vector<Case> cases = {
        {"\\abc", '\\', true, "abc"},  {"\\abc", '\\', false, "\\"},
        {"ab\\c", '\\', true, "c"},    {"ab\\c", '\\', false, "ab\\"},
        {"abc\\", '\\', true, ""},     {"abc\\", '\\', false, "abc\\"},  // last not examined
        {"abc", '\\', true, ""},       {"abc", '\\', false, "abc"},
        {"", '\\', true, ""},          {"", '\\', false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str_cut_at_char(c.text, c.c, c.del), c.expected) << c.text << " " << c.del;
}

TEST(StrDropExtension, CutsTheFirstDotAndThreeCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"song.mp3", "song"}, {"a.b.mp3", "ap3"}, {"x.jpeg", "xg"}, {".mp3", ".mp3"},
        {"noext", "noext"},   {"a.b", "a"},       {"", ""},         {"..x", "."},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Str_drop_extension(in), out) << in;
}

TEST(ReplaceText, OnePassWithOptionalCase) {
    const std::vector<ReplaceCase> cases = {
        {"aaa", "a", "aa", 0, "aaaaaa"},
        {"ab", "a", "aa", 0, "aab"},
        {"\x8A\xE1rka", "\x9A", "s", 1, "s\xE1rka"},       // Šárka, š ignoring case
        {"\x8A\xE1rka", "\x9A", "s", 0, "\x8A\xE1rka"},    // case-sensitive: no match
        {"ABCabc", "b", "-", 1, "A-Ca-c"},
        {"abc", "", "x", 1, "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceText(c.text, c.searched, c.replacement, c.limit != 0), c.expected)
            << c.text;
}

TEST(UpperCase, AsciiOnlyLeavesAccentsAlone) {
    EXPECT_EQ(UpperAscii("abc\x9A\xE8z{"), "ABC\x9A\xE8Z{");
    EXPECT_EQ(Upper1250("abc\x9A\xE8\xFF\xDF\xF7"), "ABC\x8A\xC8\xFF\xDF\xF7");
}

TEST(Trim, RemovesControlCharactersAndBlanks) {
    EXPECT_EQ(Trim(" \t\r\n x y \x01"), "x y");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xA0x"), "\xA0x");  // a no-break space is above 32
}

}  // namespace
