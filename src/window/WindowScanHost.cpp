#include "WindowScanHost.h"

#include "Prompts.h"
#include "RunController.h"
#include "RunResults.h"
#include "report/RunTexts.h"
#include "report/StepTable.h"
#include "window/list/FileListModel.h"
#include "window/list/PathText.h"

#include <QCoreApplication>

namespace orvandel {

namespace {
    constexpr qint64 kEventsEveryMs = 10;
    // The folders a box names at most; more are counted.
    constexpr qsizetype kSkippedShown = 10;
} // namespace

WindowScanHost::WindowScanHost(
    FileListModel& list, const RunController& controller, Prompts& prompts, QWidget* owner, QString title)
    : m_list(list)
    , m_controller(controller)
    , m_prompts(prompts)
    , m_owner(owner)
    , m_title(std::move(title))
{
}

bool WindowScanHost::yield()
{
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_sinceEvents.start();
    }
    return !m_controller.isClosing();
}

void WindowScanHost::appendItem(const std::string& text)
{
    m_list.append(PathFromBytes(text));
}

void WindowScanHost::folderSkipped(const SkippedFolder& folder)
{
    if (folder.reported)
        return; // its "Application Error" box told it
    m_skipped << PathForDisplay(PathFromBytes(folder.path)) + QStringLiteral(": ")
            + QString::fromStdString(SkipReasonText(folder));
}

void WindowScanHost::tellSkipped()
{
    if (m_skipped.isEmpty())
        return;
    QString text = m_skipped.size() == 1 ? QStringLiteral("A folder was left out:")
                                         : QStringLiteral("%1 folders were left out:").arg(m_skipped.size());
    text += QStringLiteral("\n\n") + Listed(m_skipped, kSkippedShown).join(QLatin1Char('\n'));
    m_skipped.clear();
    m_prompts.message(m_owner, m_title, text, Prompts::Icon::Warning);
}

void WindowScanHost::stepFailed(const ScanFailure& failure)
{
    if (const auto report = StepReport(failure.step, failure.description))
        m_prompts.report(m_owner, *report);
}

} // namespace orvandel
