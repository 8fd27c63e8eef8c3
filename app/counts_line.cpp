#include "app/counts_line.h"

std::string GroupDigits(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

std::string CountsLine(int rows, int selected, std::uint64_t totalBytes, bool withBytes) {
    std::string line = std::to_string(rows) + " files found ";
    if (selected < rows) line += "(" + std::to_string(selected) + " selected)";
    if (withBytes) line += ", " + GroupDigits(totalBytes) + " bytes in selected files";
    return line;
}
