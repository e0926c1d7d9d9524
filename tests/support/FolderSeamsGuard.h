#pragma once

#include "util/OutputFolder.h"

namespace orvandel::test {

// How a test has its temporary files made: unnamed where the file system allows it (named by
// their handle where the system allows that, else through /proc), or named.
enum class TemporaryKind
{
    Unnamed,
    UnnamedThroughProc,
    Named,
};

// Sets the folder layer's seams for one test and puts them back at its end.
class FolderSeamsGuard
{
public:
    explicit FolderSeamsGuard(bool namedTemporariesOnly = false)
        : m_saved(FolderSeams())
    {
        FolderSeams().namedTemporariesOnly = namedTemporariesOnly;
    }
    explicit FolderSeamsGuard(TemporaryKind kind)
        : FolderSeamsGuard(kind == TemporaryKind::Named)
    {
        FolderSeams().unnamedNamedThroughProc = kind == TemporaryKind::UnnamedThroughProc;
    }
    ~FolderSeamsGuard() { FolderSeams() = m_saved; }
    FolderSeamsGuard(const FolderSeamsGuard&) = delete;
    FolderSeamsGuard& operator=(const FolderSeamsGuard&) = delete;

private:
    OutputFolderSeams m_saved;
};

// "Unnamed", "UnnamedThroughProc" or "Named", for the names of tests.
inline const char* KindName(TemporaryKind kind)
{
    switch (kind) {
    case TemporaryKind::Unnamed:
        return "Unnamed";
    case TemporaryKind::UnnamedThroughProc:
        return "UnnamedThroughProc";
    case TemporaryKind::Named:
        break;
    }
    return "Named";
}

// True when `folder` gets unnamed temporary files (Linux O_TMPFILE on a file system that has
// them).
bool UnnamedTemporariesIn(const std::string& folder);

} // namespace orvandel::test
