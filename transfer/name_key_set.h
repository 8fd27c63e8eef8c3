#pragma once
// A set of name keys that a run builds for 100,000 rows and more while the
// window waits: the keys' units are kept end to end in large blocks that
// never move, found through a table of their 64-bit hashes, so that neither
// building nor freeing the set costs a call to the allocator per key. Two
// keys with one hash are told apart by their units: a collision never makes
// one key stand for another.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/text.h"

class NameKeySet {
public:
    using Hash = std::uint64_t (*)(TextView);
    // hash: the keys' hash; the default is FNV-1a over the UTF-16 units.
    explicit NameKeySet(Hash hash = &HashUnits) : hash_(hash) {}
    // False when the set held the key already.
    bool Insert(TextView key);
    bool Contains(TextView key) const;
    std::size_t Size() const { return size_; }
    // Empty again, its first block kept for the next keys (a set filled
    // anew for each of many folders costs no block a folder).
    void Clear();

    static std::uint64_t HashUnits(TextView key);

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;
    static constexpr std::size_t kBlockUnits = std::size_t{1} << 18;  // 512 KiB
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t block = kEmpty, offset = 0, length = 0;
    };
    struct Block {
        std::unique_ptr<char16_t[]> data;
        std::size_t capacity = 0, used = 0;
    };
    // The slot that holds key, or the empty one where it would go.
    std::size_t Find(TextView key, std::uint64_t hash) const;
    TextView KeyOf(const Slot& s) const { return TextView(blocks_[s.block].data.get() + s.offset, s.length); }
    void Grow();

    Hash hash_;
    std::vector<Slot> slots_;  // open addressing, a power of two long, at most half full
    std::vector<Block> blocks_;
    std::size_t size_ = 0;
};
