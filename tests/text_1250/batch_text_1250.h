#pragma once
// The batch text functions on Windows-1250 bytes: each converts its texts
// with From1250, calls the Text function and converts the result back.
#include <string>
#include <vector>

#include "commands/batch_text.h"

std::vector<std::string> SplitLines(const std::string& text);
std::string JoinLines(const std::vector<std::string>& lines);
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2, BatchContext& context);
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2);
void AppendEntry(std::vector<std::string>& buffer, const std::string& entry);
bool IsCommentLine(const std::string& line);
void RemoveCommentLines(std::vector<std::string>& buffer);
std::string BatchFileText(const std::vector<std::string>& lines);
// The buffer's lines as Windows-1250 bytes.
std::vector<std::string> Lines1250(const std::vector<Text>& lines);
