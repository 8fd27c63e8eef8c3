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

// A path as cmd must read it to get the path back: '%' doubled wherever it
// stands; outside double quotes a caret before each of & | < > ^.
void AppendForBatch(std::string& out, const std::string& path, bool quoted) {
    for (char c : path) {
        if (c == '%') out += '%';
        else if (!quoted && (c == '&' || c == '|' || c == '<' || c == '>' || c == '^')) out += '^';
        out += c;
    }
}

}  // namespace

// One pass over each line finds both placeholders, so neither is looked for in
// a path. cmd starts every line outside quotes and each '"' switches it in or
// out; the same count is kept here over the template's own characters (a
// Windows name holds no '"', so a path never switches it).
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2) {
    static const std::string kFile1 = Upper1250("%file1%"), kFile2 = Upper1250("%file2%");
    std::string expanded;
    for (const std::string& line : SplitLines(templateText)) {
        const std::string upper = Upper1250(line);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size();) {
            if (upper.compare(i, kFile1.size(), kFile1) == 0) {
                AppendForBatch(expanded, file1, quoted);
                i += kFile1.size();
            } else if (upper.compare(i, kFile2.size(), kFile2) == 0) {
                AppendForBatch(expanded, file2, quoted);
                i += kFile2.size();
            } else {
                if (line[i] == '"') quoted = !quoted;
                expanded += line[i++];
            }
        }
        expanded += "\r\n";
    }
    return expanded;
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
