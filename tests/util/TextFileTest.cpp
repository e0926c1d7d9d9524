#include "util/TextFile.h"

#include "support/TempDir.h"
#include "util/FileError.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvandel {
namespace {

    using test::Slurp;
    using test::TempDir;

    struct LinesCase
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };

    class ReadFileLinesTest : public ::testing::TestWithParam<LinesCase>
    {
    };

    TEST_P(ReadFileLinesTest, SplitsAtLineEnds)
    {
        TempDir dir;
        const auto path = dir.write("card.vcf", GetParam().bytes);
        EXPECT_EQ(ReadFileLines(path), GetParam().lines);
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             ReadFileLinesTest,
                             ::testing::Values(LinesCase {"CrLf", "A\r\nB", {"A", "B"}},
                                               LinesCase {"FinalCrLfAddsNoLine", "A\r\nB\r\n", {"A", "B"}},
                                               LinesCase {"EmptyFile", "", {""}},
                                               LinesCase {"OnlyALineBreak", "\n", {""}},
                                               LinesCase {
                                                   "TwoPairsGiveAnEmptyLine", "A\r\n\r\nB", {"A", "", "B"}},
                                               LinesCase {"BareLineFeeds", "A\nB\n", {"A", "B"}},
                                               LinesCase {"LoneCrStaysInTheLine", "A\rB\nC", {"A\rB", "C"}},
                                               LinesCase {"CrCrLf", "A\r\r\nB", {"A\r", "B"}},
                                               LinesCase {"BytesAsTheyAre",
                                                          std::string("\xFF\xFE"
                                                                      "A\0B",
                                                                      5),
                                                          {std::string("\xFF\xFE"
                                                                       "A\0B",
                                                                       5)}},
                                               LinesCase {"FinalEmptyLineKept", "A\n\n", {"A", ""}}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(TextLines, JoinsLinesWithLineFeeds)
    {
        const auto lines = TextLines::fromBytes("A\r\nBC\nD\r\n");
        EXPECT_EQ(lines.text(), "A\nBC\nD");
        ASSERT_EQ(lines.lineCount(), 3u);
        EXPECT_EQ(lines.lineStart(2), 5u);
        EXPECT_EQ(lines.firstLineAfter(0), 1u);
        EXPECT_EQ(lines.firstLineAfter(2), 2u);
        EXPECT_EQ(lines.firstLineAfter(5), 3u);
    }

    TEST(ReadWholeFile, ReadsLargeFilesWhole)
    {
        TempDir dir;
        std::string bytes(3 * 1024 * 1024 + 17, 'x');
        bytes[12345] = '\n';
        const auto path = dir.write("big.vcf", bytes);
        EXPECT_EQ(ReadWholeFile(path), bytes);
    }

    // A file that tells no size (as the kernel's files in /proc) is read to its end all the same.
    TEST(ReadWholeFile, ReadsAFileThatTellsNoSize)
    {
        const std::string status = ReadWholeFile("/proc/self/status");
        EXPECT_EQ(status.substr(0, 5), "Name:");
        EXPECT_NE(status.find("\nPid:"), std::string::npos) << status;
    }

    FileErrorKind KindOfReading(const std::string& path)
    {
        try {
            ReadFileLines(path);
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos)
                << "the message names the path";
            return error.kind();
        }
        ADD_FAILURE() << "no error for " << path;
        return FileErrorKind::ReadFailed;
    }

#if !defined(_WIN32)
    TEST(ReadFileLines, RefusesWhatIsNotARegularFile)
    {
        TempDir dir;
        const auto pipe = dir.file("pipe.vcf");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        // With no writer on the pipe, a blocking open would never return.
        EXPECT_EQ(KindOfReading(pipe), FileErrorKind::NotRegularFile);
        EXPECT_EQ(KindOfReading(dir.mkdir("folder.vcf")), FileErrorKind::NotRegularFile);
        EXPECT_EQ(KindOfReading("/dev/zero"), FileErrorKind::NotRegularFile);
    }
#else
    TEST(ReadFileLines, RefusesWhatIsNotARegularFile)
    {
        GTEST_SKIP() << "Windows has no pipes and no /dev/zero";
    }
#endif

    // A file beside the program is read only when it is a regular file within its limit; what
    // is refused never keeps the reader waiting.
    struct UpToCase
    {
        const char* name;
        std::function<std::string(TempDir&)> make; // the path to read
        std::optional<FileErrorKind> refused;
    };

    class ReadRegularFileUpToTest : public ::testing::TestWithParam<UpToCase>
    {
    };

    TEST_P(ReadRegularFileUpToTest, ReadsOrRefuses)
    {
        TempDir dir;
        const std::string path = GetParam().make(dir);
        try {
            const std::string bytes = ReadRegularFileUpTo(path, 16);
            EXPECT_FALSE(GetParam().refused) << "read " << bytes.size() << " bytes";
            EXPECT_EQ(bytes, Slurp(path));
        } catch (const FileError& error) {
            EXPECT_EQ(GetParam().refused, error.kind()) << error.what();
        }
    }

#if !defined(_WIN32)
    std::string Link(TempDir& dir, const std::string& to)
    {
        const std::string link = dir.file("link");
        EXPECT_EQ(::symlink(to.c_str(), link.c_str()), 0);
        return link;
    }
#endif

    std::vector<UpToCase> UpToCases()
    {
        std::vector<UpToCase> cases {
            {"WithinTheLimit", [](TempDir& dir) { return dir.write("a", "short"); }, std::nullopt},
            {"AtTheLimit", [](TempDir& dir) { return dir.write("a", std::string(16, 'x')); }, std::nullopt},
            {"Empty", [](TempDir& dir) { return dir.write("a", ""); }, std::nullopt},
            {"OneByteOver", [](TempDir& dir) { return dir.write("a", std::string(17, 'x')); },
             FileErrorKind::TooLarge},
            {"Missing", [](TempDir& dir) { return dir.file("a"); }, FileErrorKind::NotFound},
            {"Folder", [](TempDir& dir) { return dir.mkdir("a"); }, FileErrorKind::NotRegularFile},
        };
#if !defined(_WIN32)
        cases.push_back({"Pipe",
                         [](TempDir& dir) {
                             const auto pipe = dir.file("pipe");
                             EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
                             return pipe;
                         },
                         FileErrorKind::NotRegularFile});
        cases.push_back({"LinkToADevice", [](TempDir& dir) { return Link(dir, "/dev/zero"); },
                         FileErrorKind::NotRegularFile});
        cases.push_back(
            {"LinkToAFile", [](TempDir& dir) { return Link(dir, dir.write("a", "through")); }, std::nullopt});
        // The kernel's files tell no size; they are read up to the limit.
        cases.push_back({"TellsNoSize", [](TempDir&) { return std::string("/proc/self/status"); },
                         FileErrorKind::TooLarge});
#endif
        return cases;
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             ReadRegularFileUpToTest,
                             ::testing::ValuesIn(UpToCases()),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(ReadFileLines, TellsAMissingFile)
    {
        TempDir dir;
        EXPECT_EQ(KindOfReading(dir.file("missing.vcf")), FileErrorKind::NotFound);
    }

#if !defined(_WIN32)
    TEST(ReadFileLines, TellsADeniedFile)
    {
        if (::geteuid() == 0)
            GTEST_SKIP() << "root reads every file";
        TempDir dir;
        const auto path = dir.write("locked.vcf", "A");
        ASSERT_EQ(::chmod(path.c_str(), 0), 0);
        EXPECT_EQ(KindOfReading(path), FileErrorKind::AccessDenied);
    }
#else
    TEST(ReadFileLines, TellsADeniedFile)
    {
        GTEST_SKIP() << "Windows has no permission bits";
    }
#endif

} // namespace
} // namespace orvandel
