#include "extract/thorough/Base64Stream.h"

#include "TestImages.h"
#include "extract/Base64.h"
#include "support/Base64Kernels.h"
#include "util/AsciiText.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <tuple>

namespace orvandel {
namespace {

    class Collect : public PhotoOutput
    {
    public:
        void write(std::string_view piece) noexcept override { bytes.append(piece); }
        std::string bytes;
    };

    struct Decoded
    {
        bool ok;
        std::string bytes;
        bool repaired;
        std::string error;
    };

    // Decodes `text` line by line ("\n" ends a line), in pieces of `piece` characters.
    Decoded Decode(std::string_view text, std::size_t piece = SIZE_MAX)
    {
        Collect out;
        Base64Stream stream;
        stream.start(&out);
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t size = std::min(piece, text.size() - at);
            const char* begin = text.data() + at;
            const char* stop = stream.decodeLine(begin, begin + size);
            at += static_cast<std::size_t>(stop - begin);
            if (stop != begin + size)
                ++at; // the line break
        }
        const bool ok = stream.finish();
        return {ok, out.bytes, stream.repaired(), stream.error()};
    }

    struct RepairCase
    {
        const char* name;
        std::string text;
        std::string bytes;
        bool repaired;
    };

    class Base64RepairTest : public ::testing::TestWithParam<RepairCase>
    {
    };

    TEST_P(Base64RepairTest, GivesTheBytes)
    {
        for (const std::size_t piece : {std::size_t {1}, std::size_t {3}, SIZE_MAX}) {
            const Decoded result = Decode(GetParam().text, piece);
            EXPECT_TRUE(result.ok) << result.error;
            EXPECT_EQ(result.bytes, GetParam().bytes) << "pieces of " << piece;
            EXPECT_EQ(result.repaired, GetParam().repaired);
        }
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             Base64RepairTest,
                             ::testing::Values(RepairCase {"Whole", "QUJD", "ABC", false},
                                               RepairCase {"Padded", "QUI=", "AB", false},
                                               RepairCase {"TwoPads", "QQ==", "A", false},
                                               RepairCase {"LostOnePad", "QUI", "AB", true},
                                               RepairCase {"LostTwoPads", "QQ", "A", true},
                                               RepairCase {"StrayBlanksAndTabs", "Q U\tJ  D", "ABC", false},
                                               RepairCase {"Lines", "QU\nJD\nQUI=", "ABCAB", false},
                                               RepairCase {"PiecesJoined", "QQ==QUJD", "AABC", false},
                                               RepairCase {"StrayPad", "QUJD=", "ABC", true},
                                               RepairCase {"UrlAlphabet", "-_-_", "\xFB\xFF\xBF", true},
                                               RepairCase {"Empty", "", "", false},
                                               RepairCase {"OnlyBlanks", " \t ", "", false}),
                             [](const auto& info) { return std::string(info.param.name); });

    struct FailCase
    {
        const char* name;
        std::string text;
        std::string error;
    };

    class Base64FailTest : public ::testing::TestWithParam<FailCase>
    {
    };

