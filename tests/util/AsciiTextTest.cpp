#include "util/AsciiText.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct FoldCase
    {
        const char* name;
        std::string text;
        std::string upper;
        std::string lower;
    };

    class AsciiFoldTest : public ::testing::TestWithParam<FoldCase>
    {
    };

    TEST_P(AsciiFoldTest, FoldsOnlyAsciiLetters)
    {
        EXPECT_EQ(AsciiUpper(GetParam().text), GetParam().upper);
        EXPECT_EQ(AsciiLower(GetParam().text), GetParam().lower);
        EXPECT_TRUE(EqualsIgnoringAsciiCase(GetParam().upper, GetParam().lower));
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        AsciiFoldTest,
        ::testing::Values(FoldCase {"Letters", "Photo;Type=jpeg", "PHOTO;TYPE=JPEG", "photo;type=jpeg"},
                          // The neighbours of the letters in ASCII stay what they are.
                          FoldCase {"LettersEdges", "@AZ[`az{", "@AZ[`AZ{", "@az[`az{"},
                          // Neither UTF-8 nor Latin-1 bytes are letters here, whatever the locale.
                          FoldCase {"BytesBeyondAscii", "\xC3\xA9t\xE9", "\xC3\xA9T\xE9", "\xC3\xA9t\xE9"},
                          FoldCase {"Empty", "", "", ""}),
        [](const auto& info) { return std::string(info.param.name); });

    struct CompareCase
    {
        const char* name;
        std::string a;
        std::string b;
        bool equal;
        bool aStartsWithB;
    };

    class AsciiCompareTest : public ::testing::TestWithParam<CompareCase>
    {
    };

    TEST_P(AsciiCompareTest, IgnoresAsciiCaseOnly)
    {
        EXPECT_EQ(EqualsIgnoringAsciiCase(GetParam().a, GetParam().b), GetParam().equal);
        EXPECT_EQ(StartsWithIgnoringAsciiCase(GetParam().a, GetParam().b), GetParam().aStartsWithB);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        AsciiCompareTest,
        ::testing::Values(CompareCase {"SameInOtherCase", "base64", "BASE64", true, true},
                          CompareCase {"Prefix", "END:VCARD\r", "end:vcard", false, true},
                          CompareCase {"LongerThanTheText", "END", "END:VCARD", false, false},
                          // 0xC9 and 0xE9 are "É" and "é" in Latin-1: bytes, not letters.
                          CompareCase {"LatinOneIsNotFolded", "\xC9", "\xE9", false, false},
                          CompareCase {"AtIsNotABacktick", "@", "`", false, false},
                          CompareCase {"EmptyPrefix", "PHOTO", "", false, true}),
        [](const auto& info) { return std::string(info.param.name); });

    struct TrimCase
    {
        const char* name;
        std::string text;
        std::string characters;
        std::string trimmed;
    };

    class TrimTest : public ::testing::TestWithParam<TrimCase>
    {
    };

    TEST_P(TrimTest, TakesTheCharactersOffBothEnds)
    {
        EXPECT_EQ(TrimCharacters(GetParam().text, GetParam().characters), GetParam().trimmed);
        if (GetParam().characters == " \t") {
            EXPECT_EQ(TrimBlanks(GetParam().text), GetParam().trimmed);
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        TrimTest,
        ::testing::Values(TrimCase {"Blanks", " \tAnn Lee\t ", " \t", "Ann Lee"},
                          TrimCase {"OnlyBlanks", " \t \t", " \t", ""},
                          TrimCase {"NothingToTrim", "x", " \t", "x"},
                          TrimCase {"LineBreaksAreNoBlanks", "\r\nx\n", " \t", "\r\nx\n"},
                          TrimCase {"QuotesAndBlanksMixed", " \"image/png\" ", " \t\"", "image/png"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(AppendHexByte, WritesTwoLowerCaseDigitsThatHexValueReadsBack)
    {
        for (int byte = 0; byte < 256; ++byte) {
            std::string text = "x";
            AppendHexByte(text, static_cast<unsigned char>(byte));
            ASSERT_EQ(text.size(), 3u);
            EXPECT_EQ(AsciiLower(text), text);
            EXPECT_EQ(HexValue(text[1]) * 16 + HexValue(text[2]), byte) << text;
        }
    }

    TEST(HexValue, ReadsBothCasesAndRefusesTheRest)
    {
        const std::string digits = "0123456789abcdef";
        for (int value = 0; value < 16; ++value) {
            EXPECT_EQ(HexValue(digits[value]), value);
            EXPECT_EQ(HexValue(AsciiUpper(digits[value])), value);
        }
        for (const char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0', '\xC3'})
            EXPECT_EQ(HexValue(c), -1) << static_cast<int>(c);
    }

} // namespace
} // namespace orvandel
