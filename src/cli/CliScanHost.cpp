#include "CliScanHost.h"

#include "CliRunHost.h"
#include "StopSignals.h"
#include "TerminalText.h"
#include "scan/FolderScan.h"
#include "util/Json.h"
#include "util/PathHelpers.h"

#include <ostream>

namespace orvandel {

CliScanHost::CliScanHost(const CliRunOptions& options, std::ostream& out, std::ostream& err)
    : m_lines(out, err)
    , m_err(err)
    , m_json(options.json)
    , m_thorough(options.thorough)
{
}

bool CliScanHost::yield()
{
    return !m_lines.failed() && StopSignal() == 0;
}

void CliScanHost::stepFailed(const ScanFailure& failure)
{
    m_anyFailed = true;
    m_err << CliFailureLine(m_folder, {}, failure.description) << '\n' << std::flush;
}

void CliScanHost::folderSkipped(const SkippedFolder& folder)
{
    m_anyFailed = true;
    const std::string reason = SkipReasonText(folder);
    m_err << "orvandel: skipped the folder " << TerminalText(folder.path) << ": " << TerminalText(reason)
          << '\n'
          << std::flush;
    if (m_json) {
        JsonObject line;
        line.add("input", folder.path).add("status", "skipped").add("error", reason);
        m_lines.print(line.str());
    } else {
        // The reason stands where the lines of the run put an error's description.
        m_lines.print("skipped\t" + TerminalText(folder.path) + (m_thorough ? "\t\t\t" : "\t")
                      + TerminalText(reason));
    }
}

std::vector<std::string>
ExpandFolderInputs(const std::vector<std::string>& inputs, const NamePattern& pattern, CliScanHost& host)
{
    for (const std::string& input : inputs) {
        if (!IsDirectory(input)) {
            host.appendItem(input);
            continue;
        }
        host.scanning(input);
        if (AddFolderTreeFiles(input, pattern, host, TreeSteps::Reported) == ScanOutcome::Stopped)
            break;
    }
    return std::move(host.items());
}

} // namespace orvandel
