#include "extract/thorough/Charset.h"

#include "extract/thorough/CardText.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct CharsetCase
    {
        const char* name;
        std::string charset;
        std::string bytes;
        std::string utf8;
        bool needsSystem = false; // beyond the built-in sets
    };

    class CharsetTest : public ::testing::TestWithParam<CharsetCase>
    {
    };

    TEST_P(CharsetTest, GivesTheNameInUtf8)
    {
        if (GetParam().needsSystem && !HasSystemCharsets())
            GTEST_SKIP() << "built without the system's character sets";
        EXPECT_EQ(CharsetToUtf8(GetParam().bytes, GetParam().charset), GetParam().utf8);
    }

    const std::string kReplacement = "\xEF\xBF\xBD";

    INSTANTIATE_TEST_SUITE_P(
        BuiltIn,
        CharsetTest,
        ::testing::Values(CharsetCase {"Windows1252", "WINDOWS-1252",
                                       "Caf\x80 \x93"
                                       "Bar\x94",
                                       "Caf€ “Bar”"},
                          CharsetCase {"Windows1252AsCp1252", "cp1252", "Fran\xE7ois \x96 \x9Cuvre",
                                       "François – œuvre"},
                          CharsetCase {"Windows1252UndefinedBytes", "Windows-1252",
                                       "a\x81"
                                       "b\x9D",
                                       "a" + kReplacement + "b" + kReplacement},
                          CharsetCase {"Latin1", "ISO-8859-1",
                                       "Ren\xE9"
                                       "e M\xFCller",
                                       "Renée Müller"},
                          CharsetCase {"Latin1KeepsC1AsCharacters", "latin1", "a\x85", "a\xC2\x85"},
                          CharsetCase {"Utf8", "UTF-8", "Zo\xC3\xAB", "Zoë"},
                          CharsetCase {"Utf8BrokenBytes", "utf-8", "Zo\xEB!", "Zo" + kReplacement + "!"},
                          CharsetCase {"Ascii", "US-ASCII", "Ren\xE9", "Ren" + kReplacement},
                          CharsetCase {"UnknownIsLatin1", "X-UNHEARD-OF", "Ren\xE9", "René"},
                          CharsetCase {"SuffixedNameIsUnknown", "SHIFT_JIS//IGNORE", "\xE9", "é"}),
        [](const auto& info) { return std::string(info.param.name); });

    INSTANTIATE_TEST_SUITE_P(
        System,
        CharsetTest,
        ::testing::Values(
            CharsetCase {"Windows1250", "WINDOWS-1250", "Dvo\xF8\xE1k", "Dvořák", true},
            CharsetCase {"Windows1251", "windows-1251", "\xC8\xE2\xE0\xED", "Иван", true},
            CharsetCase {"Windows1253", "WINDOWS-1253", "\xCD\xDF\xEA\xEF\xF2", "Νίκος", true},
            CharsetCase {"Windows1254", "WINDOWS-1254",
                         "Ay\xFE"
                         "e",
                         "Ayşe", true},
            CharsetCase {"Windows1255", "WINDOWS-1255", "\xF9\xEC\xE5\xED", "שלום", true},
            CharsetCase {"Windows1256", "WINDOWS-1256", "\xDA\xE1\xED", "علي", true},
            CharsetCase {"Iso8859_2", "ISO-8859-2",
                         "\xA3\xF3"
                         "d\xBC",
                         "Łódź", true},
            CharsetCase {"Iso8859_7", "ISO-8859-7", "\xCD\xDF\xEA\xEF\xF2", "Νίκος", true},
            CharsetCase {"Iso8859_15", "ISO-8859-15", "\xA4 Euro", "€ Euro", true},
            CharsetCase {"Koi8R", "KOI8-R", "\xE9\xD7\xC1\xCE", "Иван", true},
            CharsetCase {"ShiftJis", "Shift_JIS", "\x8E\x52\x93\x63\x91\xBE\x98\x59", "山田太郎", true},
            CharsetCase {"ShiftJisBrokenByte", "SHIFT_JIS", "\x8E\x52\xFF\x91\xBE",
                         "山" + kReplacement + "太", true},
            CharsetCase {"Gb2312", "GB2312", "\xD5\xC5\xC8\xFD", "张三", true},
            CharsetCase {"Big5", "BIG5", "\xB3\xAF\xA4\x6A\xA4\xE5", "陳大文", true},
            CharsetCase {"EucKr", "EUC-KR", "\xB1\xE8\xB9\xCE\xC1\xD8", "김민준", true},
            CharsetCase {"Utf16WithBigEndianMark", "UTF-16", std::string("\xFE\xFF\0Z\0o\0\xEB", 8), "Zoë",
                         true},
            CharsetCase {"Utf16WithLittleEndianMark", "UTF-16", std::string("\xFF\xFEZ\0o\0\xEB\0", 8), "Zoë",
                         true},
            CharsetCase {"Utf16WithoutMarkBigEndian", "utf-16", std::string("\0A\0n\0n", 6), "Ann", true},
            CharsetCase {"Utf16WithoutMarkButLittleEndianZeros", "UTF-16", std::string("A\0n\0n\0", 6), "Ann",
                         true},
            CharsetCase {"Utf16LeDropsItsMark", "UTF-16LE",
                         std::string("\xFF\xFE"
                                     "A\0",
                                     4),
                         "A", true},
            CharsetCase {"Utf16CutOff", "UTF-16BE", std::string("\0A\0", 3), "A" + kReplacement, true},
            CharsetCase {"Utf16LoneSurrogate", "UTF-16BE", std::string("\xD8\x00\0A", 4), kReplacement + "A",
                         true},
            // The system gives values beyond Unicode (and surrogates) as bytes that are not UTF-8.
            CharsetCase {"Ucs4BeyondUnicode", "UCS-4",
                         std::string("\x7F\xFF\xFF\xFF\0\x11\0\0\0\0\xD8\0\0\0\0A", 16),
                         kReplacement + kReplacement + kReplacement + "A", true}),
        [](const auto& info) { return std::string(info.param.name); });

    // The built-in sets read every byte as the system reads it.
    TEST(Charset, BuiltInSetsAgreeWithTheSystem)
    {
        if (!HasSystemCharsets())
            GTEST_SKIP() << "built without the system's character sets";
        for (const char* charset : {"WINDOWS-1252", "ISO-8859-1", "US-ASCII", "UTF-8"}) {
            for (int byte = 0; byte < 256; ++byte) {
                const std::string bytes(1, static_cast<char>(byte));
                EXPECT_EQ(BuiltInCharsetToUtf8(bytes, charset), SystemCharsetToUtf8(bytes, charset))
                    << charset << " " << byte;
            }
        }
    }

    struct ValueCase
    {
        const char* name;
        std::string raw;
        std::string encoding;
        std::string charset;
        std::string value;
    };

    class CardTextValueTest : public ::testing::TestWithParam<ValueCase>
    {
    };

    TEST_P(CardTextValueTest, DecodesTheValue)
    {
        EXPECT_EQ(DecodeCardTextValue(GetParam().raw, GetParam().encoding, GetParam().charset),
                  GetParam().value);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        CardTextValueTest,
        ::testing::Values(ValueCase {"NoCharsetLeavesTheBytes", "Zo\xC3\xAB", "", "", "Zoë"},
                          ValueCase {"QuotedPrintableBeforeTheCharset", "Caf=80 =93Bar=94",
                                     "QUOTED-PRINTABLE", "WINDOWS-1252", "Caf€ “Bar”"},
                          ValueCase {"EscapesAfterTheCharset", "Smith\\, Fran\xE7ois", "", "ISO-8859-1",
                                     "Smith, François"},
                          ValueCase {"BlankCharsetNamesNone", " Zo\xC3\xAB ", "", "  ", "Zoë"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(UnescapeSeparators, UndoesOnlyTheSeparatorEscapes)
    {
        EXPECT_EQ(UnescapeSeparators("image/JPEG\\;base64\\,"), "image/JPEG;base64,");
        EXPECT_EQ(UnescapeSeparators("a\\:b\\\\c\\nd\\"), "a:b\\c\\nd\\");
    }

} // namespace
} // namespace orvandel
