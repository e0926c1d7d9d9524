#include "extract/ClassicPhotoFinder.h"

#include "extract/Base64.h"
#include "support/LineByLineClassicFinder.h"
#include "support/LineTableClassicFinder.h"
#include "util/TextFile.h"

#include <gtest/gtest.h>
#include <random>

namespace orvandel {
namespace {

    struct FindCase
    {
        const char* name;
        std::string card;
        bool found;
        std::string extension = {};
        std::string data = {};
        std::size_t lineIndex = 0;
    };

    class FindClassicPhotoTest : public ::testing::TestWithParam<FindCase>
    {
    };

    // In the card's bytes as read, and in its text with the line breaks made LF.
    TEST_P(FindClassicPhotoTest, Finds)
    {
        const auto& c = GetParam();
        for (const auto& photo :
             {test::FindClassicPhoto(c.card), test::FindClassicPhoto(TextLines::fromBytes(c.card))}) {
            ASSERT_EQ(photo.has_value(), c.found);
            if (!photo)
                continue;
            EXPECT_EQ(photo->extension, c.extension);
            EXPECT_EQ(photo->data, c.data);
            EXPECT_EQ(photo->lineIndex, c.lineIndex);
        }
    }

    // What the run writes: the bytes decoded within the card's own text, or the error of decoding
    // the data that FindClassicPhoto gives.
    std::string DecodedOrError(TextLines card, const ClassicPhotoPlace& place)
    {
        try {
            std::string bytes = DecodeClassicPhoto(card, place);
            EXPECT_TRUE(card.text().empty()) << "the card handed its text over";
            return "bytes " + bytes;
        } catch (const Base64Error& error) {
            return "error " + std::to_string(error.number()) + " " + error.what();
        }
    }

    std::string DecodedOrError(std::string card, const ClassicPhotoPlace& place)
    {
        try {
            return "bytes " + DecodeClassicPhoto(std::move(card), place);
        } catch (const Base64Error& error) {
            return "error " + std::to_string(error.number()) + " " + error.what();
        }
    }

    std::string Base64DecodedOrError(const std::string& data)
    {
        try {
            return "bytes " + Base64Decode(data);
        } catch (const Base64Error& error) {
            return "error " + std::to_string(error.number()) + " " + error.what();
        }
    }

    TEST_P(FindClassicPhotoTest, DecodesInPlaceWhatBase64DecodeGivesOfTheData)
    {
        const auto card = TextLines::fromBytes(GetParam().card);
        const auto place = LocateClassicPhoto(card);
        const auto photo = test::FindClassicPhoto(card);
        ASSERT_EQ(place.has_value(), photo.has_value());
        if (!place)
            return;
        EXPECT_EQ(place->lineIndex, photo->lineIndex);
        EXPECT_EQ(DecodedOrError(card, *place), Base64DecodedOrError(photo->data));
        const auto inBytes = LocateClassicPhoto(GetParam().card);
        ASSERT_TRUE(inBytes.has_value());
        EXPECT_EQ(DecodedOrError(GetParam().card, *inBytes), Base64DecodedOrError(photo->data));
    }

    INSTANTIATE_TEST_SUITE_P(
        Headers,
        FindClassicPhotoTest,
        ::testing::Values(
            FindCase {"WorkedExample",
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card One\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n "
                      "2Q==\r\nEND:VCARD\r\n",
                      true, ".jpg", "/9j/2Q==", 3},
            FindCase {"BarePhoto", "PHOTO:QUJD\nEND:VCARD", true, ".jpg", "QUJD"},
            FindCase {"TypeThenEncoding", "PHOTO;TYPE=JPEG;ENCODING=BASE64:QQ==", true, ".jpg", "QQ=="},
            FindCase {"OutlookPicture", "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64:QUI=", true, ".jpg",
                      "QUI="},
            FindCase {"GifUrl", "PHOTO;VALUE=URL;TYPE=GIF:R0lG\nEND:VCARD", true, ".gif", "R0lG"},
            FindCase {"OtherOrderNotRecognised", "PHOTO;ENCODING=BASE64;TYPE=JPEG:QQ==", false},
            FindCase {"LowerCaseNotRecognised", "photo;encoding=b;type=jpeg:QQ==", false},
            FindCase {"LowerBNotRecognised", "PHOTO;ENCODING=b;TYPE=JPEG:QQ==", false},
            FindCase {"LeadingBlankNotRecognised", " PHOTO:QQ==", false},
            FindCase {"GroupPrefixNotRecognised", "item1.PHOTO:QQ==", false},
            FindCase {"NoColonNoPhoto", "PHOTO\nQQ==", false},
            FindCase {"EmptyFile", "", false}),
        [](const auto& info) { return std::string(info.param.name); });

