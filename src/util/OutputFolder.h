#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvandel {

// Which file a name leads to: its device and its file number (inode). Two names with the same
// identity are one file, whatever the file system's rules for names are.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What stands at a name in a folder.
struct FolderEntry
{
    bool exists = false;
    bool directory = false;
    std::optional<FileIdentity> identity; // when the file system tells it
};

// A folder that images are written into, held open where the system allows it (a directory
// handle on POSIX), so that a folder renamed or replaced while it is in use keeps receiving the
// files and its temporary files. Elsewhere it is its path. Failures come back as error codes;
// the callers turn them into messages that name what they were writing.
class OutputFolder
{
public:
    // A file being written in the folder, not yet under its name. Unnamed where the file system
    // allows it (Linux O_TMPFILE): then nothing is left of it when the program is killed.
    // Otherwise a hidden file ".<hint>.<random>.part", removed when the object goes.
    class Temporary
    {
    public:
        virtual ~Temporary() = default;
        virtual std::error_code write(std::string_view bytes) = 0;
        // The bytes are all written out; a write error that was held back shows here. No
        // handle stays open for a named file; an unnamed one keeps its handle until placed.
        virtual std::error_code finish() = 0;
        // Gives the finished file the name `name` unless something stands there: then
        // std::errc::file_exists and the file stays as it was.
        virtual std::error_code placeNew(std::string_view name) = 0;
        // Gives the finished file the name `name`, replacing what stands there (a file or a
        // link, never written through). On failure the file stays as it was.
        virtual std::error_code replace(std::string_view name) = 0;
        // Removes the file unless it was placed. Also done by the destructor.
        virtual void discard() noexcept = 0;
        // The identity of the file, when the file system tells it.
        virtual std::optional<FileIdentity> identity() const = 0;
        // Its hidden name, empty while it has none.
        virtual const std::string& temporaryName() const noexcept = 0;
    };

    virtual ~OutputFolder() = default;

    // Whether the folder is kept in place while it is open: on Windows nobody may then rename or
    // remove it (for a run that takes its folder once, as it starts). Nothing else keeps a folder
    // in place; a folder held open (POSIX) gets its files wherever it goes.
    enum class Place
    {
        Free,
        Kept,
    };

    // Opens the folder named by `folderText` (a trailing "/" or none; empty text is the current
    // folder). Throws FileError naming `describeAs` (the folder text when empty).
    static std::shared_ptr<OutputFolder>
    open(const std::string& folderText, const std::string& describeAs = {}, Place place = Place::Free);

    // The folder text with a trailing "/" (empty for the current folder): a file's path is
    // path() followed by its name.
    const std::string& path() const noexcept { return m_path; }

    // A new temporary file. `hint` goes into its name when it has one, so that a person who
    // finds it can tell what it was. Null with `error` set when it cannot be created.
    virtual std::unique_ptr<Temporary> createTemporary(std::string_view hint, std::error_code& error) = 0;
    // What stands at `name`, a link itself rather than what it leads to.
    virtual FolderEntry lookup(std::string_view name) = 0;
    // Calls `visit` with the name of every entry, as the folder lists it.
    virtual std::error_code forEachName(const std::function<void(std::string_view)>& visit) = 0;
    // Brings what was written on the folder's file system to the disk.
    virtual std::error_code flush() = 0;
    // The folder's own identity, when the file system tells it.
    virtual std::optional<FileIdentity> identity() const = 0;
    // True while the folder's text still names this folder: false once it was renamed, removed or
    // replaced since it was opened. A folder known by its path only is always at it.
    virtual bool isAtItsPath() const { return true; }

protected:
    explicit OutputFolder(std::string path)
        : m_path(std::move(path))
    {
    }

private:
    std::string m_path;
};

// True where folders are held open and files tell their identity (POSIX); false for the
// portable layer, which works on paths.
bool FoldersAreHeldOpen() noexcept;

// A temporary file whose removal failed (a hidden ".part" file, on a file system without unnamed
// ones), and why.
struct LeftoverTemporary
{
    std::string path;
    std::error_code error;
};
// Tries once more to remove every temporary file whose removal failed, as a run ends; gives those
// that still stand, which nothing will remove.
std::vector<LeftoverTemporary> RemoveLeftoverTemporaries();

// Seams through which tests watch and steer the folder layer; the program leaves them alone.
struct OutputFolderSeams
{
    // Called instead of the system's flush when set, with the folder's path().
    std::function<std::error_code(const std::string& folder)> flush;
    // Temporary files are always named, as on file systems that have no unnamed ones.
    bool namedTemporariesOnly = false;
    // Unnamed temporary files take their names through /proc, as where a process may not name
    // them by their handle (Linux before 6.10, unless privileged).
    bool unnamedNamedThroughProc = false;
    // Gives the random part of each temporary file's name when set.
    std::function<std::string()> temporarySuffix;
};
OutputFolderSeams& FolderSeams();

} // namespace orvandel
