#pragma once

#include "ItemExtractor.h"
#include "RunInput.h"
#include "RunObserver.h"

namespace orvandel {

// The extraction run: every listed input, top to bottom, handed to an extractor (the classic one
// or the thorough one). The loop does what both runs do alike: the refusals of an empty list and
// of a missing folder, each input's progress, yield and busy pointer, its result, the stop asked
// at a yield, and the end: RunObserver::runClosing, the flush, then RunObserver::runFinished.
// One run at a time.
class RunLoop
{
public:
    RunOutcome start(RunInput& input, RunObserver& observer, ItemExtractor& extractor);
    bool IsRunning() const noexcept { return m_isRunning; }

private:
    bool m_isRunning = false;
};

} // namespace orvandel
