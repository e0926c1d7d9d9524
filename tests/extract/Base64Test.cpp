#include "extract/Base64.h"

#include "support/Base64Encode.h"
#include "support/Base64Kernels.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace orvandel {
namespace {

    struct DecodeCase
    {
        const char* name;
        std::string input;
        std::string bytes;
    };

    class Base64DecodeTest : public ::testing::TestWithParam<DecodeCase>
    {
    };

    TEST_P(Base64DecodeTest, GivesTheBytes)
    {
        EXPECT_EQ(Base64Decode(GetParam().input), GetParam().bytes);
    }

    const std::string kFFD8FFD9("\xFF\xD8\xFF\xD9", 4);

    INSTANTIATE_TEST_SUITE_P(Table,
                             Base64DecodeTest,
                             ::testing::Values(DecodeCase {"Empty", "", ""},
                                               DecodeCase {"OnlyBlanksAndPairs", " \t\r\n \r\n\t", ""},
                                               DecodeCase {"JpegMarkers", "/9j/2Q==", kFFD8FFD9},
                                               DecodeCase {"PairsTabsSpacesAnywhere",
                                                           "/\r\n9 j\t/\r\n2 Q=\t=", kFFD8FFD9},
                                               DecodeCase {"ThreeBytes", "QUJD", "ABC"},
                                               DecodeCase {"OnePad", "QUI=", "AB"},
                                               DecodeCase {"TwoPads", "QQ==", "A"},
                                               DecodeCase {"PadInThirdPlace", "QQ=B", std::string("A\0", 2)},
                                               DecodeCase {"CaseMatters", "YWFh", "aaa"},
                                               DecodeCase {"UpperCaseDiffers", "AAAA", std::string(3, '\0')},
                                               DecodeCase {"PlusAndSlash", "+/+/", "\xFB\xFF\xBF"},
                                               DecodeCase {"GroupOfOnePadThenMore", "QQ==QUJD", "AABC"}),
                             [](const auto& info) { return std::string(info.param.name); });

    struct FailCase
    {
        const char* name;
        std::string input;
        int number;
        const char* description;
    };

    class Base64FailTest : public ::testing::TestWithParam<FailCase>
    {
    };

