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

std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2) {
    std::string expanded = JoinLines(SplitLines(templateText));
    expanded = ReplaceText(expanded, "%file1%", file1, true);
    return ReplaceText(expanded, "%file2%", file2, true);
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
