#include "WindowRunHost.h"

#include "CaptionProgressBar.h"
#include "Form1.h"
#include "extract/ExtractionRun.h"
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

namespace {

    constexpr std::size_t kLinksListed = 20;

    QString LinkSummary(const std::vector<PhotoResult>& links)
    {
        QString text = links.size() == 1
            ? QStringLiteral("One photo is only a web address and was not fetched:\r\r")
            : QStringLiteral("%1 photos are only web addresses and were not fetched:\r\r").arg(links.size());
        for (std::size_t i = 0; i < links.size() && i < kLinksListed; ++i) {
            const PhotoResult& link = links[i];
            const QString who = link.fn.empty()
                ? QStringLiteral("%1, card %2").arg(QString::fromStdString(link.input)).arg(link.card)
                : QString::fromStdString(link.fn);
            text += who + QStringLiteral(": ") + QString::fromStdString(link.url) + QStringLiteral("\r\n");
        }
        if (links.size() > kLinksListed)
            text += QStringLiteral("and %1 more.").arg(links.size() - kLinksListed);
        return text.trimmed();
    }

} // namespace

void WindowRunHost::photoFinished(const PhotoResult& result)
{
    if (result.status == PhotoStatus::Link)
        m_links.push_back(result);
}

void WindowRunHost::showMessage(const std::string& text)
{
    if (text == kDoneMessage && !m_links.empty()) {
        m_form.showMessage(LinkSummary(m_links));
        m_links.clear();
    }
    m_form.showMessage(QString::fromStdString(text));
}

void WindowRunHost::reportError(const ErrorReport& report)
{
    m_form.reportError(report);
}

} // namespace orvandel
