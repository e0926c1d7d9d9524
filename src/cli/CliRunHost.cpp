#include "CliRunHost.h"

#include "StopSignals.h"
#include "TerminalText.h"
#include "report/StepTable.h"
#include "util/Json.h"

#include <cmath>
#include <ostream>

namespace orvandel {

int ExitStatus(RunOutcome outcome, bool anyFailed)
{
    switch (outcome) {
    case RunOutcome::NoFiles:
    case RunOutcome::NoFolder:
    case RunOutcome::AlreadyRunning:
    case RunOutcome::Stopped:
    case RunOutcome::Abandoned:
        return 2;
    case RunOutcome::Finished:
        break;
    }
    return anyFailed ? 1 : 0;
}

std::string CliFailureLine(std::string_view path, std::string_view where, std::string_view description)
{
    std::string line(kCliMessagePrefix);
    if (!path.empty()) {
        // "File not found: a.vcf" names the file that the line names already.
        const std::size_t named = path.size() + 2;
        if (description.size() > named && description.ends_with(path)
            && description.substr(description.size() - named, 2) == ": ")
            description.remove_suffix(named);
        line += TerminalText(path) + ": ";
    }
    if (!where.empty())
        line += TerminalText(where) + ": ";
    return line + TerminalText(description);
}

CliRunHost::CliRunHost(CliRunOptions options, std::ostream& out, std::ostream& err)
    : m_options(std::move(options))
    , m_lines(out, err, !m_options.outIsTerminal)
    , m_err(err)
{
}

std::optional<std::string> CliRunHost::itemText(std::size_t position)
{
    if (position < 1 || position > m_options.inputs.size())
        return std::nullopt;
    return m_options.inputs[position - 1];
}

void CliRunHost::itemStarted(const ItemStart& start)
{
    m_input = start.input;
    m_inputUnderWay = true;
    m_lines.flushIfDue();
    showProgressLine(start.percent, ItemCaption(start.input));
}

void CliRunHost::progress(const ReadProgress& progress)
{
    m_lines.flushIfDue();
    showProgressLine(progress.percent,
                     ReadingCaption(progress.input, progress.bytesRead, progress.bytesTotal));
}

void CliRunHost::fetchProgress(const FetchProgress& progress)
{
    m_lines.flushIfDue();
    showProgressLine(m_percent, FetchingCaption(progress.input, progress.fetched, progress.underWay));
}

void CliRunHost::showProgressLine(double percent, const std::string& caption)
{
    m_percent = percent;
    if (!m_options.showProgress)
        return;
    m_err << "\r\x1b[K" << static_cast<int>(std::floor(percent)) << "% " << TerminalText(caption)
          << std::flush;
    m_progressShown = true;
}

void CliRunHost::clearProgressLine()
{
    if (m_progressShown) {
        m_err << "\r\x1b[K" << std::flush;
        m_progressShown = false;
    }
}

void CliRunHost::runClosing(const RunEnd& /*end*/)
{
    clearProgressLine();
}

void CliRunHost::runFinished(const RunEnd& end)
{
    m_lines.flush();
    clearProgressLine();
    // The terminal shows no "Done.": the report lines and the exit status tell the end.
    if (end.outcome == RunOutcome::NoFiles) {
        m_err << CliFailureLine({}, {}, kNoFilesMessage) << '\n' << std::flush;
    } else if (end.outcome == RunOutcome::NoFolder) {
        const std::string problem = FolderProblemText(end.folderProblem);
        m_err << CliFailureLine(m_options.outputFolder, {},
                                problem.empty() ? kCliNoFolderMessage : std::string_view(problem))
              << '\n'
              << std::flush;
    } else if (m_options.summary && end.outcome != RunOutcome::AlreadyRunning) {
        m_err << ResultsLine(m_counts) << '\n' << std::flush; // also what a stopped run got done
    }
}

void CliRunHost::tellFailure(std::string_view path, std::string_view where, std::string_view description)
{
    m_lines.flush();
    clearProgressLine();
    m_err << CliFailureLine(path, where, description) << '\n' << std::flush;
}

void CliRunHost::stepFailed(const StepFailure& failure)
{
    tellFailure(m_input, failure.line != 0 ? "line " + std::to_string(failure.line) : std::string(),
                failure.description);
    if (!m_inputUnderWay)
        runFailed(failure);
}

// A failure of the run as a whole (the flush, a temporary file left): it counts, and JSON gives
// it a line of its own, with the output folder.
void CliRunHost::runFailed(const StepFailure& failure)
{
    m_anyFailed = true;
    if (!m_options.json)
        return;
    JsonObject line;
    line.add("folder", m_options.outputFolder).add("status", "error").add("error", failure.description);
    if (!m_options.thorough)
        line.add("step", StepLine(failure.step));
    printLine(line.str());
}

void CliRunHost::itemFinished(const ItemResult& result)
{
    inputDone();
    clearProgressLine();
    const char* status = "no-photo";
    if (result.status == ItemStatus::Written)
        status = "written";
    else if (result.status == ItemStatus::Failed)
        status = "error";
    m_anyFailed = m_anyFailed || result.status == ItemStatus::Failed;
    switch (result.status) {
    case ItemStatus::Written:
        ++m_counts.written;
        break;
    case ItemStatus::NoPhoto:
        ++m_counts.withoutPhoto;
        break;
    case ItemStatus::Failed:
        ++m_counts.failed;
        break;
    }

    if (m_options.json) {
        JsonObject line;
        line.add("input", result.input).add("status", status);
        if (result.status == ItemStatus::Written)
            line.add("output", result.output);
        if (result.status == ItemStatus::Failed) {
            // "line" is always a line of the input; the report's step number has a key of its own.
            line.add("error", result.error);
            if (result.line != 0)
                line.add("line", result.line);
            line.add("step", StepLine(result.errorStep));
        }
        printLine(line.str());
    } else {
        std::string line = status + ('\t' + TerminalText(result.input));
        if (result.status == ItemStatus::Written)
            line += '\t' + TerminalText(result.output);
        else if (result.status == ItemStatus::Failed)
            line += '\t' + TerminalText(result.error);
        printLine(line);
    }
}

void CliRunHost::printLine(const std::string& line)
{
    m_lines.print(line);
}

StopRequest CliRunHost::stopRequested()
{
    if (StopSignal() != 0) {
        m_lines.flush(); // what was reported stays reported
        return StopRequest::Now;
    }
    m_lines.flushIfDue();
    return m_lines.failed() ? StopRequest::Now : StopRequest::None;
}

} // namespace orvandel
