#include "StepTable.h"

#include <iterator>

namespace orvandel {

namespace {

    constexpr ProcedureRow kProcedures[] = {
        {Procedure::FormLoad, "in Tessivor2021/08/31.Form1.Form_Load "},
        {Procedure::AddFiles, "in Tessivor2021/08/31.Form1.PushButton1_Click "},
        {Procedure::Extraction, "in Tessivor2021/08/31.Form1.PushButton2_Click "},
        {Procedure::Samples, "in Tessivor2021/08/31.Form1.PushButton6_Click "},
        {Procedure::AddFolder, "in Tessivor2021/08/31.Form1.PushButton7_Click "},
        {Procedure::ClearList, "in Tessivor2021/08/31.Form1.PushButton8_Click "},
        {Procedure::Browse, "in Tessivor2021/08/31.Form1.PushButton9_Click "},
        {Procedure::FolderScan, "in Brenmoor2021/08/31.AddFolder.GetSubDirectories2016 "},
    };

    using enum Procedure;

    const StepRow kSteps[] = {
        {FormStep::ApplySkin, FormLoad, 100},
        {FormStep::LookForHandCursor, FormLoad, 104},
        {FormStep::LoadHandCursor, FormLoad, 106},
        {FormStep::ShowCaption, FormLoad, 126},
        {FormStep::AddColumn, FormLoad, 128},
        {FormStep::SizeColumn, FormLoad, 130},
        {FormStep::FillOutputBox, FormLoad, 132},

        {FormStep::ShowOpenDialog, AddFiles, 112},
        {FormStep::OpenDialogCancelled, AddFiles, 114},
        {FormStep::AddPickedFile, AddFiles, 122},
        {FormStep::JoinPickedName, AddFiles, 136},
        {FormStep::NormalizePickedPath, AddFiles, 138},
        {FormStep::AddPickedPath, AddFiles, 140},

        // The classic run: the opening checks and each input's course, as the engine runs them,
        // and what the window shows of them.
        {RunStep::CheckList, Extraction, 104},
        {RunStep::CheckFolder, Extraction, 106},
        {RunStep::Count, Extraction, 108},
        {RunStep::ReadItem, Extraction, 110},
        {RunStep::Progress, Extraction, 112},
        {FormStep::RunProgress, Extraction, 112},
        {FormStep::RunCaption, Extraction, 114},
        {RunStep::Yield, Extraction, 116},
        {RunStep::Busy, Extraction, 118},
        // Its card file, its first photo and its one image file.
        {RunStep::ReadCard, Extraction, 120},
        {RunStep::FindPhoto, Extraction, 122},
        {RunStep::CreateGif, Extraction, 170},
        {RunStep::WriteGif, Extraction, 172},
        {RunStep::CloseGif, Extraction, 174},
        {RunStep::CreateJpeg, Extraction, 176},
        {RunStep::WriteJpeg, Extraction, 178},
        {RunStep::CloseJpeg, Extraction, 180},
        // The end.
        {RunStep::Closing, Extraction, 186},
        {FormStep::RunPointerBack, Extraction, 186},
        {FormStep::RunProgressBack, Extraction, 188},
        {FormStep::RunCaptionBack, Extraction, 190},
        {RunStep::Flush, Extraction, 192},
        {RunStep::Leftovers, Extraction, 192},
        {RunStep::Done, Extraction, 192},
        {RunStep::ShowNoFolder, Extraction, 194},
        {RunStep::ShowNoFiles, Extraction, 196},

        {FormStep::AddSamples, Samples, 100},

        {FormStep::AskExtension, AddFolder, 100},
        {FormStep::ExtensionCancelled, AddFolder, 102},
        {FormStep::AskFolder, AddFolder, 104},
        {FormStep::FolderCancelled, AddFolder, 106},
        {FormStep::RememberFolder, AddFolder, 333},
        {FormStep::SaveFolder, AddFolder, 334},
        {FormStep::ShowBusy, AddFolder, 112},
        // The tree's files, added under the command's own procedure.
        {ScanStep::StartList, AddFolder, 114},
        {ScanStep::CollectTree, AddFolder, 116},
        {ScanStep::EntryFolder, AddFolder, 120},
        {ScanStep::ListFiles, AddFolder, 122},
        {ScanStep::AddFile, AddFolder, 132},
        {FormStep::ShowIdle, AddFolder, 136},

        {FormStep::ClearList, ClearList, 100},

        {FormStep::BrowseOutput, Browse, 100},
        {FormStep::BrowseCancelled, Browse, 102},
        {FormStep::RememberOutput, Browse, 104},
        {FormStep::PutWithSeparator, Browse, 106},
        {FormStep::PutAsItIs, Browse, 108},

        {ScanStep::LookAtFolder, FolderScan, 108},
        {ScanStep::PathTooLong, FolderScan, 110},
        {ScanStep::YieldAtFolder, FolderScan, 114},
        {ScanStep::LeftOutFolder, FolderScan, 116},
        {ScanStep::ListFolder, FolderScan, 118},
        {ScanStep::YieldAtSubfolder, FolderScan, 120},
        {ScanStep::NameTooLong, FolderScan, 124},
        {ScanStep::InvalidName, FolderScan, 126},
        {ScanStep::KeepSubfolder, FolderScan, 132},
        {ScanStep::StillFolder, FolderScan, 154},
        {ScanStep::YieldBeforeKeeping, FolderScan, 156},
        {ScanStep::KeepFound, FolderScan, 158},
        {ScanStep::AddFound, FolderScan, 160},
    };

} // namespace

std::span<const ProcedureRow> ProcedureTable()
{
    return kProcedures;
}

std::span<const StepRow> StepTable()
{
    return kSteps;
}

const StepRow* FindStep(const StepName& step)
{
    for (const StepRow& row : kSteps) {
        if (row.step == step)
            return &row;
    }
    return nullptr;
}

std::string_view Locator(Procedure procedure)
{
    for (const ProcedureRow& row : kProcedures) {
        if (row.procedure == procedure)
            return row.locator;
    }
    return {};
}

int StepLine(const StepName& step)
{
    const StepRow* row = FindStep(step);
    return row ? row->line : 0;
}

std::optional<ErrorReport> StepReport(const StepName& step, std::string description)
{
    const StepRow* row = FindStep(step);
    if (!row)
        return std::nullopt;
    return ErrorReport {std::move(description), std::string(Locator(row->procedure)), row->line};
}

} // namespace orvandel
