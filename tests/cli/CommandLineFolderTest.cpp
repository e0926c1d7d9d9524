#include "cli/CliScanHost.h"
#include "cli/CommandLine.h"
#include "scan/FolderScan.h"
#include "scan/NameRules.h"
#include "support/DeepTree.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orvandel {
namespace {

    using test::RunCli;

    namespace fs = std::filesystem;
    using test::TempDir;

    const std::string kCard
        = "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n 2Q==\r\nEND:VCARD\r\n";

    class FolderInputTest : public ::testing::Test
    {
    protected:
        FolderInputTest()
        {
            for (const char* name : {"cards/b.vcf", "cards/A.VCARD", "cards/notes.txt", "cards/.hidden.vcf",
                                     "cards/~lock.vcf", "cards/sub/c.vcf", "cards/sub/d.vcf.txt"})
                dir.write(name, kCard);
        }

        // The input of each line on stdout, relative to the folder.
        std::vector<std::string> Inputs(const std::string& out) const
        {
            std::vector<std::string> inputs;
            std::istringstream lines(out);
            std::string line;
            while (std::getline(lines, line)) {
                std::string input = line.substr(line.find('\t') + 1);
                input = input.substr(0, input.find('\t'));
                const std::string folder = test::Shown(dir.path() + kSeparator);
                input = input.rfind(folder, 0) == 0 ? input.substr(folder.size()) : input;
#if defined(_WIN32)
                // Back to the "/" the tests write their names with.
                for (char& c : input)
                    c = c == '\\' ? '/' : c;
#endif
                inputs.push_back(input);
            }
            return inputs;
        }

        TempDir dir;
        std::string out = dir.mkdir("out");
    };

    TEST_F(FolderInputTest, TakesTheCardFilesOfTheWholeTreeInScanOrder)
    {
        const auto result = RunCli({"extract", "-o", out, dir.file("cards")});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Inputs(result.out),
                  (std::vector<std::string> {"cards/A.VCARD", "cards/b.vcf", "cards/sub/c.vcf"}));
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(fs::exists(out + "/c.jpg"));
    }

    struct PatternCase
    {
        const char* name;
        std::vector<std::string> options;
        std::vector<std::string> inputs;
    };

    class PatternOptionTest : public FolderInputTest, public ::testing::WithParamInterface<PatternCase>
    {
    };

    TEST_P(PatternOptionTest, ChoosesTheFilesOfFolders)
    {
        std::vector<std::string> args {"extract", "-o", out};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        args.push_back(dir.file("cards"));
        const auto result = RunCli(args);
        EXPECT_EQ(Inputs(result.out), GetParam().inputs) << result.err;
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        PatternOptionTest,
        ::testing::Values(
            PatternCase {"One", {"--pattern", "*.txt"}, {"cards/notes.txt", "cards/sub/d.vcf.txt"}},
            PatternCase {"JoinedForm", {"--pattern=*.TXT"}, {"cards/notes.txt", "cards/sub/d.vcf.txt"}},
            PatternCase {"SeveralMatchOnce",
                         {"--pattern", "*.txt", "--pattern", "n*"},
                         {"cards/notes.txt", "cards/sub/d.vcf.txt"}},
            PatternCase {"ReplacesTheDefault", {"--pattern", "*.vcard"}, {"cards/A.VCARD"}},
            PatternCase {"EveryFile",
                         {"--pattern", "*"},
                         {"cards/A.VCARD", "cards/b.vcf", "cards/notes.txt", "cards/sub/c.vcf",
                          "cards/sub/d.vcf.txt"}},
            PatternCase {"QuestionMark", {"--pattern", "?.vcf"}, {"cards/b.vcf", "cards/sub/c.vcf"}}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST_F(FolderInputTest, FilesAreTakenAsGivenAndInputsKeepTheirOrder)
    {
        const auto notes = dir.file("cards/notes.txt");
        const auto hidden = dir.file("cards/.hidden.vcf");
        const auto result = RunCli({"extract", "-o", out, notes, dir.file("cards/sub"), hidden});
        EXPECT_EQ(Inputs(result.out),
                  (std::vector<std::string> {"cards/notes.txt", "cards/sub/c.vcf", "cards/.hidden.vcf"}));
    }

    TEST_F(FolderInputTest, AFolderNamedTwiceIsScannedTwice)
    {
        const auto result = RunCli({"extract", "-o", out, dir.file("cards/sub"), dir.file("cards/sub/")});
        EXPECT_EQ(Inputs(result.out), (std::vector<std::string> {"cards/sub/c.vcf", "cards/sub/c.vcf"}));
    }

    TEST_F(FolderInputTest, AFolderWithoutMatchingFilesAddsNothing)
    {
        const auto result = RunCli({"extract", "-o", out, "--pattern", "*.doc", dir.file("cards")});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "orvandel: No files added.\n");
    }

#if !defined(_WIN32)
    TEST_F(FolderInputTest, AFolderThatCannotBeReadIsAnError)
    {
        if (::geteuid() == 0)
            GTEST_SKIP() << "access rights do not bind the superuser";
        const auto locked = dir.mkdir("locked");
        dir.write("locked/x.vcf", kCard);
        fs::permissions(locked, fs::perms::none);
        const auto result = RunCli({"extract", "-o", out, locked, dir.file("cards/b.vcf")});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(Inputs(result.out), (std::vector<std::string> {"locked", "cards/b.vcf"}));
        EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1),
                  "skipped\t" + locked + "\tit cannot be read: Permission denied\n");
        EXPECT_EQ(result.err,
                  "orvandel: skipped the folder " + locked + ": it cannot be read: Permission denied\n");
    }
