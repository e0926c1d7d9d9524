#pragma once

#include "ScanStep.h"

#include <string>

namespace orvandel {

// How a folder scan ended.
enum class ScanOutcome
{
    Finished,
    Stopped, // the surroundings went away during a yield
};

// Why a scan did not enter a folder.
enum class SkipReason
{
    PathTooLong, // the folder's path is longer than the system takes
    NameTooLong, // the folder's own name is
    InvalidName, // its name holds a control character, a "?" or bytes that are not UTF-8
    Unreadable, // it could not be read: access denied, or another failure (see `detail`)
    AlreadyRead, // it is a folder the scan has read already, reached by another path (a link)
};

struct SkippedFolder
{
    std::string path; // without a trailing "/" (the root stays "/")
    SkipReason reason = SkipReason::Unreadable;
    std::string detail; // Unreadable: the system's description
    bool reported = false; // Unreadable: the failure was told as a failed step already
};

// What a folder scan needs from its surroundings: the window, the command line, a test.
// Failed steps arrive through StepSink::stepFailed.
class ScanHost : public StepSink<ScanStep>
{
public:
    // Lets the surroundings handle what is pending; other commands may run meanwhile and
    // change the file system. False when they are going away: the scan then stops at once.
    virtual bool yield() = 0;
    // Appends an item with this text at the end of the file list.
    virtual void appendItem(const std::string& text) = 0;
    // Tells of a folder that the scan did not enter, by a rule, because it could not be read or
    // because it was read already by another path; its files and subfolders are left out (or
    // were listed already). A folder that has gone and a virtual file system are not told.
    // Surroundings that keep quiet about it need not listen.
    virtual void folderSkipped(const SkippedFolder& /*folder*/) { }
};

} // namespace orvandel
