#pragma once

#include "engine/RecordingRunHost.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace orvandel::test {

// A recording host that also keeps each photo's result.
class ThoroughRecordingHost : public RecordingRunHost
{
public:
    void photoFinished(const PhotoResult& result) override { photos.push_back(result); }
    void runStopped(const RunStop& stop) override { stops.push_back(stop); }
    std::vector<PhotoResult> photos;
    std::vector<RunStop> stops;
};

// Every file in `folder` (hidden ones too) with its bytes; a folder in it shows as "<folder>".
inline std::map<std::string, std::string> FilesIn(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_directory()) {
            files[entry.path().filename().string()] = "<folder>";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()]
            = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

} // namespace orvandel::test
