#include "RunController.h"

#include "OrvandelVersion.h"
#include "PhotoLook.h"
#include "Prompts.h"
#include "RunView.h"
#include "WindowRunHost.h"
#include "extract/ClassicExtractor.h"
#include "extract/thorough/ThoroughExtractor.h"
#include "util/PathHelpers.h"
#include "window/list/PathText.h"

#include <functional>
#include <memory>

namespace orvandel {

namespace {

    const QString kLookCaption = QStringLiteral("Looking for more photos: ");

    QString ThoroughOffer(std::size_t files)
    {
        return (files == 1 ? QStringLiteral("1 file holds") : QStringLiteral("%1 files hold").arg(files))
            + QStringLiteral(
                   " photos in forms the classic rules do not take. Take every photo of every card?");
    }

    QString FetchQuestion(std::size_t photos)
    {
        return photos == 1
            ? QStringLiteral("1 photo is a web address. Fetch it from the internet?")
            : QStringLiteral("%1 photos are web addresses. Fetch them from the internet?").arg(photos);
    }

    QString Idle()
    {
        return QString::fromUtf8(kIdleProgressCaption.data(), kIdleProgressCaption.size());
    }

    // The look's surroundings: the files a classic run took up, its output folder, and the
    // progress bar. It tells nothing of what it cannot read, holds the window busy at no time,
    // and ends at once when the window closes or another run starts.
    class LookHost : public RunInput, public RunObserver
    {
    public:
        LookHost(RunView& view,
                 const std::vector<ItemResult>& files,
                 QString folder,
                 std::function<bool()> ended)
            : m_view(view)
            , m_files(files)
            , m_folder(std::move(folder))
            , m_ended(std::move(ended))
        {
        }

        std::size_t itemCount() override { return m_files.size(); }
        std::optional<std::string> itemText(std::size_t position) override
        {
            return m_files.at(position - 1).input;
        }
        std::string outputFolderText() override { return PathToBytes(m_folder); }

        void stepFailed(const StepFailure&) override { }
        void itemStarted(const ItemStart& start) override
        {
            m_view.setProgress(start.percent);
            m_view.setCaption(kLookCaption + PathForDisplay(PathFromBytes(GetFileName(start.input))));
        }
        void yield() override { m_view.handlePending(); }
        StopRequest stopRequested() override { return m_ended() ? StopRequest::Now : StopRequest::None; }
        void runClosing(const RunEnd&) override
        {
            m_view.showProgressNow();
            m_view.setProgress(0);
            m_view.setCaption(Idle());
            m_view.showProgressNow();
        }

    private:
        RunView& m_view;
        const std::vector<ItemResult>& m_files;
        QString m_folder;
        std::function<bool()> m_ended;
    };

} // namespace

RunController::RunController(RunView& view, FileListModel& list, Prompts& prompts)
    : m_view(view)
    , m_list(list)
    , m_prompts(prompts)
{
    m_fetchSettings.userAgent = OrvandelUserAgent();
}

RunController::~RunController() = default;

RunController::Ran RunController::run(RunKind kind)
{
    const bool thorough = kind == RunKind::Thorough;
    ++m_runsStarted;
    WindowRunHost host(*this, m_view, m_list, m_prompts, kind);
    std::unique_ptr<ItemExtractor> extractor;
    if (thorough)
        extractor = std::make_unique<ThoroughExtractor>();
    else
        extractor = std::make_unique<ClassicExtractor>();
    m_kind = kind;
    m_stopRequested = false;
    m_view.showRunning(true, thorough);
    Ran ran;
    ran.outcome = m_run.start(host, host, *extractor);
    host.showIdle();
    if (host.resultsKept()) {
        offerFetch(host, *extractor);
        host.showKeptResults();
    }
    m_kind.reset();
    m_stopRequested = false;
    ran.takenUp = host.results().items();
    ran.folder = host.startFolder();
    return ran;
}

void RunController::offerFetch(WindowRunHost& host, ItemExtractor& extractor)
{
    const std::size_t photos = host.results().webAddresses();
    if (m_closing || !m_prompts.askYesNo(m_view.boxOwner(), m_view.boxTitle(), FetchQuestion(photos)))
        return;
    auto& thorough = static_cast<ThoroughExtractor&>(extractor);
    thorough.fetchLinksNext(m_fetchSettings);
    host.beginFetchPass();
    m_stopRequested = false;
    m_view.showRunning(true, true);
    m_run.start(host, host, thorough);
    host.showIdle();
}

void RunController::startClassic()
{
    if (isExtracting())
        return; // a second start is refused without a word
    const Ran classic = run(RunKind::Classic);
    if (classic.outcome != RunOutcome::Finished || m_closing)
        return;
    offerThorough(classic);
}

void RunController::startThorough()
{
    if (isExtracting())
        return;
    run(RunKind::Thorough);
    if (m_closeAfterRun)
        m_view.closeWindow();
}

void RunController::requestStop()
{
    if (isExtracting(RunKind::Thorough))
        m_stopRequested = true;
}

bool RunController::requestClose()
{
    if (isExtracting(RunKind::Thorough)) {
        m_closeAfterRun = true;
        requestStop();
        return false;
    }
    m_closing = true;
    return true;
}

void RunController::holdBusy()
{
    ++m_busyLoops;
    m_view.showPointer();
}

void RunController::releaseBusy()
{
    if (m_busyLoops > 0)
        --m_busyLoops;
    m_view.pointerBack();
}

void RunController::offerThorough(const Ran& classic)
{
    const std::uint64_t started = m_runsStarted;
    const auto ended = [this, started] { return m_closing || m_runsStarted != started; };
    LookHost host(m_view, classic.takenUp, classic.folder, ended);
    PhotoLook look(classic.takenUp);
    // Its own loop: a run started from one of its yields takes the window's.
    RunLoop loop;
    if (loop.start(host, host, look) != RunOutcome::Finished || ended())
        return;
    if (look.filesWithMore() > 0
        && m_prompts.askYesNo(m_view.boxOwner(), m_view.boxTitle(), ThoroughOffer(look.filesWithMore())))
        startThorough();
}

} // namespace orvandel
