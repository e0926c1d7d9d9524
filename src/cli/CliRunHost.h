#pragma once

#include "CliRunOptions.h"
#include "StdoutLines.h"
#include "extract/RunInput.h"
#include "extract/RunObserver.h"
#include "report/RunCounts.h"
#include "report/RunTexts.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

// Runs the extraction for the command line: the inputs are the list, each finished input is
// one line (or one JSON object) on `out`, each failure and message one line on `err`
// (CliFailureLine), and a progress line is kept on `err` when `showProgress` says it is a
// terminal. Unless `out` is a terminal its lines are buffered (StdoutLines), and written out
// before anything goes to `err` but the progress line, so that the two keep their order where
// they meet in one file, and when the run ends. A run that went through its list, or was stopped
// on the way, ends with one summary line on `err` when `summary` asks for it, in the window's
// words ("6 images written, 1 file without a photo, 2 failed"). Once `out` cannot be written or a stop signal
// has come (StopSignal), the run is stopped at its next yield.
class CliRunHost : public RunInput, public RunObserver
{
public:
    CliRunHost(CliRunOptions options, std::ostream& out, std::ostream& err);

    std::size_t itemCount() override { return m_options.inputs.size(); }
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override { return m_options.outputFolder; }

    void stepFailed(const StepFailure& failure) override;
    void itemStarted(const ItemStart& start) override;
    void progress(const ReadProgress& progress) override;
    void fetchProgress(const FetchProgress& progress) override;
    StopRequest stopRequested() override;
    void itemFinished(const ItemResult& result) override;
    void runClosing(const RunEnd& end) override;
    void runFinished(const RunEnd& end) override;

    bool anyFailed() const noexcept { return m_anyFailed; }
    // Takes the progress line off the terminal, as a run that was stopped leaves it.
    void clearProgressLine();

protected:
    void markFailed() noexcept { m_anyFailed = true; }
    // The input under way has given its result: what fails from here on is no input's.
    void inputDone() noexcept
    {
        m_input.clear();
        m_inputUnderWay = false;
    }
    bool inputUnderWay() const noexcept { return m_inputUnderWay; }
    bool json() const noexcept { return m_options.json; }
    // What the summary line counts.
    RunCounts& counts() noexcept { return m_counts; }
    // Writes one line of the report on stdout.
    void printLine(const std::string& line);
    // Tells a failure on stderr (see CliFailureLine), after the lines that wait for stdout.
    void tellFailure(std::string_view path, std::string_view where, std::string_view description);
    void runFailed(const StepFailure& failure);

private:
    void showProgressLine(double percent, const std::string& caption);

    CliRunOptions m_options;
    StdoutLines m_lines;
    std::ostream& m_err;
    bool m_progressShown = false;
    double m_percent = 0; // shown last
    bool m_anyFailed = false;
    RunCounts m_counts;
    std::string m_input; // the input under way, from its start to its result
    bool m_inputUnderWay = false;
};

// The command's exit status after a run: 2 when it could not start, 1 when anything failed,
// else 0.
int ExitStatus(RunOutcome outcome, bool anyFailed);

// One failure as the command line tells it on stderr, as the tools people know do:
// "orvandel: PATH: WHERE: DESCRIPTION", without "PATH: " when no file is concerned and without
// "WHERE: " when no place in it is known ("card 3, line 14", "line 6"). Each part is escaped
// (TerminalText). A description that ends with ": PATH" (as the system's "File not found: PATH"
// does) leaves that end to PATH. No line break at the end.
std::string CliFailureLine(std::string_view path, std::string_view where, std::string_view description);

} // namespace orvandel
