#include "WindowRunHost.h"

#include "CaptionProgressBar.h"
#include "Form1.h"
#include "Prompts.h"
#include "extract/ExtractionRun.h"
#include "filelist/PathText.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QSaveFile>

namespace orvandel {

namespace {

    const QString kProblemListTitle = QStringLiteral("Photos Not Taken Out");
    const QString kSaveListTitle = QStringLiteral("Save the List As");
    const QString kSaveListName = QStringLiteral("Photos not taken out.txt");
    const QString kTextFilters = QStringLiteral("Text Files (*.txt);;All Files (*)");

} // namespace

WindowRunHost::WindowRunHost(Form1& form, Kind kind)
    : m_form(form)
    , m_kind(kind)
    , m_results(kind == Kind::Thorough)
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

void WindowRunHost::setProgressValue(double value)
{
    m_form.progressBar()->setProgressValue(value);
}

void WindowRunHost::setProgressCaption(const std::string& caption)
{
    m_form.progressBar()->setCaption(PathForDisplay(PathFromBytes(caption)));
}

bool WindowRunHost::yield()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !m_form.isClosing();
}

WindowRunHost::~WindowRunHost()
{
    if (m_holdsBusy)
        m_form.releaseBusy();
}

void WindowRunHost::setBusyPointer(bool busy)
{
    // The run asks for the busy pointer at every file; it holds the window once.
    if (busy && !m_holdsBusy) {
        m_form.holdBusy();
        m_holdsBusy = true;
    } else if (!busy && m_holdsBusy) {
        m_form.releaseBusy();
        m_holdsBusy = false;
    } else {
        m_form.setPointer(busy ? Form1::Pointer::Busy : Form1::Pointer::Default);
    }
}

bool WindowRunHost::isBusyPointer()
{
    return m_form.isBusy();
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

void WindowRunHost::reportError(const ErrorReport& report)
{
    // A thorough run keeps its failures for the list at its end.
    if (m_kind == Kind::Thorough)
        m_results.reportError(report);
    else
        m_form.reportError(report);
}

void WindowRunHost::showMessage(const std::string& text)
{
    if (text == kDoneMessage)
        showResults(QString::fromStdString(text));
    else
        m_form.showMessage(QString::fromStdString(text));
}

void WindowRunHost::runStopped(const RunStop& stop)
{
    if (m_form.closesAfterTheRun())
        return;
    showResults(StopText(stop));
}

QString WindowRunHost::outputFolder() const
{
    return m_results.lastImageFolder().isEmpty() ? m_startFolder : m_results.lastImageFolder();
}

void WindowRunHost::showResults(const QString& text)
{
    m_results.runEnded();
    m_form.showRunning(false, m_kind == Kind::Thorough);
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
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
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
