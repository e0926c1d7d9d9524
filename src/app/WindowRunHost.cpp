#include "WindowRunHost.h"

#include "CaptionProgressBar.h"
#include "Form1.h"
#include "Prompts.h"
#include "filelist/PathText.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QSaveFile>

namespace orvandel {

namespace {

    const QString kProblemListTitle = QStringLiteral("Photos Not Taken Out");
    const QString kSaveListTitle = QStringLiteral("Save the List As");
    const QString kSaveListName = QStringLiteral("Photos not taken out.txt");
    const QString kTextFilters = QStringLiteral("Text Files (*.txt);;All Files (*)");

} // namespace

WindowRunHost::WindowRunHost(Form1& form, RunKind kind)
    : m_form(form)
    , m_kind(kind)
    , m_steps(*this)
    , m_results(kind == RunKind::Thorough)
{
}

std::size_t WindowRunHost::itemCount()
{
    return static_cast<std::size_t>(m_form.fileList().count());
}

std::optional<std::string> WindowRunHost::itemText(std::size_t position)
{
    const FileListModel& list = m_form.fileList();
    if (position < 1 || position > static_cast<std::size_t>(list.count()))
        return std::nullopt;
    const int at = static_cast<int>(position);
    m_read[position] = list.idAt(at);
    return PathToBytes(list.text(at));
}

std::string WindowRunHost::outputFolderText()
{
    const QString text = m_form.outputBox()->text();
    if (!m_folderRead) {
        m_folderRead = true;
        m_startFolder = text;
    }
    return PathToBytes(text);
}

void WindowRunHost::itemStarted(const ItemStart& start)
{
    m_steps.step(RunStep::Progress, [&] { m_form.progressBar()->setProgressValue(start.percent); });
    m_steps.step(RunStep::Caption, [&] {
        m_form.progressBar()->setCaption(PathForDisplay(PathFromBytes(ItemCaption(start.input))));
    });
}

void WindowRunHost::progress(const ReadProgress& progress)
{
    m_steps.step(RunStep::ReadProgress, [&] { m_form.progressBar()->setProgressValue(progress.percent); });
    m_steps.step(RunStep::ReadCaption, [&] {
        m_form.progressBar()->setCaption(PathForDisplay(
            PathFromBytes(ReadingCaption(progress.input, progress.bytesRead, progress.bytesTotal))));
    });
}

void WindowRunHost::yield()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

StopRequest WindowRunHost::stopRequested()
{
    if (m_form.isClosing())
        return StopRequest::Now;
    return m_form.isStopRequested() ? StopRequest::AfterTheCard : StopRequest::None;
}

WindowRunHost::~WindowRunHost()
{
    letGo();
}

void WindowRunHost::readingStarted(std::size_t /*position*/)
{
    // The run holds the window busy from the first file it reads until its end.
    if (!m_holdsBusy) {
        m_form.holdBusy();
        m_holdsBusy = true;
    }
}

void WindowRunHost::letGo()
{
    if (m_holdsBusy) {
        m_holdsBusy = false;
        m_form.releaseBusy();
    }
}

void WindowRunHost::itemFinished(const ItemResult& result)
{
    m_results.itemFinished(result);
    if (const auto read = m_read.find(result.position); read != m_read.end())
        m_form.fileList().setOutcome(read->second, m_results.lastOutcome(),
                                     static_cast<int>(result.position));
}

void WindowRunHost::photoFinished(const PhotoResult& result)
{
    m_results.photoFinished(result);
}

void WindowRunHost::stepFailed(const StepFailure& failure)
{
    // A thorough run keeps its failures for the list at its end.
    if (m_kind == RunKind::Thorough)
        m_results.stepFailed(failure);
    else
        m_form.reportError(StepReport(m_kind, failure));
}

void WindowRunHost::runClosing(const RunEnd& /*end*/)
{
    m_steps.step(RunStep::PointerBack, [&] {
        if (m_holdsBusy)
            letGo();
        else
            m_form.setPointer(Form1::Pointer::Default);
    });
    m_steps.step(RunStep::ProgressBack, [&] {
        // The bar is drawn at the screen's rate while the run goes: its last file and 100% show
        // before it goes back.
        m_form.progressBar()->showNow();
        m_form.progressBar()->setProgressValue(0);
    });
    m_steps.step(RunStep::CaptionBack, [&] {
        m_form.progressBar()->setCaption(
            QString::fromUtf8(kIdleProgressCaption.data(), kIdleProgressCaption.size()));
        m_form.progressBar()->showNow();
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
        m_form.showMessage(QString::fromUtf8(kNoFilesMessage.data(), kNoFilesMessage.size()));
        return;
    case RunOutcome::NoFolder:
        m_form.showMessage(QString::fromUtf8(kNoFolderMessage.data(), kNoFolderMessage.size()));
        return;
    case RunOutcome::Finished:
    case RunOutcome::Stopped:
        break;
    }
    m_steps.step(RunStep::Done, [&] {
        if (end.outcome == RunOutcome::Finished)
            showResults(QString::fromUtf8(kDoneMessage.data(), kDoneMessage.size()));
        else if (!m_form.closesAfterTheRun())
            showResults(StopText(end.stop));
    });
}

QString WindowRunHost::outputFolder() const
{
    return m_results.lastImageFolder().isEmpty() ? m_startFolder : m_results.lastImageFolder();
}

void WindowRunHost::showResults(const QString& text)
{
    m_results.runEnded();
    m_form.showRunning(false, m_kind == RunKind::Thorough);
    Prompts& prompts = m_form.prompts();
    if (!m_results.problems().isEmpty()) {
        prompts.problemList(&m_form, kProblemListTitle, NotTakenOutHeading(m_results.counts()),
                            m_results.problems(), [this] { saveProblems(); });
    }
    if (prompts.results(&m_form, m_form.applicationTitle(), text, ResultsLine(m_results.counts()))
        == Prompts::ResultsButton::OpenFolder)
        prompts.openInFileManager(outputFolder());
}

void WindowRunHost::saveProblems()
{
    Prompts& prompts = m_form.prompts();
    QString folder = outputFolder();
    if (!folder.isEmpty() && !folder.endsWith(QDir::separator()) && !folder.endsWith(QLatin1Char('/')))
        folder += QDir::separator();
    const QString path = prompts.saveFileName(&m_form, kSaveListTitle, folder + kSaveListName, kTextFilters);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(RunProblemsText(m_results.problems()).toUtf8());
        if (file.commit())
            return;
    }
    prompts.message(&m_form, m_form.applicationTitle(),
                    QStringLiteral("The list could not be saved to %1: %2").arg(path, file.errorString()),
                    Prompts::Icon::Warning);
}

} // namespace orvandel
