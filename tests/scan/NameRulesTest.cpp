#include "scan/NameRules.h"

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

#if !defined(_WIN32)
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
#else
    // Windows judges names in its ANSI code page: its table is WindowsScanTest's AnsiNameTest.
    GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HasInvalidCharsTest);
#endif

    TEST(CountCharacters, CountsCharactersNotBytes)
    {
        EXPECT_EQ(CountCharacters(""), 0u);
        EXPECT_EQ(CountCharacters("abc"), 3u);
        EXPECT_EQ(CountCharacters("caf\xC3\xA9"), 4u);
        EXPECT_EQ(CountCharacters("\xE6\x97\xA5\xE6\x9C\xAC"), 2u);
        EXPECT_EQ(CountCharacters("\xF0\x9F\x98\x80"), 1u);
        EXPECT_EQ(CountCharacters("caf\xE9"), 4u) << "a byte that is not UTF-8 is one character";
    }

    struct LengthCase
    {
        const char* name;
        std::string text;
        bool pathTooLong;
        bool nameTooLong;
    };

    class LengthRuleTest : public ::testing::TestWithParam<LengthCase>
    {
    };

    TEST_P(LengthRuleTest, TakesTheSystemsLimits)
    {
        EXPECT_EQ(FolderPathTooLong(GetParam().text), GetParam().pathTooLong);
        EXPECT_EQ(FolderNameTooLong(GetParam().text), GetParam().nameTooLong);
    }

    std::string Repeated(const std::string& piece, std::size_t times)
    {
        std::string text;
        for (std::size_t i = 0; i < times; ++i)
            text += piece;
        return text;
    }

#if defined(_WIN32)
    // Windows counts characters, and folders are read through "\\?\" paths: 260 characters mean
    // nothing there, a path of 32,760 and a name of 256 are beyond the limits.
    INSTANTIATE_TEST_SUITE_P(Table,
                             LengthRuleTest,
                             ::testing::Values(LengthCase {"Short", "C:\\Cards\\", false, false},
                                               LengthCase {"Path260", Repeated("\xC3\xA9", 260), false, true},
                                               LengthCase {"NameAtLimit", Repeated("a", 255), false, false},
                                               LengthCase {"PathAtLimit", Repeated("\xC3\xA9", 32760), true,
                                                           true}),
                             [](const auto& info) { return std::string(info.param.name); });
#else
    // Linux counts bytes: a path of PATH_MAX bytes (the final NUL included) cannot be opened,
    // nor a name longer than NAME_MAX. The Windows limit of 260 means nothing here.
    INSTANTIATE_TEST_SUITE_P(
        Table,
        LengthRuleTest,
        ::testing::Values(LengthCase {"Short", "/home/me/Cards/", false, false},
                          LengthCase {"WindowsLimit", Repeated("a", 260), false, true},
                          LengthCase {"NameAtLimit", Repeated("a", NAME_MAX), false, false},
                          LengthCase {"PathBelowLimit", Repeated("/a", (PATH_MAX - 1) / 2), false, true},
                          LengthCase {"PathAtLimit", Repeated("\xC3\xA9", PATH_MAX / 2), true, true}),
        [](const auto& info) { return std::string(info.param.name); });
#endif

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
