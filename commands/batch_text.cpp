#include "commands/batch_text.h"

#include <algorithm>

#include "transfer/text_ops.h"

std::vector<Text> SplitLines(TextView text) {
    std::vector<Text> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

Text JoinLines(const std::vector<Text>& lines) {
    Text text;
    for (const Text& line : lines) text += line + u"\r\n";
    return text;
}

namespace {

// With delayed expansion on, cmd takes every '!' of a command as a variable
// mark and, on Windows, drops every caret of a token that holds one. A name's
// own '!' and '^' are then written as these variables, which the batch's
// first lines set while delayed expansion is still off; each expands to its
// character whatever else the token holds.
const TextView kExclamationVariable = u"!kolvar_excl!";
const TextView kCaretVariable = u"!kolvar_caret!";

bool SpecialOutsideQuotes(char16_t c) {
    return c == u'&' || c == u'|' || c == u'<' || c == u'>' || c == u'^' || c == u'(' || c == u')';
}

// cmd ends a command at these when they stand outside quotes, unescaped.
bool EndsCommand(char16_t c) { return c == u'&' || c == u'|' || c == u'(' || c == u')'; }

// A path as cmd must read it to get the path back: '%' doubled wherever it
// stands; outside double quotes a caret before each of & | < > ^ ( ); with
// delayed expansion on, '!' and '^' as their variables. A caret the template
// leaves just before the placeholder already escapes the first character.
// Every other character, a surrogate pair's halves and combining marks
// included, is copied as it is.
void AppendForBatch(Text& out, TextView path, bool quoted, bool delayed, bool firstEscaped) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char16_t c = path[i];
        Text piece(1, c);
        if (c == u'%') piece = u"%%";
        else if (delayed && c == u'!') piece = kExclamationVariable;
        else if (delayed && c == u'^') piece = kCaretVariable;
        else if (!quoted && SpecialOutsideQuotes(c)) piece = {u'^', c};
        if (i == 0 && firstEscaped && piece[0] == u'^') piece.erase(0, 1);
        out += piece;
    }
}

