#include "text/row_texts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

Text RowText(std::size_t length, std::uint32_t seed) {
    Text t(length, u'a');
    for (std::size_t i = 0; i < length; ++i) t[i] = static_cast<char16_t>(u'a' + (seed + i * 7) % 26);
    return t;
}

std::size_t LiveUnits(const std::vector<Text>& model) {
    std::size_t n = 0;
    for (const Text& t : model) n += t.size();
    return n;
}

}  // namespace

// Any sequence of the list's changes keeps every row's text, and once
// compacted the blocks hold at most about twice the text.
TEST(RowTexts, KeepEveryRowThroughAnySequenceOfChanges) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        auto length = [&] {
            const std::size_t kind = pick(20);
            return kind == 0 ? 0 : kind == 1 ? 1500 + pick(4000) : pick(300);  // empty, long (a block of its own), usual
        };
        RowTexts rows;
        std::vector<Text> model;
        for (int step = 0; step < 4000; ++step) {
            const std::size_t op = pick(100);
            if (op < 45 || model.empty()) {
                model.push_back(RowText(length(), random()));
                rows.push_back(model.back());
            } else if (op < 85) {
                const std::size_t i = pick(model.size());
                const std::size_t shape = pick(4);
                if (shape == 0) {
                    // A part of the row itself: as a run's rewrite may hand it.
                    const Text part = model[i].substr(model[i].size() / 3);
                    rows.set(i, rows[i].substr(model[i].size() / 3));
                    model[i] = part;
                } else if (shape == 1 && !model.empty()) {
                    // Another row's text, read from the list while it changes.
                    const std::size_t j = pick(model.size());
                    rows.set(i, rows[j]);
                    model[i] = model[j];
                } else {
                    model[i] = RowText(length(), random());
                    rows.set(i, model[i]);
                }
            } else if (op < 92) {
                const std::size_t keep = model.size() - pick(model.size() / 8 + 1);
                model.resize(keep);
                rows.truncate(keep);
            } else if (op < 99) {
                rows.Compact();
                EXPECT_LE(rows.HeldUnits(), 3 * LiveUnits(model)) << "seed " << seed << " step " << step;
            } else {
                model.clear();
                rows.clear();
                EXPECT_EQ(rows.HeldUnits(), 0u);
            }
            ASSERT_EQ(rows.size(), model.size()) << "seed " << seed << " step " << step;
            if (step % 16 == 0 || op >= 85) {
                for (std::size_t i = 0; i < model.size(); ++i)
                    ASSERT_TRUE(rows[i] == model[i]) << "seed " << seed << " step " << step << " row " << i;
            }
        }
    }
}

// A list of 100,000 rows that a run rewrites: no row that stays is moved (a
// copy of the rows while the window waits), and the room of the texts
// rewritten is given back, during the run or by the compaction after it.
TEST(RowTexts, RowsStayInPlaceAndRewrittenRoomGoesBack) {
    constexpr std::size_t kRows = 100000, kListed = 95, kBlock = std::size_t{1} << 20, kTexts = 61;
    struct Case {
        const char* name;
        std::size_t every;             // every n-th row is rewritten
        std::size_t rewritten;         // to this length
        double heldDuring, heldAfter;  // at most this many units held per unit of text (plus two blocks)
    } cases[] = {
        {"Try over every row", 1, 198, 1.0, 1.0},
        {"every other row", 2, 198, 2.0, 2.0},
        {"every row shorter (a relative row)", 1, 30, 95.0 / 30, 1.0},
        {"every tenth row, a tag line added", 10, 260, 1.5, 2.0},
    };
    std::vector<Text> listed, rewrittenTexts;
    for (std::uint32_t k = 0; k < kTexts; ++k) listed.push_back(RowText(kListed, k));
    for (const Case& c : cases) {
        rewrittenTexts.clear();
        for (std::uint32_t k = 0; k < kTexts; ++k) rewrittenTexts.push_back(RowText(c.rewritten, k + 100));
        auto expected = [&](std::size_t i) -> const Text& {
            return i % c.every == 0 ? rewrittenTexts[i % kTexts] : listed[i % kTexts];
        };
        RowTexts rows;
        std::vector<const char16_t*> at(kRows);
        for (std::size_t i = 0; i < kRows; ++i) {
            rows.push_back(listed[i % kTexts]);
            at[i] = rows[i].data();
        }
        std::size_t live = kRows * kListed;
        for (std::size_t i = 0; i < kRows; i += c.every) {
            rows.set(i, rewrittenTexts[i % kTexts]);
            live = live + c.rewritten - kListed;
        }
        EXPECT_LE(static_cast<double>(rows.HeldUnits()), c.heldDuring * static_cast<double>(live) + 2 * kBlock)
            << c.name;
        for (std::size_t i = 0; i < kRows; ++i) {
            if (i % c.every != 0) {
                ASSERT_EQ(rows[i].data(), at[i]) << c.name << ": row " << i << " was moved";
            }
            ASSERT_TRUE(rows[i] == expected(i)) << c.name << ": row " << i;
        }
        rows.Compact();
        EXPECT_LE(static_cast<double>(rows.HeldUnits()), c.heldAfter * static_cast<double>(live) + 2 * kBlock)
            << c.name;
        for (std::size_t i = 0; i < kRows; ++i) ASSERT_TRUE(rows[i] == expected(i)) << c.name << ": row " << i;
    }
}
