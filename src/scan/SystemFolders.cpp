#include "SystemFolders.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <sstream>

#if defined(__linux__)
#include <sys/sysmacros.h>
#include <sys/types.h>
#endif

namespace orvandel {

namespace {

    constexpr std::array<std::string_view, 22> kVirtualTypes = {
        "apparmorfs", "binfmt_misc", "bpf",       "cgroup",    "cgroup2", "configfs", "debugfs", "devpts",
        "devtmpfs",   "efivarfs",    "fusectl",   "hugetlbfs", "mqueue",  "nsfs",     "proc",    "pstore",
        "rpc_pipefs", "securityfs",  "selinuxfs", "smackfs",   "sysfs",   "tracefs",
    };

    // The next field of a line of fields separated by single spaces, or empty text at its end.
    std::string_view NextField(std::string_view& line)
    {
        const auto start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            line = {};
            return {};
        }
        line.remove_prefix(start);
        const auto end = line.find(' ');
        const std::string_view field = line.substr(0, end);
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
        return field;
    }

    std::uint64_t DeviceNumber(unsigned major, unsigned minor)
    {
#if defined(__linux__)
        return static_cast<std::uint64_t>(makedev(major, minor));
#else
        return (static_cast<std::uint64_t>(major) << 32) | minor;
#endif
    }

} // namespace

bool SystemFolders::IsVirtualFileSystemType(std::string_view type)
{
    return std::find(kVirtualTypes.begin(), kVirtualTypes.end(), type) != kVirtualTypes.end();
}

SystemFolders SystemFolders::fromMountInfo(std::string_view mountInfo, FolderId root)
{
    SystemFolders folders;
    folders.m_root = root;
    // A line: mount id, parent id, major:minor, root, mount point, options, optional fields,
    // "-", file system type, source, super options.
    while (!mountInfo.empty()) {
        const auto newline = mountInfo.find('\n');
        std::string_view line = mountInfo.substr(0, newline);
        mountInfo.remove_prefix(newline == std::string_view::npos ? mountInfo.size() : newline + 1);

        NextField(line);
        NextField(line);
        const std::string_view device = NextField(line);
        std::string_view field;
        do {
            field = NextField(line);
        } while (!field.empty() && field != "-");
        const std::string_view type = NextField(line);
        if (type.empty() || !IsVirtualFileSystemType(type))
            continue;

        const auto colon = device.find(':');
        if (colon == std::string_view::npos)
            continue;
        unsigned major = 0;
        unsigned minor = 0;
        const auto majorEnd = device.data() + colon;
        const auto minorEnd = device.data() + device.size();
        if (std::from_chars(device.data(), majorEnd, major).ptr != majorEnd
            || std::from_chars(majorEnd + 1, minorEnd, minor).ptr != minorEnd)
            continue;
        folders.m_virtualDevices.push_back(DeviceNumber(major, minor));
    }
    std::sort(folders.m_virtualDevices.begin(), folders.m_virtualDevices.end());
    return folders;
}

SystemFolders SystemFolders::current()
{
#if defined(_WIN32)
    // Windows has no virtual file systems in its folder tree; its protected folders are told by
    // their attributes (see leftOut).
    return {};
#endif
    std::ostringstream text;
    if (std::ifstream table("/proc/self/mountinfo"); table)
        text << table.rdbuf();
    return fromMountInfo(text.str(), ProbeFolder("/").id);
}

bool SystemFolders::leftOut(const FolderProbe& folder) const
{
#if defined(_WIN32)
    return !folder.driveRoot
        && (folder.attributes == kProtectedFolderAttributes
            || folder.attributes == kProtectedFolderLinkAttributes);
#else
    return !isRoot(folder.id) && isVirtual(folder.id);
#endif
}

bool SystemFolders::isVirtual(const FolderId& folder) const
{
    return std::binary_search(m_virtualDevices.begin(), m_virtualDevices.end(), folder.device);
}

} // namespace orvandel
