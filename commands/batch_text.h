#pragma once
// The text side of command batches: template lines, placeholder expansion,
// the batch buffer's lines, the comment filter and the batch file around
// them. Pure functions.
#include <string>
#include <vector>

#include "text/text.h"

// Lines end at CR LF, a lone CR or a lone LF; a last line without an end counts.
std::vector<Text> SplitLines(TextView text);
// Every line followed by CR LF.
Text JoinLines(const std::vector<Text>& lines);

// What cmd's parser will be like when the next template line runs: delayed
// expansion as the template lines before it turn it on and off, in order.
struct BatchContext {
    bool delayedExpansion = false;     // cmd starts a batch without it
    std::vector<bool> savedByLocal;    // the state each open setlocal restores
};

// The template's lines each followed by CR LF, every "%file1%" and "%file2%"
// (in any letter case) replaced in one left-to-right pass by its path, written
// so that cmd running the line reads the path exactly as it is named: every
// letter of the path, whatever its script, is kept as it is. The context
// carries delayed expansion from one template to the next.
Text ExpandTemplate(TextView templateText, TextView file1, TextView file2, BatchContext& context);
// The same for a template that starts a batch.
Text ExpandTemplate(TextView templateText, TextView file1, TextView file2);
// Appends an entry to the buffer, split into lines at its line breaks.
void AppendEntry(std::vector<Text>& buffer, TextView entry);
// A line whose first three characters after leading blanks read REM in any case.
bool IsCommentLine(TextView line);
void RemoveCommentLines(std::vector<Text>& buffer);

// The bytes of a batch's text: Windows-1250 when every character has a
// Windows-1250 form, else UTF-8 without a byte-order mark.
std::string BatchBytes(TextView text);
// The batch file Go writes: the buffer's lines, run by cmd in the code page
// of their bytes (1250, or 65001 for UTF-8 when a line holds a letter
// Windows-1250 lacks) as a subroutine of a few lines that save the console's
// code page, switch it and put it back when the lines are done, however they
// end (falling off the end, exit /b, goto :eof). The switch comes before the
// first byte beyond ASCII. The batch ends with the errorlevel the lines left.
std::string BatchFileText(const std::vector<Text>& lines);

