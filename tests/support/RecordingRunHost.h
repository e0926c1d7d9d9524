#pragma once

#include "extract/RunInput.h"
#include "extract/RunObserver.h"

#include <functional>
#include <string>
#include <vector>

namespace orvandel::test {

// A run's surroundings for tests: a list and a folder text to hand out, and every event of the
// run, each kept as it came and named in order in `events`.
class RecordingRunHost : public RunInput, public RunObserver
{
public:
    std::size_t itemCount() override { return items.size(); }
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override { return folder; }

    void stepFailed(const StepFailure& failure) override;
    void itemStarted(const ItemStart& start) override;
    void readingStarted(std::size_t position) override;
    void progress(const ReadProgress& progress) override;
    void yield() override;
    StopRequest stopRequested() override;
    void itemFinished(const ItemResult& result) override;
    void photoFinished(const PhotoResult& result) override;
    void runClosing(const RunEnd& end) override;
    void runFinished(const RunEnd& end) override;

    std::vector<std::string> items;
    std::string folder;
    // Runs during each yield; false asks the run to stop at once.
    std::function<bool()> onYield;
    // Set, it asks the run to stop after the card being read, at every yield from then on, or
    // at the next one only with `stopOnce`.
    bool stopAfterTheCard = false;
    bool stopOnce = false;

    // "start a.vcf", "yield", "reading 1", "read 1048576 of 3300000", "failed", "finished 1",
    // "photo", "closing Finished", "end Finished"
    std::vector<std::string> events;
    std::vector<ItemStart> starts;
    std::vector<ReadProgress> reads;
    std::vector<double> progressValues; // of the starts and the reads, in order
    std::vector<StepFailure> failures;
    std::vector<ItemResult> results;
    std::vector<PhotoResult> photos;
    std::vector<RunEnd> ends;

    // The outcomes of the runs that told their end.
    std::vector<RunOutcome> outcomes() const;
    // How far the runs that were stopped got.
    std::vector<RunStop> stops() const;

private:
    bool m_goOn = true;
};

// The outcome's name, as the events show it.
const char* OutcomeName(RunOutcome outcome);

} // namespace orvandel::test
