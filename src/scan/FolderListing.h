#pragma once

#include "NamePattern.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvandel {

// The folder a path leads to, links followed: its device and inode, and when it was made where
// the file system tells it. Two paths that lead to the same folder (through a link, say) have the
// same id. A folder made anew may get the inode of one removed a moment before (ext4 hands it out
// again at once): its birth time tells it apart, or, where the file system tells none, holding
// the old folder open keeps its inode from being handed out (FolderHolds).
struct FolderId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t birthSeconds = 0; // 0 and 0: not told
    std::uint32_t birthNanoseconds = 0;

    bool hasBirth() const noexcept { return birthSeconds != 0 || birthNanoseconds != 0; }
    friend bool operator==(const FolderId&, const FolderId&) = default;
};

// Attribute values of Windows files and folders that the scan judges by (hidden 2, system 4,
// directory 16, archive 32, link 1024), compared whole, not bit by bit.
inline constexpr std::uint32_t kProtectedFolderAttributes = 22; // directory + system + hidden
inline constexpr std::uint32_t kProtectedFolderLinkAttributes = 1046; // the same, as a link
inline constexpr std::uint32_t kHiddenArchiveFileAttributes = 34; // archive + hidden

// What a path names, links followed, found without opening it (on Windows, opened without
// asking for any access).
struct FolderProbe
{
    bool isFolder = false; // false too when the path is missing or cannot be looked at
    FolderId id; // on Windows the volume's serial number and the folder's file index
    std::uint32_t attributes = 0; // Windows: the folder's own attribute value (not the link's target)
    bool driveRoot = false; // Windows: "C:\" or "\\server\share\"
};

// Looks at `path` (links followed). Never throws.
FolderProbe ProbeFolder(const std::string& path);

// Seams through which tests steer the scan; the program leaves them alone.
struct FolderScanSeams
{
    // Folders tell no birth time, as on file systems that keep none.
    bool noBirthTimes = false;
};
FolderScanSeams& ScanSeams();

// True for the root of a drive or a network share: "C:\", "C:", "\\server\share\". Windows only;
// false elsewhere.
bool IsDriveRoot(const std::string& path);

// The attribute value of a file on Windows; 0 elsewhere and when it cannot be read.
std::uint32_t FileAttributeValue(const std::string& path);

// One folder, opened for reading its entries. Names are listed in listing order (see
// ListingOrderLess), without "." and "..". Entries are judged by the type the folder records
// for them; only links and entries of unknown type are looked at one by one.
class FolderListing
{
public:
    enum class Opened
    {
        Yes,
        AccessDenied, // the folder may not be read
        Gone, // the path names no folder (any more)
    };

    FolderListing() = default;
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // Opens the folder at `path`. Denied access and a missing folder are answers; any other
    // failure throws FileError.
    Opened open(const std::string& path);

    struct Entries
    {
        std::vector<std::string> subfolders; // links to folders included
        std::vector<std::string> files; // regular files and links to them; never pipes, sockets, devices
        // On Windows the attribute value of each file, in the order of `files`; empty elsewhere.
        std::vector<std::uint32_t> fileAttributes;
    };
    // Reads the folder once: its subfolders, and its files that match `filePattern` (none
    // without a pattern). Throws FileError when the folder cannot be read.
    Entries read(const NamePattern* filePattern);

    // Only the files that match `pattern`.
    std::vector<std::string> fileNames(const NamePattern& pattern) { return read(&pattern).files; }

private:
    void close() noexcept;

    void* m_dir = nullptr; // the system's folder stream; on Windows the entries the search found
    std::string m_path;
};

} // namespace orvandel