    TEST_P(Base64FailTest, RaisesItsError)
    {
        try {
            Base64Decode(GetParam().input);
            FAIL() << "no error";
        } catch (const Base64Error& error) {
            EXPECT_EQ(error.number(), GetParam().number);
            EXPECT_STREQ(error.what(), GetParam().description);
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        Base64FailTest,
        ::testing::Values(
            FailCase {"SevenCharacters", "/9j/2Q=", 1, "Bad Base64 string."},
            FailCase {"LoneLineFeedMakesNine", "/9j/2Q\n==", 1, "Bad Base64 string."},
            FailCase {"LoneLineFeedIsBad", "/9j/\n2Q=", 2, "Bad character In Base64 string."},
            FailCase {"LoneCarriageReturnIsBad", "/9j/\r2Q=", 2, "Bad character In Base64 string."},
            FailCase {"TabBetweenCrAndLfIsNoPair", "/9\r\t\nQQ==", 2, "Bad character In Base64 string."},
            FailCase {"UrlAlphabet", "ab-_", 2, "Bad character In Base64 string."},
            FailCase {"Colon", "ab:c", 2, "Bad character In Base64 string."},
            FailCase {"NonAscii", "ab\xC3\xA9", 2, "Bad character In Base64 string."},
            FailCase {"FourPads", "====", 5, "Invalid procedure call or argument"},
            FailCase {"FourPadsBeforeBadCharacter", "====ab-_", 5, "Invalid procedure call or argument"},
            FailCase {"BadCharacterAfterPads", "===-", 2, "Bad character In Base64 string."},
            FailCase {"LengthBeforeCharacters", "-", 1, "Bad Base64 string."}),
        [](const auto& info) { return std::string(info.param.name); });

    // --- Decoding within the text's own buffer: exactly Base64Decode's bytes and errors. ---

    struct Outcome
    {
        std::optional<std::string> bytes;
        int number = 0;
        std::string description;

        bool operator==(const Outcome&) const = default;
    };

    std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
    {
        if (outcome.bytes)
            return out << "bytes " << ::testing::PrintToString(*outcome.bytes);
        return out << "error " << outcome.number << " " << outcome.description;
    }

    Outcome Copying(const std::string& text)
    {
        try {
            return {Base64Decode(text), 0, {}};
        } catch (const Base64Error& error) {
            return {std::nullopt, error.number(), error.what()};
        }
    }

    Outcome InPlace(std::string text)
    {
        try {
            Base64DecodeInPlace(text);
            return {text, 0, {}};
        } catch (const Base64Error& error) {
            return {std::nullopt, error.number(), error.what()};
        }
    }

    TEST_P(Base64DecodeTest, InPlaceGivesTheSameBytes)
    {
        EXPECT_EQ(InPlace(GetParam().input), Copying(GetParam().input));
    }

    TEST_P(Base64FailTest, InPlaceRaisesTheSameError)
    {
        EXPECT_EQ(InPlace(GetParam().input), Copying(GetParam().input));
    }

    struct SameCase
    {
        const char* name;
        std::string input;
    };

    class Base64InPlaceTest : public ::testing::TestWithParam<SameCase>
    {
    };

    TEST_P(Base64InPlaceTest, GivesWhatBase64DecodeGives)
    {
        EXPECT_EQ(InPlace(GetParam().input), Copying(GetParam().input));
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             Base64InPlaceTest,
                             ::testing::Values(SameCase {"WorkedExample", "/9j/2Q=="},
                                               SameCase {"CrLfPairsEverywhere", "\r\nQ\r\nU\r\nJ\r\nD\r\n"},
                                               SameCase {"BlanksBeforeEverything", "\t \t   \r\n  QUJDQUJD"},
                                               SameCase {"CrCrLfLeavesOneCr", "QUJD\r\r\nQUJD"},
                                               SameCase {"CrAtTheEnd", "QUJ\r"},
                                               SameCase {"LfAtTheStart", "\nQUJ"},
                                               SameCase {"CrTabLf", "QU\r\t\nJD"},
                                               SameCase {"LengthWrongOnlyAfterCleaning", "QUJD QUJ"},
                                               SameCase {"BadCharacterLate", "QUJDQUJDQUJDQU*D"},
                                               SameCase {"FourPadsLate", "QUJDQUJD===="},
                                               SameCase {"PadsInsideTheData", "QQ==QQ==QUI=QUJD"},
                                               SameCase {"OnlyPads", "========"},
                                               SameCase {"NonAsciiAfterBlanks", "   \xFF\xFF\xFF\xFF"}),
                             [](const auto& info) { return std::string(info.param.name); });

    // Texts of every kind drawn from the characters that matter, long enough for many groups.
    TEST(Base64DecodeInPlace, AgreesWithBase64DecodeOnGeneratedTexts)
    {
        const std::string pieces[]
            = {"Q", "U", "J", "D", "/", "+", "=", "==", " ", "\t", "\r\n", "\r", "\n", "-", "\xC3"};
        std::mt19937 generator(7);
        int decoded = 0;
        for (int round = 0; round < 20000; ++round) {
            std::string text;
            const int length = static_cast<int>(generator() % 64);
            // Most texts are mostly alphabet, so that a good share of them decodes.
            const std::size_t choices = round % 2 == 0 ? 6 : std::size(pieces);
            for (int i = 0; i < length; ++i)
                text += pieces[generator() % choices];
            const Outcome expected = Copying(text);
            decoded += expected.bytes ? 1 : 0;
            ASSERT_EQ(InPlace(text), expected) << ::testing::PrintToString(text);
        }
        EXPECT_GT(decoded, 1000) << "too few of the texts decode to test the bytes";
    }

    TEST(Base64Decode, RoundTripsEveryByteValue)
    {
        std::string bytes;
        for (int i = 0; i < 256; ++i)
            bytes += static_cast<char>(i);
        // Encoded by hand with the standard alphabet, in 76-character lines ended by CR LF.
        const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string encoded;
        for (std::size_t i = 0; i < bytes.size(); i += 3) {
            const auto at
                = [&](std::size_t k) { return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u; };
            const unsigned group = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
            encoded += alphabet[(group >> 18) & 63];
            encoded += alphabet[(group >> 12) & 63];
            encoded += i + 1 < bytes.size() ? alphabet[(group >> 6) & 63] : '=';
            encoded += i + 2 < bytes.size() ? alphabet[group & 63] : '=';
            if (encoded.size() % 78 == 76)
                encoded += "\r\n";
        }
        EXPECT_EQ(Base64Decode(encoded), bytes);
    }

    // --- Unusual texts, with every kernel: the scalar kernel's bytes and errors. ---

    // 192 random bytes as 256 characters: four blocks of 64, many blocks of every kernel.
    const std::string& PlainBytes()
    {
        static const std::string bytes = [] {
            std::mt19937 generator(5);
            std::string bytes(192, '\0');
            for (char& c : bytes)
                c = static_cast<char>(generator());
            return bytes;
        }();
        return bytes;
    }

    const std::string& PlainText()
    {
        static const std::string text = test::ToBase64(PlainBytes());
        return text;
    }

    Outcome Bytes(std::string bytes)
    {
        return {std::move(bytes), 0, {}};
    }

    Outcome Error(int number)
    {
        switch (number) {
        case 1:
            return {std::nullopt, 1, "Bad Base64 string."};
        case 2:
            return {std::nullopt, 2, "Bad character In Base64 string."};
        default:
            return {std::nullopt, 5, "Invalid procedure call or argument"};
        }
    }

    std::string Replaced(std::size_t at, std::string_view with)
    {
        std::string text = PlainText();
        text.replace(at, with.size(), with);
        return text;
    }

    std::string Inserted(std::size_t at, std::string_view what)
    {
        std::string text = PlainText();
        text.insert(at, what);
        return text;
    }

    // One of the texts of a kind, and what it gives when it can be told without decoding; the
    // scalar kernel's outcome is what it gives either way.
    struct Variant
    {
        std::string text;
        std::optional<Outcome> expected;
    };

    struct UnusualCase
    {
        const char* name;
        std::function<std::vector<Variant>()> variants;
    };

    const char kBadCharacters[]
        = {'-', '_', '%', '.', ':', '\0', '\x7F', '\x80', '\xC3', '\xFF', '\v', '@', '`', '[', '{'};

    const UnusualCase kUnusualCases[] = {
        {"PadAtEveryPlace",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); ++at)
                 variants.push_back({Replaced(at, "="), std::nullopt});
             return variants;
         }},
        {"TwoPadsAtEveryPlace",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at + 1 < PlainText().size(); ++at)
                 variants.push_back({Replaced(at, "=="), std::nullopt});
             return variants;
         }},
        {"FourPadsInEveryGroup",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); at += 4)
                 variants.push_back({Replaced(at, "===="), Error(5)});
             return variants;
         }},
        {"CrLfAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, "\r\n"), Bytes(PlainBytes())});
             return variants;
         }},
        {"TabAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, "\t"), Bytes(PlainBytes())});
             return variants;
         }},
        {"SpacesAndPairsAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, "  \r\n\t\r\n "), Bytes(PlainBytes())});
             return variants;
         }},
        {"LinesOfEveryWidth",
         [] {
             std::vector<Variant> variants;
             for (std::size_t width = 1; width <= 80; ++width) {
                 std::string text;
                 for (std::size_t at = 0; at < PlainText().size(); at += width)
                     text += PlainText().substr(at, width) + "\r\n";
                 variants.push_back({text, Bytes(PlainBytes())});
             }
             return variants;
         }},
        {"BadCharacterAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); ++at)
                 variants.push_back(
                     {Replaced(at, std::string(1, kBadCharacters[at % std::size(kBadCharacters)])),
                      Error(2)});
             return variants;
         }},
        {"LoneBreakAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); ++at)
                 variants.push_back({Replaced(at, at % 2 == 0 ? "\r" : "\n"), Error(2)});
             return variants;
         }},
        {"BadLengthBeforeABadCharacterAnywhere",
         [] {
             // The length is judged first, whatever stands before the end.
             std::vector<Variant> variants;
             for (std::size_t at = 0; at + 1 < PlainText().size(); ++at) {
                 std::string text = Replaced(at, "%");
                 text.pop_back();
                 variants.push_back({text, Error(1)});
             }
             return variants;
         }},
        {"BadCharacterBeforeOrAfterFourPads",
         [] {
             // The first group that fails tells: a bad character within the pads' group too.
             std::vector<Variant> variants;
             const std::size_t pads = 128;
             for (std::size_t at = 0; at < PlainText().size(); ++at) {
                 std::string text = Replaced(pads, "====");
                 text[at] = '%';
                 variants.push_back({text, Error(at < pads + 4 ? 2 : 5)});
             }
             return variants;
         }},
    };

    class Base64UnusualTest : public ::testing::TestWithParam<std::tuple<std::string, UnusualCase>>
    {
    };

    TEST_P(Base64UnusualTest, GivesTheScalarKernelsOutcome)
    {
        const auto& [kernel, unusual] = GetParam();
        for (const Variant& variant : unusual.variants()) {
            Outcome scalar;
            {
                const test::UsingBase64Kernel using_("scalar");
                scalar = Copying(variant.text);
                if (variant.expected) {
                    ASSERT_EQ(scalar, *variant.expected) << ::testing::PrintToString(variant.text);
                }
            }
            const test::UsingBase64Kernel using_(kernel);
            ASSERT_EQ(Copying(variant.text), scalar) << ::testing::PrintToString(variant.text);
            ASSERT_EQ(InPlace(variant.text), scalar) << ::testing::PrintToString(variant.text);
        }
    }

    INSTANTIATE_TEST_SUITE_P(Kernels,
                             Base64UnusualTest,
                             ::testing::Combine(::testing::ValuesIn(test::Base64KernelNames()),
                                                ::testing::ValuesIn(kUnusualCases)),
                             [](const auto& info) {
                                 return std::get<0>(info.param) + "_" + std::get<1>(info.param).name;
                             });

} // namespace
} // namespace orvandel
