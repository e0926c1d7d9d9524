#include "CliRunHost.h"

#include "StopSignals.h"
#include "TerminalText.h"
#include "extract/ExtractionRun.h"
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
        return 2;
    case RunOutcome::Finished:
        break;
    }
    return anyFailed ? 1 : 0;
}

std::string ReportAsPlainText(const ErrorReport& report)
{
    // The report's own line breaks become LF; what stands between them is escaped, so that a
    // description that holds a line break or an escape sequence stays on its line and harmless.
    std::string text(kApplicationErrorTitle);
    text += '\n';
    const std::string body = report.text();
    std::size_t at = 0;
    if (body.compare(0, report.description.size(), report.description) == 0) {
        text += TerminalText(report.description);
        at = report.description.size();
    }
    std::string line;
    for (; at < body.size(); ++at) {
        if (body[at] == '\r' || body[at] == '\n') {
            text += TerminalText(line) + '\n';
            line.clear();
            if (body[at] == '\r' && at + 1 < body.size() && body[at + 1] == '\n')
                ++at;
        } else {
            line += body[at];
        }
    }
    return text + TerminalText(line);
}

CliRunHost::CliRunHost(std::vector<std::string> inputs,
                       std::string outputFolder,
                       bool json,
                       std::ostream& out,
                       std::ostream& err,
                       bool showProgress)
    : m_inputs(std::move(inputs))
    , m_outputFolder(std::move(outputFolder))
    , m_json(json)
    , m_lines(out, err)
    , m_err(err)
    , m_showProgress(showProgress)
{
}

std::optional<std::string> CliRunHost::itemText(std::size_t position)
{
    if (position < 1 || position > m_inputs.size())
        return std::nullopt;
    return m_inputs[position - 1];
}

void CliRunHost::setProgressValue(double value)
{
    m_progress = value;
}

void CliRunHost::setProgressCaption(const std::string& caption)
{
    if (!m_showProgress || caption == kIdleProgressCaption) {
        clearProgressLine();
        return;
    }
    m_err << "\r\x1b[K" << static_cast<int>(std::floor(m_progress)) << "% " << TerminalText(caption)
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

void CliRunHost::showMessage(const std::string& text)
{
    clearProgressLine();
    if (text != kDoneMessage)
        m_err << TerminalText(text) << '\n' << std::flush;
}

void CliRunHost::reportError(const ErrorReport& report)
{
    clearProgressLine();
    m_err << ReportAsPlainText(report) << "\n\n" << std::flush;
}

void CliRunHost::itemFinished(const ItemResult& result)
{
    clearProgressLine();
    const char* status = "no-photo";
    if (result.status == ItemStatus::Written)
        status = "written";
    else if (result.status == ItemStatus::Failed)
        status = "error";
    m_anyFailed = m_anyFailed || result.status == ItemStatus::Failed;

    if (m_json) {
        JsonObject line;
        line.add("input", result.input).add("status", status);
        if (result.status == ItemStatus::Written)
            line.add("output", result.output);
        if (result.status == ItemStatus::Failed)
            line.add("error", result.error).add("line", result.errorLine);
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

bool CliRunHost::yield()
{
    return !m_lines.failed() && StopSignal() == 0;
}

} // namespace orvandel
