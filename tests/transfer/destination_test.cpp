#include "transfer/destination.h"
#include "transfer/path_names.h"
#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TransferOptions1250 Options(TransferMode mode, const std::string& input, const std::string& output) {
    TransferOptions1250 o;
    o.Mode = mode;
    o.InputDir = input;
    o.OutputDir = output;
    return o;
}

constexpr auto kSubdir = TransferMode::AddSubdirNames;
constexpr auto kUsual = TransferMode::UsualCopy;
constexpr auto kRoot = TransferMode::IntoRoot;

TEST(DestinationByMode, EachModeWithItsOptions) {
    struct Case {
        TransferMode mode;
        std::string input, output, delimiter, dirsDelimiter;
        bool addFolderNames;
        std::string base, source, expected;
    };
    const std::string row = "c:\\photo\\2010\\Trip A\\img 1.jpg";
    const std::vector<Case> cases = {
        {kSubdir, "c:\\photo", "d:\\out", "_", "", false, "c:\\", row, "d:\\out\\2010_Trip A_img 1.jpg"},
        {kUsual, "c:\\photo", "d:\\out", "_", "", false, "c:\\", row, "d:\\out\\2010\\Trip A\\img 1.jpg"},
        {kRoot, "c:\\photo", "d:\\out", "_", "", false, "c:\\", row, "d:\\out\\img 1.jpg"},
        {kUsual, "c:\\photo", "d:\\out", "_", "~", false, "c:\\", "c:\\photo\\Artist~Album~01.mp3",
         "d:\\out\\Artist\\Album\\01.mp3"},
        {kSubdir, "c:\\data\\photo", "d:\\out", "_", "", true, "c:\\data", "c:\\data\\photo\\2010\\img 1.jpg",
         "d:\\out\\photo_2010_img 1.jpg"},
        {kUsual, "c:\\data\\photo", "d:\\out", "_", "", true, "c:\\data", "c:\\data\\photo\\2010\\img 1.jpg",
         "d:\\out\\photo_2010_img 1.jpg"},
        // A row outside the input directory keeps its whole path.
        {kUsual, "\\photo", "out", "_", "", false, "c:\\data", "photo\\2010\\a.jpg", "out\\photo\\2010\\a.jpg"},
        {kSubdir, "\\photo", "out", "_", "", false, "c:\\data", "photo\\2010\\a.jpg", "out\\photo_2010_a.jpg"},
        // A folder further down with the input directory's name stays in the path.
        {kUsual, "c:\\in", "d:\\out", "_", "", false, "c:\\", "c:\\in\\a\\c:\\in\\b.txt", "d:\\out\\a\\c:\\in\\b.txt"},
        {kUsual, "in", "out", "_", "", false, "c:\\", "in\\x\\in\\b.txt", "out\\x\\in\\b.txt"},
        // Colons and slashes of a full path in the name.
        {kSubdir, "", "d:\\out", "-", "", false, "c:\\", "c:\\a/b\\c.txt", "d:\\out\\c_-a-b-c.txt"},
        // A blank output directory adds no prefix; its blanks are kept otherwise.
        {kRoot, "c:\\in", "  ", "_", "", false, "c:\\", "c:\\in\\x.txt", "x.txt"},
        {kRoot, "c:\\in", "d:\\o ", "_", "", false, "c:\\", "c:\\in\\x.txt", "d:\\o \\x.txt"},
        {kRoot, "c:\\in", "c:", "_", "", false, "c:\\", "c:\\in\\x.txt", "c:\\x.txt"},
        // Delimiters holding "\" or "/" end: one pass.
        {kSubdir, "c:\\in", "d:", "\\", "", false, "c:\\", "c:\\in\\a\\b.txt", "d:\\a\\b.txt"},
        {kSubdir, "c:\\in", "d:", "a/b", "", false, "c:\\", "c:\\in\\s\\f.txt", "d:\\saa/bbf.txt"},
        {kUsual, "c:\\in", "d:", "_", "\\", false, "c:\\", "c:\\in\\s\\f.txt", "d:\\s\\f.txt"},
    };
    for (const auto& c : cases) {
        TransferOptions1250 o = Options(c.mode, c.input, c.output);
        o.Delimiter = c.delimiter;
        o.DirsDelimiter = c.dirsDelimiter;
        o.AddFolderNames = c.addFolderNames;
        EXPECT_EQ(DestinationByMode(o, c.source, c.base), c.expected) << c.source << " " << c.output;
    }
}

