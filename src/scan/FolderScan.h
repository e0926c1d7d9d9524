#pragma once

#include "NamePattern.h"
#include "NameRules.h"
#include "ScanHost.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

// Whether the steps of AddFolderTreeFiles itself are told: the folder command's are (as
// failures of the command), a dropped folder's are skipped quietly when they fail.
enum class TreeSteps
{
    Reported,
    Quiet,
};

// Extends `folders` (paths ending in "/", on Windows in "\") with their subfolders, breadth
// first: the given entries, then all their direct subfolders (grouped by parent, each group in
// listing order), then the next level, and so on (only the first level when `wholeTree` is
// false). The tree is walked level by level, without recursion, so its depth costs no stack.
//
// - A given entry stays in the list even when it is not entered: when it is no folder, when
//   its path is too long (FolderPathTooLong), or when it lies on a virtual file system (unless
//   it is the root); on Windows, when it is a protected folder (SystemFolders::leftOut) other
//   than a drive's root.
// - A subfolder is not followed when its name is too long (FolderNameTooLong) or has invalid
//   characters (HasInvalidChars), nor when its path is too long or it lies on a virtual file
//   system (on Windows: it is a protected folder); such folders are not listed.
// - A folder whose subfolders cannot be read because access is denied or it has gone is
//   removed from the list without a report. Links to folders are followed, but a scan takes
//   up each folder once: an entry that leads to a folder met before (FolderId: device, inode and
//   birth time) is removed and told as already read, so link loops end and no folder is listed
//   twice.
// - Any other failure is told to `host` with its step and the scan goes on.
// - Every folder left out by the rules on paths and names, because it could not be read (access
//   denied, or a reported failure) or because it was read already, is told to `host`
//   (ScanHost::folderSkipped).
//
// Yields to `host` after looking at each folder, for each subfolder and before keeping each
// subfolder found; returns Stopped at once when a yield says so.
ScanOutcome GetSubDirectories2016(std::vector<std::string>& folders, bool wholeTree, ScanHost& host);

// The names of the regular files of `folder` (links to them included; folders, pipes, sockets
// and devices never) that match `pattern`, in listing order; hidden files too. `folder` may end
// in "/" or not. A missing or unreadable folder gives no names; any other failure throws.
std::vector<std::string> GetFilesInFolder(std::string folder, const NamePattern& pattern);

// Appends to the file list of `host` every file of the tree under `folder` whose name matches
// `pattern`, folder by folder as GetSubDirectories2016 lists them; each item is the folder and
// the name joined by "/" (NormalizeBackslashes applied). Names starting with "~" and hidden
// files (names starting with "."; on Windows files whose attribute value is exactly 34) are left
// out. Each folder is read once: its files are added as soon as the scan has read it, between
// the scan's yields, so a scan that is stopped leaves the items added so far, and a folder that
// goes away after it was read keeps its items.
//
// Its own steps (ScanStep::StartList to AddFile) are told to `host` when `tree` is Reported and
// skipped quietly when they fail otherwise; the scan of the tree tells its failures in any case.
ScanOutcome AddFolderTreeFiles(const std::string& folder,
                               const NamePattern& pattern,
                               ScanHost& host,
                               TreeSteps tree = TreeSteps::Quiet);

} // namespace orvandel
