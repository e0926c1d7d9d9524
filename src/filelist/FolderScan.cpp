#include "FolderScan.h"

#include "FolderListing.h"
#include "SystemFolders.h"
#include "util/PathHelpers.h"
#include "util/StepRunner.h"

#include <functional>
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
        if (folder.empty() || folder.back() != kSeparator)
            folder += kSeparator;
        return folder;
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
            = std::function<void(const std::string& folder, const std::vector<std::string>* files)>;

        explicit FolderTreeScan(ScanHost& host,
                                const NamePattern* filePattern = nullptr,
                                FolderFiles folderFiles = {})
            : m_host(host)
            , m_system(SystemFolders::current())
            , m_filePattern(filePattern)
            , m_folderFiles(std::move(folderFiles))
        {
        }

        ScanOutcome collect(std::vector<std::string>& folders, bool wholeTree, int depth = 0);

    private:
        enum class Listed
        {
            Yes,
            Failed, // reported; the folder stays
            Drop, // denied or gone: the folder leaves its list
        };
        Listed list(StepRunner& steps, const std::string& folder, FolderListing::Entries& entries);

        // A subfolder found stays in the list when it is still a folder and no virtual one.
        bool staysFound(const FolderProbe& probe) const
        {
            return probe.isFolder && (m_system.isRoot(probe.id) || !m_system.isVirtual(probe.id));
        }
        void handOn(const std::string& folder, const std::vector<std::string>* files)
        {
            if (m_folderFiles)
                m_folderFiles(folder, files);
        }

        ScanHost& m_host;
        SystemFolders m_system;
        const NamePattern* m_filePattern;
        FolderFiles m_folderFiles;
        std::unordered_set<FolderId, FolderIdHash> m_taken;
    };

    ScanOutcome FolderTreeScan::collect(std::vector<std::string>& folders, bool wholeTree, int depth)
    {
        StepRunner steps(std::string(kFolderScanLocator), m_host);
        std::vector<std::string> found;
        bool goOn = true;

        for (std::size_t i = 0; i < folders.size();) {
            const std::string folder = folders[i];
            FolderProbe probe;
            steps.step(108, [&] { probe = ProbeFolder(folder); });
            // The given entries stay in the list even when the scan does not enter them; the
            // subfolders found stay when they pass the test that adds them to the list.
            const bool stays = depth == 0 || staysFound(probe);

            bool again = false;
            steps.step(108, [&] { again = probe.isFolder && !m_taken.insert(probe.id).second; });
            if (again) {
                // Taken up before through another path: the entry leaves the list, and the
                // entry after it comes next.
                folders.erase(folders.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (!probe.isFolder
                || steps.test(110, [&] { return CountCharacters(folder) >= kMaxFolderChars; })) {
                if (stays)
                    handOn(folder, nullptr);
                ++i;
                continue;
            }
            steps.step(114, [&] { goOn = m_host.yield(); });
            if (!goOn)
                return ScanOutcome::Stopped;
            if (steps.test(116, [&] { return !m_system.isRoot(probe.id) && m_system.isVirtual(probe.id); })) {
                if (stays)
                    handOn(folder, nullptr);
                ++i;
                continue;
            }

            FolderListing::Entries entries;
            const Listed listed = list(steps, folder, entries);
            if (listed == Listed::Drop) {
                folders.erase(folders.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            handOn(folder, listed == Listed::Yes ? &entries.files : nullptr);
            for (const std::string& name : entries.subfolders) {
                steps.step(120, [&] { goOn = m_host.yield(); });
                if (!goOn)
                    return ScanOutcome::Stopped;
                if (steps.test(124, [&] { return CountCharacters(name) >= kMaxFolderChars; })
                    || steps.test(126, [&] { return HasInvalidChars(name); }))
                    continue;
                // The folder ends in "/": the root "/" gives "/name/".
                steps.step(132, [&] { found.push_back(folder + name + kSeparator); });
            }
            ++i;
        }

        if (wholeTree && !found.empty()) {
            ScanOutcome deeper = ScanOutcome::Finished;
            steps.step(150, [&] { deeper = collect(found, true, depth + 1); });
            if (deeper == ScanOutcome::Stopped)
                return ScanOutcome::Stopped;
        }

        for (const std::string& subfolder : found) {
            FolderProbe probe;
            if (!steps.test(154, [&] {
                    probe = ProbeFolder(subfolder);
                    return probe.isFolder;
                }))
                continue;
            steps.step(156, [&] { goOn = m_host.yield(); });
            if (!goOn)
                return ScanOutcome::Stopped;
            if (steps.test(158, [&] { return m_system.isRoot(probe.id) || !m_system.isVirtual(probe.id); }))
                steps.step(160, [&] { folders.push_back(subfolder); });
        }
        return ScanOutcome::Finished;
    }

    FolderTreeScan::Listed
    FolderTreeScan::list(StepRunner& steps, const std::string& folder, FolderListing::Entries& entries)
    {
        Listed listed = Listed::Failed;
        steps.step(118, [&] {
            FolderListing listing;
            if (listing.open(folder) != FolderListing::Opened::Yes) {
                listed = Listed::Drop;
                return;
            }
            entries = listing.read(m_filePattern);
            listed = Listed::Yes;
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
AddFolderTreeFiles(const std::string& folder, const NamePattern& pattern, ScanHost& host, StepRunner* steps)
{
    // Runs a step under the caller's procedure, or quietly skips it when it fails.
    const auto step = [steps](int line, auto&& body) {
        if (steps)
            return steps->step(line, body);
        try {
            body();
            return true;
        } catch (...) {
            return false;
        }
    };

    // An empty text names no folder (it must not stand for the root).
    if (folder.empty())
        return ScanOutcome::Finished;

    // The files of each folder are added as soon as the scan has read the folder; the folders
    // come in the order of the finished folder list, so the items do too.
    const auto addFiles = [&](const std::string& listed, const std::vector<std::string>* read) {
        std::string entry;
        // Without its trailing "/": the root becomes "", and its files "/name".
        step(120, [&] { entry = listed.substr(0, listed.size() - 1); });
        std::vector<std::string> fresh;
        if (!read)
            step(122, [&] { fresh = GetFilesInFolder(entry, pattern); });
        for (const std::string& name : read ? *read : fresh) {
            // "~" files are lock and backup files; a name starting with "." is a hidden file.
            if (name.front() == '~' || name.front() == '.')
                continue;
            // The listing has just found the name a regular file (links followed), and nothing
            // runs between it and here, so the file is not looked at again.
            step(132, [&] { host.appendItem(NormalizeBackslashes(entry + kSeparator + name)); });
        }
    };

    std::vector<std::string> folders;
    step(114, [&] { folders.push_back(AsFolderEntry(folder)); });
    FolderTreeScan scan(host, &pattern, addFiles);
    ScanOutcome outcome = ScanOutcome::Finished;
    step(116, [&] { outcome = scan.collect(folders, true); });
    return outcome;
}

} // namespace orvandel
