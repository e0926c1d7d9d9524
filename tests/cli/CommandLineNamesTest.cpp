#include "cli/CommandLine.h"
#include "support/PythonJson.h"
#include "support/ReadTerminalText.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using namespace test;
    namespace fs = std::filesystem;

    const std::string kClassicCard
        = "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n 2Q==\r\nEND:VCARD\r\n";
    // Its FN sets a terminal's title and rings its bell when written raw.
    const std::string kThoroughCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\x1b]0;title\x07\r\nPHOTO;"
                                      "ENCODING=b:/9j/2Q==\r\nEND:VCARD\r\n";

    std::vector<std::string> Split(const std::string& text, char separator)
    {
        std::vector<std::string> parts;
        std::size_t at = 0;
        for (std::size_t end; (end = text.find(separator, at)) != std::string::npos; at = end + 1)
            parts.push_back(text.substr(at, end - at));
        if (at < text.size())
            parts.push_back(text.substr(at));
        return parts;
    }

    // stderr less the progress line's own "go to the start of the line and clear it".
    std::string WithoutLineClearing(std::string text)
    {
        for (std::size_t at; (at = text.find("\r\x1b[K")) != std::string::npos;)
            text.erase(at, 4);
        return text;
    }

    struct NameCase
    {
        const char* name;
        std::string fileName;
    };

    class OddNameTest : public ::testing::TestWithParam<NameCase>
    {
    protected:
        void SetUp() override
        {
#if defined(_WIN32)
            GTEST_SKIP() << "Windows file names hold no control characters and no bytes that are not UTF-8";
#endif
            m_classic = m_dir.write("classic/" + GetParam().fileName, kClassicCard);
            m_thorough = m_dir.write("thorough/" + GetParam().fileName, kThoroughCard);
            m_missing = m_dir.file("gone " + GetParam().fileName);
        }

        TempDir m_dir;
        std::string m_out = m_dir.mkdir("out");
        std::string m_classic;
        std::string m_thorough;
        std::string m_missing;
    };

    TEST_P(OddNameTest, ClassicTextGivesOneCleanLinePerInput)
    {
        const auto result = RunCli({"extract", "-o", m_out, m_classic, m_missing}, true);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(IsCleanText(result.out, "\t\n")) << result.out;
        EXPECT_TRUE(IsCleanText(WithoutLineClearing(result.err), "\n")) << result.err;
        const auto lines = Split(result.out, '\n');
        ASSERT_EQ(lines.size(), 2u) << result.out;
        const auto written = Split(lines[0], '\t');
        ASSERT_EQ(written.size(), 3u) << lines[0];
        EXPECT_EQ(written[0], "written");
        EXPECT_EQ(ReadTerminalText(written[1]), m_classic);
        const std::string output = ReadTerminalText(written[2]);
        EXPECT_EQ(output,
                  m_out + kSeparator + GetParam().fileName.substr(0, GetParam().fileName.size() - 4)
                      + ".jpg");
        EXPECT_TRUE(fs::is_regular_file(output));
        const auto failed = Split(lines[1], '\t');
        ASSERT_EQ(failed.size(), 3u) << lines[1];
        EXPECT_EQ(ReadTerminalText(failed[1]), m_missing);
        EXPECT_EQ(ReadTerminalText(failed[2]), "File not found: " + m_missing);
    }

    TEST_P(OddNameTest, ThoroughTextGivesOneCleanLinePerInput)
    {
        const auto result = RunCli({"extract", "--thorough", "-o", m_out, m_thorough, m_missing}, true);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(IsCleanText(result.out, "\t\n")) << result.out;
        EXPECT_TRUE(IsCleanText(WithoutLineClearing(result.err), "\n")) << result.err;
        const auto lines = Split(result.out, '\n');
        ASSERT_EQ(lines.size(), 2u) << result.out;
        const auto written = Split(lines[0], '\t');
        ASSERT_EQ(written.size(), 6u) << lines[0];
        EXPECT_EQ(ReadTerminalText(written[1]), m_thorough);
        EXPECT_EQ(ReadTerminalText(written[3]), "Ann\x1b]0;title\x07");
        EXPECT_TRUE(fs::is_regular_file(ReadTerminalText(written[4]))) << written[4];
        const auto failed = Split(lines[1], '\t');
        ASSERT_EQ(failed.size(), 5u) << lines[1];
        EXPECT_EQ(ReadTerminalText(failed[1]), m_missing);
        EXPECT_EQ(ReadTerminalText(failed[4]), "File not found: " + m_missing);
    }

    TEST_P(OddNameTest, JsonGivesTheExactBytesBack)
    {
        if (std::string(ORVANDEL_PYTHON3).empty())
            GTEST_SKIP() << "no python3";
        for (const bool thorough : {false, true}) {
            std::vector<std::string> args {
                "extract", "--json", "-o", m_out, thorough ? m_thorough : m_classic, m_missing};
            if (thorough)
                args.insert(args.begin() + 1, "--thorough");
            const auto result = RunCli(args, true);
            EXPECT_EQ(result.status, 1);
            EXPECT_TRUE(IsCleanText(result.out, "\n")) << result.out;
            EXPECT_TRUE(IsCleanText(WithoutLineClearing(result.err), "\n")) << result.err;
            const auto inputs = PythonReadsBack(ORVANDEL_PYTHON3, m_dir.path(), result.out, "input");
            EXPECT_EQ(inputs,
                      (std::vector<std::string> {Hex(thorough ? m_thorough : m_classic), Hex(m_missing)}))
                << result.out;
            const auto outputs = PythonReadsBack(ORVANDEL_PYTHON3, m_dir.path(), result.out, "output");
            ASSERT_EQ(outputs.size(), 2u) << result.out;
            EXPECT_EQ(outputs[1], "-");
            bool found = false;
            for (const auto& entry : fs::directory_iterator(m_out))
                found = found || Hex(entry.path().string()) == outputs[0];
            EXPECT_TRUE(found) << "the output names a file that exists: " << result.out;
        }
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             OddNameTest,
                             ::testing::Values(NameCase {"LineBreak", "new\nline.vcf"},
                                               NameCase {"CarriageReturn", "over\rwrite.vcf"},
                                               NameCase {"Tab", "tab\there.vcf"},
                                               NameCase {"Escape", "red\x1b[31m.vcf"},
                                               NameCase {"C1", "next\xC2\x85line.vcf"},
                                               NameCase {"LoneC1Byte",
                                                         "csi\x9B"
                                                         "2J.vcf"},
                                               NameCase {"NotUtf8Ff", "bad\xFF.vcf"},
                                               NameCase {"NotUtf8Fe", "bad\xFE.vcf"},
                                               NameCase {"Backslash", "back\\nslash.vcf"}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(CommandLineNames, InputsThatDifferInOneByteStayApartInJson)
    {
#if defined(_WIN32)
        GTEST_SKIP() << "Windows file names hold no bytes that are not UTF-8";
#endif
        if (std::string(ORVANDEL_PYTHON3).empty())
            GTEST_SKIP() << "no python3";
        TempDir dir;
        const auto out = dir.mkdir("out");
        const auto ff = dir.write("bad\xFF.vcf", kClassicCard);
        const auto fe = dir.write("bad\xFE.vcf", kClassicCard);
        const auto result = RunCli({"extract", "--json", "-o", out, ff, fe});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(PythonReadsBack(ORVANDEL_PYTHON3, dir.path(), result.out, "input"),
                  (std::vector<std::string> {Hex(ff), Hex(fe)}));
        EXPECT_EQ(PythonReadsBack(ORVANDEL_PYTHON3, dir.path(), result.out, "output"),
                  (std::vector<std::string> {Hex(out + "/bad\xFF.jpg"), Hex(out + "/bad\xFE.jpg")}));
        EXPECT_TRUE(fs::is_regular_file(out + "/bad\xFF.jpg"));
        EXPECT_TRUE(fs::is_regular_file(out + "/bad\xFE.jpg"));
    }

} // namespace
} // namespace orvandel
