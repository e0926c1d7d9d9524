#include "extract/thorough/ImageType.h"

#include "TestImages.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using namespace test;

    struct SniffCase
    {
        const char* name;
        std::string bytes;
        ImageType type;
        const char* extension;
    };

    class SniffTest : public ::testing::TestWithParam<SniffCase>
    {
    };

    TEST_P(SniffTest, TellsTheTypeByTheFirstBytes)
    {
        const ImageType type = SniffImageType(GetParam().bytes);
        EXPECT_EQ(type, GetParam().type);
        EXPECT_EQ(ImageTypeExtension(type), GetParam().extension);
    }

    std::string FileTypeBox(std::string_view major, std::string_view compatible)
    {
        const auto size = static_cast<char>(16 + compatible.size());
        return std::string("\0\0\0", 3) + size + "ftyp" + std::string(major) + std::string(4, '\0')
            + std::string(compatible) + "payload";
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        SniffTest,
        ::testing::Values(
            SniffCase {"Jpeg", JpegImage(), ImageType::Jpeg, ".jpg"},
            SniffCase {"JpegWithoutApp0", std::string("\xFF\xD8\xFF\xDB", 4), ImageType::Jpeg, ".jpg"},
            SniffCase {"Png", PngImage(), ImageType::Png, ".png"},
            SniffCase {"Gif89a", GifImage(), ImageType::Gif, ".gif"},
            SniffCase {"Gif87a", "GIF87a...", ImageType::Gif, ".gif"},
            SniffCase {"Bmp", BmpImage(), ImageType::Bmp, ".bmp"},
            SniffCase {"TextStartingWithBM", "BMW is a car, not a bitmap", ImageType::Unknown, ".bin"},
            SniffCase {"TiffLittleEndian", TiffImage(), ImageType::Tiff, ".tif"},
            SniffCase {"TiffBigEndian", TiffImage("x", true), ImageType::Tiff, ".tif"},
            SniffCase {"WebP", WebPImage(), ImageType::WebP, ".webp"},
            SniffCase {"RiffThatIsNotWebP", std::string("RIFF\x10\0\0\0WAVEfmt ", 16), ImageType::Unknown,
                       ".bin"},
            SniffCase {"Heic", HeicImage(), ImageType::Heic, ".heic"},
            SniffCase {"Avif", AvifImage(), ImageType::Avif, ".avif"},
            SniffCase {"GeneralBrandWithAvif", FileTypeBox("mif1", "mif1avif"), ImageType::Avif, ".avif"},
            SniffCase {"GeneralBrandWithHeic", FileTypeBox("mif1", "heic"), ImageType::Heic, ".heic"},
            SniffCase {"GeneralBrandAlone", FileTypeBox("mif1", "mif1"), ImageType::Heif, ".heif"},
            SniffCase {"Mp4Video", FileTypeBox("isom", "isomiso2mp41"), ImageType::Unknown, ".bin"},
            SniffCase {"Empty", "", ImageType::Unknown, ".bin"},
            SniffCase {"CutShortJpeg", std::string("\xFF\xD8", 2), ImageType::Unknown, ".bin"},
            SniffCase {"Text", "hello", ImageType::Unknown, ".bin"}),
        [](const auto& info) { return std::string(info.param.name); });

    struct DeclaredCase
    {
        const char* name;
        const char* declared;
        ImageType type;
    };

    class DeclaredTest : public ::testing::TestWithParam<DeclaredCase>
    {
    };

    TEST_P(DeclaredTest, ReadsWhatCardsDeclare)
    {
        EXPECT_EQ(ImageTypeFromDeclared(GetParam().declared), GetParam().type) << GetParam().declared;
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        DeclaredTest,
        ::testing::Values(DeclaredCase {"UpperCase", "JPEG", ImageType::Jpeg},
                          DeclaredCase {"LowerCase", "jpeg", ImageType::Jpeg},
                          DeclaredCase {"ShortName", "JPG", ImageType::Jpeg},
                          DeclaredCase {"MediaType", "image/jpeg", ImageType::Jpeg},
                          DeclaredCase {"ProgressiveInCapitals", "IMAGE/PJPEG", ImageType::Jpeg},
                          DeclaredCase {"Quoted", "\"image/png\"", ImageType::Png},
                          DeclaredCase {"OldPngName", "image/x-png", ImageType::Png},
                          DeclaredCase {"MediaTypeWithParameter", "image/jpeg; q=0.9", ImageType::Jpeg},
                          DeclaredCase {"Gif", "GIF", ImageType::Gif},
                          DeclaredCase {"Bmp", "image/bmp", ImageType::Bmp},
                          DeclaredCase {"Tiff", "TIFF", ImageType::Tiff},
                          DeclaredCase {"WebP", "image/webp", ImageType::WebP},
                          DeclaredCase {"Heic", "image/heic", ImageType::Heic},
                          DeclaredCase {"Avif", "image/avif", ImageType::Avif},
                          DeclaredCase {"NoImageType", "WORK", ImageType::Unknown},
                          DeclaredCase {"Vector", "image/svg+xml", ImageType::Unknown},
                          DeclaredCase {"Empty", "", ImageType::Unknown}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(ImageTypes, DisagreeOnlyWhenBothSidesAreKnownAndDiffer)
    {
        EXPECT_TRUE(ImageTypesDisagree(ImageType::Png, ImageType::Jpeg));
        EXPECT_FALSE(ImageTypesDisagree(ImageType::Jpeg, ImageType::Jpeg));
        EXPECT_FALSE(ImageTypesDisagree(ImageType::Heic, ImageType::Heif));
        EXPECT_FALSE(ImageTypesDisagree(ImageType::Unknown, ImageType::Jpeg));
        EXPECT_FALSE(ImageTypesDisagree(ImageType::Png, ImageType::Unknown));
    }

} // namespace
} // namespace orvandel
