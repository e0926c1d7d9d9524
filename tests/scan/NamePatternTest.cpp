#include "scan/NamePattern.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct MatchCase
    {
        const char* name;
        std::string pattern;
        std::string fileName;
        bool matches;
    };

    class WildcardMatchTest : public ::testing::TestWithParam<MatchCase>
    {
    };

    TEST_P(WildcardMatchTest, Matches)
    {
        EXPECT_EQ(WildcardMatch(GetParam().pattern, GetParam().fileName), GetParam().matches);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        WildcardMatchTest,
        ::testing::Values(MatchCase {"Extension", "*.vcf", "card.vcf", true},
                          MatchCase {"NameInCapitals", "*.vcf", "CARD.VCF", true},
                          MatchCase {"PatternInCapitals", "*.VCF", "card.vcf", true},
                          MatchCase {"OtherExtension", "*.vcf", "card.vcard", false},
                          MatchCase {"ExtensionNotLast", "*.vcf", "card.vcf.bak", false},
                          MatchCase {"StarAlone", "*", "README", true},
                          MatchCase {"StarDotStarWithoutDot", "*.*", "README", true},
                          MatchCase {"StarDotStarManyDots", "*.*", "a.b.c", true},
                          MatchCase {"NameDotStarWithoutExtension", "card.*", "card", true},
                          MatchCase {"NameDotStarWithExtension", "card.*", "card.vcf", true},
                          MatchCase {"NameDotStarLongerName", "card.*", "cards", false},
                          MatchCase {"TrailingDotIsLiteral", "*.", "card", false},
                          MatchCase {"TrailingDotMatchesDot", "*.", "card.", true},
                          MatchCase {"TypedDotGivesTwoDots", "*..vcf", "card.vcf", false},
                          MatchCase {"TwoDotsMatchTwoDots", "*..vcf", "card..vcf", true},
                          MatchCase {"QuestionMarkOneCharacter", "?.vcf", "a.vcf", true},
                          MatchCase {"QuestionMarkNotTwo", "?.vcf", "ab.vcf", false},
                          MatchCase {"QuestionMarkNotNone", "?.vcf", ".vcf", false},
                          MatchCase {"QuestionMarkTakesAWholeCharacter", "?.vcf", "\xC3\xA9.vcf", true},
                          MatchCase {"TwoQuestionMarksNotOneCharacter", "??.vcf", "\xC3\xA9.vcf", false},
                          MatchCase {"NonAsciiExact", "\xC3\xA9*", "\xC3\xA9t\xC3\xA9.vcf", true},
                          MatchCase {"NonAsciiCaseNotFolded", "\xC3\x89*", "\xC3\xA9t\xC3\xA9.vcf", false},
                          MatchCase {"StarsBetween", "a*b*c", "aXXbYYc", true},
                          MatchCase {"StarsBetweenMissingEnd", "a*b*c", "aXXbYY", false},
                          MatchCase {"ManyStarsNoMatch", "*a*a*a*a*a*b", std::string(200, 'a'), false},
                          MatchCase {"BracketsAreLiteral", "[ab].vcf", "a.vcf", false},
                          MatchCase {"BracketsMatchThemselves", "[ab].vcf", "[AB].vcf", true},
                          MatchCase {"HiddenNameMatches", "*.vcf", ".vcf", true},
                          MatchCase {"EmptyPatternOnlyEmpty", "", "a", false},
                          MatchCase {"NotUtf8ByteIsACharacter", "?.vcf", "\xE9.vcf", true}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(NamePattern, MatchesAnyOfItsAlternatives)
    {
        const NamePattern cards(std::vector<std::string> {"*.vcf", "*.vcard"});
        EXPECT_TRUE(cards.matches("a.vcf"));
        EXPECT_TRUE(cards.matches("b.VCARD"));
        EXPECT_FALSE(cards.matches("c.txt"));
        EXPECT_FALSE(NamePattern(std::vector<std::string> {}).matches("a.vcf"));
        EXPECT_TRUE(NamePattern("*.txt").matches("c.txt"));
    }

} // namespace
} // namespace orvandel
