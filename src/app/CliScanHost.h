#pragma once

#include "filelist/NamePattern.h"
#include "filelist/ScanHost.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvandel {

// Scans the folders named on the command line: the items found are collected, reports and
// problems go to `err` as text.
class CliScanHost : public ScanHost
{
public:
    explicit CliScanHost(std::ostream& err);

    bool yield() override { return true; }
    void appendItem(const std::string& text) override { m_items.push_back(text); }
    void reportError(const ErrorReport& report) override;

    // Tells of a named folder that cannot be scanned at all.
    void reportProblem(const std::string& text);

    std::vector<std::string>& items() noexcept { return m_items; }
    bool anyFailed() const noexcept { return m_anyFailed; }

private:
    std::ostream& m_err;
    std::vector<std::string> m_items;
    bool m_anyFailed = false;
};

// The inputs in their order, each folder replaced by the files of its tree whose names match
// `pattern` (in the order of the folder scan, each file once per named folder); every other
// input is taken as given.
std::vector<std::string>
ExpandFolderInputs(const std::vector<std::string>& inputs, const NamePattern& pattern, CliScanHost& host);

} // namespace orvandel