TEST(TransformedTarget, ReplacementThenCzechRule) {
    // The worked example: input and output the same folder, the file renamed in place.
    TransferOptions1250 o = Options(kUsual, "c:\\music", "c:\\music");
    o.CzRename = true;
    const std::string source = "c:\\music\\\xC8" "ech - P\xEDse\xF2.mp3";
    EXPECT_EQ(TransformedTarget(o, source, source), "c:\\music\\cech___Pisen.mp3");

    // Outside the input directory the whole path is cleaned, output folder included.
    o = Options(kUsual, "c:\\in", "d:\\my out");
    o.CzRename = true;
    EXPECT_EQ(TransformedTarget(o, "d:\\my out\\sub\\\x9A" "k.txt", "c:\\in\\sub\\\x9A" "k.txt"),
              "d:\\my_out\\sub\\sk.txt");
    // A file going straight into the output directory stays in the input one.
    o.Mode = kRoot;
    EXPECT_EQ(TransformedTarget(o, "d:\\my out\\a b.txt", "c:\\in\\sub\\a b.txt"), "c:\\in\\a_b.txt");
    // ... also after the replacement, which the comparison takes into account,
    // on the output directory too.
    o.ReplaceInNames = true;
    o.CharsToReplace = " ";
    o.NewChars = "+";
    o.OutputDir = "d:\\out";
    EXPECT_EQ(TransformedTarget(o, "d:\\out\\a b.txt", "c:\\in\\sub\\a b.txt"), "c:\\in\\a+b.txt");
    o.OutputDir = "d:\\my out";
    EXPECT_EQ(TransformedTarget(o, "d:\\my out\\a b.txt", "c:\\in\\sub\\a b.txt"), "d:\\my_out\\a+b.txt");
    // Without the CZ rule only the part below the output directory is replaced.
    o.CzRename = false;
    EXPECT_EQ(TransformedTarget(o, "d:\\my out\\s t\\a b.txt", "c:\\in\\s t\\a b.txt"),
              "d:\\my out\\s+t\\a+b.txt");
    o.ReplaceInNames = false;
    EXPECT_EQ(TransformedTarget(o, "d:\\my out\\a b.txt", "x"), "d:\\my out\\a b.txt");
    // A folder or file below that bears the output or input directory's name
    // again is neither cut off nor renamed.
    o = Options(kUsual, "in", "out");
    o.ReplaceInNames = true;
    EXPECT_EQ(TransformedTarget(o, "out\\in\\sub\\out\\x y.txt", "in\\sub\\out\\x y.txt"),
              "out\\in\\sub\\out\\x_y.txt");
    o.ReplaceInNames = false;
    o.CzRename = true;
    EXPECT_EQ(TransformedTarget(o, "out\\out.txt", "in\\out.txt"), "in\\out.txt");
    o.Mode = kUsual;
    EXPECT_EQ(TransformedTarget(o, "in\\x\\in\\\xC8" "ech.txt", "in\\x\\in\\\xC8" "ech.txt"),
              "in\\x\\in\\cech.txt");
}

TEST(PrefixWithDate, DatePartInFrontColonsGone) {
    EXPECT_EQ(PrefixWithDate("d:\\out\\img 1.jpg", "2011:04:15 10:20:30"), "d:\\out\\20110415_img 1.jpg");
    EXPECT_EQ(PrefixWithDate("d:\\out\\img 1.jpg", ""), "d:\\out\\_img 1.jpg");
    EXPECT_EQ(PrefixWithDate("d:\\out\\20110415_a.jpg", "2011:04:15 10:20:30"),
              "d:\\out\\20110415_20110415_a.jpg");
    EXPECT_EQ(PrefixWithDate("a.jpg", "2011:04:15"), "20110415_a.jpg");
    EXPECT_TRUE(HasExtension("d:\\out\\a.b\\c.jpg"));
    EXPECT_FALSE(HasExtension("d:\\out\\a.b\\c"));
    EXPECT_FALSE(HasExtension("d:\\out.x\\"));
}

