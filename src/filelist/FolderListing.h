#pragma once

#include "NamePattern.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvandel {

// The folder a path leads to, links followed: its device and inode. Two paths that lead to the
// same folder (through a link, say) have the same id.
struct FolderId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FolderId&, const FolderId&) = default;
};

// What a path names, links followed, found without opening it.
struct FolderProbe
{
    bool isFolder = false; // false too when the path is missing or cannot be looked at
    FolderId id;
};

// Looks at `path` (links followed). Never throws.
FolderProbe ProbeFolder(const std::string& path);

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
    };
    // Reads the folder once: its subfolders, and its files that match `filePattern` (none
    // without a pattern). Throws FileError when the folder cannot be read.
    Entries read(const NamePattern* filePattern);

    // Only the files that match `pattern`.
    std::vector<std::string> fileNames(const NamePattern& pattern) { return read(&pattern).files; }

private:
    void close() noexcept;

    void* m_dir = nullptr; // the system's folder stream
    std::string m_path;
};

} // namespace orvandel
