#pragma once

#include "util/PathHelpers.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace orvandel::test {

// Every file in `folder` (hidden ones too) with its bytes; a folder in it shows as "<folder>".
inline std::map<std::string, std::string> FilesIn(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_directory()) {
            files[FromFsPath(entry.path().filename())] = "<folder>";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        files[FromFsPath(entry.path().filename())]
            = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

} // namespace orvandel::test
