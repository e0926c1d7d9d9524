#pragma once

#include <cstdint>
#include <string>

namespace orvandel {

// The steps of an extraction run, classic or thorough, as its failures name them. The front ends
// give each its line number (see app/RunTexts.h); the engine knows them only by name.
enum class RunStep
{
    // The opening checks and each input's course, both runs alike.
    CheckList, // is the list empty?
    ShowNoFiles, // "No files added."
    CheckFolder, // does the output folder exist?
    ShowNoFolder, // the missing folder's message
    Count, // the count of inputs, taken once (a thorough run also takes their sizes and its folder)
    ReadItem, // the text of the input at a position
    Progress, // the progress bar set as an input is taken up
    Caption, // the bar's caption, "Processing: " and the input's name
    Yield, // the surroundings handle what is pending
    Busy, // the busy pointer, from the first input that is read on

    // The classic run: the card file read whole, its first photo, one image file.
    ReadCard,
    FindPhoto,
    CreateGif,
    WriteGif, // also the decoding, which comes before the file is created
    CloseGif,
    CreateJpeg,
    WriteJpeg,
    CloseJpeg,

    // The thorough run: the input read as a stream of cards, every photo in a file of its own.
    OpenInput,
    ReadCards,
    ReadProgress, // the bar set by the bytes read within an input
    ReadCaption, // and its caption with the megabytes read
    ReadYield, // the yields within an input
    CreatePhoto,
    DecodePhoto,
    WritePhoto,
    NamePhoto, // the photo's file given its name

    // The end of a run.
    PointerBack, // the default pointer
    ProgressBack, // the bar at 0
    CaptionBack, // its caption "Progress Bar"
    Flush, // what the run wrote brought to the disk
    Done, // "Done.", or how far a stopped run got
};

// One failed step: which, and what went wrong.
struct StepFailure
{
    RunStep step = RunStep::CheckList;
    std::string description;
    std::uint64_t line = 0; // the input line of the photo it concerns, from 1; 0 when none
};

// Whoever is told of failed steps.
class StepFailureSink
{
public:
    virtual ~StepFailureSink() = default;
    virtual void stepFailed(const StepFailure& failure) = 0;
};

} // namespace orvandel