TEST(RunProgress, PositionsHalvesToEvenAndScrolling) {
    struct Case { int row, count, position; };
    const std::vector<Case> cases = {
        {0, 1, 0}, {0, 2, 0}, {1, 2, 100}, {1, 9, 12} /* 12.5 */, {3, 9, 38} /* 37.5 */,
        {5, 9, 62} /* 62.5 */, {7, 9, 88} /* 87.5 */, {1, 3, 50}, {1, 4, 33}, {2, 4, 67},
        {99999, 100000, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgressPosition(c.row, c.count), c.position) << c.row << "/" << c.count;
    const std::vector<int> tops = {0, 1, 2, 3, 4, 5, 0, 1, 2};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(TopRowAfter(i), tops[i]) << i;
}

}  // namespace

namespace {

// Where a destination may be written, and when two spellings are one file.
TEST(PathNames, BuiltPartsAndNameKeys) {
    struct Built { std::string destination, output, input, part; bool safe; };
    for (const Built& b : std::vector<Built>{
             {"d:\\out\\a\\b.txt", "d:\\out", "c:\\in", "a\\b.txt", true},
             {"d:\\out\\..\\Users\\me\\thesis.docx", "d:\\out", "c:\\in", "..\\Users\\me\\thesis.docx", false},
             {"d:\\out\\a\\.\\b.txt", "d:\\out", "c:\\in", "a\\.\\b.txt", false},
             {"d:\\out\\a\\\\b.txt", "d:\\out", "", "a\\\\b.txt", false},
             {"d:\\out\\a.\\b.txt", "d:\\out", "", "a.\\b.txt", false},
             {"d:\\out\\a \\b.txt", "d:\\out", "", "a \\b.txt", false},
             {"d:\\out\\b.txt.", "d:\\out", "", "b.txt.", false},
             {"d:\\out\\x/../../y.txt", "d:\\out", "", "x/../../y.txt", false},
             {"d:\\out\\2011/04/15_a.jpg", "d:\\out", "", "2011/04/15_a.jpg", false},  // an EXIF date with '/'
             {"d:\\out\\a:b.txt", "d:\\out", "", "a:b.txt", false},
             {"d:\\out\\", "d:\\out", "", "", false},
             {"d:\\out\\nul.mp3", "d:\\out", "", "nul.mp3", false},
             {"d:\\out\\Con\\a.txt", "d:\\out", "", "Con\\a.txt", false},
             {"d:\\out\\aux .txt", "d:\\out", "", "aux .txt", false},
             {"d:\\out\\com7.jpg", "d:\\out", "", "com7.jpg", false},
             {"d:\\out\\console.txt", "d:\\out", "", "console.txt", true},
             {"d:\\out\\com10.txt", "d:\\out", "", "com10.txt", true},
             {"d:\\out\\a?b.txt", "d:\\out", "", "a?b.txt", false},
             {"d:\\out\\a*b|c.txt", "d:\\out", "", "a*b|c.txt", false},
             {"d:\\out\\a\"b.txt", "d:\\out", "", "a\"b.txt", false},
             {"d:\\out\\a\tb.txt", "d:\\out", "", "a\tb.txt", false},
             // The folders the user typed are taken as they are; the longer one leads.
             {"d:\\o \\x.txt", "d:\\o ", "", "x.txt", true},
             {"c:\\in\\out\\x.txt", "c:\\in\\out", "c:\\in", "x.txt", true},
             {"c:\\in\\..\\x.txt", "d:\\out", "c:\\in", "..\\x.txt", false},
             // Elsewhere: below the root of a full path, or the whole relative path.
             {"e:\\c\\..\\x.txt", "d:\\out", "c:\\in", "c\\..\\x.txt", false},
             {"\\\\srv\\share\\a.txt", "d:\\out", "", "a.txt", true},
             {"..\\x.txt", "  ", "", "..\\x.txt", false},
             {"photos\\a.jpg", "", "\\photos", "photos\\a.jpg", true}}) {
        SCOPED_TRACE(b.destination);
        EXPECT_EQ(BuiltPart(b.destination, b.output, b.input), b.part);
        EXPECT_EQ(IsSafeBuiltPart(b.part), b.safe);
    }
    struct Key { std::string a, b; bool same; };
    for (const Key& k : std::vector<Key>{
             {"c:\\In\\a b.txt", "C:\\in\\A B.TXT", true},
             {"c:\\in\\x\\..\\a.txt", "c:\\in\\a.txt", true},
             {"c:\\in\\.\\a.txt", "c:/in/a.txt", true},
             {"c:\\in\\a.txt. ", "c:\\in\\a.txt", true},
             {"c:\\in.\\a.txt", "c:\\in\\a.txt", true},
             {"c:\\\xE8" "ech.txt", "c:\\\xC8" "ECH.TXT", true},  // Windows-1250 pairs
             {"c:\\\x9A" "x.txt", "c:\\\x8A" "X.txt", true},
             {"c:\\..\\a.txt", "c:\\a.txt", true},
             {"c:\\in\\a b.txt", "c:\\in\\a_b.txt", false},
             {"c:\\cech.txt", "c:\\\xE8" "ech.txt", false},
             {"c:\\a.txt", "d:\\a.txt", false}}) {
        SCOPED_TRACE(k.a + " / " + k.b);
        EXPECT_EQ(NameKey(k.a) == NameKey(k.b), k.same);
    }
    struct Resolved { std::string base, row, path; };
    for (const Resolved& r : std::vector<Resolved>{{"c:\\work", "photos\\a.jpg", "c:\\work\\photos\\a.jpg"},
                                                   {"c:\\", "a.jpg", "c:\\a.jpg"},
                                                   {"c:\\work", "d:\\b\\a.jpg", "d:\\b\\a.jpg"},
                                                   {"c:\\work", "\\a.jpg", "c:\\a.jpg"},
                                                   {"\\\\srv\\share\\w", "a.jpg", "\\\\srv\\share\\w\\a.jpg"}}) {
        EXPECT_EQ(ResolvedAgainst(r.base, r.row), r.path);
    }
    using Levels = std::vector<std::string>;
    EXPECT_EQ(FolderLevels("d:\\out\\a\\b.txt"), (Levels{"d:\\out", "d:\\out\\a"}));
    EXPECT_EQ(FolderLevels("d:\\b.txt"), Levels{});
    EXPECT_EQ(FolderLevels("\\\\srv\\share\\x\\y.txt"), Levels{"\\\\srv\\share\\x"});
}

// A small upper case beyond Windows-1250, as the platform's would be: Cyrillic
// and Greek, and the Windows-1250 pairs. A surrogate half given to it comes
// back garbled, so a key that keeps its pair shows the half was never given.
char16_t TestUpperCase(char16_t c) {
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) return u'?';
    if (c >= u'\u0430' && c <= u'\u044F') return static_cast<char16_t>(c - 0x20);
    if (c >= u'\u0450' && c <= u'\u045F') return static_cast<char16_t>(c - 0x50);
    if (c >= u'\u03B1' && c <= u'\u03C9' && c != u'\u03C2') return static_cast<char16_t>(c - 0x20);
    return Upper1250(c);
}

