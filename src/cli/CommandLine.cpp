#include "CommandLine.h"

#include "CliRunHost.h"
#include "CliScanHost.h"
#include "CommandLineHelp.h"
#include "OrvandelVersion.h"
#include "StdoutLines.h"
#include "StopSignals.h"
#include "TerminalText.h"
#include "ThoroughCommand.h"
#include "extract/ClassicExtractor.h"
#include "extract/RunLoop.h"
#include "util/PathHelpers.h"

#include <cerrno>
#include <ostream>

namespace orvandel {

namespace {

    // Every usage error, the window's too, is told here.
    int TellUsageError(std::ostream& err, const UsageError& error)
    {
        err << "orvandel: " << TerminalText(error.message)
            << "\nTry 'orvandel --help' for more information.\n";
        return 2;
    }

    // Writes the help or the version; a stdout that cannot take it is a failure.
    int PrintText(std::ostream& out, std::ostream& err, const std::string& text)
    {
        errno = 0;
        out << text << std::flush;
        if (out.good())
            return 0;
        TellStdoutFailed(err, errno);
        return 1;
    }

    int Extract(
        ExtractRequest options, std::ostream& out, std::ostream& err, bool errIsTerminal, bool outIsTerminal)
    {
        CliRunOptions run {.inputs = {}, // the files the scan gives, below
                           .outputFolder = options.outputFolder,
                           .json = options.json,
                           .thorough = options.thorough.thorough,
                           .showProgress = errIsTerminal,
                           .summary = options.summary || errIsTerminal,
                           .outIsTerminal = outIsTerminal};
        // A missing output folder is told before any folder input is scanned: the first and only
        // line. (Without inputs the run tells "No files added." first, as ever.)
        if (!options.inputs.empty()) {
            if (const std::error_code problem = FolderProblem(run.outputFolder)) {
                CliRunHost host(run, out, err);
                host.runFinished({RunOutcome::NoFolder, {}, problem});
                return ExitStatus(RunOutcome::NoFolder, false);
            }
        }
        CliScanHost scanHost(run, out, err);
        run.inputs = ExpandFolderInputs(options.inputs, NamePattern(std::move(options.patterns)), scanHost);
        if (!out.good() || StopSignal() != 0)
            return 1; // the scan was stopped

        int status = 0;
        if (run.thorough) {
            status = RunThoroughExtract(options.thorough, std::move(run), out, err);
        } else {
            CliRunHost host(std::move(run), out, err);
            RunLoop loop;
            ClassicExtractor extractor;
            const RunOutcome outcome = loop.start(host, host, extractor);
            host.clearProgressLine();
            status = ExitStatus(outcome, host.anyFailed());
        }
        if (status == 0 && scanHost.anyFailed())
            status = 1;
        // A run stopped because its report could not be written failed; it did not refuse to start.
        return out.good() ? status : 1;
    }

    int RunCommand(const CommandRequest& request,
                   std::ostream& out,
                   std::ostream& err,
                   bool errIsTerminal,
                   bool outIsTerminal)
    {
        if (std::holds_alternative<HelpRequest>(request))
            return PrintText(out, err, CommandLineHelp());
        if (std::holds_alternative<VersionRequest>(request))
            return PrintText(out, err, std::string("orvandel ") + kOrvandelVersion + '\n');
        if (const auto* error = std::get_if<UsageError>(&request))
            return TellUsageError(err, *error);
        return Extract(std::get<ExtractRequest>(request), out, err, errIsTerminal, outIsTerminal);
    }

} // namespace

int RunCommandLine(const CommandRequest& request,
                   std::ostream& out,
                   std::ostream& err,
                   bool errIsTerminal,
                   bool outIsTerminal)
{
    const int status = RunCommand(request, out, err, errIsTerminal, outIsTerminal);
    // A stop signal decides the status whenever it came, after the run's last yield too.
    if (const int signal = StopSignal(); signal != 0) {
        err << "orvandel: stopped by " << StopSignalName(signal) << '\n' << std::flush;
        return 128 + signal;
    }
    return status;
}

} // namespace orvandel
