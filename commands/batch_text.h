#pragma once
// The text side of command batches: template lines, placeholder expansion,
// the batch buffer's lines and the comment filter. Pure functions.
#include <string>
#include <vector>

// Lines end at CR LF, a lone CR or a lone LF; a last line without an end counts.
std::vector<std::string> SplitLines(const std::string& text);
// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
// The template's lines each followed by CR LF, every "%file1%" and "%file2%"
// (in any letter case) replaced in one left-to-right pass by its path, written
// so that cmd running the line reads the path exactly as it is named.
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2);
// Appends an entry to the buffer, split into lines at its line breaks.
void AppendEntry(std::vector<std::string>& buffer, const std::string& entry);
// A line whose first three characters after leading blanks read REM in any case.
bool IsCommentLine(const std::string& line);
void RemoveCommentLines(std::vector<std::string>& buffer);
