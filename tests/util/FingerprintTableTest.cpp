#include "util/FingerprintTable.h"

#include "util/Fingerprint.h"

#include <gtest/gtest.h>
#include <random>
#include <unordered_map>
#include <unordered_set>

namespace orvandel {
namespace {

    // Keys drawn from a small range, so that inserts, finds and erases meet each other often and
    // long runs of neighbouring slots form, also across the end of the table.
    struct OpsCase
    {
        const char* name;
        std::uint64_t keyRange;
        std::uint64_t stride; // keys are multiples of it: many share their low bits
        int operations;
    };

    class FingerprintTableOps : public ::testing::TestWithParam<OpsCase>
    {
    };

    TEST_P(FingerprintTableOps, AgreesWithTheStandardMap)
    {
        std::mt19937_64 random(7);
        FingerprintTable<std::uint32_t> table;
        std::unordered_map<std::uint64_t, std::uint32_t> model;
        for (int i = 0; i < GetParam().operations; ++i) {
            const std::uint64_t key = (random() % GetParam().keyRange) * GetParam().stride;
            const auto stored = key == 0 ? 1 : key; // the table keeps a zero fingerprint as one
            switch (random() % 4) {
            case 0:
            case 1: {
                const auto value = static_cast<std::uint32_t>(random());
                table.at(key) = value;
                model[stored] = value;
                break;
            }
            case 2:
                ASSERT_EQ(table.erase(key), model.erase(stored) == 1) << key;
                break;
            default: {
                const auto* found = table.find(key);
                const auto expected = model.find(stored);
                ASSERT_EQ(found != nullptr, expected != model.end()) << key;
                if (found) {
                    ASSERT_EQ(*found, expected->second) << key;
                }
            }
            }
            ASSERT_EQ(table.size(), model.size());
        }
        for (const auto& [key, value] : model) {
            ASSERT_TRUE(table.contains(key));
            EXPECT_EQ(*table.find(key), value);
        }
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             FingerprintTableOps,
                             ::testing::Values(OpsCase {"FewKeys", 40, 1, 20000},
                                               OpsCase {"SameLowBits", 300, 1024, 50000},
                                               OpsCase {"ManyKeys", 100000, 0x9e3779b97f4a7c15ULL, 200000},
                                               OpsCase {"ZeroAndOne", 2, 1, 1000}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(Fingerprint, TellsTextsApart)
    {
        std::unordered_set<std::uint64_t> seen;
        for (const char* text : {"", "a", "A", "b", "ab", "ba", "abcdefgh", "abcdefgi", "abcdefghi",
                                 "Ann.jpg", "ann.jpg", "Ann (2).jpg"})
            EXPECT_TRUE(seen.insert(Fingerprint(text)).second) << text;
        EXPECT_NE(Fingerprint("Ann.jpg", 1), Fingerprint("Ann.jpg", 2)) << "the salt keeps folders apart";
        EXPECT_EQ(Fingerprint("Ann.jpg", 1), Fingerprint("Ann.jpg", 1));
    }

} // namespace
} // namespace orvandel
