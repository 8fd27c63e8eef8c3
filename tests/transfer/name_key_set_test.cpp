#include "transfer/name_key_set.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>

namespace {

std::uint64_t OneHashForAll(TextView) { return 42; }
std::uint64_t FirstUnit(TextView key) { return key.empty() ? 0 : key[0]; }

}  // namespace

// Whatever the hash makes of them, keys are one only when their units are:
// with every key on one hash, on a few, and on the set's own, the set answers
// as a set of the texts does, through the table's growth, keys longer than
// a block, the empty key and keys that differ in one unit or in length,
// and once emptied.
TEST(NameKeySet, KeysAreOneOnlyWhenTheirUnitsAre) {
    const struct {
        const char* what;
        NameKeySet::Hash hash;
        int keys;
    } hashes[] = {
        {"every key on one hash", &OneHashForAll, 600},
        {"keys on their first unit", &FirstUnit, 1500},
        {"the set's own hash", &NameKeySet::HashUnits, 20000},
    };
    for (const auto& h : hashes) {
        SCOPED_TRACE(h.what);
        std::mt19937 random(7);
        NameKeySet set(h.hash);
        std::set<Text> model;
        auto key = [&] {
            const std::uint32_t kind = random() % 500;
            // Long keys fill more than a block; short ones of few letters meet again.
            const std::size_t length = kind == 0 ? 200000 + random() % 200000 : kind == 1 ? 0 : 1 + random() % 10;
            Text k(length, u'A');
            for (char16_t& c : k) c = static_cast<char16_t>(u'A' + random() % 3);
            if (kind == 2 && !k.empty()) k.back() = u'\x10D';  // a unit past one byte
            return k;
        };
        for (int i = 0; i < h.keys; ++i) {
            // Emptied half-way: nothing held before answers after.
            if (i == h.keys / 2) {
                set.Clear();
                model.clear();
            }
            const Text k = key();
            const bool isNew = model.insert(k).second;
            ASSERT_EQ(set.Contains(k), !isNew) << i;
            ASSERT_EQ(set.Insert(k), isNew) << i;
            ASSERT_TRUE(set.Contains(k)) << i;
            const Text other = key();
            ASSERT_EQ(set.Contains(other), model.count(other) != 0) << i;
        }
        EXPECT_EQ(set.Size(), model.size());
        for (const Text& k : model) ASSERT_TRUE(set.Contains(k));
        // Keys one unit longer or shorter than those held.
        for (const Text& k : model) {
            for (const Text& near : {k + u"A", k.empty() ? k : k.substr(1)})
                ASSERT_EQ(set.Contains(near), model.count(near) != 0);
        }
    }
}
