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
// before & | < > ^ ( ) outside the template's double quotes (a quote after an
// unquoted caret is no quote), nothing inside them; where the template has
// turned delayed expansion on, '!' and '^' as the variables that hold them.
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
             Case{"%file1%", "%file2%", "z", "%%file2%%\r\n"},
             // A block that a ')' in a name would close.
             Case{"if exist \"%file1%\" (\r\necho %file1% %file2%\r\n)", "c:\\Song (live).mp3", "d:\\a)b(",
                  "if exist \"c:\\Song (live).mp3\" (\r\necho c:\\Song ^(live^).mp3 d:\\a^)b^(\r\n)\r\n"},
             // An escaped quote opens nothing; an escaped caret escapes no quote.
             Case{"echo ^\"%file1%", "a & b", "", "echo ^\"a ^& b\r\n"},
             Case{"echo ^^\"%file1%\" ^\"%file2%", "a&b", "c&d", "echo ^^\"a&b\" ^\"c^&d\r\n"},
             Case{"echo \"^\"%file1% ^\"%file2%", "a&b", "c|d", "echo \"^\"a^&b ^\"c^|d\r\n"},
             // A caret just before a placeholder, or ending the line before it, escapes the first character.
             Case{"echo ^%file1%", "&x^", "", "echo ^&x^^\r\n"},
             Case{"echo ^\r\n%file1% %file2%", "(a", "(b", "echo ^\r\n(a ^(b\r\n"},
             Case{"echo ^%file1%%file2%", "", "&", "echo ^&\r\n"},
             // Delayed expansion, turned on and off by the lines before, in order.
             Case{"setlocal EnableDelayedExpansion\r\ncopy %file1% \"%file2%\"", "wow!^.mp3", "a!b^c(",
                  "setlocal EnableDelayedExpansion\r\ncopy wow!kolvar_excl!!kolvar_caret!.mp3 "
                  "\"a!kolvar_excl!b!kolvar_caret!c(\"\r\n"},
             Case{"@SETLOCAL enableextensions,enabledelayedexpansion & echo %file1%\r\nendlocal\r\necho %file1%",
                  "a!^", "", "@SETLOCAL enableextensions,enabledelayedexpansion & echo a!kolvar_excl!!kolvar_caret!\r\n"
                  "endlocal\r\necho a!^^\r\n"},
             Case{"setlocal enabledelayedexpansion\r\nsetlocal DisableDelayedExpansion\r\necho %file1%\r\n"
                  "endlocal & echo %file1%",
                  "!^", "", "setlocal enabledelayedexpansion\r\nsetlocal DisableDelayedExpansion\r\necho !^^\r\n"
                  "endlocal & echo !kolvar_excl!!kolvar_caret!\r\n"},
             Case{"@if not \"%~1\"==\"go\" cmd /v:on /c \"%~f0\" go & exit /b\r\necho %file1%", "!", "",
                  "@if not \"%~1\"==\"go\" cmd /v:on /c \"%~f0\" go & exit /b\r\necho !kolvar_excl!\r\n"},
             // Words that only look like a switch: a comment, echoes, a label.
             Case{"rem setlocal EnableDelayedExpansion\r\n@echo setlocal EnableDelayedExpansion & echo /v:on\r\n"
                  ":setlocal EnableDelayedExpansion\r\necho %file1%",
                  "!^(", "",
                  "rem setlocal EnableDelayedExpansion\r\n@echo setlocal EnableDelayedExpansion & echo /v:on\r\n"
                  ":setlocal EnableDelayedExpansion\r\necho !^^^(\r\n"}})
        EXPECT_EQ(ExpandTemplate(c.templ, c.file1, c.file2), c.expanded) << c.templ << " | " << c.file1;

    // The head's switch holds for every per-file template after it.
    BatchContext context;
    EXPECT_EQ(ExpandTemplate("@echo off\r\nsetlocal EnableDelayedExpansion", "", "", context),
              "@echo off\r\nsetlocal EnableDelayedExpansion\r\n");
    for (int block = 0; block < 2; ++block)
        EXPECT_EQ(ExpandTemplate("echo %file1%", "x!", "", context), "echo x!kolvar_excl!\r\n") << block;
    EXPECT_EQ(ExpandTemplate("endlocal\r\necho %file1%", "x!", "", context), "endlocal\r\necho x!\r\n");
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
