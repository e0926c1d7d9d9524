#pragma once

#include "util/ErrorReport.h"

#include <cstddef>
#include <optional>
#include <string>

namespace orvandel {

// How one input of a run ended.
enum class ItemStatus
{
    Written, // its photo was written
    NoPhoto, // the file carries no photo that the run recognises
    Failed,  // a step failed and was reported
};

struct ItemResult
{
    std::size_t position = 0; // 1-based position in the list
    std::string input;        // the path exactly as listed
    ItemStatus status = ItemStatus::NoPhoto;
    std::string output;        // the written file, when Written
    std::string error;         // the first failure's description, when Failed
    int errorLine = 0;         // and its line number
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
    virtual void itemFinished(const ItemResult& /*result*/) {}
};

} // namespace orvandel
