#include "app/CommandLine.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
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
        if (GetParam().skippedFolder)
            dir.write("cards/what?/d.vcf", kCard);
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

} // namespace
} // namespace orvandel
