#include "CommandLine.h"

#include "CliRunHost.h"
#include "CliScanHost.h"
#include "OrvandelVersion.h"
#include "StdoutLines.h"
#include "StopSignals.h"
#include "TerminalText.h"
#include "ThoroughCommand.h"
#include "extract/ClassicExtractor.h"
#include "extract/RunLoop.h"
#include "util/PathHelpers.h"

#include <cerrno>
#include <optional>
#include <ostream>

namespace orvandel {

namespace {

    constexpr const char* kUsage = R"(Usage: orvandel extract -o DIR [--json] [--pattern GLOB]... PATH...
       orvandel [--help | --version]
       orvandel [PATH...]       (opens the window, PATHs listed as if dropped)

Takes the photo out of every vCard file given and writes it into DIR as one
image per card file, named after the card file (card.vcf gives card.jpg).

A PATH that is a file is taken as given, whatever its name. A PATH that is a
folder stands for the files of its whole tree whose names match a pattern:
the folder's own files first, then those of its subfolders, level by level,
each folder's files in alphabetical order (case ignored). Names starting with
"." or "~" are left out; links are followed, each folder is entered once.

Options:
  -o, --output DIR     the folder the images are written to; it must exist
      --pattern GLOB   take a folder's files whose names match GLOB ("*" any
                       run of characters, "?" one, case ignored); repeat it
                       for more patterns (default: *.vcf and *.vcard)
      --json           one JSON object per input and line instead of text
  -h, --help           show this help and exit
      --version        show the version and exit

Each input gives one line on stdout: its status (written, no-photo or error),
its path, and the written file or the error's description, separated by tabs.
A folder that is not entered (its path or name breaks a rule, or it cannot be
read) gives "skipped", its path and the reason. Errors are also reported on
stderr.

In these lines and in everything on stderr, a backslash is written as "\\",
a tab, line feed or carriage return as "\t", "\n" or "\r", and every other
control character and every byte that is not UTF-8 as "\xHH": each input
stays on one line, and its exact path can be read back. With --json, a byte
that is not UTF-8 is written as \udc80 to \udcff, as Python's json module
reads it back with "surrogateescape".

Exit status: 0 when every input went well; 1 when any failed, a folder was
skipped, or stdout could not be written; 2 when nothing could be done (no
files, no such output folder, or wrong arguments); 128 + N after signal N.
SIGINT, SIGTERM and SIGHUP stop the run at its next safe point: the images
already written stay, and no partial image is left behind.
)";

    struct ExtractOptions
    {
        std::optional<std::string> outputFolder;
        bool json = false;
        std::vector<std::string> patterns;
        std::vector<std::string> inputs;
    };

    int UsageError(std::ostream& err, const std::string& message)
    {
        err << "orvandel: " << TerminalText(message) << "\nTry 'orvandel --help' for more information.\n";
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

    int
    Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
    {
        ExtractOptions options;
        ThoroughCommandOptions thorough;
        std::string thoroughProblem;
        bool optionsEnded = false;
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
                options.inputs.push_back(arg);
            } else if (const auto match = TakeThoroughOption(args, i, thorough, thoroughProblem);
                       match != OptionMatch::NotMine) {
                if (match == OptionMatch::Wrong)
                    return UsageError(err, thoroughProblem);
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "-o" || arg == "--output") {
                if (i + 1 >= args.size())
                    return UsageError(err, "option '" + arg + "' needs a folder");
                options.outputFolder = args[++i];
            } else if (arg.rfind("--output=", 0) == 0) {
                options.outputFolder = arg.substr(9);
            } else if (arg.rfind("-o", 0) == 0) {
                options.outputFolder = arg.substr(2);
            } else if (arg == "--pattern" || arg.rfind("--pattern=", 0) == 0) {
                if (arg == "--pattern" && i + 1 >= args.size())
                    return UsageError(err, "option '--pattern' needs a pattern");
                std::string pattern = arg == "--pattern" ? args[++i] : arg.substr(10);
                if (pattern.empty() || pattern.find('/') != std::string::npos)
                    return UsageError(err,
                                      "a pattern matches file names and cannot be empty or hold '/': '"
                                          + pattern + "'");
                options.patterns.push_back(std::move(pattern));
            } else if (arg == "--json") {
                options.json = true;
            } else if (arg == "-h" || arg == "--help") {
                return PrintText(out, err, std::string(kUsage) + ThoroughUsage());
            } else {
                return UsageError(err, "unknown option '" + arg + "'");
            }
        }
        if (const auto problem = CheckThoroughOptions(thorough))
            return UsageError(err, *problem);
        if (!options.outputFolder)
            return UsageError(err, "extract needs the output folder: -o DIR");
        if (options.patterns.empty())
            options.patterns = {"*.vcf", "*.vcard"};
        CliScanHost scanHost(out, err, options.json, thorough.thorough);
        std::vector<std::string> files
            = ExpandFolderInputs(options.inputs, NamePattern(std::move(options.patterns)), scanHost);
        if (!out.good() || StopSignal() != 0)
            return 1; // the scan was stopped

        int status = 0;
        if (thorough.thorough) {
            status = RunThoroughExtract(thorough, std::move(files), *options.outputFolder, options.json, out,
                                        err, errIsTerminal);
        } else {
            CliRunHost host(std::move(files), *options.outputFolder, options.json, out, err, errIsTerminal);
            RunLoop run;
            ClassicExtractor extractor;
            const RunOutcome outcome = run.start(host, host, extractor);
            host.clearProgressLine();
            status = ExitStatus(outcome, host.anyFailed());
        }
        if (status == 0 && scanHost.anyFailed())
            status = 1;
        // A run stopped because its report could not be written failed; it did not refuse to start.
        return out.good() ? status : 1;
    }

} // namespace

bool IsCommandLineInvocation(const std::vector<std::string>& args)
{
    if (args.empty())
        return false;
    const std::string& first = args.front();
    if (first == "extract" || first == "--help" || first == "-h" || first == "--version")
        return true;
    // A first word that is neither a command nor a file or folder is a mistake to tell, not a
    // list for the window (options, the window's and Qt's, go to the window).
    return first.empty() || (first[0] != '-' && !FileExists(first));
}

namespace {

    int
    RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
    {
        if (args.empty() || args.front() == "--help" || args.front() == "-h")
            return PrintText(out, err, std::string(kUsage) + ThoroughUsage());
        if (args.front() == "--version")
            return PrintText(out, err, std::string("orvandel ") + kOrvandelVersion + '\n');
        if (args.front() == "extract")
            return Extract(args, out, err, errIsTerminal);
        const std::string& first = args.front();
        if (first.find('/') != std::string::npos || first.find('.') != std::string::npos)
            return UsageError(err, "no such file or folder: '" + first + "'");
        return UsageError(err, "unknown command '" + first + "'");
    }

} // namespace

int RunCommandLine(const std::vector<std::string>& args,
                   std::ostream& out,
                   std::ostream& err,
                   bool errIsTerminal)
{
    const int status = RunCommand(args, out, err, errIsTerminal);
    // A stop signal decides the status whenever it came, after the run's last yield too.
    if (const int signal = StopSignal(); signal != 0) {
        err << "orvandel: stopped by " << StopSignalName(signal) << '\n' << std::flush;
        return 128 + signal;
    }
    return status;
}

} // namespace orvandel
