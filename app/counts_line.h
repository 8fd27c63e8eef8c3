#pragma once
// The counts line under the result list: rows, selected rows, bytes.
#include <cstdint>
#include <string>

// Decimal digits with a blank before every group of three from the right.
std::string GroupDigits(std::uint64_t value);

// "12 files found (3 selected), 4 096 bytes in selected files". Without
// withBytes the line ends after the counts (a file that could not be read).
std::string CountsLine(int rows, int selected, std::uint64_t totalBytes, bool withBytes);
