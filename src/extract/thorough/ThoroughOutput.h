#pragma once

#include "WrittenDigests.h"
#include "extract/OutputNames.h"
#include "fetch/HttpFetcher.h"
#include "util/WrittenFiles.h"

#include <memory>

namespace orvandel {

class DigestWorker;
class OutputFolder;

// Where a thorough run writes its photos and what it has written there: the extractor holds it
// from the run's start to its end, and the writer of each input writes through it.
struct ThoroughOutput
{
    std::shared_ptr<OutputFolder> folder; // taken once as the run begins; null when it could not be
    OutputNames names {kThoroughNameRules};
    WrittenFiles written;
    WrittenDigests writtenDigests; // with --unique: the photos written, by their digests
    std::unique_ptr<DigestWorker> digests; // with --unique: the thread that takes the digests
    std::unique_ptr<HttpFetcher> fetcher; // when photos are fetched; null when it could not start
    std::size_t fetched = 0; // transfers ended in the run
};

} // namespace orvandel
