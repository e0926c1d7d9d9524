#include "FolderScan.h"

#include "FolderHolds.h"
#include "FolderListing.h"
#include "SystemFolders.h"
#include "util/PathHelpers.h"

#include <exception>
#include <functional>
#include <iterator>
#include <unordered_set>

namespace orvandel {

namespace {

    struct FolderIdHash
    {
        std::size_t operator()(const FolderId& id) const noexcept
        {
            return std::hash<std::uint64_t>()(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
        }
    };

    // A folder list entry: the path with its trailing "/"; the empty text (the root without its
    // "/") becomes the root.
    std::string AsFolderEntry(std::string folder)
    {
#if defined(_WIN32)
        // Always one "\" more, as the folder command has it: the root "C:\" becomes "C:\\",
        // whose files are "C:\name" once normalised. A "/" typed at the end gives way to it.
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        folder += kSeparator;
#else
        if (folder.empty() || folder.back() != kSeparator)
            folder += kSeparator;
#endif
        return folder;
    }

    // Files that a folder's listing leaves out: lock and backup files ("~"), and hidden files:
    // on Windows those whose attribute value is exactly 34 (hidden + archive), elsewhere those
    // whose name starts with ".".
    bool IsLeftOutFile(const std::string& name, [[maybe_unused]] std::uint32_t attributes)
    {
        if (name.front() == '~')
            return true;
#if defined(_WIN32)
        return attributes == kHiddenArchiveFileAttributes;
#else
        return name.front() == '.';
#endif
    }

    // One scan of one or more folder trees. It takes up each folder once, whatever the paths
    // that lead to it, so links cannot lead it in circles. Given a file pattern, it also picks
    // each folder's matching files out of the same reading of the folder.
    class FolderTreeScan
    {
    public:
        // Receives each folder that the finished list will hold (path with its trailing "/"), as
        // soon as the scan has taken it up: with its matching files when the scan read the
        // folder, or null when the scan did not enter it. Folders are taken up level by level,
        // each level in order, so they arrive in the order of the finished list.
        using FolderFiles
            = std::function<void(const std::string& folder, const FolderListing::Entries* read)>;

        explicit FolderTreeScan(ScanHost& host,
                                const NamePattern* filePattern = nullptr,
                                FolderFiles folderFiles = {})
            : m_host(host)
            , m_system(SystemFolders::current())
            , m_filePattern(filePattern)
            , m_folderFiles(std::move(folderFiles))
        {
        }

        ScanOutcome collect(std::vector<std::string>& folders, bool wholeTree);

    private:
        enum class Listed
        {
            Yes,
            Failed, // reported; the folder stays
            Denied, // the folder may not be read: it leaves its list
            Gone, // it has gone: it leaves its list
        };
        ScanOutcome takeUp(ScanSteps& steps,
                           std::vector<std::string>& level,
                           bool given,
                           std::vector<std::string>& found);
        Listed list(ScanSteps& steps,
                    const std::string& folder,
                    FolderListing::Entries& entries,
                    std::string& failure);

        // A subfolder found stays in the list when it is still a folder and no virtual one.
        bool staysFound(const FolderProbe& probe) const { return probe.isFolder && !m_system.leftOut(probe); }
        void handOn(const std::string& folder, const FolderListing::Entries* read)
        {
            if (m_folderFiles)
                m_folderFiles(folder, read);
        }
        void skipped(std::string path, SkipReason reason, std::string detail = {}, bool reported = false)
        {
            if (path.size() > 1 && path.back() == kSeparator)
                path.pop_back();
            m_host.folderSkipped({std::move(path), reason, std::move(detail), reported});
        }

        ScanHost& m_host;
        SystemFolders m_system;
        const NamePattern* m_filePattern;
        FolderFiles m_folderFiles;
        std::unordered_set<FolderId, FolderIdHash> m_taken;
        FolderHolds m_holds; // the folders of m_taken that tell no birth time
    };

