#include "transfer/name_key_set.h"

#include <algorithm>
#include <cstring>

std::uint64_t NameKeySet::HashUnits(TextView key) {
    std::uint64_t h = 14695981039346656037ull;
    for (char16_t c : key) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::size_t NameKeySet::Find(TextView key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.block == kEmpty || (s.hash == hash && KeyOf(s) == key)) return i;
    }
}

bool NameKeySet::Contains(TextView key) const {
    if (size_ == 0) return false;
    return slots_[Find(key, hash_(key))].block != kEmpty;
}

void NameKeySet::Clear() {
    if (blocks_.size() > 1) blocks_.resize(1);
    if (!blocks_.empty()) blocks_[0].used = 0;
    // A table grown for a large folder is not kept for the small ones after it.
    if (slots_.size() > 4096) std::vector<Slot>().swap(slots_);
    else std::fill(slots_.begin(), slots_.end(), Slot());
    size_ = 0;
}

// The table doubles; the keys' units stay where they are.
void NameKeySet::Grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.block == kEmpty) continue;
        std::size_t i = static_cast<std::size_t>(s.hash) & mask;
        while (slots_[i].block != kEmpty) i = (i + 1) & mask;
        slots_[i] = s;
    }
}

bool NameKeySet::Insert(TextView key) {
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    const std::uint64_t hash = hash_(key);
    Slot& slot = slots_[Find(key, hash)];
    if (slot.block != kEmpty) return false;
    // A key longer than a block has a block of its own.
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < key.size()) {
        Block b;
        b.capacity = std::max(kBlockUnits, key.size());
        b.data.reset(new char16_t[b.capacity]);
        blocks_.push_back(std::move(b));
    }
    Block& b = blocks_.back();
    if (!key.empty()) std::memcpy(b.data.get() + b.used, key.data(), key.size() * sizeof(char16_t));
    slot.hash = hash;
    slot.block = static_cast<std::uint32_t>(blocks_.size() - 1);
    slot.offset = static_cast<std::uint32_t>(b.used);
    slot.length = static_cast<std::uint32_t>(key.size());
    b.used += key.size();
    ++size_;
    return true;
}
