#pragma once
// The texts of a list's rows: 100,000 rows and more, each rewritten longer by
// a run while the window waits. They are kept in blocks that are never moved
// nor grown: a new row, or a row rewritten longer, goes to the end of the
// last block or into a new one, so neither the list's growth nor a rewrite
// ever copies the rows already there. A block whose rows have all been
// rewritten elsewhere is given back at once; Compact() moves the rows out of
// blocks left more than half empty, once a listing or a run has ended.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "text/text.h"

class RowTexts {
public:
    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    TextView operator[](std::size_t i) const {
        const Span& s = spans_[i];
        if (s.length == 0) return TextView();
        return TextView(blocks_[s.start >> kOffsetBits].data.get() + (s.start & kOffsetMask), s.length);
    }
    void push_back(TextView text);
    void set(std::size_t i, TextView text);
    // Keeps the first n rows.
    void truncate(std::size_t n);
    void clear();
    // Moves the rows of blocks that are more than half unused into the last
    // block and gives back the room at its end. Costs a copy of those rows
    // only, never of the whole list.
    void Compact();
    // The units the blocks hold room for, rows or not.
    std::size_t HeldUnits() const;

private:
    // A block's index and the offset in it, in one number.
    static constexpr unsigned kOffsetBits = 20;
    static constexpr std::uint32_t kOffsetMask = (1u << kOffsetBits) - 1;
    static constexpr std::size_t kMaxBlocks = std::size_t{1} << (32 - kOffsetBits);
    struct Span {
        std::uint32_t start = 0, length = 0;
    };
    struct Block {
        std::unique_ptr<char16_t[]> data;
        std::uint32_t capacity = 0, used = 0, live = 0;
    };
    std::uint32_t Append(TextView text);
    std::uint32_t NewBlock(std::size_t capacity);
    void Release(const Span& span, std::uint32_t units);
    void Free(std::size_t block);
    // Gives back the room at the block's end, or the block when no row is in it.
    void Trim(std::size_t block);

    std::deque<Span> spans_;  // a deque's parts never move as it grows
    std::vector<Block> blocks_;
    std::size_t current_ = SIZE_MAX;  // the block new texts go to
    std::size_t liveUnits_ = 0;
};
