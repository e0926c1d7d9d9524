#pragma once

#include "FileError.h"
#include "FingerprintTable.h"
#include "OutputFolder.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvandel {

class ReplacingFile;

// What one run has written, so that two different images never end up in one file, whatever
// the file system's rules for names are: letter case, Unicode normalisation, short names.
//
// A name that exists when a file is to take it counts as taken when it leads to a file this run
// wrote (the same device and file number), or when the folder does not list it exactly as it
// is spelt: then it is another entry's alias. The folder is listed once, when a name first turns
// out to exist, and the list is kept up with the names the run writes. A real entry of exactly
// that name that the run did not write is replaced. An empty folder costs nothing of this: the
// file takes a free name in one call.
//
// Memory stays small for any number of files: a fingerprint a file and, for a folder that had
// to be listed, a fingerprint a name.
class WrittenFiles
{
public:
    enum class Outcome
    {
        Written, // the file has its name
        Taken, // the name leads to a file of this run or is an alias; the file waits
        Obstructed, // what stands there cannot be replaced (a folder, a protected file); the file waits
    };
    struct Placement
    {
        Outcome outcome = Outcome::Written;
        std::optional<FileError> obstacle; // Obstructed: why
    };

    // Gives the complete `file` its target's name, unless that name is taken. Throws FileError
    // when the file cannot be given any name (the file is removed then).
    Placement put(ReplacingFile& file);
    // Gives `file` its target's name whatever stands there: the run writes its own file again.
    // Throws FileError.
    void replace(ReplacingFile& file);

    // Brings what the run wrote to the disk: one flush for each file system written to.
    // Throws FileError when a file system cannot be flushed.
    void flush();

    std::size_t count() const noexcept { return m_count; }
    // The bytes the record holds.
    std::size_t memoryBytes() const noexcept;

private:
    void record(ReplacingFile& file, const std::optional<FileIdentity>& identity);
    bool isOurs(const std::optional<FileIdentity>& identity) const;
    bool listedExactly(OutputFolder& folder, const std::string& name);
    static std::string FolderKey(const OutputFolder& folder);

    FingerprintSet m_identities;
    std::vector<std::uint64_t> m_devicesWithoutIdentities; // where file numbers repeat
    std::unordered_map<std::string, FingerprintSet> m_listings; // folder -> its names, exactly
    struct FlushTarget
    {
        std::string key; // the device, or the folder where it is not told
        std::shared_ptr<OutputFolder> folder;
    };
    std::vector<FlushTarget> m_toFlush;
    std::size_t m_count = 0;
};

} // namespace orvandel
