#include "extract/thorough/Base64Stream.h"

#include "TestImages.h"

#include <gtest/gtest.h>
#include <random>

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
        ::testing::Values(FailCase {"BadCharacter", "QU%D", "the character \"%\" is not Base64"},
                          FailCase {"BadCharacterLater", "QUJDQUJD\nQUJ.",
                                    "the character \".\" is not Base64"},
                          FailCase {"NonAscii", "QUJ\xC3\xA9", "the character the byte 0xC3 is not Base64"},
                          FailCase {"ControlCharacter", std::string("QU\0D", 4),
                                    "the character the byte 0x00 is not Base64"},
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

} // namespace
} // namespace orvandel
