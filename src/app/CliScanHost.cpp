#include "CliScanHost.h"

#include "CliRunHost.h"
#include "TerminalText.h"
#include "filelist/FolderListing.h"
#include "filelist/FolderScan.h"
#include "util/PathHelpers.h"
#include "util/StepRunner.h"

#include <exception>
#include <ostream>

namespace orvandel {

CliScanHost::CliScanHost(std::ostream& err)
    : m_err(err)
{
}

void CliScanHost::reportError(const ErrorReport& report)
{
    m_anyFailed = true;
    m_err << ReportAsPlainText(report) << "\n\n" << std::flush;
}

void CliScanHost::reportProblem(const std::string& text)
{
    m_anyFailed = true;
    m_err << "orvandel: " << TerminalText(text) << '\n' << std::flush;
}

std::vector<std::string>
ExpandFolderInputs(const std::vector<std::string>& inputs, const NamePattern& pattern, CliScanHost& host)
{
    StepRunner steps(std::string(kAddFolderLocator), host);
    for (const std::string& input : inputs) {
        if (!IsDirectory(input)) {
            host.appendItem(input);
            continue;
        }
        // The scan leaves a folder it may not read out without a word; named on the command
        // line, it deserves one.
        bool denied = false;
        try {
            FolderListing listing;
            denied = listing.open(input) == FolderListing::Opened::AccessDenied;
        } catch (const std::exception&) {
            // Any other failure meets the scan too, which reports it.
        }
        if (denied) {
            host.reportProblem("cannot read the folder " + input + ": Permission denied");
            continue;
        }
        AddFolderTreeFiles(input, pattern, host, &steps);
    }
    return std::move(host.items());
}

} // namespace orvandel
