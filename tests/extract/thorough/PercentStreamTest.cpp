#include "extract/thorough/PercentStream.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    class Collect : public PhotoOutput
    {
    public:
        void write(std::string_view piece) noexcept override
        {
            bytes.append(piece);
            largest = std::max(largest, piece.size());
        }
        std::string bytes;
        std::size_t largest = 0;
    };

    struct PercentCase
    {
        const char* name;
        std::string text;
        bool ok;
        std::string bytesOrError; // the bytes, or part of the error
    };

    class PercentStreamTest : public ::testing::TestWithParam<PercentCase>
    {
    };

    TEST_P(PercentStreamTest, DecodesInPiecesOfAnySize)
    {
        const std::string& text = GetParam().text;
        for (const std::size_t piece : {std::size_t {1}, std::size_t {2}, std::size_t {3}, SIZE_MAX}) {
            Collect out;
            PercentStream stream;
            stream.start(&out);
            for (std::size_t at = 0; at < text.size(); at += std::min(piece, text.size() - at))
                stream.decode(text.data() + at, text.data() + at + std::min(piece, text.size() - at));
            const bool ok = stream.finish();
            ASSERT_EQ(ok, GetParam().ok) << piece;
            if (ok) {
                EXPECT_EQ(out.bytes, GetParam().bytesOrError) << piece;
                EXPECT_EQ(stream.bytesDecoded(), GetParam().bytesOrError.size());
            } else {
                EXPECT_NE(stream.error().find(GetParam().bytesOrError), std::string::npos) << stream.error();
            }
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        PercentStreamTest,
        ::testing::Values(PercentCase {"Empty", "", true, ""},
                          PercentCase {"PlainCharactersStandForThemselves", "GIF89a+;,/", true, "GIF89a+;,/"},
                          PercentCase {"Escapes", "%89PNG%0D%0a%1A%0A", true, "\x89PNG\r\n\x1A\n"},
                          PercentCase {"EveryDigitCase", "%ff%Ff%00%7e", true, std::string("\xFF\xFF\0~", 4)},
                          PercentCase {"EscapedPercent", "100%25", true, "100%"},
                          PercentCase {"NotHexadecimal", "ab%8Gcd", false, "\"%\" followed by \"G\""},
                          PercentCase {"NoDigitAtAll", "ab%%41", false, "\"%\" followed by \"%\""},
                          PercentCase {"ByteAfterPercent", "ab%\x01", false, "the byte 0x01"},
                          PercentCase {"EndsAfterPercent", "ab%", false, "ends inside"},
                          PercentCase {"EndsAfterOneDigit", "ab%4", false, "ends inside"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(PercentStream, HandsOutALargePhotoInBoundedPieces)
    {
        std::string bytes;
        std::string text;
        for (int i = 0; i < 600000; ++i) {
            const char byte = static_cast<char>(i * 7);
            bytes += byte;
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(byte));
            text += i % 3 == 0 ? std::string(escape) : std::string(1, 'a' + i % 26);
            if (i % 3 != 0)
                bytes.back() = static_cast<char>('a' + i % 26);
        }
        Collect out;
        PercentStream stream;
        stream.start(&out);
        stream.decode(text.data(), text.data() + text.size());
        ASSERT_TRUE(stream.finish()) << stream.error();
        EXPECT_EQ(out.bytes, bytes);
        EXPECT_LE(out.largest, 64u * 1024u);
    }

} // namespace
} // namespace orvandel
