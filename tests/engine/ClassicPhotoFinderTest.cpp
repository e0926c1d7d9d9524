#include "extract/ClassicPhotoFinder.h"

#include "util/TextFile.h"

#include <gtest/gtest.h>

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

    TEST_P(FindClassicPhotoTest, Finds)
    {
        const auto& c = GetParam();
        const auto photo = FindClassicPhoto(TextLines::fromBytes(c.card));
        ASSERT_EQ(photo.has_value(), c.found);
        if (!photo)
            return;
        EXPECT_EQ(photo->extension, c.extension);
        EXPECT_EQ(photo->data, c.data);
        EXPECT_EQ(photo->lineIndex, c.lineIndex);
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

} // namespace
} // namespace orvandel
