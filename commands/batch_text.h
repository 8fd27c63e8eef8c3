#pragma once
// The text side of command batches: template lines, placeholder expansion,
// the batch buffer's lines, the comment filter and the batch file around
// them. Pure functions.
#include <string>
#include <vector>

// Lines end at CR LF, a lone CR or a lone LF; a last line without an end counts.
std::vector<std::string> SplitLines(const std::string& text);
// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// What cmd's parser will be like when the next template line runs: delayed
// expansion as the template lines before it turn it on and off, in order.
struct BatchContext {
    bool delayedExpansion = false;     // cmd starts a batch without it
    std::vector<bool> savedByLocal;    // the state each open setlocal restores
};

// The template's lines each followed by CR LF, every "%file1%" and "%file2%"
// (in any letter case) replaced in one left-to-right pass by its path, written
// so that cmd running the line reads the path exactly as it is named. The
// context carries delayed expansion from one template to the next.
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2, BatchContext& context);
// The same for a template that starts a batch.
std::string ExpandTemplate(const std::string& templateText, const std::string& file1,
                           const std::string& file2);
// Appends an entry to the buffer, split into lines at its line breaks.
void AppendEntry(std::vector<std::string>& buffer, const std::string& entry);
// A line whose first three characters after leading blanks read REM in any case.
bool IsCommentLine(const std::string& line);
void RemoveCommentLines(std::vector<std::string>& buffer);

// The batch file Go writes: the buffer's lines, run by cmd in code page 1250
// (the code page of their bytes) as a subroutine of a few lines that save the
// console's code page, switch it and put it back when the lines are done,
// however they end (falling off the end, exit /b, goto :eof). The batch ends
// with the errorlevel the lines left.
std::string BatchFileText(const std::vector<std::string>& lines);
