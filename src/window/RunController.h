#pragma once

#include "extract/RunLoop.h"
#include "fetch/HttpFetcher.h"
#include "report/RunTexts.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvandel {

class FileListModel;
class ItemExtractor;
class WindowRunHost;
class Prompts;
class RunView;

// The window's extraction runs and all their state, in one place: which run is under way, a
// stop asked of it, the window closing, the offer of the thorough extraction after a classic
// run, and the long loops that hold the window busy. It drives RunLoop with the window's list
// and talks to the window only through RunView; its boxes go through Prompts.
class RunController
{
public:
    RunController(RunView& view, FileListModel& list, Prompts& prompts);
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // The classic run over the list; afterwards, when the files it took up hold photos that it
    // could not take and the thorough extraction would, the offer to take them. A start during
    // a run is refused without a word.
    void startClassic();
    // The thorough run over the list (refused during a run, as above).
    void startThorough();
    // Asks a thorough run under way to stop once the card it is reading has ended. A second
    // request adds nothing; a classic run is not stopped.
    void requestStop();
    // The window is asked to close. True when it may close now: long loops then stop at their
    // next yield and nothing more is written. False during a thorough run, which is stopped as
    // the stop button stops it; the window closes once it has.
    bool requestClose();

    // True while an extraction (classic or thorough, or that kind) is under way.
    bool isExtracting() const noexcept { return m_kind.has_value(); }
    bool isExtracting(RunKind kind) const noexcept { return m_kind == kind; }
    bool isStopRequested() const noexcept { return m_stopRequested; }
    bool isClosing() const noexcept { return m_closing; }
    bool closesAfterTheRun() const noexcept { return m_closeAfterRun; }

    // How the window fetches the photos behind web addresses, when the user asks it to after a
    // thorough run (tests: their own server's certificates and addresses).
    void setFetchSettings(FetchSettings settings) { m_fetchSettings = std::move(settings); }

    // A long loop that walks the list (an extraction from its first file on, the folder
    // command) holds the window busy: the busy pointer shows and nothing is removed from the
    // list until the last of them lets go.
    void holdBusy();
    void releaseBusy();
    bool isBusy() const noexcept { return m_busyLoops > 0; }

private:
    // How a run went, and for the offer what it took up and where it wrote.
    struct Ran
    {
        RunOutcome outcome = RunOutcome::Finished;
        std::vector<ItemResult> takenUp;
        QString folder; // the output folder text as the run began
    };
    Ran run(RunKind kind);
    // A run of the same loop that writes nothing: how many of the files the classic run took up
    // hold photos that the thorough run would take and it did not. Any run that starts ends it.
    void offerThorough(const Ran& classic);

    // After a thorough run that listed web addresses: asks whether to fetch them, and does.
    void offerFetch(WindowRunHost& host, ItemExtractor& extractor);

    RunView& m_view;
    FileListModel& m_list;
    FetchSettings m_fetchSettings;
    Prompts& m_prompts;
    RunLoop m_run;
    std::optional<RunKind> m_kind;
    bool m_stopRequested = false;
    bool m_closing = false;
    bool m_closeAfterRun = false;
    int m_busyLoops = 0;
    std::uint64_t m_runsStarted = 0; // a look of the offer ends when this changes
};

} // namespace orvandel