    INSTANTIATE_TEST_SUITE_P(
        DataBounds,
        FindClassicPhotoTest,
        ::testing::Values(
            FindCase {"FirstPhotoOfSeveralCards", "PHOTO:QQ==\nEND:VCARD\nBEGIN:VCARD\nPHOTO:QUJD\n", true,
                      ".jpg", "QQ==", 0},
            FindCase {"UnpaddedEndsAtNextProperty", "PHOTO:QUJD\n QUJD\nEND:VCARD\nPHOTO:QQ==", true, ".jpg",
                      "QUJDQUJD"},
            FindCase {"UnpaddedRunsToTheEnd", "PHOTO:QUJD\n QUJD", true, ".jpg", "QUJDQUJD"},
            FindCase {"SinglePadDoesNotReachAnotherCardsPads",
                      "PHOTO:QUI=\nEND:VCARD\nBEGIN:VCARD\nPHOTO:QQ==", true, ".jpg", "QUI="},
            FindCase {"ZEndVCardKeepsItsZ", "PHOTO:QUJDZENDVCARD\nEND:VCARD", true, ".jpg", "QUJDZ"},
            FindCase {"DoublePadFirst", "PHOTO:QQ=B\n QQ==\nEND:VCARD", true, ".jpg", "QQ=BQQ=="},
            FindCase {"DataFromAnEarlierOccurrence", "NOTE:see PHOTO:QUJD\nPHOTO:QQ==\nEND:VCARD", true,
                      ".jpg", "QUJD", 1},
            FindCase {"EmptyDataSkipped", "PHOTO:\nPHOTO;TYPE=JPEG;ENCODING=BASE64:QQ==\nEND:VCARD", true,
                      ".jpg", "QQ==", 1},
            FindCase {"BlankDataSkipped", "PHOTO: \t \r\nEND:VCARD", false},
            FindCase {"BlankLinesInsideAreRemoved", "PHOTO:QU\n\n JD\nEND:VCARD", true, ".jpg", "QUJD"},
            FindCase {"LoneCarriageReturnsRemoved", "PHOTO:QU\rJD\nEND:VCARD", true, ".jpg", "QUJD"},
            FindCase {"TabsAreLeftForTheDecoder", "PHOTO:QU\tJD\nEND:VCARD", true, ".jpg", "QU\tJD"},
            FindCase {"Utf16HasNoHeader", std::string("P\0H\0O\0T\0O\0:\0Q\0Q\0=\0=\0", 20), false}),
        [](const auto& info) { return std::string(info.param.name); });

    // A card of many lines with the same header: each of them has the data of the first one.
    std::string
    Repeated(std::string_view head, std::string_view line, std::size_t times, std::string_view tail)
    {
        std::string card(head);
        for (std::size_t i = 0; i < times; ++i)
            card += line;
        return card + std::string(tail);
    }

    INSTANTIATE_TEST_SUITE_P(
        RepeatedHeaders,
        FindClassicPhotoTest,
        ::testing::Values(
            FindCase {"BlankRunThenManyHeaders",
                      Repeated("PHOTO:\n" + std::string(100000, ' ') + "\n", "PHOTO:\n", 5000, ""), false},
            FindCase {"BlankRunThenManyHeadersThenAnother",
                      Repeated("PHOTO:\n" + std::string(100000, ' ') + "\n",
                               "PHOTO:\r\n",
                               5000,
                               "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64:QUJD\n"),
                      true, ".jpg", "QUJD", 5002},
            FindCase {"ALaterLineWithTheHeaderHasTheFirstLinesData", "PHOTO:\nPHOTO:QQ==\nEND:VCARD", false},
            FindCase {"ManyBlankLinesUnderEachHeader",
                      Repeated("",
                               "PHOTO:\n\n\n \n\t\nPHOTO;ENCODING=B;TYPE=JPEG:\n \n",
                               2000,
                               "PHOTO;VALUE=URL;TYPE=GIF:R0lG\n"),
                      true, ".gif", "R0lG", 14000},
            FindCase {"EarlierMentionHoldsTheData", Repeated("NOTE:PHOTO:QUJD\n", "PHOTO:QQ==\n", 1000, ""),
                      true, ".jpg", "QUJD", 1}),
        [](const auto& info) { return std::string(info.param.name); });

    // --- The finder against the plainest one, on generated cards. ---

