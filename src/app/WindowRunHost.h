#pragma once

#include "extract/RunHost.h"

#include <vector>

namespace orvandel {

class Form1;

// The extraction run's surroundings in the window: the file list, the output folder box, the
// progress bar, the window's pointer and its message boxes. A yield lets the window handle
// everything pending, so the other commands stay usable during a run.
class WindowRunHost : public RunHost
{
public:
    explicit WindowRunHost(Form1& form)
        : m_form(form)
    {
    }
    // A run that stopped before its end lets go of the window.
    ~WindowRunHost() override;
    WindowRunHost(const WindowRunHost&) = delete;
    WindowRunHost& operator=(const WindowRunHost&) = delete;

    std::size_t itemCount() override;
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override;
    void setProgressValue(double value) override;
    void setProgressCaption(const std::string& caption) override;
    bool yield() override;
    void setBusyPointer(bool busy) override;
    bool isBusyPointer() override;
    void showMessage(const std::string& text) override;
    void reportError(const ErrorReport& report) override;
    // Photos that are only web addresses are told of in one message before "Done.".
    void photoFinished(const PhotoResult& result) override;

private:
    Form1& m_form;
    bool m_holdsBusy = false; // the run holds the window busy (from its first file on)
    std::vector<PhotoResult> m_links;
};

} // namespace orvandel
