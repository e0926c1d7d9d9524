#include "cli/CommandLine.h"
#include "cli/StdoutLines.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <streambuf>

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using test::TempDir;

    const std::string kCard
        = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n 2Q==\r\nEND:VCARD\r\n";

    // A stdout on a full disk: it takes nothing.
    class FullDisk : public std::streambuf
    {
    protected:
        int_type overflow(int_type) override
        {
            errno = ENOSPC;
            return traits_type::eof();
        }
        std::streamsize xsputn(const char*, std::streamsize) override
        {
            errno = ENOSPC;
            return 0;
        }
    };

    std::size_t FilesIn(const std::string& folder)
    {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
            ++count;
        return count;
    }

    struct StdoutCase
    {
        const char* name;
        std::vector<std::string> options;
        bool skippedFolder; // the inputs' folder holds a folder that is not entered
        std::size_t images; // written before the command stopped
    };

    class FailedStdoutTest : public ::testing::TestWithParam<StdoutCase>
    {
    };

    // The report that cannot be written ends the command at its next yield, with a message on
    // stderr and the exit status 1; the images written so far are complete.
    TEST_P(FailedStdoutTest, EndsTheCommandWithOne)
    {
        TempDir dir;
        const auto out = dir.mkdir("out");
        for (const char* name : {"cards/a.vcf", "cards/b.vcf", "cards/c.vcf"})
            dir.write(name, kCard);
        if (GetParam().skippedFolder) {
#if defined(_WIN32)
            // No "?" in a Windows name; a DEL is not followed either.
            dir.write("cards/what\x7f/d.vcf", kCard);
#else
            dir.write("cards/what?/d.vcf", kCard);
#endif
        }
        std::vector<std::string> args {"extract", "-o", out};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        args.push_back(dir.file("cards"));

        FullDisk disk;
        std::ostream stdoutStream(&disk);
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine(test::CommandOf(args), stdoutStream, err, false), 1);
        const std::string message = "orvandel: cannot write to stdout: No space left on device\n";
        const std::string told = err.str();
        ASSERT_NE(told.find(message), std::string::npos) << told;
        EXPECT_EQ(told.find(message), told.rfind(message)) << "told once: " << told;
        EXPECT_EQ(FilesIn(out), GetParam().images);
        for (const auto& entry : fs::directory_iterator(out))
            EXPECT_EQ(test::Slurp(entry.path().string()), std::string("\xFF\xD8\xFF\xD9", 4)) << entry.path();
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             FailedStdoutTest,
                             ::testing::Values(StdoutCase {"Text", {}, false, 1},
                                               StdoutCase {"Json", {"--json"}, false, 1},
                                               StdoutCase {"Thorough", {"--thorough"}, false, 1},
                                               StdoutCase {
                                                   "ThoroughJson", {"--thorough", "--json"}, false, 1},
                                               StdoutCase {"SkippedFolderLine", {}, true, 0}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(FailedStdout, HelpAndVersionFailToo)
    {
        for (const char* option : {"--help", "--version"}) {
            FullDisk disk;
            std::ostream stdoutStream(&disk);
            std::ostringstream err;
            EXPECT_EQ(RunCommandLine(test::CommandOf({option}), stdoutStream, err, false), 1) << option;
            EXPECT_EQ(err.str(), "orvandel: cannot write to stdout: No space left on device\n");
        }
    }

    // --- When the lines go out. ---

    struct LinesStep
    {
        char action; // 'p' print `line`, 'd' flushIfDue, 'f' flush, 'x' the lines end (destroyed)
        int atMilliseconds;
        std::string line;
        std::string out; // what stdout holds afterwards
    };

    struct LinesCase
    {
        const char* name;
        bool buffered;
        std::vector<LinesStep> steps;
    };

    class StdoutLinesTest : public ::testing::TestWithParam<LinesCase>
    {
    };

    TEST_P(StdoutLinesTest, WritesWhenDue)
    {
        std::ostringstream out;
        std::ostringstream err;
        StdoutLines::Clock::time_point now {};
        std::optional<StdoutLines> lines;
        lines.emplace(out, err, GetParam().buffered, [&] { return now; });
        for (const LinesStep& step : GetParam().steps) {
            now = StdoutLines::Clock::time_point {} + std::chrono::milliseconds(step.atMilliseconds);
            switch (step.action) {
            case 'p':
                lines->print(step.line);
                break;
            case 'd':
                lines->flushIfDue();
                break;
            case 'f':
                lines->flush();
                break;
            default:
                lines.reset();
                break;
            }
            EXPECT_EQ(out.str(), step.out) << step.action << " at " << step.atMilliseconds << " ms";
        }
        EXPECT_EQ(err.str(), "");
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        StdoutLinesTest,
        ::testing::Values(
            LinesCase {"TheFirstLineGoesOutAtOnce", true, {{'p', 1000, "a", "a\n"}}},
            LinesCase {"LaterLinesWaitFor100Milliseconds",
                       true,
                       {{'p', 0, "a", "a\n"},
                        {'p', 10, "b", "a\n"},
                        {'p', 99, "c", "a\n"},
                        {'p', 100, "d", "a\nb\nc\nd\n"},
                        {'p', 150, "e", "a\nb\nc\nd\n"}}},
            LinesCase {"AYieldWritesThemWhenDue",
                       true,
                       {{'p', 0, "a", "a\n"},
                        {'p', 50, "b", "a\n"},
                        {'d', 60, "", "a\n"},
                        {'d', 100, "", "a\nb\n"},
                        {'d', 300, "", "a\nb\n"},
                        {'p', 301, "c", "a\nb\nc\n"}}},
            LinesCase {"FlushWritesThemAtOnce",
                       true,
                       {{'p', 0, "a", "a\n"}, {'p', 1, "b", "a\n"}, {'f', 2, "", "a\nb\n"}}},
            LinesCase {"TheEndWritesThem",
                       true,
                       {{'p', 0, "a", "a\n"}, {'p', 1, "b", "a\n"}, {'x', 2, "", "a\nb\n"}}},
            LinesCase {"ATerminalGetsEachLine",
                       false,
                       {{'p', 0, "a", "a\n"}, {'p', 1, "b", "a\nb\n"}, {'p', 2, "c", "a\nb\nc\n"}}},
            LinesCase {"64KilobytesDoNotWait",
                       true,
                       {{'p', 0, "a", "a\n"},
                        {'p', 1, std::string(40000, 'b'), "a\n"},
                        {'p', 2, std::string(30000, 'c'),
                         "a\n" + std::string(40000, 'b') + "\n" + std::string(30000, 'c') + "\n"}}}),
        [](const auto& info) { return std::string(info.param.name); });

    // Where stdout and stderr meet in one file, the lines written before a report come before it.
    TEST(StdoutLines, LinesWaitingComeBeforeAReport)
    {
        TempDir dir;
        const auto out = dir.mkdir("out");
        dir.write("cards/a.vcf", kCard);
        dir.write("cards/b.vcf", kCard);
        dir.write("cards/c.vcf", "PHOTO:QUJD!\r\n");
        std::ostringstream both;
        const int status
            = RunCommandLine(test::CommandOf({"extract", "-o", out, dir.file("cards")}), both, both, false);
        EXPECT_EQ(status, 1);
        const std::string text = both.str();
        const auto b = text.find("written\t" + test::Shown(dir.file("cards/b.vcf")));
        const auto report = text.find("orvandel: " + test::Shown(dir.file("cards/c.vcf")) + ": line 1: ");
        const auto c = text.find("error\t" + test::Shown(dir.file("cards/c.vcf")));
        ASSERT_NE(b, std::string::npos) << text;
        ASSERT_NE(report, std::string::npos) << text;
        ASSERT_NE(c, std::string::npos) << text;
        EXPECT_LT(text.find("written\t" + test::Shown(dir.file("cards/a.vcf"))), b) << text;
        EXPECT_LT(b, report) << text;
        EXPECT_LT(report, c) << text;
    }

} // namespace
} // namespace orvandel