    TEST_P(Base64FailTest, SaysWhatCannotBeDecoded)
    {
        const Decoded result = Decode(GetParam().text);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, GetParam().error);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        Base64FailTest,
        ::testing::Values(
            FailCase {"BadCharacter", "QU%D", "the character \"%\" is not Base64"},
            FailCase {"BadCharacterLater", "QUJDQUJD\nQUJ.", "the character \".\" is not Base64"},
            FailCase {"NonAscii", "QUJ\xC3\xA9", "the byte 0xC3 is not Base64"},
            FailCase {"ControlCharacter", std::string("QU\0D", 4), "the byte 0x00 is not Base64"},
            FailCase {"OneCharacterLeft", "QUJDQ",
                      "its Base64 data ends with a single character, which makes no byte"},
            FailCase {"PadAfterOneCharacter",
                      "Q===", "a group of its Base64 data breaks off after one character"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(Base64Stream, DecodesALargePhotoCutAnywhere)
    {
        std::mt19937 random(7);
        std::string bytes(200 * 1024 + 1, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        const std::string text = test::Fold(test::ToBase64(bytes), 76, " ", "\n");
        for (const std::size_t piece : {std::size_t {5}, std::size_t {4096}, SIZE_MAX}) {
            const Decoded result = Decode(text, piece);
            ASSERT_TRUE(result.ok) << result.error;
            EXPECT_EQ(result.bytes, bytes) << "pieces of " << piece;
        }
    }

    TEST(Base64Stream, StopsAtALineBreak)
    {
        Base64Stream stream;
        stream.start(nullptr);
        const std::string text = "QUJD\r\nQUJD";
        EXPECT_EQ(stream.decodeLine(text.data(), text.data() + text.size()), text.data() + 4);
        EXPECT_TRUE(stream.finish());
        EXPECT_EQ(stream.bytesDecoded(), 3u);
    }

    TEST(Base64Stream, StartsAfreshForTheNextPhoto)
    {
        Collect out;
        Base64Stream stream;
        stream.start(&out);
        const std::string bad = "Q%";
        stream.decodeLine(bad.data(), bad.data() + bad.size());
        EXPECT_FALSE(stream.finish());
        stream.start(&out);
        const std::string good = "QUJD";
        stream.decodeLine(good.data(), good.data() + good.size());
        EXPECT_TRUE(stream.finish());
        EXPECT_FALSE(stream.failed());
        EXPECT_EQ(out.bytes, "ABC");
    }

    // --- Unusual texts, with every kernel: the scalar kernel's outcome, cut anywhere. ---

    struct Traced
    {
        bool ok;
        std::string bytes;
        bool repaired;
        std::string error;
        std::uint64_t bytesDecoded;
        std::vector<std::size_t> stops; // where each decodeLine stopped

        bool operator==(const Traced&) const = default;
    };

    std::ostream& operator<<(std::ostream& out, const Traced& traced)
    {
        return out << (traced.ok ? "ok" : "failed: " + traced.error) << (traced.repaired ? ", repaired" : "")
                   << ", " << traced.bytesDecoded << " bytes " << ::testing::PrintToString(traced.bytes);
    }

    // Decodes `text` as the card reader does, cut into pieces of `piece` characters; a CR or LF
    // where decodeLine stops is passed over.
    Traced DecodeTraced(std::string_view text, std::size_t piece)
    {
        Collect out;
        Base64Stream stream;
        stream.start(&out);
        std::vector<std::size_t> stops;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t size = std::min(piece, text.size() - at);
            const char* begin = text.data() + at;
            const char* stop = stream.decodeLine(begin, begin + size);
            at = static_cast<std::size_t>(stop - text.data());
            stops.push_back(at);
            if (stop != begin + size)
                ++at; // the line break
        }
        const bool ok = stream.finish();
        return {ok, out.bytes, stream.repaired(), stream.error(), stream.bytesDecoded(), stops};
    }

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

    // 256 characters: four blocks of 64, many blocks of every kernel.
    const std::string& PlainText()
    {
        static const std::string text = test::ToBase64(PlainBytes());
        return text;
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

    // What a text gives when it can be told without decoding: its bytes, or the error.
    struct Expected
    {
        bool ok;
        std::string bytesOrError;
        bool repaired;
    };

    struct Variant
    {
        std::string text;
        std::optional<Expected> expected;
    };

    struct UnusualCase
    {
        const char* name;
        std::function<std::vector<Variant>()> variants;
    };

    Expected Plain()
    {
        return {true, PlainBytes(), false};
    }

    const char kBadCharacters[]
        = {'%', '.', ':', '\0', '\x7F', '\x80', '\xC3', '\xFF', '\v', '@', '`', '[', '{', '*'};

    const UnusualCase kUnusualCases[] = {
        {"PadAtEveryPlace",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); ++at)
                 variants.push_back({Replaced(at, "="), std::nullopt});
             return variants;
         }},
        {"PadInsertedAtEveryPlace",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, "="), std::nullopt});
             return variants;
         }},
        {"TwoPadsInsertedAtEveryPlace",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, "=="), std::nullopt});
             return variants;
         }},
        {"CrLfAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, "\r\n"), Plain()});
             return variants;
         }},
        {"BlanksAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at <= PlainText().size(); ++at)
                 variants.push_back({Inserted(at, at % 2 == 0 ? "\t" : " \t "), Plain()});
             return variants;
         }},
        {"FoldedLinesOfEveryWidth",
         [] {
             std::vector<Variant> variants;
             for (std::size_t width = 1; width <= 80; ++width)
                 variants.push_back({test::Fold(PlainText(), width, " ", "\r\n"), Plain()});
             return variants;
         }},
        {"BadCharacterAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); ++at) {
                 const char bad = kBadCharacters[at % std::size(kBadCharacters)];
                 variants.push_back({Replaced(at, std::string(1, bad)),
                                     Expected {false, DescribeCharacter(bad) + " is not Base64", false}});
             }
             return variants;
         }},
        {"StrayPadAfterAPaddedGroup",
         [] {
             // "QQ==" (one byte, "A") at a group's start, a stray "=" some groups later: the
             // later one is repaired away, not taken for the second of a pair.
             std::vector<Variant> variants;
             for (std::size_t at = 0; at + 64 <= PlainText().size(); at += 4) {
                 std::string text = Inserted(at, "QQ==");
                 text.insert(at + 4 + 48, "=");
                 std::string bytes = PlainBytes();
                 bytes.insert(at / 4 * 3, "A");
                 variants.push_back({text, Expected {true, bytes, true}});
             }
             return variants;
         }},
        {"UrlCharacterAtEveryOffset",
         [] {
             std::vector<Variant> variants;
             for (std::size_t at = 0; at < PlainText().size(); ++at) {
                 // "-" and "_" read as "+" and "/".
                 const bool minus = at % 2 == 0;
                 const std::string standard = Replaced(at, minus ? "+" : "/");
                 variants.push_back(
                     {Replaced(at, minus ? "-" : "_"), Expected {true, Base64Decode(standard), true}});
             }
             return variants;
         }},
    };

    class Base64StreamUnusualTest : public ::testing::TestWithParam<std::tuple<std::string, UnusualCase>>
    {
    };

    TEST_P(Base64StreamUnusualTest, GivesTheScalarKernelsOutcomeCutAnywhere)
    {
        const auto& [kernel, unusual] = GetParam();
        for (const Variant& variant : unusual.variants()) {
            Traced scalar;
            {
                const test::UsingBase64Kernel using_("scalar");
                scalar = DecodeTraced(variant.text, SIZE_MAX);
                if (variant.expected) {
                    ASSERT_EQ(scalar.ok, variant.expected->ok) << ::testing::PrintToString(variant.text);
                    ASSERT_EQ(scalar.ok ? scalar.bytes : scalar.error, variant.expected->bytesOrError);
                    ASSERT_EQ(scalar.repaired, variant.expected->repaired);
                }
            }
            const test::UsingBase64Kernel using_(kernel);
            ASSERT_EQ(DecodeTraced(variant.text, SIZE_MAX), scalar) << ::testing::PrintToString(variant.text);
            for (const std::size_t piece : {1, 3, 17, 64}) {
                Traced cut = DecodeTraced(variant.text, piece);
                cut.stops.clear();
                Traced whole = scalar;
                whole.stops.clear();
                ASSERT_EQ(cut, whole)
                    << "pieces of " << piece << ": " << ::testing::PrintToString(variant.text);
            }
        }
    }

    INSTANTIATE_TEST_SUITE_P(Kernels,
                             Base64StreamUnusualTest,
                             ::testing::Combine(::testing::ValuesIn(test::Base64KernelNames()),
                                                ::testing::ValuesIn(kUnusualCases)),
                             [](const auto& info) {
                                 return std::get<0>(info.param) + "_" + std::get<1>(info.param).name;
                             });

} // namespace
} // namespace orvandel
