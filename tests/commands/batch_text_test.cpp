#include "commands/batch_text.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(BatchText, LinesAtEveryKindOfBreak) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(SplitLines("\n\r"), (Lines{"", ""}));  // LF, then a lone CR
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(BatchText, PlaceholdersInAnyCase) {
    EXPECT_EQ(ExpandTemplate("lame %file1% %FILE2%", "c:\\a b.mp3", "d:\\o.mp3"),
              "lame c:\\a b.mp3 d:\\o.mp3\r\n");
    EXPECT_EQ(ExpandTemplate("%File1%%fIlE1%\r%file2%", "x", "y"), "xx\r\ny\r\n");
    EXPECT_EQ(ExpandTemplate("echo off", "x", "y"), "echo off\r\n");  // no break at the end
    EXPECT_EQ(ExpandTemplate("", "x", "y"), "");
}

// cmd reads each path back as it is named: '%' doubled everywhere, a caret
// before & | < > ^ outside the template's double quotes, nothing inside them.
TEST(BatchText, PathsReachTheCommandAsNamed) {
    struct Case { std::string templ, file1, file2, expanded; };
    for (const Case& c : {
             Case{"copy %file1% %file2%", "c:\\a & del x.mp3", "d:\\100% b^c.mp3",
                  "copy c:\\a ^& del x.mp3 d:\\100%% b^^c.mp3\r\n"},
             Case{"copy \"%file1%\" \"%FILE2%\"", "c:\\a & b|c<d>e^f.mp3", "d:\\100%.mp3",
                  "copy \"c:\\a & b|c<d>e^f.mp3\" \"d:\\100%%.mp3\"\r\n"},
             Case{"x \"q\" %file1% \"%file2%", "a|b", "c>d", "x \"q\" a^|b \"c>d\r\n"},
             // A quote left open ends with its line.
             Case{"echo \"%file1%\r\n%file1%", "a<b", "", "echo \"a<b\r\na^<b\r\n"},
             Case{"\"%file1%\"%file2%", "a^b", "c^d", "\"a^b\"c^^d\r\n"},
             // Neither placeholder is looked for in a path or in what a path makes.
             Case{"%file1% %file2%", "x%file2%.mp3", "y%FILE1%", "x%%file2%%.mp3 y%%FILE1%%\r\n"},
             Case{"%fi%file1%", "le2%", "z", "%file2%%\r\n"},
             Case{"%file1%", "%file2%", "z", "%%file2%%\r\n"}})
        EXPECT_EQ(ExpandTemplate(c.templ, c.file1, c.file2), c.expanded) << c.templ << " | " << c.file1;
}

TEST(BatchText, BufferEntriesAndTheCommentFilter) {
    // The worked example: the head with a comment, two expanded command lines.
    Lines buffer;
    AppendEntry(buffer, ExpandTemplate("REM made by hand\r\necho off\r\n", "", "") + "\r");
    AppendEntry(buffer, ExpandTemplate("lame --resample 22 %file1% %file2%", "c:\\in\\a.mp3", "d:\\out\\a.mp3") + "\r");
    AppendEntry(buffer, ExpandTemplate("lame --resample 22 %file1% %file2%", "c:\\in\\b.mp3", "d:\\out\\b.mp3") + "\r");
    EXPECT_EQ(buffer, (Lines{"REM made by hand", "echo off", "", "lame --resample 22 c:\\in\\a.mp3 d:\\out\\a.mp3",
                             "", "lame --resample 22 c:\\in\\b.mp3 d:\\out\\b.mp3", ""}));
    RemoveCommentLines(buffer);
    EXPECT_EQ(JoinLines(buffer), "echo off\r\n\r\nlame --resample 22 c:\\in\\a.mp3 d:\\out\\a.mp3\r\n\r\n"
                                 "lame --resample 22 c:\\in\\b.mp3 d:\\out\\b.mp3\r\n\r\n");
    // An empty head template adds one empty line.
    Lines empty;
    AppendEntry(empty, ExpandTemplate("", "", "") + "\r");
    EXPECT_EQ(empty, Lines{""});

    struct Case { std::string line; bool comment; };
    for (const Case& c : {Case{"REM x", true}, Case{"rem", true}, Case{"  \tReM indented", true},
                          Case{"remove c:\\x", true}, Case{"Rem", true}, Case{"::REM", false},
                          Case{"@rem quiet", false}, Case{"re", false}, Case{"", false},
                          Case{"echo rem", false}, Case{"\x01rem", true}})
        EXPECT_EQ(IsCommentLine(c.line), c.comment) << c.line;
}

}  // namespace
