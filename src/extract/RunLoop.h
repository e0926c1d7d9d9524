#pragma once

#include "ItemExtractor.h"
#include "RunInput.h"
#include "RunObserver.h"

#include <string>
#include <system_error>

namespace orvandel {

// The extraction run: every listed input, top to bottom, handed to an extractor (the classic one
// or the thorough one). The loop does what both runs do alike: the refusals of an empty list and
// of a missing folder, each input's progress, yield and busy pointer, its result, the stop asked
// at a yield, and the end: RunObserver::runClosing, the flush, then RunObserver::runFinished.
// One run at a time.
// What RunEnd::folderProblem says of an output folder that FolderProblem found wrong: nothing when
// it does not exist or is no folder, else "Cannot read the folder: <what kept it from being looked
// at>".
std::string FolderProblemText(std::error_code problem);

class RunLoop
{
public:
    RunOutcome start(RunInput& input, RunObserver& observer, ItemExtractor& extractor);
    bool IsRunning() const noexcept { return m_isRunning; }

private:
    bool m_isRunning = false;
};

} // namespace orvandel