// Names in every script: one key for the spellings the file system takes
// for one name, two for two names; the parts Windows would not write as shown.
TEST(PathNames, KeysAndBuiltPartsBeyondWindows1250) {
    const Text smile = u"\U0001F600";
    struct Key { Text a, b; bool same, sameByDefault; };
    const std::vector<Key> keys = {
        {u"c:\\Ж.txt", u"C:\\ж.TXT", true, false},
        {u"c:\\x\u03B1", u"c:\\x\u03B2", false, false},           // α and β: two names
        {u"c:\\\u0416\u0443\u043A", u"c:\\\u0416\u0443\u043B", false, false},
        {u"c:\\\u010Cech\\" + smile + u".txt", u"c:\\\u010Dech\\" + smile + u".TXT", true, true},
        {u"c:\\" + smile + u"\\..\\a", u"c:\\A", true, true},
        {u"c:\\\U00010428", u"c:\\\U00010400", false, false},   // the file system folds no pair
    };
    for (bool installed : {false, true}) {
        SetNameUpperCase(installed ? TestUpperCase : nullptr);
        for (const Key& k : keys) {
            SCOPED_TRACE(ToUtf8(k.a) + " / " + ToUtf8(k.b) + (installed ? " installed" : " default"));
            EXPECT_EQ(NameKey(k.a) == NameKey(k.b), installed ? k.same : k.sameByDefault);
        }
        EXPECT_EQ(NameKey(u"c:\\ж" + smile + u"\u03B1"), installed ? u"C:\\Ж" + smile + u"\u0391" : u"C:\\ж" + smile + u"\u03B1");
    }
    SetNameUpperCase(nullptr);

    struct Built { Text destination, output, part; bool safe; };
    for (const Built& b : std::vector<Built>{
             {u"d:\\выход\\жук\\" + smile + u".txt", u"d:\\выход", u"жук\\" + smile + u".txt", true},
             {u"d:\\выход\\жук.\\a.txt", u"d:\\выход", u"жук.\\a.txt", false},
             {u"d:\\o\\COM\u00B9.txt", u"d:\\o", u"COM\u00B9.txt", false},  // COM¹ is COM1 to Windows
             {u"d:\\o\\lpt\u00B3", u"d:\\o", u"lpt\u00B3", false},
             {u"d:\\o\\COM\u2074.txt", u"d:\\o", u"COM\u2074.txt", true}}) {
        SCOPED_TRACE(ToUtf8(b.destination));
        EXPECT_EQ(BuiltPart(b.destination, b.output, u""), b.part);
        EXPECT_EQ(IsSafeBuiltPart(b.part), b.safe);
    }
    EXPECT_EQ(ResolvedAgainst(u"c:\\работа", u"фото\\a.jpg"), u"c:\\работа\\фото\\a.jpg");
    EXPECT_EQ(FolderLevels(u"d:\\выход\\" + smile + u"\\b.txt"), (std::vector<Text>{u"d:\\выход", u"d:\\выход\\" + smile}));
}

