#include "WindowScanHost.h"

#include "Form1.h"
#include "filelist/FileListModel.h"
#include "filelist/PathText.h"

#include <QCoreApplication>

namespace orvandel {

namespace {
    constexpr qint64 kEventsEveryMs = 10;
}

WindowScanHost::WindowScanHost(Form1& form)
    : m_form(form)
{
}

bool WindowScanHost::yield()
{
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_sinceEvents.start();
    }
    return !m_form.isClosing();
}

void WindowScanHost::appendItem(const std::string& text)
{
    m_form.fileList().append(PathFromBytes(text));
}

void WindowScanHost::reportError(const ErrorReport& report)
{
    m_form.reportError(report);
}

} // namespace orvandel
