#pragma once

#include "extract/RunHost.h"

#include <string>
#include <utility>
#include <vector>

namespace orvandel::test {

// The surroundings of a run that shows nothing: a fixed list and output folder. It keeps the
// texts of the reports and the files of the photos written.
class QuietRunHost : public RunHost
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
    void setProgressValue(double) override { }
    void setProgressCaption(const std::string&) override { }
    bool yield() override { return true; }
    void setBusyPointer(bool) override { }
    bool isBusyPointer() override { return false; }
    void showMessage(const std::string&) override { }
    void reportError(const ErrorReport& report) override { reports.push_back(report.text()); }
    void photoFinished(const PhotoResult& result) override
    {
        if (result.status == PhotoStatus::Written)
            written.push_back(result.output);
    }

    std::vector<std::string> reports;
    std::vector<std::string> written;

private:
    std::vector<std::string> m_items;
    std::string m_folder;
};

} // namespace orvandel::test
