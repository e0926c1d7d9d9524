#pragma once

#include "RunStep.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace orvandel {

// How one input of a run ended.
enum class ItemStatus
{
    Written, // its photo was written
    NoPhoto, // the file carries no photo that the run recognises
    Failed, // a step failed and was told
};

struct ItemResult
{
    std::size_t position = 0; // 1-based position in the list
    std::string input; // the path exactly as listed
    ItemStatus status = ItemStatus::NoPhoto;
    std::string output; // the written file, when Written by a classic run
    bool photoRead = false; // a classic run found and decoded its photo, written or not
    std::string error; // the first failure's description, when Failed
    RunStep errorStep = RunStep::CheckList; // and its step
    std::uint64_t line = 0; // and the input line of the photo it concerns (its header), or 0
};

// How one photo of a thorough run ended.
enum class PhotoStatus
{
    Written, // its file was written
    Duplicate, // its bytes were written before in this run, so it was skipped
    Link, // it is only an address; it was not fetched
    Failed, // it could not be taken out and was told
};

struct PhotoResult
{
    std::size_t position = 0; // the input's 1-based position in the list
    std::string input; // the input's path exactly as listed
    std::size_t card = 0; // the card's number in its file, from 1
    std::string fn; // the card's FN; empty when it has none
    std::string property; // "PHOTO", "X-MS-CARDPICTURE" or "LOGO"
    std::uint64_t line = 0; // the input line where the photo's property starts, from 1
    PhotoStatus status = PhotoStatus::Written;
    std::string output; // Written: the file; Duplicate: the file written before with the same bytes
    std::string url; // Link: the address; a photo fetched from one (Written, Duplicate, Failed) too
    std::string type; // the type that gave the extension: "jpeg", "png", ...; empty for ".bin"
    std::string declared; // the type the card declares ("jpeg", or as written when unknown)
    bool typeMismatch = false; // the bytes show another type than the declared one
    bool repaired = false; // its Base64 had to be repaired
    std::string sha256; // of its bytes, when duplicates are looked for
    std::string error; // Failed: the failure's description, as it was told
    std::string problem; // Failed: what went wrong, without the input, card and line that `error` adds
    RunStep errorStep = RunStep::CheckList; // and its step
};

// An input taken up: the progress as it begins, before its yield.
struct ItemStart
{
    std::size_t position = 0;
    std::size_t count = 0; // the inputs the run takes up
    std::string input; // its path
    double percent = 0; // the progress bar's value, 0 to 100
};

// The progress within an input that is read as a stream.
struct ReadProgress
{
    std::size_t position = 0;
    std::string input;
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesTotal = 0; // the input's size, or what was read when that is more
    double percent = 0; // the progress bar's value, 0 to 100
};

// The transfers of a run that fetches photos from web addresses.
struct FetchProgress
{
    std::size_t position = 0; // the input whose photos are fetched
    std::string input;
    std::size_t fetched = 0; // transfers ended in the run so far, failed ones too
    std::size_t underWay = 0; // transfers under way or waiting for a place
};

// What the surroundings answer when the run asks, at each yield, whether to stop.
enum class StopRequest
{
    None,
    AfterTheCard, // end once the card being read has ended, or now between inputs, as a stop
    Now, // the surroundings are going away: end at once, showing nothing more
};

enum class RunOutcome
{
    AlreadyRunning, // a run was under way; nothing happened
    NoFiles, // the list was empty
    NoFolder, // the output folder does not exist
    Finished, // every position was taken up
    Stopped, // asked to stop after the card being read; it told how far it got
    Abandoned, // asked to stop at once
};

// How far a run got that was asked to stop.
struct RunStop
{
    std::size_t filesDone = 0; // the inputs read to their end
    std::size_t fileCount = 0; // the inputs the run was to take up
    std::string input; // the input it stopped in, after one of its cards; empty between inputs
    std::size_t cards = 0; // the cards of `input` read to their end
};

struct RunEnd
{
    RunOutcome outcome = RunOutcome::Finished;
    RunStop stop; // when Stopped
    // NoFolder: what FolderProblem found wrong with the output folder (it does not exist, is no
    // folder, or could not be looked at: EIO, EACCES).
    std::error_code folderProblem = {};
};

// Whoever follows a run: the window, the command line, a test. Every event but stepFailed and
// itemFinished is told within one of the run's steps (see RunLoop): one that throws is a failed
// step, told as any other, and the run goes on.
class RunObserver : public StepFailureSink
{
public:
    // An input is taken up: show its progress and name.
    virtual void itemStarted(const ItemStart& /*start*/) { }
    // After the input's yield, before it is read: the busy pointer shows from the first one on.
    virtual void readingStarted(std::size_t /*position*/) { }
    // The bytes read so far of an input read as a stream.
    virtual void progress(const ReadProgress& /*progress*/) { }
    // How the transfers go, while the run waits for them.
    virtual void fetchProgress(const FetchProgress& /*progress*/) { }
    // Lets the surroundings handle what is pending.
    virtual void yield() { }
    // Asked after each yield.
    virtual StopRequest stopRequested() { return StopRequest::None; }
    // Once for every input the run took up.
    virtual void itemFinished(const ItemResult& /*result*/) { }
    // Once for every photo a thorough run came across, when it is done with it.
    virtual void photoFinished(const PhotoResult& /*result*/) { }
    // A run that took up its inputs (Finished or Stopped) ends: put the surroundings back as
    // before the run (the pointer, the progress bar). What it wrote goes to the disk next.
    virtual void runClosing(const RunEnd& /*end*/) { }
    // Once at the end of every run that started, what was written already on the disk: say
    // "Done.", or tell the refusal or how far a stopped run got.
    virtual void runFinished(const RunEnd& /*end*/) { }
};

} // namespace orvandel
