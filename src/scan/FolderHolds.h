#pragma once

#include "FolderListing.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orvandel {

// The folders a scan has taken up that tell no birth time, held open while the scan remembers
// them: a held folder that is removed keeps its inode, so that no folder made anew meanwhile gets
// it and passes for one read already. At most a quarter of the process's descriptors (and no more
// than 4,096) are held; beyond them a folder is remembered by its device and inode alone. On
// Windows nothing is held: a file index is not handed out again while its volume is in use.
class FolderHolds
{
public:
    FolderHolds();
    ~FolderHolds();
    FolderHolds(const FolderHolds&) = delete;
    FolderHolds& operator=(const FolderHolds&) = delete;

    // Holds the folder at `path` when `id`, which a probe of it just gave, tells no birth time.
    void hold(const std::string& path, const FolderId& id);
    std::size_t held() const noexcept { return m_held.size(); }

private:
    std::vector<int> m_held; // descriptors
    std::size_t m_budget = 0;
};

} // namespace orvandel
