#include "cli/CommandLine.h"
#include "extract/thorough/TestImages.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <gtest/gtest.h>
#include <sstream>

namespace orvandel {
namespace {

    using test::Shown;

    using namespace test;

    std::string Card(const std::string& fn, const std::string& photo)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn + "\r\n" + photo + "\r\nEND:VCARD\r\n";
    }

    class ThoroughCommandTest : public ::testing::Test
    {
    protected:
        TempDir dir;
        std::string out = dir.mkdir("out");
        std::string mixed = dir.write("mixed.vcf",
                                      Card("Ann", "PHOTO;ENCODING=b;TYPE=JPEG:" + ToBase64(PngImage()))
                                          + Card("Sam\tLee", "PHOTO;VALUE=URI:https://example.com/s.jpg")
                                          + Card("Bob", "PHOTO;ENCODING=b:QU%D"));
        std::string plain = dir.write("plain.vcf", Card("Nobody", "NOTE:no photo"));
        std::string missing = dir.file("missing.vcf");
    };

    TEST_F(ThoroughCommandTest, WritesOneLinePerPhotoAndPerInputWithout)
    {
        const auto result = RunCli({"extract", "--thorough", "-o", out, mixed, plain, missing});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out,
                  "written\t" + Shown(mixed) + "\t1\tAnn\t" + Shown(out + kSeparator)
                      + "Ann.png\tpng, declared jpeg\n" + "link\t" + Shown(mixed)
                      + "\t2\tSam\\tLee\thttps://example.com/s.jpg\n" + "error\t" + Shown(mixed)
                      + "\t3\tBob\tCannot decode the photo: the character \"%\" is not Base64. Input: "
                      + Shown(mixed) + ", card 3 (FN \"Bob\"), line 14.\n" + "no-photo\t" + Shown(plain)
                      + "\n" + "error\t" + Shown(missing) + "\t\t\tFile not found: " + Shown(missing) + "\n");
        EXPECT_EQ(result.err,
                  "orvandel: " + Shown(mixed)
                      + ": card 3, line 14: Cannot decode the photo: the character \"%\" is not Base64\n"
                      + "orvandel: " + Shown(missing) + ": File not found\n");
        EXPECT_EQ(Slurp(out + "/Ann.png"), PngImage());
    }

    TEST_F(ThoroughCommandTest, JsonGivesOneObjectPerLine)
    {
        const auto result
            = RunCli({"extract", "--thorough", "--json", "--unique", "-o", out, mixed, plain, missing});
        EXPECT_EQ(result.status, 1);
        std::istringstream lines(result.out);
        std::vector<std::string> objects;
        for (std::string line; std::getline(lines, line);)
            objects.push_back(line);
        ASSERT_EQ(objects.size(), 5u) << result.out;
        EXPECT_EQ(objects[0].substr(0, objects[0].find("\"sha256\"") + 10),
                  "{\"input\":\"" + InJson(mixed)
                      + "\",\"status\":\"written\",\"card\":1,\"fn\":\"Ann\",\"line\":4,"
                        "\"output\":\""
                      + InJson(out + kSeparator)
                      + "Ann.png\",\"type\":\"png\",\"declared\":\"jpeg\","
                        "\"type_mismatch\":true,\"sha256\":\"");
        EXPECT_EQ(objects[1],
                  "{\"input\":\"" + InJson(mixed)
                      + "\",\"status\":\"link\",\"card\":2,\"fn\":\"Sam\\tLee\",\"line\":9,"
                        "\"url\":\"https://example.com/s.jpg\"}");
        EXPECT_EQ(objects[2].substr(0, objects[2].find("\"error\":")),
                  "{\"input\":\"" + InJson(mixed)
                      + "\",\"status\":\"error\",\"card\":3,\"fn\":\"Bob\",\"line\":14,");
        EXPECT_EQ(objects[0].size(), objects[0].find("\"sha256\"") + 10 + 64 + 2) << "64 hexadecimal digits";
        EXPECT_EQ(objects[3], "{\"input\":\"" + InJson(plain) + "\",\"status\":\"no-photo\"}");
        EXPECT_EQ(objects[4],
                  "{\"input\":\"" + InJson(missing)
                      + "\",\"status\":\"error\",\"error\":\"File not found: " + InJson(missing) + "\"}");
    }

    TEST_F(ThoroughCommandTest, TellsDuplicatesAndExitsWithZeroWhenAllWentWell)
    {
        const std::string photo = "PHOTO;ENCODING=b:" + ToBase64(JpegImage());
        // A stray line before the first card is no card: {n} counts from that card on.
        const auto file
            = dir.write("twice.vcf", "ENCODING:UTF-8\r\n" + Card("Ann", photo) + Card("Ann", photo));
        const auto result = RunCli({"extract", "--thorough", "--unique", "--name={fn} {n}", "-o", out, file});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out,
                  "written\t" + Shown(file) + "\t1\tAnn\t" + Shown(out + kSeparator) + "Ann 1.jpg\tjpeg\n"
                      + "duplicate\t" + Shown(file) + "\t2\tAnn\t" + Shown(out + kSeparator) + "Ann 1.jpg\n");
        EXPECT_EQ(result.err, "");
    }

    TEST_F(ThoroughCommandTest, TakesFoldersLikeTheClassicRun)
    {
        dir.write("tree/a.vcf", Card("Ann", "PHOTO;ENCODING=b:" + ToBase64(JpegImage())));
        dir.write("tree/sub/b.VCARD", Card("Bea", "PHOTO;ENCODING=b:" + ToBase64(GifImage())));
        dir.write("tree/sub/notes.txt", Card("Cid", "PHOTO;ENCODING=b:" + ToBase64(PngImage())));
        const auto result = RunCli({"extract", "--thorough", "-o", out, dir.file("tree")});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out,
                  "written\t" + Shown(dir.file("tree/a.vcf")) + "\t1\tAnn\t" + Shown(out + kSeparator)
                      + "Ann.jpg\tjpeg\n" + "written\t" + Shown(dir.file("tree/sub/b.VCARD")) + "\t1\tBea\t"
                      + Shown(out + kSeparator) + "Bea.gif\tgif\n");
        const auto text
            = RunCli({"extract", "--thorough", "--pattern", "*.txt", "-o", out, dir.file("tree")});
        EXPECT_EQ(text.out,
                  "written\t" + Shown(dir.file("tree/sub/notes.txt")) + "\t1\tCid\t" + Shown(out + kSeparator)
                      + "Cid.png\tpng\n");
    }

    TEST_F(ThoroughCommandTest, LogosOnlyWhenAsked)
    {
        const auto file
            = dir.write("org.vcf", Card("Org", "LOGO:data:image/gif;base64," + ToBase64(GifImage())));
        EXPECT_EQ(RunCli({"extract", "--thorough", "-o", out, file}).out, "no-photo\t" + Shown(file) + "\n");
        EXPECT_EQ(RunCli({"extract", "--thorough", "--logos", "-o", out, file}).out,
                  "written\t" + Shown(file) + "\t1\tOrg\t" + Shown(out + kSeparator) + "Org.gif\tgif\n");
    }

    TEST_F(ThoroughCommandTest, WithoutThoroughTheClassicRunIsUnchanged)
    {
        const auto result = RunCli({"extract", "-o", out, mixed});
        EXPECT_EQ(result.out, "no-photo\t" + Shown(mixed) + "\n")
            << "the classic run knows no \"ENCODING=b\"";
    }

    struct RefusalCase
    {
        const char* name;
        std::vector<std::string> args; // "OUT" and "CARD" stand for an existing folder and file
        std::string err;
    };

    class ThoroughRefusalTest : public ::testing::TestWithParam<RefusalCase>
    {
    };

    TEST_P(ThoroughRefusalTest, ExitsWithTwo)
    {
        TempDir dir;
        std::vector<std::string> args = GetParam().args;
        for (auto& arg : args) {
            if (arg == "OUT")
                arg = dir.path();
            else if (arg == "CARD")
                arg = dir.write("card.vcf", Card("A", "PHOTO:QUJD"));
        }
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, GetParam().err);
        EXPECT_EQ(result.out, "");
    }

    const std::string kTryHelp = "Try 'orvandel --help' for more information.\n";

    INSTANTIATE_TEST_SUITE_P(
        Table,
        ThoroughRefusalTest,
        ::testing::Values(
            RefusalCase {"LogosWithoutThorough",
                         {"extract", "--logos", "-o", "OUT", "CARD"},
                         "orvandel: option '--logos' needs --thorough\n" + kTryHelp},
            RefusalCase {"UniqueWithoutThorough",
                         {"extract", "-o", "OUT", "--unique", "CARD"},
                         "orvandel: option '--unique' needs --thorough\n" + kTryHelp},
            RefusalCase {"NameWithoutThorough",
                         {"extract", "--name={n}", "-o", "OUT", "CARD"},
                         "orvandel: option '--name' needs --thorough\n" + kTryHelp},
            RefusalCase {"NameWithoutTemplate",
                         {"extract", "--thorough", "-o", "OUT", "CARD", "--name"},
                         "orvandel: option '--name' needs a template\n" + kTryHelp},
            RefusalCase {"UnknownField",
                         {"extract", "--thorough", "--name", "{who}", "-o", "OUT", "CARD"},
                         "orvandel: --name '{who}': unknown field {who}: use {file}, {fn}, {n} or {uid}\n"
                             + kTryHelp},
            RefusalCase {"UnclosedBrace",
                         {"extract", "--thorough", "--name", "{fn", "-o", "OUT", "CARD"},
                         "orvandel: --name '{fn': a \"{\" without its \"}\" (write \"{{\" for a brace)\n"
                             + kTryHelp},
            RefusalCase {"NoFiles", {"extract", "--thorough", "-o", "OUT"}, "orvandel: No files added.\n"},
            RefusalCase {"NoSuchFolder",
                         {"extract", "--thorough", "-o", "/nonexistent/out", "CARD"},
                         "orvandel: /nonexistent/out: Folder does not exist.\n"},
            RefusalCase {"NoOutputOption",
                         {"extract", "--thorough", "CARD"},
                         "orvandel: extract needs the output folder: -o DIR\n" + kTryHelp}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(ThoroughCommand, HelpTellsOfTheThoroughRun)
    {
        const auto result = RunCli({"--help"});
        EXPECT_EQ(result.status, 0);
        for (const char* text : {"--thorough", "--logos", "--name TEMPLATE", "--unique", "\"type_mismatch\"",
                                 "\"sha256\"", "\"step\"", "orvandel: PATH: DESCRIPTION"})
            EXPECT_NE(result.out.find(text), std::string::npos) << text;
        EXPECT_EQ(RunCli({"extract", "--thorough", "--help"}).out, result.out);
    }

} // namespace
} // namespace orvandel
