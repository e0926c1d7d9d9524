#pragma once

#include "util/OutputFolder.h"

namespace orvandel::test {

// Sets the folder layer's seams for one test and puts them back at its end.
class FolderSeamsGuard
{
public:
    explicit FolderSeamsGuard(bool namedTemporariesOnly = false)
        : m_saved(FolderSeams())
    {
        FolderSeams().namedTemporariesOnly = namedTemporariesOnly;
    }
    ~FolderSeamsGuard() { FolderSeams() = m_saved; }
    FolderSeamsGuard(const FolderSeamsGuard&) = delete;
    FolderSeamsGuard& operator=(const FolderSeamsGuard&) = delete;

private:
    OutputFolderSeams m_saved;
};

// How a test has its temporary files made: unnamed where the file system allows it, or named.
enum class TemporaryKind
{
    Unnamed,
    Named,
};

// True when `folder` gets unnamed temporary files (Linux O_TMPFILE on a file system that has
// them).
bool UnnamedTemporariesIn(const std::string& folder);

} // namespace orvandel::test
