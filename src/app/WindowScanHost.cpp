#include "WindowScanHost.h"

#include "Prompts.h"
#include "RunController.h"
#include "StepTable.h"
#include "filelist/FileListModel.h"
#include "filelist/PathText.h"

#include <QCoreApplication>

namespace orvandel {

namespace {
    constexpr qint64 kEventsEveryMs = 10;
}

WindowScanHost::WindowScanHost(FileListModel& list,
                               const RunController& controller,
                               Prompts& prompts,
                               QWidget* owner)
    : m_list(list)
    , m_controller(controller)
    , m_prompts(prompts)
    , m_owner(owner)
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

void WindowScanHost::stepFailed(const ScanFailure& failure)
{
    if (const auto report = StepReport(failure.step, failure.description))
        m_prompts.report(m_owner, *report);
}

} // namespace orvandel
