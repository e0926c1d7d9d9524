#include "WindowRunHost.h"

#include "CaptionProgressBar.h"
#include "Form1.h"
#include "filelist/FileListModel.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace orvandel {

std::size_t WindowRunHost::itemCount()
{
    return static_cast<std::size_t>(m_form.fileList().count());
}

std::optional<std::string> WindowRunHost::itemText(std::size_t position)
{
    const FileListModel& list = m_form.fileList();
    if (position < 1 || position > static_cast<std::size_t>(list.count()))
        return std::nullopt;
    return list.text(static_cast<int>(position)).toStdString();
}

std::string WindowRunHost::outputFolderText()
{
    return m_form.outputBox()->text().toStdString();
}

void WindowRunHost::setProgressValue(double value)
{
    m_form.progressBar()->setProgressValue(value);
}

void WindowRunHost::setProgressCaption(const std::string& caption)
{
    m_form.progressBar()->setCaption(QString::fromStdString(caption));
}

bool WindowRunHost::yield()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !m_form.isClosing();
}

void WindowRunHost::setBusyPointer(bool busy)
{
    m_form.setPointer(busy ? Form1::Pointer::Busy : Form1::Pointer::Default);
}

bool WindowRunHost::isBusyPointer()
{
    return m_form.isBusy();
}

void WindowRunHost::showMessage(const std::string& text)
{
    m_form.showMessage(QString::fromStdString(text));
}

void WindowRunHost::reportError(const ErrorReport& report)
{
    m_form.reportError(report);
}

} // namespace orvandel
