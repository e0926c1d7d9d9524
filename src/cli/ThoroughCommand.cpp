#include "ThoroughCommand.h"

#include "OrvandelVersion.h"
#include "ThoroughCliRunHost.h"
#include "extract/RunLoop.h"
#include "extract/thorough/ThoroughExtractor.h"

#include <ostream>

namespace orvandel {

int RunThoroughExtract(const ThoroughCommandOptions& options,
                       CliRunOptions run,
                       std::ostream& out,
                       std::ostream& err)
{
    ThoroughOptions runOptions;
    runOptions.logos = options.logos;
    runOptions.unique = options.unique;
    if (options.nameTemplate)
        runOptions.name = NameTemplate::parse(*options.nameTemplate);
    runOptions.fetch = options.fetch;
    runOptions.fetchSettings.userAgent = OrvandelUserAgent();
    runOptions.fetchSettings.timeout = options.fetchTimeout;
    runOptions.fetchSettings.allowLocal = options.fetchLocal;
    runOptions.fetchSettings.resolve = options.fetchResolve;
    runOptions.fetchSettings.caFile = options.fetchCaFile;

    ThoroughCliRunHost host(std::move(run), out, err);
    RunLoop loop;
    ThoroughExtractor extractor(std::move(runOptions));
    const RunOutcome outcome = loop.start(host, host, extractor);
    host.clearProgressLine();
    return ExitStatus(outcome, host.anyFailed());
}

} // namespace orvandel
