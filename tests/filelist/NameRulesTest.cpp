#include "filelist/NameRules.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace orvandel {
namespace {

    struct NameCase
    {
        const char* name;
        std::string folderName;
        bool invalid;
    };

    class HasInvalidCharsTest : public ::testing::TestWithParam<NameCase>
    {
    };

    TEST_P(HasInvalidCharsTest, Judges)
    {
        EXPECT_EQ(HasInvalidChars(GetParam().folderName), GetParam().invalid);
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             HasInvalidCharsTest,
                             ::testing::Values(NameCase {"Empty", "", false},
                                               NameCase {"Plain", "Cards 2021", false},
                                               NameCase {"Punctuation", "a-b_c.d (e) [f] {g} ~h #i", false},
                                               NameCase {"QuestionMark", "what?", true},
                                               NameCase {"Tab", "tab\tname", true},
                                               NameCase {"Unit31", "x\x1F", true},
                                               NameCase {"Delete127", "x\x7F", true},
                                               NameCase {"C1Control128", "x\xC2\x80", true},
                                               NameCase {"C1Control159", "x\xC2\x9F", true},
                                               NameCase {"NoBreakSpace160", "x\xC2\xA0", false},
                                               NameCase {"Accents", "na\xC3\xAFve caf\xC3\xA9", false},
                                               NameCase {"EuroSign", "\xE2\x82\xAC 100", false},
                                               NameCase {"CurlyQuotesAndDash",
                                                         "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93", false},
                                               NameCase {"Japanese", "\xE6\x97\xA5\xE6\x9C\xAC", false},
                                               NameCase {"Emoji", "\xF0\x9F\x98\x80", false},
                                               NameCase {"Latin1Byte", "caf\xE9", true},
                                               NameCase {"OverlongQuestionMark", "\xC0\xBF", true},
                                               NameCase {"Surrogate", "\xED\xA0\x80", true},
                                               NameCase {"CutOffSequence", "x\xE2\x82", true}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(CountCharacters, CountsCharactersNotBytes)
    {
        EXPECT_EQ(CountCharacters(""), 0u);
        EXPECT_EQ(CountCharacters("abc"), 3u);
        EXPECT_EQ(CountCharacters("caf\xC3\xA9"), 4u);
        EXPECT_EQ(CountCharacters("\xE6\x97\xA5\xE6\x9C\xAC"), 2u);
        EXPECT_EQ(CountCharacters("\xF0\x9F\x98\x80"), 1u);
        EXPECT_EQ(CountCharacters("caf\xE9"), 4u) << "a byte that is not UTF-8 is one character";
    }

    TEST(ListingOrder, IgnoresCaseComparesCapitalsAndBreaksTiesByBytes)
    {
        std::vector<std::string> names {"z",  "\xC3\xA9", "b.vcf", "_x", "B.vcf", "a_b", "9",
                                        "ab", "Z",        "a",     "b",  "A",     "10"};
        std::sort(names.begin(), names.end(), ListingOrderLess);
        EXPECT_EQ(names,
                  (std::vector<std::string> {"10", "9", "A", "a", "ab", "a_b", "b", "B.vcf", "b.vcf", "Z",
                                             "z", "_x", "\xC3\xA9"}));
    }

} // namespace
} // namespace orvandel