    std::string GeneratedCard(std::mt19937& generator)
    {
        static const char* const kHeads[] = {
            "PHOTO",
            "PHOTO;ENCODING=B;TYPE=JPEG",
            "PHOTO;TYPE=JPEG;ENCODING=BASE64",
            "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64",
            "PHOTO;VALUE=URL;TYPE=GIF",
            "PHOTO;ENCODING=BASE64;TYPE=JPEG",
            "photo",
            "FN",
            "NOTE",
            " PHOTO",
            "",
        };
        static const char* const kPieces[] = {
            "QUJD",
            "QQ==",
            "QUI=",
            "/9j/",
            "=",
            "==",
            "ZENDVCARD",
            "Z",
            " ",
            "  ",
            "\t",
            "PHOTO:",
            "a:b",
            "-",
            "QUJDREVGR0hJSktMTU5PUFFSU1RVVldY",
            " QUJDREVGR0hJ SktMTU5PUFFSU1RVVldY\tQUJD",
        };
        static const char* const kEnds[] = {"\n", "\r\n", "\r", "\n\n", "\r\r\n", "\r\n \r\n"};
        const auto pick = [&](const auto& list) { return list[generator() % std::size(list)]; };
        std::string card;
        const std::size_t lines = generator() % 12;
        for (std::size_t i = 0; i < lines; ++i) {
            switch (generator() % 4) {
            case 0:
            case 1:
                card += pick(kHeads);
                card += ':';
                break;
            case 2:
                card += ' ';
                break;
            default:
                break;
            }
            const std::size_t pieces = generator() % 5;
            for (std::size_t k = 0; k < pieces; ++k)
                card += pick(kPieces);
            card += pick(kEnds);
        }
        return card;
    }

    TEST(FindClassicPhoto, FindsWhatTheLineByLineFinderFinds)
    {
        std::mt19937 generator(12);
        int found = 0;
        for (int round = 0; round < 50000; ++round) {
            const std::string bytes = GeneratedCard(generator);
            const auto card = TextLines::fromBytes(bytes);
            const auto expected = test::FindClassicPhotoLineByLine(card);
            const auto photo = test::FindClassicPhoto(card);
            ASSERT_EQ(photo.has_value(), expected.has_value()) << ::testing::PrintToString(bytes);
            if (!photo)
                continue;
            ++found;
            ASSERT_EQ(photo->lineIndex, expected->lineIndex) << ::testing::PrintToString(bytes);
            ASSERT_EQ(photo->header, expected->header) << ::testing::PrintToString(bytes);
            ASSERT_EQ(photo->extension, expected->extension) << ::testing::PrintToString(bytes);
            ASSERT_EQ(photo->data, expected->data) << ::testing::PrintToString(bytes);
            const auto place = LocateClassicPhoto(card);
            ASSERT_TRUE(place.has_value());
            ASSERT_EQ(DecodedOrError(card, *place), Base64DecodedOrError(expected->data))
                << ::testing::PrintToString(bytes);
        }
        EXPECT_GT(found, 10000) << "too few generated cards carry a photo to compare";
    }

    // The one-pass finder on a card's bytes against the finder over a table of lines, on the card's
    // text with its line breaks made LF: the same line, header and data, decoded alike.
    TEST(FindClassicPhoto, FindsInTheBytesWhatTheLineTableFinderFindsInTheText)
    {
        std::mt19937 generator(31);
        int found = 0;
        for (int round = 0; round < 50000; ++round) {
            const std::string bytes = GeneratedCard(generator);
            const auto lines = TextLines::fromBytes(bytes);
            const auto expected = test::LocateClassicPhotoWithLineTable(lines);
            const auto place = LocateClassicPhoto(bytes);
            ASSERT_EQ(place.has_value(), expected.has_value()) << ::testing::PrintToString(bytes);
            if (!place)
                continue;
            ++found;
            ASSERT_EQ(place->lineIndex, expected->lineIndex) << ::testing::PrintToString(bytes);
            ASSERT_EQ(place->header, expected->header) << ::testing::PrintToString(bytes);
            ASSERT_EQ(place->extension, expected->extension) << ::testing::PrintToString(bytes);
            const std::string data = test::CleanedData(lines.text(), *expected);
            ASSERT_EQ(test::CleanedData(bytes, *place), data) << ::testing::PrintToString(bytes);
            ASSERT_EQ(DecodedOrError(bytes, *place), Base64DecodedOrError(data))
                << ::testing::PrintToString(bytes);
        }
        EXPECT_GT(found, 10000) << "too few generated cards carry a photo to compare";
    }

} // namespace
} // namespace orvandel