    ScanOutcome FolderTreeScan::collect(std::vector<std::string>& folders, bool wholeTree)
    {
        ScanSteps steps(m_host);
        // One level at a time, without recursion, so that a tree of any depth costs no stack:
        // each pass takes up one level and finds the next. `below` gathers the levels under
        // the given entries, each as its pass left it.
        std::vector<std::string> found;
        if (takeUp(steps, folders, true, found) == ScanOutcome::Stopped)
            return ScanOutcome::Stopped;
        std::vector<std::string> below;
        while (wholeTree && !found.empty()) {
            std::vector<std::string> next;
            if (takeUp(steps, found, false, next) == ScanOutcome::Stopped)
                return ScanOutcome::Stopped;
            below.insert(below.end(), std::make_move_iterator(found.begin()),
                         std::make_move_iterator(found.end()));
            found = std::move(next);
        }
        if (!wholeTree)
            below = std::move(found);

        bool goOn = true;
        for (const std::string& subfolder : below) {
            FolderProbe probe;
            if (!steps.test(ScanStep::StillFolder, [&] {
                    probe = ProbeFolder(subfolder);
                    return probe.isFolder;
                }))
                continue;
            steps.step(ScanStep::YieldBeforeKeeping, [&] { goOn = m_host.yield(); });
            if (!goOn)
                return ScanOutcome::Stopped;
            if (steps.test(ScanStep::KeepFound, [&] { return !m_system.leftOut(probe); }))
                steps.step(ScanStep::AddFound, [&] { folders.push_back(subfolder); });
        }
        return ScanOutcome::Finished;
    }

