#include "extract/thorough/TextSource.h"

#include "TestImages.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using test::ToUtf16;

    std::string ReadAll(std::string_view bytes, std::size_t piece, std::size_t readSize)
    {
        MemoryByteSource source(bytes, piece);
        TextSource text(source);
        std::string out;
        std::vector<char> buffer(readSize);
        while (const std::size_t got = text.read(buffer.data(), buffer.size()))
            out.append(buffer.data(), got);
        EXPECT_EQ(text.bytesTaken(), bytes.size());
        return out;
    }

    struct EncodingCase
    {
        const char* name;
        std::string bytes;
        std::string utf8;
        TextEncoding encoding;
        bool mark;
    };

    class TextSourceTest : public ::testing::TestWithParam<EncodingCase>
    {
    };

    TEST_P(TextSourceTest, GivesUtf8)
    {
        for (const std::size_t piece : {std::size_t {1}, std::size_t {3}, SIZE_MAX}) {
            for (const std::size_t readSize : {std::size_t {4}, std::size_t {5}, std::size_t {4096}})
                EXPECT_EQ(ReadAll(GetParam().bytes, piece, readSize), GetParam().utf8)
                    << piece << " " << readSize;
        }
        MemoryByteSource source(GetParam().bytes);
        TextSource text(source);
        char buffer[64];
        text.read(buffer, sizeof buffer);
        EXPECT_EQ(text.encoding(), GetParam().encoding);
        EXPECT_EQ(text.hadByteOrderMark(), GetParam().mark);
    }

    const std::string kCard = "BEGIN:VCARD\r\nFN:Zoë 张三 😀\r\nEND:VCARD\r\n";

    INSTANTIATE_TEST_SUITE_P(
        Table,
        TextSourceTest,
        ::testing::Values(
            EncodingCase {"Utf8", kCard, kCard, TextEncoding::Utf8, false},
            EncodingCase {"Utf8WithMark", "\xEF\xBB\xBF" + kCard, kCard, TextEncoding::Utf8, true},
            EncodingCase {"Utf16LittleEndianWithMark", ToUtf16(kCard, false, true), kCard,
                          TextEncoding::Utf16LittleEndian, true},
            EncodingCase {"Utf16BigEndianWithMark", ToUtf16(kCard, true, true), kCard,
                          TextEncoding::Utf16BigEndian, true},
            EncodingCase {"Utf16LittleEndianWithoutMark", ToUtf16(kCard, false, false), kCard,
                          TextEncoding::Utf16LittleEndian, false},
            EncodingCase {"Utf16BigEndianWithoutMark", ToUtf16(kCard, true, false), kCard,
                          TextEncoding::Utf16BigEndian, false},
            EncodingCase {"LoneHighSurrogate",
                          std::string("A\0\x3D\xD8"
                                      "B\0",
                                      6),
                          "A\xEF\xBF\xBD"
                          "B",
                          TextEncoding::Utf16LittleEndian, false},
            EncodingCase {"LoneLowSurrogate",
                          std::string("\xFF\xFE"
                                      "A\0\x00\xDC",
                                      6),
                          "A\xEF\xBF\xBD", TextEncoding::Utf16LittleEndian, true},
            EncodingCase {"HighSurrogateAtTheEnd",
                          std::string("\xFF\xFE"
                                      "A\0\x3D\xD8",
                                      6),
                          "A\xEF\xBF\xBD", TextEncoding::Utf16LittleEndian, true},
            EncodingCase {"OddLastByte", std::string("\xFE\xFF\0A\0", 5), "A\xEF\xBF\xBD",
                          TextEncoding::Utf16BigEndian, true},
            EncodingCase {"Latin1PassedOn", "FN:Ren\xE9\r\n", "FN:Ren\xE9\r\n", TextEncoding::Utf8, false},
            EncodingCase {"Empty", "", "", TextEncoding::Utf8, false}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(TextSource, ALongUtf16FileComesThroughWhole)
    {
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "FN:Person " + std::to_string(i) + " Ōtsuka 😀\r\n";
        EXPECT_EQ(ReadAll(ToUtf16(text, false, false), SIZE_MAX, 100000), text);
        EXPECT_EQ(ReadAll(ToUtf16(text, true, true), 777, 9), text);
    }

} // namespace
} // namespace orvandel
