#include "tests/text_1250/batch_text_1250.h"

namespace {

std::vector<Text> FromLines(const std::vector<std::string>& lines) {
    std::vector<Text> texts;
    texts.reserve(lines.size());
    for (const std::string& line : lines) texts.push_back(From1250(line));
    return texts;
}

}  // namespace

std::vector<std::string> Lines1250(const std::vector<Text>& lines) {
    std::vector<std::string> bytes;
    bytes.reserve(lines.size());
    for (const Text& line : lines) bytes.push_back(To1250(line));
    return bytes;
}

std::vector<std::string> SplitLines(const std::string& text) { return Lines1250(SplitLines(From1250(text))); }

std::string JoinLines(const std::vector<std::string>& lines) { return To1250(JoinLines(FromLines(lines))); }

std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2, BatchContext& context) {
    return To1250(ExpandTemplate(From1250(templateText), From1250(file1), From1250(file2), context));
}

std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2) {
    return To1250(ExpandTemplate(From1250(templateText), From1250(file1), From1250(file2)));
}

void AppendEntry(std::vector<std::string>& buffer, const std::string& entry) {
    for (std::string& line : SplitLines(entry)) buffer.push_back(std::move(line));
}

bool IsCommentLine(const std::string& line) { return IsCommentLine(From1250(line)); }

void RemoveCommentLines(std::vector<std::string>& buffer) { std::erase_if(buffer, [](const std::string& line) { return IsCommentLine(line); }); }

std::string BatchFileText(const std::vector<std::string>& lines) { return BatchFileText(FromLines(lines)); }
