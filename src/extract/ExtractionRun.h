#pragma once

#include "RunHost.h"

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
