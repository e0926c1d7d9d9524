#include "cli/TerminalText.h"

#include "support/ReadTerminalText.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct TerminalCase
    {
        const char* name;
        std::string text;
        std::string shown;
    };

    class TerminalTextTest : public ::testing::TestWithParam<TerminalCase>
    {
    };

    TEST_P(TerminalTextTest, Escapes)
    {
        EXPECT_EQ(TerminalText(GetParam().text), GetParam().shown);
    }

#if defined(_WIN32)
    // The separator of every path there stays single.
    const TerminalCase kBackslash {"Backslash", "C:\\new\\a.vcf", "C:\\new\\a.vcf"};
#else
    const TerminalCase kBackslash {"Backslash", "a\\tb", "a\\\\tb"};
#endif

    INSTANTIATE_TEST_SUITE_P(
        Table,
        TerminalTextTest,
        ::testing::Values(TerminalCase {"Plain", "/cards/Ann Lee.vcf", "/cards/Ann Lee.vcf"},
                          TerminalCase {"Utf8Kept", "K\xC3\xB6ln \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0",
                                        "K\xC3\xB6ln \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0"},
                          TerminalCase {"TabAndLineBreaks", "a\tb\nc\rd", "a\\tb\\nc\\rd"},
                          kBackslash,
                          TerminalCase {"Escape", "\x1B[31mred", "\\x1b[31mred"},
                          TerminalCase {"OtherC0AndDelete", std::string("\0\x01\x07\x1F\x7F", 5),
                                        "\\x00\\x01\\x07\\x1f\\x7f"},
                          TerminalCase {"C1AsUtf8",
                                        "a\xC2\x85"
                                        "b\xC2\x9B"
                                        "c\xC2\x80",
                                        "a\\xc2\\x85b\\xc2\\x9bc\\xc2\\x80"},
                          TerminalCase {"LoneC1Byte",
                                        "a\x9B"
                                        "b",
                                        "a\\x9bb"},
                          TerminalCase {"NotUtf8", "bad\xFF\xFE.vcf", "bad\\xff\\xfe.vcf"},
                          TerminalCase {"CutOffSequence", "a\xE2\x82", "a\\xe2\\x82"},
                          TerminalCase {"EncodedSurrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(TerminalText, CanBeReadBackToTheExactBytes)
    {
        std::string every;
        for (int byte = 0; byte < 256; ++byte)
            every += static_cast<char>(byte);
#if defined(_WIN32)
        // A backslash stays single there, so a text reads back whole where it holds none.
        std::erase(every, '\\');
        const std::string escapes = "x41 \xC2\x85\xC3\xA9\t";
#else
        const std::string escapes = "\\x41 \\\\ \xC2\x85\xC3\xA9\t";
#endif
        for (const std::string& text : {every, escapes}) {
            const std::string shown = TerminalText(text);
            EXPECT_EQ(test::ReadTerminalText(shown), text);
            EXPECT_TRUE(test::IsCleanText(shown, "")) << shown;
        }
    }

} // namespace
} // namespace orvandel
