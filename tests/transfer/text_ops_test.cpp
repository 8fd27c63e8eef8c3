#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <array>
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

// The upper-case tables are kept by character; for every Windows-1250 byte
// they give the capital the byte tables gave.
TEST(UpperCase, CharacterTablesAgreeWithTheByteRulesForAll256Bytes) {
    std::array<unsigned char, 256> upper1250{}, upperAscii{};
    for (int b = 0; b < 256; ++b) upper1250[b] = upperAscii[b] = static_cast<unsigned char>(b);
    for (int b = 'a'; b <= 'z'; ++b) upper1250[b] = upperAscii[b] = static_cast<unsigned char>(b - 32);
    for (const auto& p : {std::array<int, 2>{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F},
                          {0xB3, 0xA3}, {0xB9, 0xA5}, {0xBA, 0xAA}, {0xBE, 0xBC}, {0xBF, 0xAF}})
        upper1250[p[0]] = static_cast<unsigned char>(p[1]);
    for (int b = 0xE0; b <= 0xFE; ++b)
        if (b != 0xF7) upper1250[b] = static_cast<unsigned char>(b - 32);
    for (int b = 0; b < 256; ++b) {
        const Text c = From1250(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(Text(1, Upper1250(c[0])), From1250(std::string(1, static_cast<char>(upper1250[b])))) << "byte " << b;
        EXPECT_EQ(Upper1250(c), From1250(std::string(1, static_cast<char>(upper1250[b])))) << "byte " << b;
        EXPECT_EQ(UpperAscii(c), From1250(std::string(1, static_cast<char>(upperAscii[b])))) << "byte " << b;
    }
}

// Letters beyond Windows-1250 pass through untouched, and no search, cut
// or replacement lands between the halves of a surrogate pair.
TEST(TextOps, OtherLettersAndSurrogatePairs) {
    const Text smile = u"\U0001F600";  // one character, two units
    const Text high(1, smile[0]), low(1, smile[1]);
    EXPECT_EQ(Upper1250(u"ж\u03B1a\u0161" + smile), u"ж\u03B1A\u0160" + smile);  // other letters keep their case
    EXPECT_EQ(UpperAscii(u"жa\u0161"), u"жA\u0161");
    EXPECT_EQ(Trim(u" жук\u3000 "), u"жук\u3000");
    EXPECT_EQ(ReplaceText(u"Жук жук", u"ж", u"z", true), u"Жук zук");
    EXPECT_EQ(ReplaceText(u"a" + smile + u"b", smile, u"_", false), u"a_b");
    EXPECT_EQ(Str_replace_all(u"a" + smile + u"b" + smile, smile, u"-", 0), u"a-b-");
    EXPECT_EQ(Str_field(u"a" + smile + u"b" + smile + u"c", smile, 2), u"b");
    EXPECT_EQ(Str_nth_position(u"жук" + smile + u"жук", u"жук", 2), 6);
    // A lone half (pasted text) never matches one half of a pair.
    EXPECT_EQ(Pos(low, u"a" + smile), 0u);
    EXPECT_EQ(Pos(high, u"a" + smile), 0u);
    EXPECT_EQ(Pos(high, u"a" + high + u"b"), 2u);  // a lone half in the text is found
    EXPECT_EQ(Str_poc_vyskytu(smile + smile, low), 0);
    EXPECT_EQ(Str_replace_all(u"x" + smile, high, u"_", 0), u"x" + smile);
    EXPECT_EQ(ReplaceText(u"x" + smile, low, u"_", true), u"x" + smile);
    EXPECT_EQ(Str_cut_at_char(u"a" + smile + u"b", smile[0], false), u"a" + smile + u"b");
    // The dot and three units, or the whole pair where the third ends inside one.
    EXPECT_EQ(Str_drop_extension(u"a.bc" + smile + u"d"), u"ad");
    EXPECT_EQ(Str_drop_extension(u"a.b" + smile + u"d"), u"ad");
}

}  // namespace

