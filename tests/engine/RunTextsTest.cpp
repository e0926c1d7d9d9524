#include "app/RunTexts.h"

#include "app/WindowRunState.h"

#include <gtest/gtest.h>
#include <set>

namespace orvandel {
namespace {

    struct StepLineCase
    {
        const char* name;
        RunStep step;
        int line;
    };

    // Every step of both runs, with the line number its reports show.
    const StepLineCase kStepLines[] = {
        {"CheckList", RunStep::CheckList, 104},
        {"CheckFolder", RunStep::CheckFolder, 106},
        {"Count", RunStep::Count, 108},
        {"ReadItem", RunStep::ReadItem, 110},
        {"Progress", RunStep::Progress, 112},
        {"Caption", RunStep::Caption, 114},
        {"Yield", RunStep::Yield, 116},
        {"Busy", RunStep::Busy, 118},
        {"ReadCard", RunStep::ReadCard, 120},
        {"FindPhoto", RunStep::FindPhoto, 122},
        {"CreateGif", RunStep::CreateGif, 170},
        {"WriteGif", RunStep::WriteGif, 172},
        {"CloseGif", RunStep::CloseGif, 174},
        {"CreateJpeg", RunStep::CreateJpeg, 176},
        {"WriteJpeg", RunStep::WriteJpeg, 178},
        {"CloseJpeg", RunStep::CloseJpeg, 180},
        {"OpenInput", RunStep::OpenInput, 120},
        {"ReadCards", RunStep::ReadCards, 122},
        {"ReadProgress", RunStep::ReadProgress, 124},
        {"ReadCaption", RunStep::ReadCaption, 126},
        {"ReadYield", RunStep::ReadYield, 128},
        {"CreatePhoto", RunStep::CreatePhoto, 130},
        {"DecodePhoto", RunStep::DecodePhoto, 132},
        {"WritePhoto", RunStep::WritePhoto, 134},
        {"NamePhoto", RunStep::NamePhoto, 136},
        {"PointerBack", RunStep::PointerBack, 186},
        {"ProgressBack", RunStep::ProgressBack, 188},
        {"CaptionBack", RunStep::CaptionBack, 190},
        {"Flush", RunStep::Flush, 192},
        {"Done", RunStep::Done, 192},
        {"ShowNoFolder", RunStep::ShowNoFolder, 194},
        {"ShowNoFiles", RunStep::ShowNoFiles, 196},
    };

    class StepLineTest : public ::testing::TestWithParam<StepLineCase>
    {
    };

    TEST_P(StepLineTest, IsTheReportsLine)
    {
        EXPECT_EQ(StepLine(GetParam().step), GetParam().line);
    }

    INSTANTIATE_TEST_SUITE_P(Table, StepLineTest, ::testing::ValuesIn(kStepLines), [](const auto& info) {
        return std::string(info.param.name);
    });

    TEST(StepLines, TheTableNamesEveryStep)
    {
        std::set<int> listed;
        for (const StepLineCase& entry : kStepLines)
            listed.insert(static_cast<int>(entry.step));
        EXPECT_EQ(listed.size(), std::size(kStepLines)) << "each step once";
        EXPECT_EQ(*listed.begin(), 0);
        EXPECT_EQ(*listed.rbegin(), static_cast<int>(RunStep::Done));
        EXPECT_EQ(listed.size(), static_cast<std::size_t>(RunStep::Done) + 1) << "no step left out";
    }

    TEST(StepReport, NamesTheRunAndTheLine)
    {
        EXPECT_EQ(
            StepReport(RunKind::Classic, {RunStep::WriteJpeg, "Bad character In Base64 string."}).text(),
            "Bad character In Base64 string.\r\n"
            "in Tessivor2021/08/31.Form1.PushButton2_Click at line 178\r\r"
            "Please email screenshot of this message to support@quorvane.example");
        const ErrorReport thorough = StepReport(RunKind::Thorough, {RunStep::DecodePhoto, "Cannot decode"});
        EXPECT_EQ(thorough.locator, "in Tessivor2021/08/31.Form1.ThoroughExtract ");
        EXPECT_EQ(thorough.line, 132);
        EXPECT_EQ(thorough.description, "Cannot decode");
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

    TEST(WindowRunState, IsBusyWhileAnyLoopHoldsIt)
    {
        WindowRunState state;
        EXPECT_FALSE(state.isBusy());
        state.loopStarted(); // a run
        state.loopStarted(); // the folder command during it
        state.loopEnded();
        EXPECT_TRUE(state.isBusy()) << "the run still holds it";
        state.loopEnded();
        EXPECT_FALSE(state.isBusy());
        state.loopEnded();
        EXPECT_FALSE(state.isBusy()) << "no count below none";
        state.loopStarted();
        EXPECT_TRUE(state.isBusy());
    }

    TEST(WindowRunState, OnlyAThoroughRunUnderWayIsAskedToStop)
    {
        WindowRunState state;
        state.requestStop();
        EXPECT_FALSE(state.isStopRequested()) << "no run";
        state.runStarted(RunKind::Classic);
        state.requestStop();
        EXPECT_FALSE(state.isStopRequested()) << "the classic run has no stop";
        state.runEnded();
        state.runStarted(RunKind::Thorough);
        EXPECT_TRUE(state.isExtracting(RunKind::Thorough));
        EXPECT_FALSE(state.isExtracting(RunKind::Classic));
        state.requestStop();
        state.requestStop();
        EXPECT_TRUE(state.isStopRequested());
        state.runEnded();
        EXPECT_FALSE(state.isExtracting());
        state.runStarted(RunKind::Thorough);
        EXPECT_FALSE(state.isStopRequested()) << "a stop asked before stops no later run";
    }

} // namespace
} // namespace orvandel
