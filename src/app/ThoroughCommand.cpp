#include "ThoroughCommand.h"

#include "ThoroughCliRunHost.h"
#include "extract/RunLoop.h"
#include "extract/thorough/ThoroughExtractor.h"

#include <ostream>

namespace orvandel {

int RunThoroughExtract(const ThoroughCommandOptions& options,
                       std::vector<std::string> inputs,
                       std::string outputFolder,
                       bool json,
                       std::ostream& out,
                       std::ostream& err,
                       bool errIsTerminal,
                       bool outIsTerminal)
{
    ThoroughOptions runOptions;
    runOptions.logos = options.logos;
    runOptions.unique = options.unique;
    if (options.nameTemplate)
        runOptions.name = NameTemplate::parse(*options.nameTemplate);

    ThoroughCliRunHost host(std::move(inputs), std::move(outputFolder), json, out, err, errIsTerminal,
                            outIsTerminal);
    RunLoop run;
    ThoroughExtractor extractor(std::move(runOptions));
    const RunOutcome outcome = run.start(host, host, extractor);
    host.clearProgressLine();
    return ExitStatus(outcome, host.anyFailed());
}

} // namespace orvandel
