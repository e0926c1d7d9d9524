#include "util/Json.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct QuoteCase
    {
        const char* name;
        std::string text;
        std::string json;
    };

    class JsonQuoteTest : public ::testing::TestWithParam<QuoteCase>
    {
    };

    TEST_P(JsonQuoteTest, Quotes)
    {
        EXPECT_EQ(JsonQuote(GetParam().text), GetParam().json);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        JsonQuoteTest,
        ::testing::Values(QuoteCase {"Plain", "/cards/a.vcf", "\"/cards/a.vcf\""},
                          QuoteCase {"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
                          QuoteCase {"ControlCharacters", "a\nb\tc\x01\x7F", "\"a\\nb\\tc\\u0001\\u007f\""},
                          QuoteCase {"Utf8Kept", "K\xC3\xB6ln \xE2\x82\xAC \xF0\x9F\x98\x80",
                                     "\"K\xC3\xB6ln \xE2\x82\xAC \xF0\x9F\x98\x80\""},
                          QuoteCase {"C1ControlsEscaped", "a\xC2\x80\xC2\x9F\xC2\xA0",
                                     "\"a\\u0080\\u009f\xC2\xA0\""},
                          QuoteCase {"InvalidByteAsLowSurrogate",
                                     "a\xFF"
                                     "b",
                                     "\"a\\udcff"
                                     "b\""},
                          QuoteCase {"TwoInvalidBytesStayApart", "\xFF\xFE", "\"\\udcff\\udcfe\""},
                          QuoteCase {"LoneC1Byte", "\x85", "\"\\udc85\""},
                          QuoteCase {"TruncatedSequence", "a\xE2\x82", "\"a\\udce2\\udc82\""},
                          QuoteCase {"Overlong", "\xC0\xAF", "\"\\udcc0\\udcaf\""},
                          QuoteCase {"EncodedSurrogate", "\xED\xA0\x80", "\"\\udced\\udca0\\udc80\""}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(JsonObject, KeepsKeysInOrder)
    {
        JsonObject object;
        object.add("input", "a.vcf").add("status", "error").add("line", 172).add("unique", false);
        EXPECT_EQ(object.str(), R"({"input":"a.vcf","status":"error","line":172,"unique":false})");
        EXPECT_EQ(JsonObject().str(), "{}");
    }

} // namespace
} // namespace orvandel
