#include "text/row_texts.h"

#include <algorithm>

#include "platform/errors.h"

namespace {

// The first blocks are small, so that a list of a few rows holds little; then
// each is as large as the text already held, up to the most that a span can
// address, and then so large that the system gives it back when it is freed.
constexpr std::size_t kSmallestBlock = 4096;
// A row longer than this (a rare path) gets a block of its own, so that a
// block left because the next row did not fit loses less than a quarter.
constexpr std::size_t kLongRow = kSmallestBlock / 4;

}  // namespace

std::uint32_t RowTexts::NewBlock(std::size_t capacity) {
    std::size_t index = 0;
    while (index < blocks_.size() && blocks_[index].data) ++index;
    if (index == blocks_.size()) {
        if (blocks_.size() == kMaxBlocks) throw Exception("The list cannot take another row");
        blocks_.emplace_back();
    }
    Block& b = blocks_[index];
    b.data.reset(new char16_t[capacity]);
    b.capacity = static_cast<std::uint32_t>(capacity);
    b.used = b.live = 0;
    return static_cast<std::uint32_t>(index);
}

std::uint32_t RowTexts::Append(TextView text) {
    const std::size_t n = text.size();
    if (n == 0) return 0;
    if (n > std::size_t{kOffsetMask} + 1) throw Exception("The list cannot take a row this long");
    const std::size_t usual = std::clamp(liveUnits_, kSmallestBlock, std::size_t{kOffsetMask} + 1);
    std::size_t block;
    if (n > kLongRow) {
        // The last block stays the last.
        block = NewBlock(n);
    } else {
        if (current_ == SIZE_MAX || blocks_[current_].capacity - blocks_[current_].used < n) {
            // The full block is kept for its rows, or freed when every one has been rewritten.
            if (current_ != SIZE_MAX && blocks_[current_].live == 0) Free(current_);
            current_ = NewBlock(usual);
        }
        block = current_;
    }
    Block& b = blocks_[block];
    const std::uint32_t offset = b.used;
    std::copy(text.begin(), text.end(), b.data.get() + offset);
    b.used += static_cast<std::uint32_t>(n);
    b.live += static_cast<std::uint32_t>(n);
    liveUnits_ += n;
    return static_cast<std::uint32_t>(block << kOffsetBits) | offset;
}

void RowTexts::Free(std::size_t block) {
    blocks_[block] = Block();
    if (block == current_) current_ = SIZE_MAX;
}

void RowTexts::Release(const Span& span, std::uint32_t units) {
    if (units == 0) return;
    const std::size_t block = span.start >> kOffsetBits;
    Block& b = blocks_[block];
    b.live -= units;
    liveUnits_ -= units;
    // The last block keeps its room for the rows to come.
    if (b.live == 0 && block != current_) Free(block);
}

void RowTexts::push_back(TextView text) {
    Span span;
    span.start = Append(text);
    span.length = static_cast<std::uint32_t>(text.size());
    try {
        spans_.push_back(span);
    } catch (...) {
        Release(span, span.length);
        throw;
    }
}

void RowTexts::set(std::size_t i, TextView text) {
    Span& span = spans_[i];
    if (text.size() <= span.length && !text.empty()) {
        // In place; the text may be a part of the row itself.
        char16_t* at = blocks_[span.start >> kOffsetBits].data.get() + (span.start & kOffsetMask);
        std::char_traits<char16_t>::move(at, text.data(), text.size());
        Release(span, static_cast<std::uint32_t>(span.length - text.size()));
        span.length = static_cast<std::uint32_t>(text.size());
        return;
    }
    // The new text is written before the old is let go: it may be a part of it.
    Span fresh;
    fresh.start = Append(text);
    fresh.length = static_cast<std::uint32_t>(text.size());
    const Span old = span;
    span = fresh;
    Release(old, old.length);
}

void RowTexts::truncate(std::size_t n) {
    while (spans_.size() > n) {
        Release(spans_.back(), spans_.back().length);
        spans_.pop_back();
    }
}

void RowTexts::clear() {
    // The memory goes back too: the next listing may be a small one.
    std::deque<Span>().swap(spans_);
    std::vector<Block>().swap(blocks_);
    current_ = SIZE_MAX;
    liveUnits_ = 0;
}

void RowTexts::Trim(std::size_t block) {
    Block& b = blocks_[block];
    if (!b.data) return;
    if (b.live == 0) {
        Free(block);
    } else if (b.used < b.capacity) {
        std::unique_ptr<char16_t[]> data(new char16_t[b.used]);
        std::copy(b.data.get(), b.data.get() + b.used, data.get());
        b.data = std::move(data);
        b.capacity = b.used;
    }
}

void RowTexts::Compact() {
    const std::size_t last = current_;
    current_ = SIZE_MAX;
    std::vector<char> moving(blocks_.size(), 0);
    bool any = false;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const Block& b = blocks_[i];
        if (b.data && b.live < b.used / 2) moving[i] = any = true;
    }
    if (any) {
        for (Span& span : spans_) {
            if (span.length == 0) continue;
            const std::size_t from = span.start >> kOffsetBits;
            if (from >= moving.size() || !moving[from]) continue;
            // A moving block is freed only after all of its rows have left.
            const TextView text(blocks_[from].data.get() + (span.start & kOffsetMask), span.length);
            span.start = Append(text);
            blocks_[from].live -= span.length;
            liveUnits_ -= span.length;
        }
        for (std::size_t i = 0; i < moving.size(); ++i)
            if (moving[i]) Free(i);
    }
    // The room at the end of the last blocks goes back: a copy of those blocks only.
    if (last != SIZE_MAX) Trim(last);
    if (current_ != SIZE_MAX) Trim(current_);
    current_ = SIZE_MAX;
    spans_.shrink_to_fit();
}

std::size_t RowTexts::HeldUnits() const {
    std::size_t units = 0;
    for (const Block& b : blocks_) units += b.capacity;
    return units;
}