// The destination by mode and the transforms keep every script and pair.
TEST(DestinationByMode, OtherLettersAndSurrogatePairs) {
    const Text smile = u"\U0001F600";
    TransferOptions o;
    o.InputDir = u"c:\\фото";
    o.OutputDir = u"d:\\выход";
    o.Delimiter = smile;
    o.Mode = TransferMode::AddSubdirNames;
    const Text source = u"c:\\фото\\2010\\Жук\\α 1.jpg";
    EXPECT_EQ(DestinationByMode(o, source, u"c:\\"), u"d:\\выход\\2010" + smile + u"Жук" + smile + u"α 1.jpg");
    o.Mode = TransferMode::UsualCopy;
    o.DirsDelimiter = smile;
    EXPECT_EQ(DestinationByMode(o, u"c:\\фото\\a" + smile + u"b.jpg", u"c:\\"), u"d:\\выход\\a\\b.jpg");
    o.ReplaceInNames = true;
    o.CzRename = true;
    EXPECT_EQ(TransformedTarget(o, u"d:\\выход\\Жук\\\u010Cech α.jpg", source), u"d:\\выход\\Жук\\cech_α.jpg");
    EXPECT_EQ(PrefixWithDate(u"d:\\выход\\α.jpg", u"2011:04:15 10:20:30"), u"d:\\выход\\20110415_α.jpg");
}

}  // namespace

