#include "CommandLine.h"

#include "CliRunHost.h"
#include "OrvandelVersion.h"
#include "ThoroughCommand.h"
#include "extract/ExtractionRun.h"

#include <optional>
#include <ostream>

namespace orvandel {

namespace {

    constexpr const char* kUsage = R"(Usage: orvandel extract -o DIR [--json] FILE...
       orvandel [--help | --version]
       orvandel                 (opens the window)

Takes the photo out of every vCard file given and writes it into DIR as one
image per card file, named after the card file (card.vcf gives card.jpg).

Options:
  -o, --output DIR   the folder the images are written to; it must exist
      --json         one JSON object per input and line instead of text
  -h, --help         show this help and exit
      --version      show the version and exit

Each input gives one line on stdout: its status (written, no-photo or error),
its path, and the written file or the error's description. Errors are also
reported on stderr. Exit status: 0 when every input went well, 1 when any
failed, 2 when nothing could be done (no files, no such output folder, or
wrong arguments).
)";

    struct ExtractOptions
    {
        std::optional<std::string> outputFolder;
        bool json = false;
        std::vector<std::string> inputs;
    };

    int UsageError(std::ostream& err, const std::string& message)
    {
        err << "orvandel: " << message << "\nTry 'orvandel --help' for more information.\n";
        return 2;
    }

    int Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
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
            } else if (arg == "--json") {
                options.json = true;
            } else if (arg == "-h" || arg == "--help") {
                out << kUsage << ThoroughUsage();
                return 0;
            } else {
                return UsageError(err, "unknown option '" + arg + "'");
            }
        }
        if (const auto problem = CheckThoroughOptions(thorough))
            return UsageError(err, *problem);
        if (!options.outputFolder)
            return UsageError(err, "extract needs the output folder: -o DIR");
        if (thorough.thorough)
            return RunThoroughExtract(thorough, std::move(options.inputs), *options.outputFolder, options.json, out,
                                      err, errIsTerminal);

        CliRunHost host(std::move(options.inputs), *options.outputFolder, options.json, out, err, errIsTerminal);
        ExtractionRun run;
        switch (run.start(host)) {
        case RunOutcome::NoFiles:
        case RunOutcome::NoFolder:
        case RunOutcome::AlreadyRunning:
        case RunOutcome::Stopped:
            return 2;
        case RunOutcome::Finished:
            break;
        }
        return host.anyFailed() ? 1 : 0;
    }

} // namespace

bool IsCommandLineInvocation(const std::vector<std::string>& args)
{
    if (args.empty())
        return false;
    const std::string& first = args.front();
    return first == "extract" || first == "--help" || first == "-h" || first == "--version";
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    if (args.empty() || args.front() == "--help" || args.front() == "-h") {
        out << kUsage << ThoroughUsage();
        return 0;
    }
    if (args.front() == "--version") {
        out << "orvandel " << kOrvandelVersion << '\n';
        return 0;
    }
    if (args.front() == "extract")
        return Extract(args, out, err, errIsTerminal);
    return UsageError(err, "unknown command '" + args.front() + "'");
}

} // namespace orvandel
