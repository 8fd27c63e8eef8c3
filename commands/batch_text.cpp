#include "commands/batch_text.h"

#include <algorithm>

#include "transfer/text_ops.h"

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

namespace {

// With delayed expansion on, cmd takes every '!' of a command as a variable
// mark and, on Windows, drops every caret of a token that holds one. A name's
// own '!' and '^' are then written as these variables, which the batch's
// first lines set while delayed expansion is still off; each expands to its
// character whatever else the token holds.
const char* const kExclamationVariable = "!kolvar_excl!";
const char* const kCaretVariable = "!kolvar_caret!";

bool SpecialOutsideQuotes(char c) {
    return c == '&' || c == '|' || c == '<' || c == '>' || c == '^' || c == '(' || c == ')';
}

// cmd ends a command at these when they stand outside quotes, unescaped.
bool EndsCommand(char c) { return c == '&' || c == '|' || c == '(' || c == ')'; }

// A path as cmd must read it to get the path back: '%' doubled wherever it
// stands; outside double quotes a caret before each of & | < > ^ ( ); with
// delayed expansion on, '!' and '^' as their variables. A caret the template
// leaves just before the placeholder already escapes the first character.
void AppendForBatch(std::string& out, const std::string& path, bool quoted, bool delayed,
                    bool firstEscaped) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        std::string piece(1, c);
        if (c == '%') piece = "%%";
        else if (delayed && c == '!') piece = kExclamationVariable;
        else if (delayed && c == '^') piece = kCaretVariable;
        else if (!quoted && SpecialOutsideQuotes(c)) piece = {'^', c};
        if (i == 0 && firstEscaped && piece[0] == '^') piece.erase(0, 1);
        out += piece;
    }
}

std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    for (char c : command + ' ') {
        if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '=') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// A word that starts cmd itself.
bool IsCmd(std::string word) {
    std::erase(word, '"');
    const auto endsWith = [&](const std::string& end) {
        return word.size() >= end.size() && word.compare(word.size() - end.size(), end.size(), end) == 0;
    };
    return word == "CMD" || word == "CMD.EXE" || endsWith("\\CMD") || endsWith("\\CMD.EXE") ||
           word == "%COMSPEC%";
}

// One command of the template (its own text, without the paths) as it
// changes delayed expansion: setlocal saves the state and may turn it on or
// off, endlocal restores the state saved last, a cmd started with /v:on or
// /v:off runs what follows (the batch started again, usually) with it on or
// off. Every such command is taken to run, in the order written. Returns
// whether the command is REM, which makes the rest of its line a comment.
bool TrackCommand(const std::string& command, BatchContext& context) {
    std::vector<std::string> words = Words(UpperAscii(command));
    if (words.empty()) return false;
    words[0].erase(0, words[0].find_first_not_of('@'));
    if (words[0] == "REM") return true;
    if (words[0] == "SETLOCAL") {
        context.savedByLocal.push_back(context.delayedExpansion);
        for (const std::string& w : words) {
            if (w == "ENABLEDELAYEDEXPANSION") context.delayedExpansion = true;
            if (w == "DISABLEDELAYEDEXPANSION") context.delayedExpansion = false;
        }
    } else if (words[0] == "ENDLOCAL" && !context.savedByLocal.empty()) {
        context.delayedExpansion = context.savedByLocal.back();
        context.savedByLocal.pop_back();
    } else if (std::any_of(words.begin(), words.end(), IsCmd)) {
        for (const std::string& w : words) {
            if (w == "/V:ON") context.delayedExpansion = true;
            if (w == "/V:OFF") context.delayedExpansion = false;
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
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2, BatchContext& context) {
    static const std::string kFile1 = Upper1250("%file1%"), kFile2 = Upper1250("%file2%");
    const std::vector<std::string> lines = SplitLines(templateText);
    std::string expanded;
    std::string command;   // the template's text of the command being read
    bool comment = false;  // the rest of the command's line is no command
    bool escaped = false;  // the next character follows an unquoted caret
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        const std::string upper = Upper1250(line);
        if (!escaped) {
            const std::size_t first = line.find_first_not_of(" \t");
            comment = first != std::string::npos && line[first] == ':';  // a label is never run
        }
        bool quoted = false;
        for (std::size_t i = 0; i < line.size();) {
            const std::string* path = upper.compare(i, kFile1.size(), kFile1) == 0   ? &file1
                                      : upper.compare(i, kFile2.size(), kFile2) == 0 ? &file2
                                                                                     : nullptr;
            if (path) {
                AppendForBatch(expanded, *path, quoted, context.delayedExpansion, escaped);
                escaped = escaped && path->empty();
                i += kFile1.size();  // both placeholders are as long
                continue;
            }
            const char c = line[i++];
            expanded += c;
            if (escaped) {
                escaped = false;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && c == '^') {
                escaped = true;
                continue;
            } else if (!quoted && EndsCommand(c)) {
                if (!comment) comment = TrackCommand(command, context);
                command.clear();
                continue;
            }
            command += c;
        }
        expanded += "\r\n";
        if (escaped && n + 1 < lines.size()) continue;  // the command goes on in the next line
        if (!comment) TrackCommand(command, context);
        command.clear();
        escaped = false;
    }
    return expanded;
}

std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2) {
    BatchContext context;
    return ExpandTemplate(templateText, file1, file2, context);
}

void AppendEntry(std::vector<std::string>& buffer, const std::string& entry) {
    for (std::string& line : SplitLines(entry)) buffer.push_back(std::move(line));
}

bool IsCommentLine(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= 32) ++i;
    return UpperAscii(line.substr(i, 3)) == "REM";
}

void RemoveCommentLines(std::vector<std::string>& buffer) {
    std::erase_if(buffer, IsCommentLine);
}

std::string BatchFileText(const std::vector<std::string>& lines) {
    return "@for /f \"tokens=2 delims=:\" %%a in ('chcp 2^>nul') do @for /f \"delims=. \" %%b in (\"%%a\") do "
           "@set \"kolvar_codepage=%%b\"\r\n"
           "@chcp 1250 >nul 2>&1\r\n"
           "@set \"kolvar_excl=!\" & set \"kolvar_caret=^\"\r\n"
           "@call :kolvar_commands %*\r\n"
           "@chcp %kolvar_codepage% >nul 2>&1 & set \"kolvar_codepage=\" & set \"kolvar_excl=\" & "
           "set \"kolvar_caret=\" & exit /b %errorlevel%\r\n"
           ":kolvar_commands\r\n" +
           JoinLines(lines);
}