#else
    TEST_F(FolderInputTest, AFolderThatCannotBeReadIsAnError)
    {
        GTEST_SKIP() << "Windows has no permission bits";
    }
#endif

#if !defined(_WIN32)
    TEST_F(FolderInputTest, AFolderReadAlreadyIsTold)
    {
        fs::create_directory_symlink("..", dir.file("cards/sub/up"));
        const auto result = RunCli({"extract", "-o", out, dir.file("cards")});
        EXPECT_EQ(result.status, 1);
        const std::string reason = "it was read already by another path";
        EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1),
                  "skipped\t" + dir.file("cards/sub/up") + "\t" + reason + "\n");
        EXPECT_EQ(result.err,
                  "orvandel: skipped the folder " + dir.file("cards/sub/up") + ": " + reason + "\n");
        EXPECT_EQ(Inputs(result.out).size(), 4u) << result.out; // the line and each card once
    }
#else
    TEST_F(FolderInputTest, AFolderReadAlreadyIsTold)
    {
        GTEST_SKIP() << "Windows tests make no symbolic links";
    }
#endif

    struct SkippedCase
    {
        const char* name;
        std::vector<std::string> options;
        std::string line; // "TREE" stands for the folder's path
    };

    class SkippedFolderTest : public FolderInputTest, public ::testing::WithParamInterface<SkippedCase>
    {
    };

    // Nothing is left out silently: a folder that the scan does not enter gives a line of its
    // own, a message, and the exit status 1.
#if defined(_WIN32)
    // No "?" in a Windows name: a letter that the code page 1252 lacks.
    const std::string kInvalidFolder = "\xCE\xA9mega";
    const std::string kInvalidName
        = "its name holds a control character, a \"?\" or a character that the system's code page lacks";
#else
    const std::string kInvalidFolder = "what?";
    const std::string kInvalidName
        = "its name holds a control character, a \"?\" or bytes that are not UTF-8";
#endif

    TEST_P(SkippedFolderTest, IsToldOnStdoutAndStderr)
    {
#if defined(_WIN32)
        if (::GetACP() != 1252)
            GTEST_SKIP() << "the folder's name is for the code page 1252; this system's is " << ::GetACP();
#endif
        dir.write("cards/" + kInvalidFolder + "/e.vcf", kCard);
        std::vector<std::string> args {"extract", "-o", out};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        args.push_back(dir.file("cards"));
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 1) << result.err;
        std::string line = GetParam().line;
        const std::string tree = dir.file("cards") + kSeparator + kInvalidFolder;
        line.replace(line.find("TREE"), 4, line.front() == '{' ? test::InJson(tree) : test::Shown(tree));
        std::string reason = kInvalidName;
        if (line.front() == '{') { // in JSON its quotes are escaped
            for (std::size_t at = 0; (at = reason.find('"', at)) != std::string::npos; at += 2)
                reason.insert(at, 1, '\\');
        }
        line.replace(line.find("REASON"), 6, reason);
        EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), line) << result.out;
        EXPECT_EQ(result.err,
                  "orvandel: skipped the folder "
                      + test::Shown(dir.file("cards") + kSeparator + kInvalidFolder) + ": " + kInvalidName
                      + "\n");
        EXPECT_EQ(result.out.find("e.vcf"), std::string::npos) << "its files are left out";
        EXPECT_NE(result.out.find("c.vcf"), std::string::npos) << "the rest is not";
    }

    // The output folder is looked at before a folder input is scanned: a missing one is the first
    // and only line, whatever the scan would have told.
    TEST(CommandLineFolders, AMissingOutputFolderIsToldBeforeAnyScan)
    {
        TempDir dir;
        dir.write("cards/" + kInvalidFolder + "/e.vcf", kCard);
        const std::string missing = dir.file("nowhere");
        const auto result = RunCli({"extract", "-o", missing, dir.file("cards")});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "orvandel: " + test::Shown(missing) + ": Folder does not exist.\n");
        EXPECT_EQ(result.out, "");
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        SkippedFolderTest,
        ::testing::Values(SkippedCase {"Text", {}, "skipped\tTREE\tREASON\n"},
                          SkippedCase {"Thorough", {"--thorough"}, "skipped\tTREE\t\t\tREASON\n"},
                          SkippedCase {"Json",
                                       {"--json"},
                                       "{\"input\":\"TREE\",\"status\":\"skipped\",\"error\":\"REASON\"}\n"}),
        [](const auto& info) { return std::string(info.param.name); });

    // A tree deeper than paths can reach: the files within reach are taken, the first folder
    // out of reach is told, and the command neither crashes nor hangs.
