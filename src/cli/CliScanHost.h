#pragma once

#include "CliRunOptions.h"
#include "StdoutLines.h"
#include "scan/NamePattern.h"
#include "scan/ScanHost.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvandel {

// Scans the folders named on the command line: the items found are collected, each failure is
// one line on `err` that names the folder being scanned, and each folder that the scan did not enter gives a
// "skipped" line on `out` (a JSON object with `json`; with `thorough`, the fields of the thorough run's
// lines) and a message on `err`. Of the options it takes `json` and `thorough`.
class CliScanHost : public ScanHost
{
public:
    CliScanHost(const CliRunOptions& options, std::ostream& out, std::ostream& err);

    // False once stdout cannot be written or a stop signal has come: the scan stops.
    bool yield() override;
    void appendItem(const std::string& text) override { m_items.push_back(text); }
    void stepFailed(const ScanFailure& failure) override;
    void folderSkipped(const SkippedFolder& folder) override;

    // The folder named on the command line whose tree is scanned now.
    void scanning(std::string folder) { m_folder = std::move(folder); }
    std::vector<std::string>& items() noexcept { return m_items; }
    bool anyFailed() const noexcept { return m_anyFailed; }

private:
    StdoutLines m_lines;
    std::ostream& m_err;
    bool m_json;
    bool m_thorough;
    std::vector<std::string> m_items;
    std::string m_folder;
    bool m_anyFailed = false;
};

// The inputs in their order, each folder replaced by the files of its tree whose names match
// `pattern` (in the order of the folder scan, each file once per named folder); every other
// input is taken as given. Stops at the first scan that is stopped.
std::vector<std::string>
ExpandFolderInputs(const std::vector<std::string>& inputs, const NamePattern& pattern, CliScanHost& host);

} // namespace orvandel
