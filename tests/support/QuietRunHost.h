#pragma once

#include "extract/RunInput.h"
#include "extract/RunLoop.h"
#include "extract/RunObserver.h"

#include <string>
#include <utility>
#include <vector>

namespace orvandel::test {

// The surroundings of a run that shows nothing: a fixed list and output folder. It keeps the
// failures' descriptions and the files of the photos written.
class QuietRunHost : public RunInput, public RunObserver
{
public:
    QuietRunHost(std::vector<std::string> items, std::string folder)
        : m_items(std::move(items))
        , m_folder(std::move(folder))
    {
    }

    std::size_t itemCount() override { return m_items.size(); }
    std::optional<std::string> itemText(std::size_t position) override
    {
        if (position < 1 || position > m_items.size())
            return std::nullopt;
        return m_items[position - 1];
    }
    std::string outputFolderText() override { return m_folder; }
    void stepFailed(const StepFailure& failure) override { reports.push_back(failure.description); }
    void photoFinished(const PhotoResult& result) override
    {
        if (result.status == PhotoStatus::Written)
            written.push_back(result.output);
    }

    // Runs `extractor` over the list.
    RunOutcome run(ItemExtractor& extractor)
    {
        RunLoop loop;
        return loop.start(*this, *this, extractor);
    }

    std::vector<std::string> reports;
    std::vector<std::string> written;

private:
    std::vector<std::string> m_items;
    std::string m_folder;
};

} // namespace orvandel::test
