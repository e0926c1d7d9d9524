#include "scan/SystemFolders.h"

#include "scan/FolderListing.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>
#include <sys/types.h>

namespace orvandel {
namespace {

    FolderId OnDevice(unsigned major, unsigned minor)
    {
        return {static_cast<std::uint64_t>(makedev(major, minor)), 2};
    }

    TEST(SystemFolders, TakesTheVirtualFileSystemsOfTheMountTable)
    {
        const std::string mountInfo
            = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
              "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
              "24 22 0:22 / /sys rw,nosuid shared:2 - sysfs sysfs rw\n"
              "25 22 0:5 / /dev rw,nosuid shared:3 - devtmpfs udev rw,size=8k\n"
              "26 25 0:23 / /dev/pts rw - devpts devpts rw,mode=620\n"
              "27 24 0:24 / /sys/fs/cgroup rw shared:5 master:1 - cgroup2 cgroup2 rw\n"
              "28 22 0:25 / /tmp rw - tmpfs tmpfs rw\n"
              "29 22 0:26 / /run/user/1000 rw - tmpfs tmpfs rw\n"
              "30 22 8:17 /home /mnt/my\\040disk rw - ext4 /dev/sdb1 rw\n"
              "broken line without fields\n"
              "31 22 x:y / /odd rw - proc proc rw";
        const auto folders = SystemFolders::fromMountInfo(mountInfo, OnDevice(8, 1));
        for (const auto& [major, minor] : {std::pair {0u, 21u}, {0u, 22u}, {0u, 5u}, {0u, 23u}, {0u, 24u}})
            EXPECT_TRUE(folders.isVirtual(OnDevice(major, minor))) << major << ':' << minor;
        for (const auto& [major, minor] : {std::pair {8u, 1u}, {0u, 25u}, {0u, 26u}, {8u, 17u}})
            EXPECT_FALSE(folders.isVirtual(OnDevice(major, minor))) << major << ':' << minor;
        EXPECT_TRUE(folders.isRoot(OnDevice(8, 1)));
        EXPECT_FALSE(folders.isRoot({OnDevice(8, 1).device, 3}));
    }

    TEST(SystemFolders, KnowsThisSystemsProcessTableAndRoot)
    {
        const auto proc = ProbeFolder("/proc/self");
        if (!proc.isFolder)
            GTEST_SKIP() << "no process table at /proc";
        const auto folders = SystemFolders::current();
        EXPECT_TRUE(folders.isVirtual(proc.id));
        test::TempDir dir;
        EXPECT_FALSE(folders.isVirtual(ProbeFolder(dir.path()).id));
        EXPECT_TRUE(folders.isRoot(ProbeFolder("/").id));
        EXPECT_FALSE(folders.isRoot(ProbeFolder(dir.path()).id));
    }

} // namespace
} // namespace orvandel
