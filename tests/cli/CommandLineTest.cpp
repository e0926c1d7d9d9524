#include "cli/CommandLine.h"

#include "cli/TerminalText.h"
#include "support/FolderSeamsGuard.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>

namespace orvandel {
namespace {

    using test::InJson;
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
        EXPECT_EQ(result.err, "orvandel: " + Shown(bad) + ": line 1: Bad character In Base64 string.\n");
        EXPECT_EQ(Slurp(out + "/good.jpg"), std::string("\xFF\xD8\xFF\xD9", 4));
    }

    TEST_F(ExtractCommandTest, AllWrittenExitsWithZero)
    {
        const auto good = dir.write("good.vcf", kCard);
        const auto result = RunCli({"extract", "--output=" + out, good});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
    }

    // "line" is a line of the input, the report's step number is "step".
    TEST_F(ExtractCommandTest, JsonGivesOneObjectPerLine)
    {
        const auto good = dir.write("good.vcf", kCard);
        const auto missing = dir.file("missing \"x\".vcf");
        const auto bad = dir.write("bad.vcf", "BEGIN:VCARD\r\nFN:B\r\nPHOTO:ab-_\r\nEND:VCARD\r\n");
        const auto result = RunCli({"extract", "--json", "-o" + out, good, missing, bad});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out,
                  "{\"input\":\"" + InJson(good) + "\",\"status\":\"written\",\"output\":\""
                      + InJson(dir.file("out/good.jpg")) + "\"}\n" + "{\"input\":\""
                      + InJson(dir.path() + kSeparator)
                      + "missing \\\"x\\\".vcf\",\"status\":\"error\",\"error\":\"File not found: "
                      + InJson(dir.path() + kSeparator) + "missing \\\"x\\\".vcf\",\"step\":120}\n"
                      + "{\"input\":\"" + InJson(bad)
                      + "\",\"status\":\"error\",\"error\":\"Bad character In Base64 string.\",\"line\":3,"
                        "\"step\":178}\n");
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
        const std::string card = dir.write("card.vcf", kCard);
        for (auto& arg : args) {
            if (arg == "OUT")
                arg = dir.path();
            else if (arg == "CARD")
                arg = card;
        }
        std::string errStart = GetParam().errStart;
        if (const auto at = errStart.find("CARD"); at != std::string::npos)
            errStart.replace(at, 4, Shown(card));
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.substr(0, errStart.size()), errStart) << result.err;
        EXPECT_EQ(result.out, "");
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        RefusalTest,
        ::testing::Values(
            RefusalCase {"NoFiles", {"extract", "-o", "OUT"}, "orvandel: No files added.\n"},
            RefusalCase {"NoSuchFolder",
                         {"extract", "-o", "/nonexistent/out", "CARD"},
                         "orvandel: /nonexistent/out: Folder does not exist.\n"},
            RefusalCase {"FolderIsAFile",
                         {"extract", "-o", "CARD", "CARD"},
                         "orvandel: CARD: Folder does not exist.\n"},
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

    // Each failure is one line on stderr, as the tools people know write theirs.
    struct FailureLineCase
    {
        const char* name;
        bool thorough;
        std::string file; // its name
        std::optional<std::string> text; // none: the file is missing
        std::string err; // "FILE" stands for its path
    };

    class FailureLineTest : public ::testing::TestWithParam<FailureLineCase>
    {
    };

    TEST_P(FailureLineTest, NamesTheFileAndThePlace)
    {
#if defined(_WIN32)
        if (GetParam().file.find('\n') != std::string::npos)
            GTEST_SKIP() << "Windows takes no line feed in a name";
#endif
        TempDir dir;
        const std::string out = dir.mkdir("out");
        const std::string file
            = GetParam().text ? dir.write(GetParam().file, *GetParam().text) : dir.file(GetParam().file);
        std::vector<std::string> args {"extract", "-o", out, file};
        if (GetParam().thorough)
            args.insert(args.begin() + 1, "--thorough");
        std::string err = GetParam().err;
        err.replace(err.find("FILE"), 4, TerminalText(file));
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, err);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        FailureLineTest,
        ::testing::Values(
            FailureLineCase {"PhotoThatCannotBeDecoded", false, "bad.vcf",
                             "BEGIN:VCARD\r\nFN:B\r\nPHOTO:ab-_\r\nEND:VCARD\r\n",
                             "orvandel: FILE: line 3: Bad character In Base64 string.\n"},
            FailureLineCase {"FileThatCannotBeRead", false, "gone.vcf", std::nullopt,
                             "orvandel: FILE: File not found\n"},
            FailureLineCase {"NameWithALineFeed", false, "new\nline.vcf", std::nullopt,
                             "orvandel: FILE: File not found\n"},
            FailureLineCase {
                "ThoroughPhotoAfterAStrayLine", true, "bad.vcf",
                "ENCODING:UTF-8\r\nBEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=b:QU%D\r\nEND:VCARD\r\n",
                "orvandel: FILE: card 1, line 4: Cannot decode the photo: the character \"%\" is "
                "not Base64\n"},
            FailureLineCase {
                "ThoroughBase64WithAColon", true, "bad.vcf",
                "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=b:iVBORw0KGgo:AAAA\r\n QUJD\r\nEND:VCARD\r\n",
                "orvandel: FILE: card 1, line 3: Cannot decode the photo: the character \":\" is "
                "not Base64\n"},
            FailureLineCase {"ThoroughFileThatCannotBeRead", true, "gone.vcf", std::nullopt,
                             "orvandel: FILE: File not found\n"}),
        [](const auto& info) { return std::string(info.param.name); });

    // A failure of the run as a whole (the images could not be brought to the disk) fails the
    // command, with no line of an input before it, and has a record of its own in JSON.
    struct RunFailureCase
    {
        const char* name;
        std::vector<std::string> options;
        std::string lastLine; // on stdout; "OUT" stands for the folder as JSON writes it
    };

    class RunFailureTest : public ::testing::TestWithParam<RunFailureCase>
    {
    };

    TEST_P(RunFailureTest, FailsTheCommand)
    {
        test::FolderSeamsGuard seams;
        FolderSeams().flush = [](const std::string&) { return std::make_error_code(std::errc::io_error); };
        TempDir dir;
        const std::string out = dir.mkdir("out");
        std::vector<std::string> args {"extract"};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        args.insert(args.end(), {"-o", out, dir.write("a.vcf", kCard)});
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "orvandel: Cannot bring the written images to the disk (Input/output error): "
                      + Shown(out + kSeparator) + "\n");
        std::string last = GetParam().lastLine;
        if (last.empty())
            return; // text: the lines of the inputs only
        for (auto at = last.find("OUT"); at != std::string::npos; at = last.find("OUT"))
            last.replace(at, 3, InJson(out));
        EXPECT_EQ(result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1), last);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        RunFailureTest,
        ::testing::Values(
            RunFailureCase {"Classic", {}, ""},
            RunFailureCase {
                "ClassicJson",
                {"--json"},
                "{\"folder\":\"OUT\",\"status\":\"error\",\"error\":\"Cannot bring the written images to "
                "the disk (Input/output error): OUT"
                    + InJson(std::string(1, kSeparator)) + "\",\"step\":192}\n"},
            RunFailureCase {
                "ThoroughJson",
                {"--thorough", "--json"},
                "{\"folder\":\"OUT\",\"status\":\"error\",\"error\":\"Cannot bring the written images to "
                "the disk (Input/output error): OUT"
                    + InJson(std::string(1, kSeparator)) + "\"}\n"}),
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
        EXPECT_NE(shown.find("\r\x1b[K1 image written\n"), std::string::npos)
            << "the line is cleared before the summary: " << shown;
    }

    // The summary line: last on stderr when stderr is a terminal or --summary asks, never on stdout.
    struct SummaryCase
    {
        const char* name;
        std::vector<std::string> options;
        bool terminal;
        std::vector<const char*> files; // good, plain, bad, link
        const char* summary; // the last line on stderr, "" for none
    };

    class SummaryTest : public ::testing::TestWithParam<SummaryCase>
    {
    };

    TEST_P(SummaryTest, EndsTheRunOnStderr)
    {
        const std::map<std::string, std::string> cards {
            {"good", kCard},
            {"plain", "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n"},
            {"bad", "BEGIN:VCARD\r\nPHOTO:QU%D\r\nEND:VCARD\r\n"},
            {"link", "BEGIN:VCARD\r\nPHOTO;VALUE=URI:https://example.org/a.jpg\r\nEND:VCARD\r\n"}};
        TempDir dir;
        std::vector<std::string> args {"extract", "-o", dir.mkdir("out")};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        for (const char* file : GetParam().files)
            args.push_back(dir.write(std::string(file) + ".vcf", cards.at(file)));
        const auto result = RunCli(args, GetParam().terminal);
        const std::string summary = GetParam().summary;
        // A line of its own: after the lines before it, or after the progress line is cleared.
        const std::string err = "\n" + result.err;
        if (summary.empty())
            EXPECT_EQ(err.find("written"), std::string::npos) << err;
        else
            EXPECT_TRUE(err.ends_with("\n" + summary + "\n") || err.ends_with("\x1b[K" + summary + "\n"))
                << err;
        EXPECT_EQ(result.out.find("written,"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find(" written"), std::string::npos) << result.out;
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        SummaryTest,
        ::testing::Values(
            SummaryCase {"OnATerminal",
                         {},
                         true,
                         {"good", "plain", "bad"},
                         "1 image written, 1 file without a photo, 1 failed"},
            SummaryCase {
                "Asked", {"--summary"}, false, {"good", "plain"}, "1 image written, 1 file without a photo"},
            SummaryCase {"NotAsked", {}, false, {"good", "plain", "bad"}, ""},
            SummaryCase {"NotAskedInJson", {"--json"}, false, {"good"}, ""},
            SummaryCase {
                "AskedInJson", {"--json", "--summary"}, false, {"good", "bad"}, "1 image written, 1 failed"},
            SummaryCase {"NothingWritten",
                         {"--summary"},
                         false,
                         {"plain", "plain"},
                         "No image written, 2 files without a photo"},
            SummaryCase {"Thorough",
                         {"--thorough", "--summary"},
                         false,
                         {"good", "plain", "bad", "link"},
                         "1 image written, 1 file without a photo, 1 link not fetched, 1 failed"}),
        [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
