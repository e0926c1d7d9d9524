#include "WindowRunHost.h"

#include "Prompts.h"
#include "RunController.h"
#include "RunView.h"
#include "report/StepTable.h"
#include "window/list/PathText.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>

namespace orvandel {

namespace {

    const QString kProblemListTitle = QStringLiteral("Photos Not Taken Out");
    const QString kSaveListTitle = QStringLiteral("Save the List As");
    const QString kSaveListName = QStringLiteral("Photos not taken out.txt");
    const QString kTextFilters = QStringLiteral("Text Files (*.txt);;All Files (*)");

    QString Shown(const std::string& text)
    {
        return PathForDisplay(PathFromBytes(text));
    }

    QString FromView(std::string_view text)
    {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }

} // namespace

WindowRunHost::WindowRunHost(
    RunController& controller, RunView& view, FileListModel& list, Prompts& prompts, RunKind kind)
    : m_controller(controller)
    , m_view(view)
    , m_list(list)
    , m_prompts(prompts)
    , m_kind(kind)
    , m_steps(*this)
    , m_results(kind == RunKind::Thorough)
{
}

WindowRunHost::~WindowRunHost()
{
    letGo();
}

std::size_t WindowRunHost::itemCount()
{
    if (m_fetchPass)
        return m_fetchInputs.size();
    return static_cast<std::size_t>(m_list.count());
}

std::optional<std::string> WindowRunHost::itemText(std::size_t position)
{
    if (m_fetchPass) {
        if (position < 1 || position > m_fetchInputs.size())
            return std::nullopt;
        return m_fetchInputs[position - 1].input;
    }
    if (position < 1 || position > static_cast<std::size_t>(m_list.count()))
        return std::nullopt;
    const int at = static_cast<int>(position);
    m_read[position] = m_list.idAt(at);
    return PathToBytes(m_list.text(at));
}

std::string WindowRunHost::outputFolderText()
{
    if (m_fetchPass)
        return PathToBytes(m_startFolder); // into the same folder
    const QString text = m_view.outputFolderText();
    if (!m_folderRead) {
        m_folderRead = true;
        m_startFolder = text;
    }
    return PathToBytes(text);
}

double WindowRunHost::fetchPercent(std::size_t fetched) const
{
    return m_toFetch == 0
        ? 0.0
        : std::min(100.0, 100.0 * static_cast<double>(fetched) / static_cast<double>(m_toFetch));
}

std::size_t WindowRunHost::firstPosition(std::size_t position) const
{
    if (!m_fetchPass || position < 1 || position > m_fetchInputs.size())
        return position;
    return m_fetchInputs[position - 1].position;
}

void WindowRunHost::fetchProgress(const FetchProgress& progress)
{
    m_steps.step(FormStep::RunReadProgress, [&] { m_view.setProgress(fetchPercent(progress.fetched)); });
    m_steps.step(FormStep::RunReadCaption, [&] {
        m_view.setCaption(Shown(FetchingCaption(progress.input, progress.fetched, progress.underWay)));
    });
}

void WindowRunHost::itemStarted(const ItemStart& start)
{
    if (m_fetchPass) {
        m_steps.step(FormStep::RunCaption, [&] { m_view.setCaption(Shown(ItemCaption(start.input))); });
        return; // the bar counts the photos fetched
    }
    m_steps.step(FormStep::RunProgress, [&] { m_view.setProgress(start.percent); });
    m_steps.step(FormStep::RunCaption, [&] { m_view.setCaption(Shown(ItemCaption(start.input))); });
}

void WindowRunHost::progress(const ReadProgress& progress)
{
    if (m_fetchPass)
        return;
    m_steps.step(FormStep::RunReadProgress, [&] { m_view.setProgress(progress.percent); });
    m_steps.step(FormStep::RunReadCaption, [&] {
        m_view.setCaption(Shown(ReadingCaption(progress.input, progress.bytesRead, progress.bytesTotal)));
    });
}

void WindowRunHost::yield()
{
    m_view.handlePending();
}

StopRequest WindowRunHost::stopRequested()
{
    if (m_controller.isClosing())
        return StopRequest::Now;
    return m_controller.isStopRequested() ? StopRequest::AfterTheCard : StopRequest::None;
}

void WindowRunHost::readingStarted(std::size_t /*position*/)
{
    // The run holds the window busy from the first file it reads until its end.
    if (!m_holdsBusy) {
        m_controller.holdBusy();
        m_holdsBusy = true;
    }
}

void WindowRunHost::letGo()
{
    if (m_holdsBusy) {
        m_holdsBusy = false;
        m_controller.releaseBusy();
    }
}

void WindowRunHost::itemFinished(const ItemResult& result)
{
    ItemResult mapped = result;
    mapped.position = firstPosition(result.position);
    m_results.itemFinished(mapped);
    if (const auto read = m_read.find(mapped.position); read != m_read.end())
        m_list.setOutcome(read->second, m_results.lastOutcome(), static_cast<int>(mapped.position));
}

void WindowRunHost::photoFinished(const PhotoResult& result)
{
    if (!m_fetchPass) {
        m_results.photoFinished(result);
        return;
    }
    PhotoResult mapped = result;
    mapped.position = firstPosition(result.position);
    m_results.photoFinished(mapped);
}

void WindowRunHost::beginFetchPass()
{
    m_toFetch = m_results.webAddresses();
    m_fetchInputs.clear();
    for (const std::size_t position : m_results.positionsWithWebAddresses()) {
        for (const ItemResult& item : m_results.items()) {
            if (item.position == position) {
                m_fetchInputs.push_back(item);
                break;
            }
        }
    }
    m_results.beginFetchPass();
    m_fetchPass = true;
    m_idleShown = false;
}

void WindowRunHost::showKeptResults()
{
    if (m_keptResults.isEmpty())
        return;
    QString text;
    text.swap(m_keptResults);
    showResults(text);
}

void WindowRunHost::stepFailed(const StepFailure& failure)
{
    // A thorough run keeps its failures for the list at its end.
    if (m_kind == RunKind::Thorough)
        m_results.stepFailed(failure);
    else if (const auto report = StepReport(failure.step, failure.description))
        m_prompts.report(m_view.boxOwner(), *report);
}

void WindowRunHost::stepFailed(const StepFailureOf<FormStep>& failure)
{
    if (m_kind == RunKind::Thorough)
        m_results.windowFailed(failure.description);
    else if (const auto report = StepReport(failure.step, failure.description))
        m_prompts.report(m_view.boxOwner(), *report);
}

void WindowRunHost::runClosing(const RunEnd& /*end*/)
{
    m_steps.step(FormStep::RunPointerBack, [&] {
        if (m_holdsBusy)
            letGo();
        else
            m_view.pointerBack();
    });
    m_steps.step(FormStep::RunProgressBack, [&] {
        // The bar is drawn at the screen's rate while the run goes: its last file and 100% show
        // before it goes back.
        m_view.showProgressNow();
        m_view.setProgress(0);
    });
    m_steps.step(FormStep::RunCaptionBack, [&] {
        m_view.setCaption(FromView(kIdleProgressCaption));
        m_view.showProgressNow();
    });
}

void WindowRunHost::runFinished(const RunEnd& end)
{
    switch (end.outcome) {
    case RunOutcome::AlreadyRunning:
    case RunOutcome::Abandoned:
        letGo();
        return;
    case RunOutcome::NoFiles:
        showMessage(kNoFilesMessage);
        return;
    case RunOutcome::NoFolder: {
        // A folder that stands there but cannot be looked at is told as what it is.
        const std::string problem = FolderProblemText(end.folderProblem);
        showMessage(problem.empty() ? kNoFolderMessage : std::string_view(problem));
        return;
    }
    case RunOutcome::Finished:
    case RunOutcome::Stopped:
        break;
    }
    if (end.outcome == RunOutcome::Finished && m_kind == RunKind::Thorough && !m_fetchPass
        && m_results.webAddresses() > 0 && !m_controller.isClosing()) {
        // Whether they are fetched is asked once the run has ended; its results wait for that.
        m_keptResults = FromView(kDoneMessage);
        return;
    }
    if (end.outcome == RunOutcome::Finished)
        showResults(FromView(kDoneMessage));
    else if (!m_controller.closesAfterTheRun())
        showResults(StopText(end.stop));
}

void WindowRunHost::showMessage(std::string_view text)
{
    m_prompts.message(m_view.boxOwner(), m_view.boxTitle(), FromView(text), Prompts::Icon::None);
}

QString WindowRunHost::outputFolder() const
{
    return m_results.lastImageFolder().isEmpty() ? m_startFolder : m_results.lastImageFolder();
}

void WindowRunHost::showIdle()
{
    if (m_idleShown)
        return;
    m_idleShown = true;
    m_view.showRunning(false, m_kind == RunKind::Thorough);
}

void WindowRunHost::showResults(const QString& text)
{
    m_keptResults.clear();
    m_results.runEnded();
    showIdle();
    if (!m_results.problems().isEmpty()) {
        m_prompts.problemList(m_view.boxOwner(), kProblemListTitle,
                              QString::fromStdString(NotTakenOutHeading(m_results.counts())),
                              m_results.problems(), [this] { saveProblems(); });
    }
    if (m_prompts.results(m_view.boxOwner(), m_view.boxTitle(), text,
                          QString::fromStdString(ResultsLine(m_results.counts())))
        == Prompts::ResultsButton::OpenFolder)
        m_prompts.openInFileManager(outputFolder());
}

void WindowRunHost::saveProblems()
{
    QString folder = outputFolder();
    if (!folder.isEmpty() && !folder.endsWith(QDir::separator()) && !folder.endsWith(QLatin1Char('/')))
        folder += QDir::separator();
    const QString path
        = m_prompts.saveFileName(m_view.boxOwner(), kSaveListTitle, folder + kSaveListName, kTextFilters);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(RunProblemsText(m_results.problems()).toUtf8());
        if (file.commit())
            return;
    }
    m_prompts.message(m_view.boxOwner(), m_view.boxTitle(),
                      QStringLiteral("The list could not be saved to %1: %2").arg(path, file.errorString()),
                      Prompts::Icon::Warning);
}

} // namespace orvandel