    // Takes up the folders of one level: reads each and collects its subfolders into `found`.
    // The given entries stay in their list even when they are not entered; the subfolders found
    // stay when they pass the test that adds them to the list.
    ScanOutcome FolderTreeScan::takeUp(ScanSteps& steps,
                                       std::vector<std::string>& level,
                                       bool given,
                                       std::vector<std::string>& found)
    {
        bool goOn = true;
        for (std::size_t i = 0; i < level.size();) {
            const std::string folder = level[i];
            FolderProbe probe;
            steps.step(ScanStep::LookAtFolder, [&] { probe = ProbeFolder(folder); });
            const bool stays = given || staysFound(probe);

            bool again = false;
            steps.step(ScanStep::LookAtFolder, [&] {
                again = probe.isFolder && !m_taken.insert(probe.id).second;
                if (probe.isFolder && !again)
                    m_holds.hold(folder, probe.id);
            });
            if (again) {
                // Taken up before through another path: the entry leaves the list, and the
                // entry after it comes next.
                skipped(folder, SkipReason::AlreadyRead);
                level.erase(level.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            // Tested before the folder is known to be one: the system cannot look at a path
            // beyond its limit at all.
            if (steps.test(ScanStep::PathTooLong, [&] { return FolderPathTooLong(folder); })) {
                skipped(folder, SkipReason::PathTooLong);
                if (probe.isFolder && stays)
                    handOn(folder, nullptr);
                ++i;
                continue;
            }
            if (!probe.isFolder) {
                if (stays)
                    handOn(folder, nullptr);
                ++i;
                continue;
            }
            steps.step(ScanStep::YieldAtFolder, [&] { goOn = m_host.yield(); });
            if (!goOn)
                return ScanOutcome::Stopped;
            if (steps.test(ScanStep::LeftOutFolder, [&] { return m_system.leftOut(probe); })) {
                if (stays)
                    handOn(folder, nullptr);
                ++i;
                continue;
            }

            FolderListing::Entries entries;
            std::string failure;
            const Listed listed = list(steps, folder, entries, failure);
            if (listed == Listed::Denied || listed == Listed::Gone) {
                if (listed == Listed::Denied)
                    skipped(folder, SkipReason::Unreadable, "Permission denied");
                level.erase(level.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (listed == Listed::Failed)
                skipped(folder, SkipReason::Unreadable, failure, true);
            handOn(folder, listed == Listed::Yes ? &entries : nullptr);
            for (const std::string& name : entries.subfolders) {
                steps.step(ScanStep::YieldAtSubfolder, [&] { goOn = m_host.yield(); });
                if (!goOn)
                    return ScanOutcome::Stopped;
                // The folder ends in "/": the root "/" gives "/name/".
                if (steps.test(ScanStep::NameTooLong, [&] { return FolderNameTooLong(name); })) {
                    skipped(folder + name, SkipReason::NameTooLong);
                    continue;
                }
                if (steps.test(ScanStep::InvalidName, [&] { return HasInvalidChars(name); })) {
                    skipped(folder + name, SkipReason::InvalidName);
                    continue;
                }
                steps.step(ScanStep::KeepSubfolder, [&] { found.push_back(folder + name + kSeparator); });
            }
            ++i;
        }
        return ScanOutcome::Finished;
    }

    FolderTreeScan::Listed FolderTreeScan::list(ScanSteps& steps,
                                                const std::string& folder,
                                                FolderListing::Entries& entries,
                                                std::string& failure)
    {
        Listed listed = Listed::Failed;
        steps.step(ScanStep::ListFolder, [&] {
            try {
                FolderListing listing;
                switch (listing.open(folder)) {
                case FolderListing::Opened::AccessDenied:
                    listed = Listed::Denied;
                    return;
                case FolderListing::Opened::Gone:
                    listed = Listed::Gone;
                    return;
                case FolderListing::Opened::Yes:
                    break;
                }
                entries = listing.read(m_filePattern);
                listed = Listed::Yes;
            } catch (const std::exception& error) {
                failure = error.what(); // for the skipped folder; the step reports it
                throw;
            }
        });
        return listed;
    }

} // namespace

ScanOutcome GetSubDirectories2016(std::vector<std::string>& folders, bool wholeTree, ScanHost& host)
{
    FolderTreeScan scan(host);
    return scan.collect(folders, wholeTree);
}

std::vector<std::string> GetFilesInFolder(std::string folder, const NamePattern& pattern)
{
    folder = AsFolderEntry(std::move(folder));
    FolderListing listing;
    if (listing.open(folder) != FolderListing::Opened::Yes)
        return {};
    return listing.fileNames(pattern);
}

ScanOutcome
AddFolderTreeFiles(const std::string& folder, const NamePattern& pattern, ScanHost& host, TreeSteps tree)
{
    // Runs a step that the caller's procedure reports, or quietly skips it when it fails.
    ScanSteps steps(host);
    const auto step = [&](ScanStep which, auto&& body) {
        if (tree == TreeSteps::Reported)
            return steps.step(which, body);
        return !FailureOf(body).has_value();
    };

    // An empty text names no folder (it must not stand for the root).
    if (folder.empty())
        return ScanOutcome::Finished;

    // The files of each folder are added as soon as the scan has read the folder; the folders
    // come in the order of the finished folder list, so the items do too.
    const auto addFiles = [&](const std::string& listed, const FolderListing::Entries* read) {
        std::string entry;
        // Without its trailing "/": the root becomes "", and its files "/name".
        step(ScanStep::EntryFolder, [&] { entry = listed.substr(0, listed.size() - 1); });
        FolderListing::Entries fresh;
        if (!read) {
            step(ScanStep::ListFiles, [&] {
                fresh.files = GetFilesInFolder(entry, pattern);
#if defined(_WIN32)
                for (const std::string& name : fresh.files)
                    fresh.fileAttributes.push_back(FileAttributeValue(entry + kSeparator + name));
#endif
            });
        }
        const FolderListing::Entries& files = read ? *read : fresh;
        for (std::size_t i = 0; i < files.files.size(); ++i) {
            const std::string& name = files.files[i];
            if (IsLeftOutFile(name, i < files.fileAttributes.size() ? files.fileAttributes[i] : 0))
                continue;
            // The listing has just found the name a regular file (links followed), and nothing
            // runs between it and here, so the file is not looked at again.
            step(ScanStep::AddFile,
                 [&] { host.appendItem(NormalizeBackslashes(entry + kSeparator + name)); });
        }
    };

    std::vector<std::string> folders;
    step(ScanStep::StartList, [&] { folders.push_back(AsFolderEntry(folder)); });
    FolderTreeScan scan(host, &pattern, addFiles);
    ScanOutcome outcome = ScanOutcome::Finished;
    step(ScanStep::CollectTree, [&] { outcome = scan.collect(folders, true); });
    return outcome;
}

} // namespace orvandel
