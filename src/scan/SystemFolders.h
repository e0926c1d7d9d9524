#pragma once

#include "FolderListing.h"

#include <string_view>
#include <vector>

namespace orvandel {

// The folders a scan treats specially: the root "/", which it always enters, and the folders
// of the kernel's virtual file systems (process and device tables, control groups, tracing,
// ...), which hold no user files, are full of links that lead back into the tree, and which
// a scan therefore neither enters nor lists, unless it was asked to start there. On Windows the
// roots are the drives' ("C:\", "\\server\share\"), and the folders left out are those whose
// attribute value is exactly 22 (a hidden system folder) or 1046 (the same as a link), such as
// "System Volume Information".
class SystemFolders
{
public:
    // The mount table of this process (/proc/self/mountinfo) and the root "/". Without a
    // readable mount table no folder counts as virtual.
    static SystemFolders current();
    // From a mount table in the form of /proc/self/mountinfo.
    static SystemFolders fromMountInfo(std::string_view mountInfo, FolderId root);

    // True for a folder that lies on a virtual file system.
    bool isVirtual(const FolderId& folder) const;
    bool isRoot(const FolderId& folder) const { return folder == m_root; }
    // True for a folder that a scan neither enters nor lists unless it was given: one that
    // lies on a virtual file system and is not the root; on Windows a protected folder that is
    // not a drive's root.
    bool leftOut(const FolderProbe& folder) const;

    // True for the types of file system that are kernel interfaces rather than storage.
    static bool IsVirtualFileSystemType(std::string_view type);

private:
    std::vector<std::uint64_t> m_virtualDevices; // sorted
    FolderId m_root;
};

} // namespace orvandel
