#pragma once

#include "extract/RunHost.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvandel {

// Runs the thorough extraction for the command line: one line (or JSON object) per photo on
// `out`, and one per input that gave no photo or failed as a whole; reports and messages go to
// `err` as text, and a progress line is kept on `err` when it is a terminal.
class ThoroughCliRunHost : public RunHost
{
public:
    ThoroughCliRunHost(std::vector<std::string> inputs,
                       std::string outputFolder,
                       bool json,
                       std::ostream& out,
                       std::ostream& err,
                       bool showProgress);

    std::size_t itemCount() override { return m_inputs.size(); }
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override { return m_outputFolder; }
    void setProgressValue(double value) override { m_progress = value; }
    void setProgressCaption(const std::string& caption) override;
    bool yield() override { return true; }
    void setBusyPointer(bool /*busy*/) override {}
    bool isBusyPointer() override { return false; }
    void showMessage(const std::string& text) override;
    void reportError(const ErrorReport& report) override;
    void itemFinished(const ItemResult& result) override;
    void photoFinished(const PhotoResult& result) override;

    bool anyFailed() const noexcept { return m_anyFailed; }

private:
    void clearProgressLine();
    void printInputLine(const std::string& input, const char* status, const std::string& error);

    std::vector<std::string> m_inputs;
    std::string m_outputFolder;
    bool m_json;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_showProgress;
    bool m_progressShown = false;
    double m_progress = 0;
    bool m_anyFailed = false;
    std::size_t m_photosOfInput = 0;
    std::vector<std::string> m_reportsOfInput; // not yet told with a photo
};

} // namespace orvandel
