#pragma once

namespace orvandel {

// The steps that the window takes itself, as their failures name them: those of its own commands,
// and what it shows of a run. The table beside it (StepTable.cpp) gives each its procedure and
// line number.
enum class FormStep
{
    // Start-up.
    ApplySkin,
    LookForHandCursor,
    LoadHandCursor,
    ShowCaption, // the caption, the icon and the application title
    AddColumn,
    SizeColumn,
    FillOutputBox, // the output folder box from the settings, or the desktop

    // "Add VCF File(s)".
    ShowOpenDialog,
    OpenDialogCancelled,
    AddPickedFile, // the one file picked, as it is
    JoinPickedName, // the folder and one of several names picked
    NormalizePickedPath,
    AddPickedPath,

    // What the window shows of an extraction run.
    RunProgress, // the bar's value as an input is taken up
    RunCaption, // its caption, "Processing: " and the input's name
    RunReadProgress, // the bar within an input read as a stream
    RunReadCaption, // and its caption with the megabytes read
    RunPointerBack,
    RunProgressBack, // the bar at 0
    RunCaptionBack, // its caption "Progress Bar"

    // "Load Sample/Example Files".
    AddSamples,

    // "Add All VCF File(s) In Folder".
    AskExtension, // the setting read, the prompt, the answer stored
    ExtensionCancelled,
    AskFolder, // the setting read, the folder picker
    FolderCancelled,
    RememberFolder,
    SaveFolder,
    ShowBusy,
    ShowIdle,

    // "Clear List".
    ClearList,

    // "..." beside the output folder.
    BrowseOutput, // the setting read, the folder picker
    BrowseCancelled,
    RememberOutput,
    PutWithSeparator,
    PutAsItIs,
};

} // namespace orvandel
