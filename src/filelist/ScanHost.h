#pragma once

#include "util/ErrorReport.h"

#include <string>

namespace orvandel {

// How a folder scan ended.
enum class ScanOutcome
{
    Finished,
    Stopped, // the surroundings went away during a yield
};

// What a folder scan needs from its surroundings: the window, the command line, a test.
// Reports of failed steps arrive through ErrorSink::reportError.
class ScanHost : public ErrorSink
{
public:
    // Lets the surroundings handle what is pending; other commands may run meanwhile and
    // change the file system. False when they are going away: the scan then stops at once.
    virtual bool yield() = 0;
    // Appends an item with this text at the end of the file list.
    virtual void appendItem(const std::string& text) = 0;
};

} // namespace orvandel
