#pragma once

#include "util/ErrorReport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orvandel {

// How one input of a run ended.
enum class ItemStatus
{
    Written, // its photo was written
    NoPhoto, // the file carries no photo that the run recognises
    Failed, // a step failed and was reported
};

struct ItemResult
{
    std::size_t position = 0; // 1-based position in the list
    std::string input; // the path exactly as listed
    ItemStatus status = ItemStatus::NoPhoto;
    std::string output; // the written file, when Written
    std::string error; // the first failure's description, when Failed
    int errorLine = 0; // and its line number
};

// How one photo of a thorough run ended.
enum class PhotoStatus
{
    Written, // its file was written
    Duplicate, // its bytes were written before in this run, so it was skipped
    Link, // it is only an address; it was not fetched
    Failed, // it could not be taken out and was reported
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
    std::string url; // Link: the address
    std::string type; // the type that gave the extension: "jpeg", "png", ...; empty for ".bin"
    std::string declared; // the type the card declares ("jpeg", or as written when unknown)
    bool typeMismatch = false; // the bytes show another type than the declared one
    bool repaired = false; // its Base64 had to be repaired
    std::string sha256; // of its bytes, when duplicates are looked for
    std::string error; // Failed: the report's description
    int errorLine = 0; // and its line number
};

// How far a thorough run got that was asked to stop.
struct RunStop
{
    std::size_t filesDone = 0; // the inputs read to their end
    std::size_t fileCount = 0; // the inputs the run was to take up
    std::string input; // the input it stopped in, after one of its cards; empty between inputs
    std::size_t cards = 0; // the cards of `input` read to their end
};

// What the extraction run needs from its surroundings: the window, the command line, a test.
// Positions are 1-based. Reports of failed steps arrive through ErrorSink::reportError.
class RunHost : public ErrorSink
{
public:
    virtual std::size_t itemCount() = 0;
    // The item's text, or nothing when the position no longer exists.
    virtual std::optional<std::string> itemText(std::size_t position) = 0;
    virtual std::string outputFolderText() = 0;
    virtual void setProgressValue(double value) = 0; // 0 to 100
    virtual void setProgressCaption(const std::string& caption) = 0;
    // Lets the surroundings handle what is pending. False when they are going away and the
    // run must stop at once.
    virtual bool yield() = 0;
    virtual void setBusyPointer(bool busy) = 0;
    virtual bool isBusyPointer() = 0;
    // A message with only an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // Called once for every input the run took up.
    virtual void itemFinished(const ItemResult& /*result*/) { }
    // Called once for every photo a thorough run came across, when it is done with it.
    virtual void photoFinished(const PhotoResult& /*result*/) { }
    // Called once, in place of "Done.", when a run that was asked to stop has stopped.
    virtual void runStopped(const RunStop& /*stop*/) { }
};

} // namespace orvandel
