#pragma once

#include "extract/RunHost.h"

#include <functional>
#include <string>
#include <vector>

namespace orvandel::test {

// A run's surroundings for tests: a list and a folder text to hand out, and a log of
// everything the run did to them, in order.
class RecordingRunHost : public RunHost
{
public:
    std::size_t itemCount() override { return items.size(); }
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override { return folder; }
    void setProgressValue(double value) override;
    void setProgressCaption(const std::string& caption) override;
    bool yield() override;
    void setBusyPointer(bool value) override;
    bool isBusyPointer() override { return busy; }
    void showMessage(const std::string& text) override;
    void reportError(const ErrorReport& report) override;
    void itemFinished(const ItemResult& result) override { results.push_back(result); }

    std::vector<std::string> items;
    std::string folder;
    bool busy = false;
    // Runs during each yield; its answer is the yield's.
    std::function<bool()> onYield;

    std::vector<std::string>
        events; // "progress 25", "caption ...", "yield", "busy", "idle", "message ...", "report 172"
    std::vector<double> progress;
    std::vector<std::string> messages;
    std::vector<ErrorReport> reports;
    std::vector<ItemResult> results;
};

} // namespace orvandel::test
