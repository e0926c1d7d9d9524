#pragma once

#include "filelist/ScanHost.h"

#include <QElapsedTimer>

class QWidget;

namespace orvandel {

class FileListModel;
class Prompts;
class RunController;

// A folder scan's surroundings in the window: found files go to the end of the file list,
// failures to the "Application Error" box. A yield lets the window handle what is pending; a
// scan yields several times per folder, so the window is asked at most every few milliseconds,
// but a closed window stops the scan at its very next yield.
class WindowScanHost : public ScanHost
{
public:
    WindowScanHost(FileListModel& list, const RunController& controller, Prompts& prompts, QWidget* owner);

    bool yield() override;
    void appendItem(const std::string& text) override;
    void stepFailed(const ScanFailure& failure) override;

private:
    FileListModel& m_list;
    const RunController& m_controller;
    Prompts& m_prompts;
    QWidget* m_owner;
    QElapsedTimer m_sinceEvents;
};

} // namespace orvandel
