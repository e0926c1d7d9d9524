#pragma once

#include "filelist/ScanHost.h"

#include <QElapsedTimer>

namespace orvandel {

class Form1;

// A folder scan's surroundings in the window: found files go to the end of the file list,
// reports to the window's boxes. A yield lets the window handle what is pending; a scan yields
// several times per folder, so the window is asked at most every few milliseconds, but a
// closed window stops the scan at its very next yield.
class WindowScanHost : public ScanHost
{
public:
    explicit WindowScanHost(Form1& form);

    bool yield() override;
    void appendItem(const std::string& text) override;
    void reportError(const ErrorReport& report) override;

private:
    Form1& m_form;
    QElapsedTimer m_sinceEvents;
};

} // namespace orvandel