std::vector<Text> Words(const Text& command) {
    std::vector<Text> words;
    Text word;
    for (char16_t c : command + u' ') {
        if (c == u' ' || c == u'\t' || c == u',' || c == u';' || c == u'=') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// A word that starts cmd itself.
bool IsCmd(Text word) {
    std::erase(word, u'"');
    const auto endsWith = [&](TextView end) { return TextView(word).ends_with(end); };
    return word == u"CMD" || word == u"CMD.EXE" || endsWith(u"\\CMD") || endsWith(u"\\CMD.EXE") ||
           word == u"%COMSPEC%";
}

// One command of the template (its own text, without the paths) as it
// changes delayed expansion: setlocal saves the state and may turn it on or
// off, endlocal restores the state saved last, a cmd started with /v:on or
// /v:off runs what follows (the batch started again, usually) with it on or
// off. Every such command is taken to run, in the order written. Returns
// whether the command is REM, which makes the rest of its line a comment.
bool TrackCommand(const Text& command, BatchContext& context) {
    std::vector<Text> words = Words(UpperAscii(command));
    if (words.empty()) return false;
    words[0].erase(0, words[0].find_first_not_of(u'@'));
    if (words[0] == u"REM") return true;
    if (words[0] == u"SETLOCAL") {
        context.savedByLocal.push_back(context.delayedExpansion);
        for (const Text& w : words) {
            if (w == u"ENABLEDELAYEDEXPANSION") context.delayedExpansion = true;
            if (w == u"DISABLEDELAYEDEXPANSION") context.delayedExpansion = false;
        }
    } else if (words[0] == u"ENDLOCAL" && !context.savedByLocal.empty()) {
        context.delayedExpansion = context.savedByLocal.back();
        context.savedByLocal.pop_back();
    } else if (std::any_of(words.begin(), words.end(), IsCmd)) {
        for (const Text& w : words) {
            if (w == u"/V:ON") context.delayedExpansion = true;
            if (w == u"/V:OFF") context.delayedExpansion = false;
        }
    }
    return false;
}

}  // namespace

// One pass over each line finds both placeholders, so neither is looked for in
// a path. cmd starts every line outside quotes; outside them a caret escapes
// the next character and every other '"' switches in, inside them only '"'
// switches out. The same is followed here over the template's own characters
// (a Windows name holds no '"', so a path never switches it). A caret ending
// a line escapes the first character of the next, as cmd joins the two.
Text ExpandTemplate(TextView templateText, TextView file1, TextView file2, BatchContext& context) {
    static const TextView kFile1 = u"%FILE1%", kFile2 = u"%FILE2%";
    const std::vector<Text> lines = SplitLines(templateText);
    Text expanded;
    Text command;          // the template's text of the command being read
    bool comment = false;  // the rest of the command's line is no command
    bool escaped = false;  // the next character follows an unquoted caret
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const Text& line = lines[n];
        const Text upper = UpperAscii(line);
        if (!escaped) {
            const std::size_t first = line.find_first_not_of(u" \t");
            comment = first != Text::npos && line[first] == u':';  // a label is never run
        }
        bool quoted = false;
        for (std::size_t i = 0; i < line.size();) {
            const TextView rest = TextView(upper).substr(i);
            const TextView* path = rest.starts_with(kFile1) ? &file1 : rest.starts_with(kFile2) ? &file2 : nullptr;
            if (path) {
                AppendForBatch(expanded, *path, quoted, context.delayedExpansion, escaped);
                escaped = escaped && path->empty();
                i += kFile1.size();  // both placeholders are as long
                continue;
            }
            const char16_t c = line[i++];
            expanded += c;
            if (escaped) {
                escaped = false;
            } else if (c == u'"') {
                quoted = !quoted;
            } else if (!quoted && c == u'^') {
                escaped = true;
                continue;
            } else if (!quoted && EndsCommand(c)) {
                if (!comment) comment = TrackCommand(command, context);
                command.clear();
                continue;
            }
            command += c;
        }
        expanded += u"\r\n";
        if (escaped && n + 1 < lines.size()) continue;  // the command goes on in the next line
        if (!comment) TrackCommand(command, context);
        command.clear();
        escaped = false;
    }
    return expanded;
}

Text ExpandTemplate(TextView templateText, TextView file1, TextView file2) {
    BatchContext context;
    return ExpandTemplate(templateText, file1, file2, context);
}

void AppendEntry(std::vector<Text>& buffer, TextView entry) {
    for (Text& line : SplitLines(entry)) buffer.push_back(std::move(line));
}

bool IsCommentLine(TextView line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] <= 32) ++i;
    return UpperAscii(Text(line.substr(i, 3))) == u"REM";
}

void RemoveCommentLines(std::vector<Text>& buffer) {
    std::erase_if(buffer, [](const Text& line) { return IsCommentLine(line); });
}

std::string BatchBytes(TextView text) { return Fits1250(text) ? To1250(text) : ToUtf8(text); }

// cmd reads each line of a batch in the console's code page as it stands when
// the line is read (Windows; Wine 8 reads every line in the OEM code page).
// UTF-8 lines come after "chcp 65001" and no byte-order mark comes first,
// which cmd would read as part of the first command.
std::string BatchFileText(const std::vector<Text>& lines) {
    const Text body = JoinLines(lines);
    const bool utf8 = !Fits1250(body);
    return std::string("@for /f \"tokens=2 delims=:\" %%a in ('chcp 2^>nul') do @for /f \"delims=. \" %%b in (\"%%a\") do "
                       "@set \"kolvar_codepage=%%b\"\r\n") +
           (utf8 ? "@chcp 65001 >nul 2>&1\r\n" : "@chcp 1250 >nul 2>&1\r\n") +
           "@set \"kolvar_excl=!\" & set \"kolvar_caret=^\"\r\n"
           "@call :kolvar_commands %*\r\n"
           "@chcp %kolvar_codepage% >nul 2>&1 & set \"kolvar_codepage=\" & set \"kolvar_excl=\" & "
           "set \"kolvar_caret=\" & exit /b %errorlevel%\r\n"
           ":kolvar_commands\r\n" +
           BatchBytes(body);
}