#if !defined(_WIN32)
    TEST(CommandLine, ATreeOf2000LevelsGivesTheFilesWithinReachAndTellsTheRest)
    {
        TempDir dir;
        const test::DeepTreeGuard guard(dir.path(), "tree");
        const auto out = dir.mkdir("out");
        dir.write("tree/top.vcf", kCard);
        test::MakeFolderChain(dir.file("tree"), 2000, "dd", "notes.txt", "not a card");
        const auto result = RunCli({"extract", "--json", "--pattern", "*.vcf", "-o", out, dir.file("tree")});
        EXPECT_EQ(result.status, 1) << result.err;
        const std::size_t reached = (kMaxFolderPath - 2 - dir.file("tree").size()) / 3;
        std::string unreached = dir.file("tree");
        for (std::size_t level = 0; level <= reached; ++level)
            unreached += "/dd";
        EXPECT_EQ(result.out,
                  "{\"input\":\"" + unreached
                      + "\",\"status\":\"skipped\",\"error\":\"its path is longer "
                        "than the system allows\"}\n{\"input\":\""
                      + dir.file("tree/top.vcf") + "\",\"status\":\"written\",\"output\":\"" + out
                      + "/top.jpg\"}\n");
    }
#else
    TEST(CommandLine, ATreeOf2000LevelsGivesTheFilesWithinReachAndTellsTheRest)
    {
        GTEST_SKIP() << "the deep tree is made with openat, which Windows lacks";
    }
#endif

    struct BadPatternCase
    {
        const char* name;
        std::vector<std::string> options;
        std::string err;
    };

    class BadPatternTest : public ::testing::TestWithParam<BadPatternCase>
    {
    };

    TEST_P(BadPatternTest, ExitsWithTwo)
    {
        TempDir dir;
        std::vector<std::string> args {"extract", "-o", dir.path(), dir.path()};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1), GetParam().err);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        BadPatternTest,
        ::testing::Values(
            BadPatternCase {"Missing", {"--pattern"}, "orvandel: option '--pattern' needs a pattern\n"},
            BadPatternCase {"Empty",
                            {"--pattern="},
                            "orvandel: a pattern matches file names and cannot be empty or hold '/': ''\n"},
            BadPatternCase {
                "Path",
                {"--pattern", "sub/*.vcf"},
                "orvandel: a pattern matches file names and cannot be empty or hold '/': 'sub/*.vcf'\n"}),
        [](const auto& info) { return std::string(info.param.name); });

    // A failure of the scan itself (a step that throws) is one line that names the folder given.
    TEST(CliScanHost, TellsAFailureInOneLineThatNamesTheFolder)
    {
        std::ostringstream out;
        std::ostringstream err;
        CliScanHost host(CliRunOptions {}, out, err);
        host.scanning("cards/new\nfolder");
        host.stepFailed({ScanStep::ListFolder, "Out of memory"});
        EXPECT_EQ(err.str(), "orvandel: cards/new\\nfolder: Out of memory\n");
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(host.anyFailed());
    }

    TEST(CommandLine, HelpTellsOfFoldersAndPatterns)
    {
        const auto help = RunCli({"--help"});
        EXPECT_NE(help.out.find("--pattern GLOB"), std::string::npos);
        EXPECT_NE(help.out.find("default: *.vcf and *.vcard"), std::string::npos);
    }

} // namespace
} // namespace orvandel
