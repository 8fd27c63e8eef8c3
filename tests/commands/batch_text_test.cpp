#include "commands/batch_text.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <algorithm>

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

    // Letters beyond Windows-1250 (Cyrillic, CJK, an emoji's surrogate pair, a
    // combining mark) stay as they are, whole; the escapes around them are as
    // for any other letter.
    struct TextCase { Text templ, file1, file2, expanded; };
    for (const TextCase& c : {
             TextCase{u"copy %file1% \"%file2%\"", u"c:\\\u041F\u0435\u0441\u043D\u044F & \u043C\u044B.mp3",
                      u"d:\\\u6B4C (1)%.mp3",
                      u"copy c:\\\u041F\u0435\u0441\u043D\u044F ^& \u043C\u044B.mp3 \"d:\\\u6B4C (1)%%.mp3\"\r\n"},
             TextCase{u"echo %FILE1%^%file2%", u"\U0001F600(x)", u"(c\u030C)", u"echo \U0001F600^(x^)^(c\u030C^)\r\n"},
             TextCase{u"setlocal EnableDelayedExpansion\r\necho \u4E2D %file1%", u"\u4E2D!^\U0001F600", u"",
                      u"setlocal EnableDelayedExpansion\r\necho \u4E2D \u4E2D!kolvar_excl!!kolvar_caret!\U0001F600\r\n"}})
        EXPECT_EQ(ExpandTemplate(c.templ, c.file1, c.file2), c.expanded) << ToUtf8(c.file1);
}

// The batch file's bytes: Windows-1250 behind "chcp 1250" while every line
// fits it, else UTF-8 (every line, the Windows-1250 letters too, no
// byte-order mark) behind "chcp 65001", which comes before the first byte
// beyond ASCII; a combining mark stays apart from its letter.
TEST(BatchText, BatchFileInTheCodePageOfItsLines) {
    const std::string head = "@for /f \"tokens=2 delims=:\" %%a in ('chcp 2^>nul') do @for /f \"delims=. \" %%b in "
                             "(\"%%a\") do @set \"kolvar_codepage=%%b\"\r\n";
    const std::string tail = "@set \"kolvar_excl=!\" & set \"kolvar_caret=^\"\r\n@call :kolvar_commands %*\r\n"
                             "@chcp %kolvar_codepage% >nul 2>&1 & set \"kolvar_codepage=\" & set \"kolvar_excl=\" & "
                             "set \"kolvar_caret=\" & exit /b %errorlevel%\r\n:kolvar_commands\r\n";
    struct Case { std::vector<Text> lines; std::string bytes; };
    for (const Case& c : {
             Case{{u"echo P\u00EDse\u0148", u""}, head + "@chcp 1250 >nul 2>&1\r\n" + tail + "echo P\xEDse\xF2\r\n\r\n"},
             Case{{u"@echo off", u"copy \"c:\\\u041F\u0435\u0441\u043D\u044F \u0159.mp3\" \"d:\\\u6B4C\U0001F600c\u030C.mp3\""},
                  head + "@chcp 65001 >nul 2>&1\r\n" + tail +
                      "@echo off\r\ncopy \"c:\\\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F \xC5\x99.mp3\" "
                      "\"d:\\\xE6\xAD\x8C\xF0\x9F\x98\x80" "c\xCC\x8C.mp3\"\r\n"}}) {
        const std::string bytes = BatchFileText(c.lines);
        EXPECT_EQ(bytes, c.bytes);
        const std::size_t firstHigh = std::find_if(bytes.begin(), bytes.end(), [](char b) { return b & 0x80; }) - bytes.begin();
        EXPECT_LT(bytes.find("@chcp "), firstHigh);
    }
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
