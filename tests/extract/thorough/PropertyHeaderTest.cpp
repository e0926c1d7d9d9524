#include "extract/thorough/PropertyHeader.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct HeaderRow
    {
        const char* name;
        const char* text; // the header, as it stands before the value's ":"
        PropertyHeader expected; // name, encoding, value type, charset, declared type
    };

    // One test for the whole table: each row of its own would start the test program once more.
    const HeaderRow kRows[] = {
        {"NameAlone", "PHOTO", {"PHOTO", "", "", "", ""}},
        {"LowerCaseAndGroup", "item2.photo;encoding=b;type=gif", {"PHOTO", "B", "", "", "gif"}},
        {"GroupWithDots",
         "a.b.X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64",
         {"X-MS-CARDPICTURE", "BASE64", "", "", "JPEG"}},
        {"GroupWithoutName", "item1.", {"", "", "", "", ""}},
        {"BareParameters", "PHOTO;BASE64;PNG;GIF", {"PHOTO", "BASE64", "", "", "PNG"}},
        {"BareUriAndEncoding", "photo;uri;7bit", {"PHOTO", "7BIT", "URI", "", ""}},
        {"ValueInAnyCase", "PHOTO;value=url;TYPE=GIF", {"PHOTO", "", "URL", "", "GIF"}},
        {"TypeListPicksTheImageType", "PHOTO;TYPE=WORK,\"PNG\"", {"PHOTO", "", "", "", "PNG"}},
        {"TypeListWithoutImageType", "PHOTO;TYPE=WORK,HOME", {"PHOTO", "", "", "", "WORK"}},
        {"BareTypeAfterAnotherType", "PHOTO;TYPE=WORK;GIF", {"PHOTO", "", "", "", "GIF"}},
        {"FirstTypeCounts", "PHOTO;JPEG;TYPE=PNG", {"PHOTO", "", "", "", "JPEG"}},
        {"MediaTypeCountsOverType",
         "PHOTO;TYPE=JPEG;MEDIATYPE=\"image/png\"",
         {"PHOTO", "", "", "", "image/png"}},
        {"QuotedCharsetAsWritten",
         "FN;CHARSET=\"windows-1252\";ENCODING=QUOTED-PRINTABLE",
         {"FN", "QUOTED-PRINTABLE", "", "windows-1252", ""}},
        {"QuotesKeepSeparators", "PHOTO;X-NOTE=\"a;b:c,d\";ENCODING=b", {"PHOTO", "B", "", "", ""}},
        {"BlanksAndEmptyParameters", " PHOTO ; ENCODING = b ;; TYPE = JPEG ", {"PHOTO", "B", "", "", "JPEG"}},
        {"LastEncodingCounts", "PHOTO;ENCODING=b;ENCODING=8bit", {"PHOTO", "8BIT", "", "", ""}},
    };

    TEST(PropertyHeader, ReadsTheNameAndParametersOfEveryRow)
    {
        for (const HeaderRow& row : kRows) {
            const PropertyHeader header = ParsePropertyHeader(row.text);
            EXPECT_EQ(header.name, row.expected.name) << row.name;
            EXPECT_EQ(header.encoding, row.expected.encoding) << row.name;
            EXPECT_EQ(header.valueType, row.expected.valueType) << row.name;
            EXPECT_EQ(header.charset, row.expected.charset) << row.name;
            EXPECT_EQ(header.declaredType, row.expected.declaredType) << row.name;
        }
    }

} // namespace
} // namespace orvandel
