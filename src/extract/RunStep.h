#pragma once

#include "util/StepRunner.h"

namespace orvandel {

// The steps of an extraction run, classic or thorough, as its failures name them. The front ends
// give the classic run's their line numbers (app/StepTable.cpp); the engine knows them only by
// name.
enum class RunStep
{
    // The opening checks and each input's course, both runs alike.
    CheckList, // is the list empty?
    ShowNoFiles, // "No files added."
    CheckFolder, // does the output folder exist?
    ShowNoFolder, // the missing folder's message
    Count, // the count of inputs, taken once (a thorough run also takes their sizes and its folder)
    ReadItem, // the text of the input at a position
    Progress, // the input's progress and name shown as it is taken up
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
    ReadProgress, // the bytes read within an input shown
    ReadYield, // the yields within an input
    CreatePhoto,
    DecodePhoto,
    WritePhoto,
    NamePhoto, // the photo's file given its name
    FetchPhoto, // a photo behind a web address fetched into its file
    FetchYield, // the yields while the run waits for transfers

    // The end of a run.
    Closing, // the surroundings put back as before the run (the pointer first)
    Flush, // what the run wrote brought to the disk
    Leftovers, // temporary files that could not be removed tried once more
    Done, // "Done.", or how far a stopped run got
};

using StepFailure = StepFailureOf<RunStep>;
using StepFailureSink = StepSink<RunStep>;
using RunSteps = StepRunner<RunStep>;

} // namespace orvandel
