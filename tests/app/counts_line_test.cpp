#include "app/counts_line.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CountsLine, ShownLines) {
    struct Case { int rows, selected; std::uint64_t bytes; bool withBytes; std::string line; };
    const std::vector<Case> cases = {
        {12, 12, 1234567, true, "12 files found , 1 234 567 bytes in selected files"},
        {12, 3, 4096, true, "12 files found (3 selected), 4 096 bytes in selected files"},
        {5, 1, 480, true, "5 files found (1 selected), 480 bytes in selected files"},
        {7, 2, 123456, true, "7 files found (2 selected), 123 456 bytes in selected files"},
        {0, 0, 0, true, "0 files found , 0 bytes in selected files"},
        {3, 3, 5ULL << 30, true, "3 files found , 5 368 709 120 bytes in selected files"},
        {4, 2, 99, false, "4 files found (2 selected)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountsLine(c.rows, c.selected, c.bytes, c.withBytes), c.line);
}

TEST(GroupDigits, BlankBeforeEachGroupOfThreeButNeverFirst) {
    const std::vector<std::pair<std::uint64_t, std::string>> cases = {
        {0, "0"}, {999, "999"}, {1000, "1 000"}, {100000, "100 000"},
        {18446744073709551615ULL, "18 446 744 073 709 551 615"},
    };
    for (const auto& [v, s] : cases) EXPECT_EQ(GroupDigits(v), s);
}

}  // namespace
