#pragma once

#include "scan/ScanHost.h"

#include <functional>
#include <string>
#include <vector>

namespace orvandel::test {

// A scan's surroundings for tests: the items appended, the failed steps, and the yields.
class RecordingScanHost : public ScanHost
{
public:
    bool yield() override;
    void appendItem(const std::string& text) override;
    void stepFailed(const ScanFailure& failure) override { failures.push_back(failure); }
    void folderSkipped(const SkippedFolder& folder) override { skipped.push_back(folder); }

    std::vector<std::string> items;
    std::vector<ScanFailure> failures;
    std::vector<SkippedFolder> skipped;
    int yields = 0;
    // Runs during each yield; its answer is the yield's.
    std::function<bool()> onYield;
    // Runs for each item before it is appended; may throw to fail the step.
    std::function<void(const std::string&)> onAppend;
};

} // namespace orvandel::test
