#include "ExporterShapes.h"
#include "RecordingCardHandler.h"
#include "TestImages.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using namespace test;

    std::vector<std::string> InlineBytes(const RecordingCardHandler& handler)
    {
        std::vector<std::string> bytes;
        for (const auto& photo : handler.photos) {
            if (photo.start.form == PhotoForm::Inline)
                bytes.push_back(photo.bytes);
        }
        return bytes;
    }

    // --- Every exporter shape, cut into pieces of every size: the same photos come out. ---

    class ShapeInPiecesTest : public ::testing::TestWithParam<std::tuple<ExporterShape, std::size_t>>
    {
    };

    TEST_P(ShapeInPiecesTest, GivesItsPhotosWhereverTheInputIsCut)
    {
        const auto& [shape, pieceSize] = GetParam();
        const auto handler = ReadCards(shape.bytes, {pieceSize, shape.logos});
        std::vector<std::string> expected;
        for (const auto& photo : shape.photos)
            expected.push_back(photo.bytes);
        EXPECT_EQ(InlineBytes(handler), expected);
        std::vector<std::string> links;
        for (const auto& photo : handler.photos) {
            EXPECT_TRUE(photo.ended);
            EXPECT_TRUE(photo.end.ok || photo.start.form == PhotoForm::Link) << photo.end.error;
            if (photo.start.form == PhotoForm::Link)
                links.push_back(photo.start.address);
        }
        EXPECT_EQ(links, shape.links);
    }

    INSTANTIATE_TEST_SUITE_P(Shapes,
                             ShapeInPiecesTest,
                             ::testing::Combine(::testing::ValuesIn(ExporterShapes()),
                                                ::testing::Values(std::size_t {1},
                                                                  std::size_t {2},
                                                                  std::size_t {3},
                                                                  std::size_t {7},
                                                                  std::size_t {4096},
                                                                  SIZE_MAX)),
                             [](const auto& info) {
                                 const std::size_t piece = std::get<1>(info.param);
                                 return std::get<0>(info.param).name + "_"
                                     + (piece == SIZE_MAX ? std::string("Whole") : std::to_string(piece));
                             });

    // --- Line ends and folding. ---

    struct LineEndCase
    {
        const char* name;
        std::string lineEnd;
        std::string foldIndent;
    };

    class LineEndTest : public ::testing::TestWithParam<LineEndCase>
    {
    };

    TEST_P(LineEndTest, ReadsTheCardAlike)
    {
        const std::string image = JpegImage(std::string(400, 'l'));
        const std::string& end = GetParam().lineEnd;
        const std::string card = WithLineEnds("BEGIN:VCARD\nVERSION:3.0\nFN:Line End\n", end)
            + "PHOTO;ENCODING=b:" + Fold(ToBase64(image), 60, GetParam().foldIndent, end) + end
            + WithLineEnds("NOTE:after\nEND:VCARD\n", end);
        const std::string twice = card + card;
        const std::size_t photoLines = (ToBase64(image).size() + 59) / 60;
        for (const std::size_t piece : {std::size_t {1}, SIZE_MAX}) {
            const auto handler = ReadCards(twice, {piece});
            EXPECT_EQ(InlineBytes(handler), (std::vector<std::string> {image, image}));
            ASSERT_EQ(handler.cards.size(), 2u);
            EXPECT_EQ(handler.cards[1].fn, "Line End");
            // Three lines before the photo, its own lines, then two more.
            EXPECT_EQ(handler.photos[0].start.line, 4u);
            EXPECT_EQ(handler.photos[1].start.line, 4u + 3u + photoLines + 2u);
            EXPECT_EQ(handler.cards[1].line, 1u + 3u + photoLines + 2u);
        }
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             LineEndTest,
                             ::testing::Values(LineEndCase {"CrLf", "\r\n", " "},
                                               LineEndCase {"Lf", "\n", " "},
                                               LineEndCase {"CrAlone", "\r", " "},
                                               LineEndCase {"CrCrLf", "\r\r\n", " "},
                                               LineEndCase {"FoldedWithTab", "\r\n", "\t"},
                                               LineEndCase {"FoldedWithSeveralBlanks", "\n", "    "}),
                             [](const auto& info) { return std::string(info.param.name); });

    // --- What a photo property holds. ---

    struct FormCase
    {
        const char* name;
        std::string property; // one line, without its line end
        PhotoForm form;
        std::string bytesOrAddress; // Inline: the bytes; Link: the address
        std::string problem; // Unsupported, or Inline that cannot be decoded: part of the reason
        std::string declared = {};
    };

    class FormTest : public ::testing::TestWithParam<FormCase>
    {
    };

    TEST_P(FormTest, TellsWhatThePhotoIs)
    {
        const auto handler = ReadCards("BEGIN:VCARD\r\nFN:F\r\n" + GetParam().property + "\r\nEND:VCARD\r\n",
                                       {SIZE_MAX, true});
        ASSERT_EQ(handler.photos.size(), 1u);
        const auto& photo = handler.photos[0];
        EXPECT_EQ(photo.start.form, GetParam().form);
        switch (GetParam().form) {
        case PhotoForm::Inline:
            if (!GetParam().problem.empty()) {
                EXPECT_FALSE(photo.end.ok);
                EXPECT_NE(photo.end.error.find(GetParam().problem), std::string::npos) << photo.end.error;
                break;
            }
            EXPECT_TRUE(photo.end.ok) << photo.end.error;
            EXPECT_EQ(photo.bytes, GetParam().bytesOrAddress);
            break;
        case PhotoForm::Link:
            EXPECT_EQ(photo.start.address, GetParam().bytesOrAddress);
            break;
        case PhotoForm::Unsupported:
            EXPECT_FALSE(photo.end.ok);
            EXPECT_NE(photo.end.error.find(GetParam().problem), std::string::npos) << photo.end.error;
            break;
        }
        EXPECT_EQ(photo.start.declaredType, GetParam().declared);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        FormTest,
        ::testing::Values(
            FormCase {"EncodingB", "PHOTO;ENCODING=b;TYPE=JPEG:QUJD", PhotoForm::Inline, "ABC", "", "JPEG"},
            FormCase {"EncodingBase64ParametersSwapped", "PHOTO;TYPE=JPEG;ENCODING=BASE64:QUJD",
                      PhotoForm::Inline, "ABC", "", "JPEG"},
            FormCase {"BareBase64Parameter", "PHOTO;BASE64;PNG:QUJD", PhotoForm::Inline, "ABC", "", "PNG"},
            FormCase {"NoEncodingAtAll", "PHOTO:QUJD", PhotoForm::Inline, "ABC", "", ""},
            FormCase {"LowerCaseAndGroup", "item2.photo;encoding=b;type=gif:QUJD", PhotoForm::Inline, "ABC",
                      "", "gif"},
            FormCase {"ValueUrlButBase64", "PHOTO;VALUE=URL;TYPE=GIF:R0lGODlh", PhotoForm::Inline, "GIF89a",
                      "", "GIF"},
            FormCase {"OutlookPicture", "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64:QUJD", PhotoForm::Inline,
                      "ABC", "", "JPEG"},
            FormCase {"LogoWhenAsked", "LOGO;ENCODING=b:QUJD", PhotoForm::Inline, "ABC", "", ""},
            FormCase {"TypeListPicksTheImageType", "PHOTO;TYPE=WORK,PNG;ENCODING=b:QUJD", PhotoForm::Inline,
                      "ABC", "", "PNG"},
            FormCase {"QuotedMediaType", "PHOTO;MEDIATYPE=\"image/png\":data:;base64,QUJD", PhotoForm::Inline,
                      "ABC", "", "image/png"},
            FormCase {"QuotedParameterWithColon", "PHOTO;X-NOTE=\"a:b\";ENCODING=b:QUJD", PhotoForm::Inline,
                      "ABC", "", ""},
            FormCase {"DataAddress", "PHOTO:data:image/png;base64,QUJD", PhotoForm::Inline, "ABC", "",
                      "image/png"},
            FormCase {"DataAddressWithValueUri", "PHOTO;VALUE=URI:DATA:image/jpeg;charset=x;BASE64,QUJD",
                      PhotoForm::Inline, "ABC", "", "image/jpeg"},
            FormCase {"DataAddressWithEncodingB", "PHOTO;ENCODING=b:data:image/gif;base64,QUJD",
                      PhotoForm::Inline, "ABC", "", "image/gif"},
            FormCase {"BlanksBeforeTheData", "PHOTO;ENCODING=b:   QUJD", PhotoForm::Inline, "ABC", "", ""},
            FormCase {"Https", "PHOTO;VALUE=URI:https://example.com/me.jpg", PhotoForm::Link,
                      "https://example.com/me.jpg", "", ""},
            FormCase {"HttpWithoutValue", "PHOTO;TYPE=JPEG:http://example.com/me.jpg", PhotoForm::Link,
                      "http://example.com/me.jpg", "", "JPEG"},
            // Google Contacts' export: vCard 3.0, no VALUE, the ":" escaped as in text values.
            FormCase {"GoogleEscapedColon", "PHOTO:https\\://lh3.googleusercontent.com/contacts/AG6tpz",
                      PhotoForm::Link, "https://lh3.googleusercontent.com/contacts/AG6tpz", "", ""},
            FormCase {"EscapedColonInThePortToo", "PHOTO:http\\://host\\:8443/a.jpg", PhotoForm::Link,
                      "http://host:8443/a.jpg", "", ""},
            FormCase {"PlainHttpsWithoutValue", "PHOTO:https://p.example.com/a.jpg", PhotoForm::Link,
                      "https://p.example.com/a.jpg", "", ""},
            FormCase {"EscapedDataAddress", "PHOTO:data\\:image/png\\;base64\\,QUJD", PhotoForm::Inline,
                      "ABC", "", "image/png"},
            FormCase {"OtherScheme", "PHOTO:cid:photo-1@example.com", PhotoForm::Link,
                      "cid:photo-1@example.com", "", ""},
            // VALUE=URI or URL: an address, whatever it holds.
            FormCase {"ValueUriLocalPath", "PHOTO;VALUE=URI:/home/ada/photo.png", PhotoForm::Link,
                      "/home/ada/photo.png", "", ""},
            FormCase {"ValueUrlLowerCaseWindowsPath", "PHOTO;value=url;TYPE=JPEG:C:\\Photos\\ada.jpg",
                      PhotoForm::Link, "C:\\Photos\\ada.jpg", "", "JPEG"},
            FormCase {"BareUriParameter", "PHOTO;URI:photos/ada.png", PhotoForm::Link, "photos/ada.png", "",
                      ""},
            FormCase {"ValueUriBase64OfNoImage", "PHOTO;VALUE=URI:QUJD", PhotoForm::Link, "QUJD", "", ""},
            FormCase {"ValueUriWithEncodingB", "PHOTO;VALUE=URI;ENCODING=b:https://example.com/a.jpg",
                      PhotoForm::Link, "https://example.com/a.jpg", "", ""},
            FormCase {"FileAddress", "PHOTO:file:///home/ada/photo.png", PhotoForm::Link,
                      "file:///home/ada/photo.png", "", ""},
            FormCase {"AddressEscapesUndone", "PHOTO;VALUE=URI:http://example.com/a\\,b\\;c\\:d\\\\e\\x",
                      PhotoForm::Link, "http://example.com/a,b;c:d\\e\\x", "", ""},
            // Damaged Base64: a ":" in data that is Base64 is no address.
            FormCase {"EncodingBWithAColon", "PHOTO;ENCODING=b:iVBORw0KGgo:AAAANSUhEUgAAAAEAAAAB",
                      PhotoForm::Inline, "", "the character \":\" is not Base64"},
            FormCase {"Base64OnTheNextLinesWithAColon",
                      "PHOTO;TYPE=JPEG:\r\n iVBORw0KGgo:AAAANSUhEUgAAAAEAAAAB", PhotoForm::Inline, "",
                      "the character \":\" is not Base64", "JPEG"},
            FormCase {"UnindentedBase64LineWithAColon", "PHOTO;ENCODING=BASE64:\r\nQUJD\r\nQU+D:QUJD\r\nQUJD",
                      PhotoForm::Inline, "", "the character \":\" is not Base64"},
            FormCase {"UnindentedBase64ThenAProperty", "PHOTO;ENCODING=BASE64:\r\nQUJD\r\nX-ABC123:QUJD",
                      PhotoForm::Inline, "ABC", "", ""},
            FormCase {"QuotedPrintableLeftAlone", "PHOTO;ENCODING=QUOTED-PRINTABLE:=FF=D8=FF",
                      PhotoForm::Unsupported, "", "quoted-printable"},
            FormCase {"DataAddressPercentEncoded", "PHOTO:data:image/png,%89PNG%0d%0A", PhotoForm::Inline,
                      "\x89PNG\r\n", "", "image/png"},
            FormCase {"DataAddressPercentEncodedWithoutType", "PHOTO;VALUE=URI:data:,GIF89a%01",
                      PhotoForm::Inline, "GIF89a\x01", "", ""},
            FormCase {"DataAddressCommaEscaped", "PHOTO:data:image/png;base64\\,QUJD", PhotoForm::Inline,
                      "ABC", "", "image/png"},
            FormCase {"DataAddressSemicolonAndCommaEscaped", "PHOTO:data:image/JPEG\\;base64\\,QUJD",
                      PhotoForm::Inline, "ABC", "", "image/JPEG"},
            FormCase {"DataAddressColonEscapedInAParameter",
                      "PHOTO:data:image/gif\\;x-note=a\\:b\\;base64\\,QUJD", PhotoForm::Inline, "ABC", "",
                      "image/gif"},
            FormCase {"DataAddressPercentEncodedCommaEscaped", "PHOTO:data:image/gif\\,GIF89a%01",
                      PhotoForm::Inline, "GIF89a\x01", "", "image/gif"},
            FormCase {"DataAddressWithoutData", "PHOTO:data:image/png;base64", PhotoForm::Unsupported, "",
                      "ends before its data"},
            FormCase {"OtherEncoding", "PHOTO;ENCODING=8BIT:abc", PhotoForm::Unsupported, "",
                      "\"8BIT\" is not Base64"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(CardReader, AnEmptyPhotoPropertyIsNoPhoto)
    {
        const auto handler = ReadCards("BEGIN:VCARD\r\nPHOTO;ENCODING=b:\r\nPHOTO:  \r\nEND:VCARD\r\n");
        EXPECT_TRUE(handler.photos.empty());
        EXPECT_EQ(handler.cards.size(), 1u);
    }

    TEST(CardReader, TakesLogosOnlyWhenAsked)
    {
        const std::string card
            = "BEGIN:VCARD\r\nLOGO;ENCODING=b:QUJD\r\nX-PHOTO:QUJD\r\nPHOTOGRAPH:QUJD\r\nEND:VCARD\r\n";
        EXPECT_TRUE(ReadCards(card).photos.empty());
        EXPECT_EQ(ReadCards(card, {SIZE_MAX, true}).photos.size(), 1u);
    }

    // --- Cards. ---

    TEST(CardReader, NumbersCardsAndEndsThemWhereverTheyEnd)
    {
        const auto handler = ReadCards("FN:Before any begin\r\nPHOTO:QUJD\r\n"
                                       "BEGIN:VCARD\r\nFN:Two\r\nEND:VCARD\r\n"
                                       "BEGIN:VCARD\r\nFN:Three, no end\r\n"
                                       "BEGIN:VCARD\r\nFN:Four\r\nPHOTO:QUI=\r\n");
        ASSERT_EQ(handler.cards.size(), 4u);
        EXPECT_EQ(handler.started, (std::vector<std::size_t> {1, 2, 3, 4}));
        EXPECT_EQ(handler.cards[0].fn, "Before any begin");
        EXPECT_EQ(handler.cards[2].fn, "Three, no end");
        EXPECT_EQ(handler.cards[3].fn, "Four");
        ASSERT_EQ(handler.photos.size(), 2u);
        EXPECT_EQ(handler.photos[0].cardAtEnd.number, 1u);
        EXPECT_EQ(handler.photos[1].cardAtEnd.number, 4u);
        EXPECT_EQ(handler.photos[1].bytes, "AB");
    }

    // A line outside a card is no card: the first card is card 1 whatever stands before it.
    struct StrayCase
    {
        const char* name;
        std::string before; // before the first card
        std::string between; // between the two cards
    };

    class StrayLineTest : public ::testing::TestWithParam<StrayCase>
    {
    };

    TEST_P(StrayLineTest, IsNoCard)
    {
        const std::string card = "BEGIN:VCARD\r\nFN:F\r\nPHOTO;ENCODING=b:QUJD\r\nEND:VCARD\r\n";
        const auto handler = ReadCards(GetParam().before + card + GetParam().between + card);
        EXPECT_EQ(handler.started, (std::vector<std::size_t> {1, 2}));
        ASSERT_EQ(handler.photos.size(), 2u);
        EXPECT_EQ(handler.photos[0].cardAtEnd.number, 1u);
        EXPECT_EQ(handler.photos[1].cardAtEnd.number, 2u);
        EXPECT_EQ(handler.photos[1].cardAtEnd.fn, "F");
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        StrayLineTest,
        ::testing::Values(StrayCase {"EncodingLine", "ENCODING:UTF-8\r\n", ""},
                          StrayCase {"BlankLines", "\r\n  \r\n", "\r\n"},
                          StrayCase {"GarbageLines", "garbage\r\nX-GARBAGE;A=B:c\r\n", "VERSION:3.0\r\n"},
                          StrayCase {"EndWithoutBegin", "END:VCARD\r\n", "END:VCARD\r\n"},
                          StrayCase {"FnOutsideACard", "FN:Nobody\r\nUID:u-0\r\n", "FN:Nobody either\r\n"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(CardReader, GivesAPhotoTheFieldsKnownWhenItEnds)
    {
        const auto handler = ReadCards("BEGIN:VCARD\r\nPHOTO:QUJD\r\nFN:Later\r\nUID:u-1\r\nPHOTO:QUJD\r\nFN:"
                                       "Second FN\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.photos.size(), 2u);
        EXPECT_EQ(handler.photos[0].cardAtEnd.fn, "");
        EXPECT_EQ(handler.photos[1].cardAtEnd.fn, "Later");
        ASSERT_EQ(handler.cards.size(), 1u);
        EXPECT_EQ(handler.cards[0].fn, "Later") << "the first FN counts";
        EXPECT_EQ(handler.cards[0].uid, "u-1");
    }

    struct FnCase
    {
        const char* name;
        std::string lines;
        std::string fn;
    };

    class FnTest : public ::testing::TestWithParam<FnCase>
    {
    };

    TEST_P(FnTest, DecodesTheFullName)
    {
        const auto handler = ReadCards("BEGIN:VCARD\r\n" + GetParam().lines + "\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.cards.size(), 1u);
        EXPECT_EQ(handler.cards[0].fn, GetParam().fn);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        FnTest,
        ::testing::Values(
            FnCase {"Plain", "FN:Ann Smith", "Ann Smith"},
            FnCase {"Escapes", "FN:Smith\\, Ann\\; Jr\\\\", "Smith, Ann; Jr\\"},
            FnCase {"QuotedPrintableUtf8", "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ren=C3=A9e", "Renée"},
            FnCase {"QuotedPrintableSoftBreak", "FN;ENCODING=QUOTED-PRINTABLE:Ann=\r\n Smith=\r\nson",
                    "Ann Smithson"},
            FnCase {"Latin1", "FN;CHARSET=ISO-8859-1:Ren\xE9", "René"},
            FnCase {"Windows1252",
                    "FN;CHARSET=WINDOWS-1252:Caf\x80 \x93"
                    "Bar\x94",
                    "Caf€ “Bar”"},
            FnCase {"Windows1252QuotedPrintable",
                    "FN;CHARSET=\"windows-1252\";ENCODING=QUOTED-PRINTABLE:Caf=80 =\r\n=93Bar=94",
                    "Caf€ “Bar”"},
            FnCase {"UnknownCharsetIsLatin1", "FN;CHARSET=X-OLD-MAC:Ren\xE9", "René"},
            FnCase {"Folded", "FN:Ann\r\n  Smith", "Ann Smith"},
            FnCase {"GroupAndCase", "item1.fn:ann", "ann"},
            FnCase {"BlanksTrimmed", "FN:  Ann  ", "Ann"},
            FnCase {"EmptyFnDoesNotCount", "FN:\r\nFN:Real", "Real"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(CardReader, ABrokenSoftBreakDoesNotSwallowTheCardEnd)
    {
        const auto handler
            = ReadCards("BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:broken=\r\nEND:VCARD\r\n"
                        "BEGIN:VCARD\r\nFN:Next\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.cards.size(), 2u);
        EXPECT_EQ(handler.cards[1].fn, "Next");
    }

    TEST(CardReader, ReadsAHeaderFoldedInsideItsName)
    {
        const auto handler
            = ReadCards("BEGIN:VCARD\r\nPHO\r\n TO;ENCO\r\n DING=b:QU\r\n JD\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.photos.size(), 1u);
        EXPECT_EQ(handler.photos[0].bytes, "ABC");
    }

    TEST(CardReader, ReadsFilesJoinedWithTheirByteOrderMarks)
    {
        const std::string card = "\xEF\xBB\xBF"
                                 "BEGIN:VCARD\r\nFN:A\r\nPHOTO:QUJD\r\nEND:VCARD\r\n";
        const auto handler = ReadCards(card + card);
        EXPECT_EQ(handler.cards.size(), 2u);
        EXPECT_EQ(InlineBytes(handler), (std::vector<std::string> {"ABC", "ABC"}));
    }

    TEST(CardReader, SkipsALineTooLongForAnyProperty)
    {
        const std::string junk(20000, 'x');
        const auto handler = ReadCards("BEGIN:VCARD\r\n" + junk + "\r\n " + junk
                                       + "\r\nFN:After\r\nPHOTO:QUJD\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.cards.size(), 1u);
        EXPECT_EQ(handler.cards[0].fn, "After");
        EXPECT_EQ(InlineBytes(handler), (std::vector<std::string> {"ABC"}));
    }

    TEST(CardReader, ReadsALongLineAlikeHoweverTheInputArrives)
    {
        std::string manyFolds = "BEGIN:VCARD\r\nPHOTO";
        for (int i = 0; i < 3000; ++i)
            manyFolds += "\r\n ";
        manyFolds += ";ENCODING=b:QUJD\r\nFN:A\r\nEND:VCARD\r\n";
        const std::string blanksThenMark = std::string(8190, ' ')
            + "\xEF\xBB\xBF"
              "BEGIN:VCARD\r\nPHOTO:QUJD\r\nEND:VCARD\r\n";
        for (const std::string& input : {manyFolds, blanksThenMark}) {
            const auto whole = ReadCards(input);
            for (const std::size_t piece : {std::size_t {1}, std::size_t {5}, std::size_t {8000}}) {
                const auto pieces = ReadCards(input, {piece});
                EXPECT_EQ(InlineBytes(pieces), InlineBytes(whole)) << piece;
                ASSERT_EQ(pieces.cards.size(), whole.cards.size());
                EXPECT_EQ(pieces.cards.back().fn, whole.cards.back().fn);
            }
        }
        EXPECT_EQ(InlineBytes(ReadCards(blanksThenMark)), (std::vector<std::string> {"ABC"}));
    }

    TEST(CardReader, Base64WithoutIndentEndsAtTheFirstLineThatIsNotBase64)
    {
        const auto handler
            = ReadCards("BEGIN:VCARD\r\nPHOTO;ENCODING=BASE64:QU\r\nJD\r\nnot Base64: a stray line\r\n"
                        "FN:After\r\nEND:VCARD\r\n");
        EXPECT_EQ(InlineBytes(handler), (std::vector<std::string> {"ABC"}));
        EXPECT_EQ(handler.cards.at(0).fn, "After");
    }

    TEST(CardReader, Base64WithoutIndentEndsAtABlankLine)
    {
        const auto handler
            = ReadCards("BEGIN:VCARD\r\nPHOTO;ENCODING=BASE64:\r\nQUJD\r\nQUJD\r\n\r\nQUJD\r\nEND:VCARD\r\n");
        EXPECT_EQ(InlineBytes(handler), (std::vector<std::string> {"ABCABC"}));
    }

    // --- Lines and failures. ---

    TEST(CardReader, TellsTheLinesOfPhotosAndOfWhatCannotBeDecoded)
    {
        const auto handler
            = ReadCards("BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=b:QUJD\r\n QUJD\r\n QU%D\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.photos.size(), 1u);
        EXPECT_EQ(handler.photos[0].start.line, 3u);
        EXPECT_FALSE(handler.photos[0].end.ok);
        EXPECT_EQ(handler.photos[0].end.error, "the character \"%\" is not Base64");
        EXPECT_EQ(handler.photos[0].end.errorLine, 5u);
        ASSERT_EQ(handler.cards.size(), 1u) << "the card goes on after the failed photo";
    }

    struct PercentFailCase
    {
        const char* name;
        std::string lines; // the photo's lines, ended by CR LF
        std::string error;
        std::uint64_t errorLine;
    };

    class PercentFailTest : public ::testing::TestWithParam<PercentFailCase>
    {
    };

    TEST_P(PercentFailTest, FailsThePhotoAndTheCardGoesOn)
    {
        const std::string input = "BEGIN:VCARD\r\n" + GetParam().lines + "FN:After\r\nEND:VCARD\r\n";
        for (const std::size_t piece : {std::size_t {1}, std::size_t {3}, SIZE_MAX}) {
            const auto handler = ReadCards(input, {piece});
            ASSERT_EQ(handler.photos.size(), 1u);
            const auto& photo = handler.photos[0];
            EXPECT_EQ(photo.start.form, PhotoForm::Inline);
            EXPECT_FALSE(photo.end.ok);
            EXPECT_EQ(photo.end.error, GetParam().error);
            EXPECT_EQ(photo.end.errorLine, GetParam().errorLine);
            ASSERT_EQ(handler.cards.size(), 1u);
            EXPECT_EQ(handler.cards[0].fn, "After");
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        PercentFailTest,
        ::testing::Values(
            PercentFailCase {
                "NotHexadecimal", "PHOTO:data:image/png,%89PN\r\n G%8X\r\n",
                "its data: address holds a \"%\" followed by \"X\", not by two hexadecimal digits", 3},
            PercentFailCase {"EscapeAcrossAFold", "PHOTO:data:image/png,%8\r\n 9%\r\n",
                             "its data: address ends inside a \"%\" escape", 3},
            PercentFailCase {"BlankInsideAnEscape", "PHOTO:data:,%4 1\r\n",
                             "its data: address holds a \"%\" followed by the byte 0x20, not by two "
                             "hexadecimal digits",
                             2}),
        [](const auto& info) { return std::string(info.param.name); });

    // An input that ends inside a line of a photo's data was cut short, and so was the photo; one
    // whose last line is whole may just lack its END:VCARD.
    struct CutShortCase
    {
        const char* name;
        std::string text;
        bool ok;
    };

    class CutShortTest : public ::testing::TestWithParam<CutShortCase>
    {
    };

    TEST_P(CutShortTest, FailsAPhotoCutInsideALine)
    {
        const std::string input = "BEGIN:VCARD\r\nFN:Cut\r\n" + GetParam().text;
        for (const std::size_t piece : {std::size_t {1}, std::size_t {3}, SIZE_MAX}) {
            const auto handler = ReadCards(input, {piece});
            ASSERT_EQ(handler.photos.size(), 1u);
            EXPECT_EQ(handler.photos[0].end.ok, GetParam().ok) << handler.photos[0].end.error;
            if (!GetParam().ok) {
                EXPECT_EQ(handler.photos[0].end.error, "the input ends inside its data, which is cut short");
                EXPECT_EQ(handler.photos[0].end.errorLine, 4u);
            }
            ASSERT_EQ(handler.cards.size(), 1u);
            EXPECT_EQ(handler.cards[0].fn, "Cut");
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        CutShortTest,
        ::testing::Values(
            CutShortCase {"Base64CutInALine", "PHOTO;ENCODING=b:QUJD\r\n REVG", false},
            CutShortCase {"Base64CutInsideAGroup", "PHOTO;ENCODING=b:QUJD\r\n RE", false},
            CutShortCase {"PercentCutInALine", "PHOTO:data:,ab\r\n cd", false},
            CutShortCase {"Base64WithItsLastLineWhole", "PHOTO;ENCODING=b:QUJD\r\n REVG\r\n", true},
            CutShortCase {"Base64AndTheCardsEnd", "PHOTO;ENCODING=b:QUJD\r\n REVG\r\nEND:VCARD", true}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(CardReader, StreamsAPercentEncodedPhotoInPiecesOfBoundedSize)
    {
        const std::string image = PngImage(std::string(1024 * 1024, '\x89'));
        std::string encoded;
        for (const char c : image) {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            encoded += (c >= 'a' && c <= 'z') ? std::string(1, c) : std::string(escape);
        }
        const auto handler
            = ReadCards("BEGIN:VCARD\r\nPHOTO:" + Fold("data:image/png," + encoded, 75, " ", "\r\n")
                        + "\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.photos.size(), 1u);
        EXPECT_TRUE(handler.photos[0].end.ok) << handler.photos[0].end.error;
        EXPECT_EQ(handler.photos[0].bytes, image);
        EXPECT_GT(handler.photos[0].writes, 10u);
        EXPECT_LE(handler.photos[0].largestWrite, 64u * 1024u);
    }

    // A card read from UTF-16 is text already; its CHARSET tells nothing more.
    TEST(CardReader, ACharsetDoesNotConvertTextReadFromUtf16Again)
    {
        const std::string card = "BEGIN:VCARD\r\nFN;CHARSET=WINDOWS-1252:Fran\xC3\xA7ois\r\n"
                                 "UID;CHARSET=WINDOWS-1252;ENCODING=QUOTED-PRINTABLE:=80\r\nEND:VCARD\r\n";
        for (const bool bigEndian : {false, true}) {
            const auto handler = ReadCards(ToUtf16(card, bigEndian, true));
            ASSERT_EQ(handler.cards.size(), 1u);
            EXPECT_EQ(handler.cards[0].fn, "François");
            EXPECT_EQ(handler.cards[0].uid, "€") << "quoted-printable bytes are in the set named";
        }
    }

    TEST(CardReader, StreamsAPhotoInPiecesOfBoundedSize)
    {
        std::string image = JpegImage(std::string(3 * 1024 * 1024, 'z'));
        const auto handler = ReadCards("BEGIN:VCARD\r\nPHOTO;ENCODING=b:"
                                       + Fold(ToBase64(image), 76, " ", "\r\n") + "\r\nEND:VCARD\r\n");
        ASSERT_EQ(handler.photos.size(), 1u);
        EXPECT_EQ(handler.photos[0].bytes, image);
        EXPECT_GT(handler.photos[0].writes, 10u);
        EXPECT_LE(handler.photos[0].largestWrite, 64u * 1024u);
    }

    TEST(CardReader, AbandoningFailsThePhotoUnderWayAndEndsTheCard)
    {
        const std::string text = "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=b:" + std::string(300000, 'Q');
        RecordingCardHandler handler;
        MemoryByteSource source(text);
        TextSource utf8(source);
        CardReader reader(utf8, handler, CardReaderOptions {false, 16 * 1024});
        while (handler.photos.empty())
            ASSERT_TRUE(reader.pump());
        reader.abandon("the input broke off");
        EXPECT_FALSE(reader.pump());
        ASSERT_EQ(handler.photos.size(), 1u);
        EXPECT_FALSE(handler.photos[0].end.ok);
        EXPECT_EQ(handler.photos[0].end.error, "the input broke off");
        ASSERT_EQ(handler.cards.size(), 1u);
        EXPECT_EQ(handler.cards[0].fn, "A");
    }

} // namespace
} // namespace orvandel
