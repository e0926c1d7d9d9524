#pragma once

#include "scan/ScanHost.h"

#include <QElapsedTimer>
#include <QStringList>

class QWidget;

namespace orvandel {

class FileListModel;
class Prompts;
class RunController;

// A folder scan's surroundings in the window: found files go to the end of the file list,
// failures to the "Application Error" box, and the folders it left out (too deep, a name no
// program can show, unreadable, reached twice) to one box once the command is done. A yield lets the window
// handle what is pending; a scan yields several times per folder, so the window is asked at most every few
// milliseconds, but a closed window stops the scan at its very next yield.
class WindowScanHost : public ScanHost
{
public:
    // `title` is the boxes' own.
    WindowScanHost(FileListModel& list,
                   const RunController& controller,
                   Prompts& prompts,
                   QWidget* owner,
                   QString title);

    bool yield() override;
    void appendItem(const std::string& text) override;
    void stepFailed(const ScanFailure& failure) override;
    void folderSkipped(const SkippedFolder& folder) override;

    // Tells the folders left out so far, in one box, and forgets them.
    void tellSkipped();

private:
    FileListModel& m_list;
    const RunController& m_controller;
    Prompts& m_prompts;
    QWidget* m_owner;
    QString m_title;
    QElapsedTimer m_sinceEvents;
    QStringList m_skipped; // "PATH: why"
};

} // namespace orvandel
