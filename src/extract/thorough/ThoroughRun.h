#pragma once

#include "PhotoNames.h"
#include "extract/ExtractionRun.h"
#include "extract/RunHost.h"

#include <string_view>

namespace orvandel {

inline constexpr std::string_view kThoroughLocator = "in Tessivor2021/08/31.Form1.ThoroughExtract ";

struct ThoroughOptions
{
    bool logos = false; // LOGO properties are photos too
    NameTemplate name; // "{fn}" unless set
    bool unique = false; // a photo whose bytes were written before in the run is skipped
};

// The thorough extraction run: every photo of every card of every listed input, in whatever form
// address books write them, each written to its own file named after its card and typed by its
// bytes. Inputs are read as streams, so memory stays flat whatever their size; every photo is
// decoded into a temporary file that is renamed once the card's name is known, so that nothing is
// left half-written and no file is replaced by a failure.
//
// It runs in the same surroundings as the classic run: the list and the output folder come from
// the host, which shows progress (by bytes read), messages and reports, and is given each photo's
// result (RunHost::photoFinished) and each input's (RunHost::itemFinished). One run at a time.
//
// A run can be asked to stop (requestStop(), during one of its yields): it ends once the card it
// is reading has ended, or at once between inputs, keeps every photo it wrote, and tells the
// host how far it got (RunHost::runStopped) in place of "Done.".
class ThoroughRun
{
public:
    explicit ThoroughRun(ThoroughOptions options = {});

    RunOutcome start(RunHost& host);
    bool IsRunning() const noexcept { return m_isRunning; }
    // Nothing happens when no run is under way, or when it was asked already.
    void requestStop() noexcept
    {
        if (m_isRunning)
            m_stopRequested = true;
    }

    const ThoroughOptions& options() const noexcept { return m_options; }

private:
    ThoroughOptions m_options;
    bool m_isRunning = false;
    bool m_stopRequested = false;
};

} // namespace orvandel
