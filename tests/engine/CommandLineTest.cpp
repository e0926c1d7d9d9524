#include "app/CommandLine.h"

#include "support/RunCli.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <gtest/gtest.h>
#include <sstream>

namespace orvandel {
namespace {

    using test::RunCli;
    using test::Shown;

    using test::Slurp;
    using test::TempDir;

    const std::string kCard
        = "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n 2Q==\r\nEND:VCARD\r\n";

    class ExtractCommandTest : public ::testing::Test
    {
    protected:
        TempDir dir;
        std::string out = dir.mkdir("out");
    };

    TEST_F(ExtractCommandTest, WritesOneLinePerInput)
    {
        const auto good = dir.write("good.vcf", kCard);
        const auto plain = dir.write("plain.vcf", "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n");
        const auto bad = dir.write("bad.vcf", "PHOTO:ab-_\r\n");
        const auto result = RunCli({"extract", "-o", out, good, plain, bad});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out,
                  "written\t" + Shown(good) + "\t" + Shown(dir.file("out/good.jpg")) + "\n" + "no-photo\t"
                      + Shown(plain) + "\n" + "error\t" + Shown(bad) + "\tBad character In Base64 string.\n");
        EXPECT_NE(result.err.find("Application Error\nBad character In Base64 string.\n"
                                  "in Tessivor2021/08/31.Form1.PushButton2_Click at line 178\n"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(Slurp(out + "/good.jpg"), std::string("\xFF\xD8\xFF\xD9", 4));
    }

    TEST_F(ExtractCommandTest, AllWrittenExitsWithZero)
    {
        const auto good = dir.write("good.vcf", kCard);
        const auto result = RunCli({"extract", "--output=" + out, good});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
    }

    TEST_F(ExtractCommandTest, JsonGivesOneObjectPerLine)
    {
        const auto good = dir.write("good.vcf", kCard);
        const auto missing = dir.file("missing \"x\".vcf");
        const auto result = RunCli({"extract", "--json", "-o" + out, good, missing});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out,
                  "{\"input\":\"" + Shown(good) + "\",\"status\":\"written\",\"output\":\""
                      + Shown(dir.file("out/good.jpg")) + "\"}\n" + "{\"input\":\""
                      + Shown(dir.path() + kSeparator)
                      + "missing \\\"x\\\".vcf\",\"status\":\"error\",\"error\":\"File not found: "
                      + Shown(dir.path() + kSeparator) + "missing \\\"x\\\".vcf\",\"line\":120}\n");
    }

    TEST_F(ExtractCommandTest, InputsAfterDoubleDashMayStartWithADash)
    {
        dir.write("-card.vcf", kCard);
        const auto result = RunCli({"extract", "-o", out, "--", dir.file("-card.vcf")});
        EXPECT_EQ(result.status, 0) << result.err;
    }

    struct RefusalCase
    {
        const char* name;
        std::vector<std::string> args; // "OUT" stands for an existing folder
        std::string errStart;
    };

    class RefusalTest : public ::testing::TestWithParam<RefusalCase>
    {
    };

    TEST_P(RefusalTest, ExitsWithTwo)
    {
        TempDir dir;
        std::vector<std::string> args = GetParam().args;
        for (auto& arg : args) {
            if (arg == "OUT")
                arg = dir.path();
            else if (arg == "CARD")
                arg = dir.write("card.vcf", kCard);
        }
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.substr(0, GetParam().errStart.size()), GetParam().errStart) << result.err;
        EXPECT_EQ(result.out, "");
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        RefusalTest,
        ::testing::Values(
            RefusalCase {"NoFiles", {"extract", "-o", "OUT"}, "No files added.\n"},
            RefusalCase {"NoSuchFolder",
                         {"extract", "-o", "/nonexistent/out", "CARD"},
                         "Folder does not exist. Please select another folder.\n"},
            RefusalCase {"FolderIsAFile",
                         {"extract", "-o", "CARD", "CARD"},
                         "Folder does not exist. Please select another folder.\n"},
            RefusalCase {
                "NoOutputOption", {"extract", "CARD"}, "orvandel: extract needs the output folder: -o DIR\n"},
            RefusalCase {"OutputOptionWithoutFolder",
                         {"extract", "CARD", "-o"},
                         "orvandel: option '-o' needs a folder\n"},
            RefusalCase {"UnknownOption",
                         {"extract", "--colour", "-o", "OUT", "CARD"},
                         "orvandel: unknown option '--colour'\n"},
            RefusalCase {"UnknownCommand", {"frobnicate"}, "orvandel: unknown command 'frobnicate'\n"},
            RefusalCase {
                "MistypedCommand", {"extrct", "-o", "OUT", "CARD"}, "orvandel: unknown command 'extrct'\n"},
            RefusalCase {"MissingFile",
                         {"/nonexistent/card.vcf"},
                         "orvandel: no such file or folder: '/nonexistent/card.vcf'\n"},
            RefusalCase {"EmptyWord", {""}, "orvandel: unknown command ''\n"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(CommandLine, HelpAndVersion)
    {
        const auto help = RunCli({"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind("Usage: orvandel extract -o DIR", 0), 0u);
        EXPECT_EQ(RunCli({"extract", "--help"}).out, help.out);
        const auto version = RunCli({"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out.rfind("orvandel ", 0), 0u);
    }

    struct InvocationCase
    {
        const char* name;
        std::vector<std::string> args; // "CARD" and "DIR" stand for an existing file and folder
        bool commandLine;
    };

    class InvocationTest : public ::testing::TestWithParam<InvocationCase>
    {
    };

    TEST_P(InvocationTest, TellsWhichArgumentsOpenTheWindow)
    {
        TempDir dir;
        std::vector<std::string> args = GetParam().args;
        for (auto& arg : args) {
            if (arg == "CARD")
                arg = dir.write("card.vcf", kCard);
            else if (arg == "DIR")
                arg = dir.path();
        }
        EXPECT_EQ(std::holds_alternative<CommandRequest>(ParseCommandLine(args)), GetParam().commandLine);
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             InvocationTest,
                             ::testing::Values(InvocationCase {"Nothing", {}, false},
                                               InvocationCase {"AFile", {"CARD"}, false},
                                               InvocationCase {"AFolderAndAFile", {"DIR", "CARD"}, false},
                                               InvocationCase {"WindowOption", {"--thorough", "CARD"}, false},
                                               InvocationCase {"QtOption", {"-platform", "offscreen"}, false},
                                               InvocationCase {"Extract", {"extract"}, true},
                                               InvocationCase {"Help", {"--help"}, true},
                                               InvocationCase {"Version", {"--version"}, true},
                                               InvocationCase {"MistypedCommand", {"extrct"}, true},
                                               InvocationCase {
                                                   "MissingFile", {"/nonexistent/card.vcf"}, true},
                                               InvocationCase {"EmptyWord", {""}, true}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST_F(ExtractCommandTest, ShowsProgressOnlyOnATerminal)
    {
        const auto good = dir.write("good.vcf", kCard);
        EXPECT_EQ(RunCli({"extract", "-o", out, good}, false).err, "");
        const auto shown = RunCli({"extract", "-o", out, good}, true).err;
        EXPECT_NE(shown.find("100% Processing: good.vcf"), std::string::npos) << shown;
        EXPECT_EQ(shown.substr(shown.size() - 4), "\r\x1b[K") << "the line is cleared at the end";
    }

} // namespace
} // namespace orvandel
