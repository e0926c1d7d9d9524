#pragma once

#include "RunHost.h"

#include <functional>
#include <optional>
#include <string_view>

namespace orvandel {

inline constexpr std::string_view kExtractionLocator = "in Tessivor2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view kNoFilesMessage = "No files added.";
inline constexpr std::string_view kNoFolderMessage = "Folder does not exist. Please select another folder.";
inline constexpr std::string_view kDoneMessage = "Done.";
inline constexpr std::string_view kIdleProgressCaption = "Progress Bar";

enum class RunOutcome
{
    AlreadyRunning, // a run was under way; nothing happened
    NoFiles, // the list was empty
    NoFolder, // the output folder does not exist
    Finished, // every position was taken up and "Done." was shown
    Stopped, // the surroundings went away during a yield
};

class StepRunner;

// What every extraction run does first and last, under its own steps.
// Shows "No files added." for an empty list, or the missing folder's message, and returns the
// outcome then; nothing when the run may go on.
std::optional<RunOutcome> RefuseToStart(StepRunner& steps, RunHost& host);
// Puts the pointer, the progress bar and its caption back, brings what the run wrote to the
// disk (`flush`, when given) and shows "Done.".
RunOutcome FinishRun(StepRunner& steps, RunHost& host, const std::function<void()>& flush = {});

// Holds a run's busy flag for the length of the run.
class RunningFlag
{
public:
    // Sets `flag` unless it is set already: then entered() is false and nothing changes.
    explicit RunningFlag(bool& flag)
        : m_flag(flag)
        , m_entered(!flag)
    {
        m_flag = true;
    }
    ~RunningFlag()
    {
        if (m_entered)
            m_flag = false;
    }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
    bool entered() const noexcept { return m_entered; }

private:
    bool& m_flag;
    bool m_entered;
};

// The extraction run: every listed card file, top to bottom, gives at most one image file,
// decoded from its first recognised photo. One run at a time.
class ExtractionRun
{
public:
    RunOutcome start(RunHost& host);
    bool IsRunning() const noexcept { return m_isRunning; }

private:
    bool m_isRunning = false;
};

} // namespace orvandel
