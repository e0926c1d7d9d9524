#include "report/RunTexts.h"

#include "report/StepTable.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace orvandel {
namespace {

    TEST(ErrorReport, ReadsLineByLine)
    {
        const ErrorReport report {"Bad Base64 string.", "in Tessivor2021/08/31.Form1.PushButton2_Click ",
                                  172};
        EXPECT_EQ(report.text(),
                  "Bad Base64 string.\r\n"
                  "in Tessivor2021/08/31.Form1.PushButton2_Click at line 172\r\r"
                  "Please email screenshot of this message to support@quorvane.example");
    }

    // Each procedure's locator as its reports show it, and the lines its steps may carry.
    struct ProcedureText
    {
        const char* locator;
        std::set<int> lines;
    };

    std::set<int> Lines(int first, int last, std::set<int> more = {})
    {
        for (int line = first; line <= last; line += 2)
            more.insert(line);
        return more;
    }

    const std::map<Procedure, ProcedureText> kProcedureTexts = {
        {Procedure::FormLoad, {"in Tessivor2021/08/31.Form1.Form_Load ", Lines(100, 132)}},
        {Procedure::AddFiles, {"in Tessivor2021/08/31.Form1.PushButton1_Click ", Lines(100, 148)}},
        {Procedure::Extraction, {"in Tessivor2021/08/31.Form1.PushButton2_Click ", Lines(100, 198)}},
        {Procedure::Samples, {"in Tessivor2021/08/31.Form1.PushButton6_Click ", {100}}},
        {Procedure::AddFolder,
         {"in Tessivor2021/08/31.Form1.PushButton7_Click ", Lines(100, 140, {333, 334})}},
        {Procedure::ClearList, {"in Tessivor2021/08/31.Form1.PushButton8_Click ", {100}}},
        {Procedure::Browse, {"in Tessivor2021/08/31.Form1.PushButton9_Click ", Lines(100, 108)}},
        {Procedure::FolderScan, {"in Brenmoor2021/08/31.AddFolder.GetSubDirectories2016 ", Lines(100, 160)}},
    };

    // Every row of the table gives the report its procedure must show: its locator, and a line
    // of that procedure's.
    TEST(StepTable, EveryRowGivesItsProceduresReport)
    {
        std::set<Procedure> listed;
        for (const ProcedureRow& row : ProcedureTable())
            EXPECT_TRUE(listed.insert(row.procedure).second) << "each procedure once";
        EXPECT_EQ(listed.size(), kProcedureTexts.size());
        std::set<StepName> steps;
        for (const StepRow& row : StepTable()) {
            EXPECT_TRUE(steps.insert(row.step).second) << "each step once, at line " << row.line;
            const ProcedureText& expected = kProcedureTexts.at(row.procedure);
            EXPECT_TRUE(expected.lines.contains(row.line)) << expected.locator << row.line;
            const auto report = StepReport(row.step, "It broke.");
            ASSERT_TRUE(report.has_value());
            EXPECT_EQ(report->text(),
                      "It broke.\r\n" + std::string(expected.locator) + "at line " + std::to_string(row.line)
                          + "\r\rPlease email screenshot of this message to support@quorvane.example");
        }
    }

    // Every step that can fail in a procedure that reports has its number: the classic run's (a
    // thorough run lists its failures instead), the scan's, and the window's own.
    TEST(StepTable, NoReportedStepIsLeftOut)
    {
        const std::set<RunStep> thoroughOnly
            = {RunStep::OpenInput,   RunStep::ReadCards,   RunStep::ReadProgress, RunStep::ReadYield,
               RunStep::CreatePhoto, RunStep::DecodePhoto, RunStep::WritePhoto,   RunStep::NamePhoto,
               RunStep::FetchPhoto,  RunStep::FetchYield};
        for (int step = 0; step <= static_cast<int>(RunStep::Done); ++step) {
            const auto run = static_cast<RunStep>(step);
            EXPECT_EQ(FindStep(run) != nullptr, !thoroughOnly.contains(run)) << "RunStep " << step;
        }
        for (int step = 0; step <= static_cast<int>(ScanStep::AddFile); ++step)
            EXPECT_NE(FindStep(static_cast<ScanStep>(step)), nullptr) << "ScanStep " << step;
        for (int step = 0; step <= static_cast<int>(FormStep::PutAsItIs); ++step) {
            const auto form = static_cast<FormStep>(step);
            const bool thorough = form == FormStep::RunReadProgress || form == FormStep::RunReadCaption;
            EXPECT_EQ(FindStep(form) != nullptr, !thorough) << "FormStep " << step;
        }
    }

    struct CaptionCase
    {
        const char* name;
        std::string caption;
        std::string expected;
    };

    class CaptionTest : public ::testing::TestWithParam<CaptionCase>
    {
    };

    TEST_P(CaptionTest, ReadsAsShown)
    {
        EXPECT_EQ(GetParam().caption, GetParam().expected);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        CaptionTest,
        ::testing::Values(CaptionCase {"Item", ItemCaption("/cards/card1.vcf"), "Processing: card1.vcf"},
                          CaptionCase {"NothingRead", ReadingCaption("/a/a.vcf", 0, 122),
                                       "Processing: a.vcf (0.0 of 0.0 MB)"},
                          CaptionCase {"Megabytes", ReadingCaption("big.vcf", 1048576, 3300000),
                                       "Processing: big.vcf (1.0 of 3.3 MB)"},
                          CaptionCase {"ToTheNearestTenth", ReadingCaption("big.vcf", 3349999, 3350000),
                                       "Processing: big.vcf (3.3 of 3.4 MB)"}),
        [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
