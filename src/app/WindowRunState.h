#pragma once

#include "RunTexts.h"

#include <optional>

namespace orvandel {

// What the window is doing: idle or extracting (and which run), how many long loops hold it
// busy (an extraction from its first file on, the folder command), and whether a thorough run
// was asked to stop. The window derives from it the pointer it shows and whether the list may
// lose items; nothing asks the pointer.
class WindowRunState
{
public:
    bool isExtracting() const noexcept { return m_extracting.has_value(); }
    bool isExtracting(RunKind kind) const noexcept { return m_extracting == kind; }
    void runStarted(RunKind kind) noexcept
    {
        m_extracting = kind;
        m_stopRequested = false;
    }
    void runEnded() noexcept
    {
        m_extracting.reset();
        m_stopRequested = false;
    }

    // Only a thorough run under way can be asked; a second request adds nothing.
    void requestStop() noexcept
    {
        if (isExtracting(RunKind::Thorough))
            m_stopRequested = true;
    }
    bool isStopRequested() const noexcept { return m_stopRequested; }

    // A long loop that walks the list holds the window busy while it runs, until the last of
    // them lets go, so that one ending in the middle of another opens nothing.
    void loopStarted() noexcept { ++m_busyLoops; }
    void loopEnded() noexcept
    {
        if (m_busyLoops > 0)
            --m_busyLoops;
    }
    bool isBusy() const noexcept { return m_busyLoops > 0; }

private:
    std::optional<RunKind> m_extracting;
    bool m_stopRequested = false;
    int m_busyLoops = 0;
};

} // namespace orvandel
