#include "scan/FolderScan.h"

#include "RecordingScanHost.h"
#include "scan/FolderListing.h"
#include "support/DeepTree.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
#if !defined(_WIN32)
    using test::DeepTreeGuard;
    using test::MakeFolderChain;
#endif
    using test::RecordingScanHost;
    using test::TempDir;
    using Names = std::vector<std::string>;

    // Builds a tree in `dir`: an entry ending in "/" is a folder, any other a small file.
    void Build(const TempDir& dir, const Names& entries)
    {
        for (const std::string& entry : entries) {
            if (entry.back() == '/')
                dir.mkdir(entry);
            else
                dir.write(entry, "BEGIN:VCARD\r\n");
        }
    }

    // The paths with the folder's own path and "/" cut off their front.
    Names Relative(const TempDir& dir, const Names& paths)
    {
        Names out;
        const std::string prefix = dir.path() + kSeparator;
        for (const std::string& path : paths) {
            std::string relative
                = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
#if defined(_WIN32)
            std::replace(relative.begin(), relative.end(), kSeparator, '/');
#endif
            out.push_back(std::move(relative));
        }
        return out;
    }

    // Adds the tree under `dir` (or a folder in it) and gives the items relative to `dir`.
    Names AddTree(const TempDir& dir, const NamePattern& pattern, std::string_view folder = "")
    {
        RecordingScanHost host;
        const std::string path = folder.empty() ? dir.path() : dir.file(folder);
        EXPECT_EQ(AddFolderTreeFiles(path, pattern, host), ScanOutcome::Finished);
        EXPECT_TRUE(host.failures.empty()) << host.failures.front().description;
        return Relative(dir, host.items);
    }

#if !defined(_WIN32)
    void MakeFifo(const std::string& path)
    {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }

    void MakeSocket(const std::string& path)
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof(address.sun_path));
        path.copy(address.sun_path, path.size());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
    }
#endif

    TEST(AddFolderTreeFiles, ListsTheTreeLevelByLevelEachFolderInListingOrder)
    {
        TempDir dir;
        Build(dir,
              {"b.vcf", "A.vcf", "notes.txt", "sub2/c.vcf", "Sub1/d.vcf", "Sub1/deep/e.vcf", "Sub1/a_b/g.vcf",
               "Sub1/ab/h.vcf", "sub2/deeper/f.vcf", "sub2/deeper/deepest/i.vcf", "empty/"});
        EXPECT_EQ(AddTree(dir, "*.vcf"),
                  (Names {"A.vcf", "b.vcf", "Sub1/d.vcf", "sub2/c.vcf", "Sub1/ab/h.vcf", "Sub1/a_b/g.vcf",
                          "Sub1/deep/e.vcf", "sub2/deeper/f.vcf", "sub2/deeper/deepest/i.vcf"}));
    }

    struct PatternCase
    {
        const char* name;
        std::string pattern;
        Names expected;
    };

    class PatternTest : public ::testing::TestWithParam<PatternCase>
    {
    };

    TEST_P(PatternTest, AddsTheMatchingFilesOnly)
    {
        TempDir dir;
        Build(dir,
              {"a.vcf", "B.VCF", "c.vcard", "README", "d.txt", "x..vcf", ".hidden.vcf", "~lock.vcf",
               "sub/e.vcf", "sub/~f.txt", "sub/.g"});
        EXPECT_EQ(AddTree(dir, GetParam().pattern), GetParam().expected);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        PatternTest,
        ::testing::Values(
            PatternCase {"Extension", "*.vcf", {"a.vcf", "B.VCF", "x..vcf", "sub/e.vcf"}},
            PatternCase {
                "EveryFile", "*.*", {"a.vcf", "B.VCF", "c.vcard", "d.txt", "README", "x..vcf", "sub/e.vcf"}},
            PatternCase {"TypedTextStartingWithADot", "*..vcf", {"x..vcf"}},
            PatternCase {"OtherExtension", "*.txt", {"d.txt"}},
            PatternCase {"NoMatch", "*.doc", {}},
            PatternCase {"TildeFilesNeverAdded", "~*", {}},
            PatternCase {"HiddenFilesNeverAdded", ".*", {}}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(AddFolderTreeFiles, TakesAFileMatchingSeveralPatternsOnce)
    {
        TempDir dir;
        Build(dir, {"a.vcf", "b.vcard", "c.txt", "sub/a2.vcf"});
        EXPECT_EQ(AddTree(dir, NamePattern(Names {"*.vcf", "a*", "*.vcard"})),
                  (Names {"a.vcf", "b.vcard", "sub/a2.vcf"}));
    }

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, AddsOnlyRegularFilesAndLinksToThem)
    {
        TempDir dir;
        Build(dir, {"real.vcf", "folder.vcf/inner.txt"});
        MakeFifo(dir.file("pipe.vcf"));
        MakeSocket(dir.file("socket.vcf"));
        fs::create_symlink(dir.file("real.vcf"), dir.file("link.vcf"));
        fs::create_symlink(dir.file("pipe.vcf"), dir.file("link-to-pipe.vcf"));
        fs::create_symlink("/dev/null", dir.file("device.vcf"));
        fs::create_symlink(dir.file("missing.vcf"), dir.file("broken.vcf"));
        EXPECT_EQ(AddTree(dir, "*.vcf"), (Names {"link.vcf", "real.vcf"}));
    }
#else
    TEST(AddFolderTreeFiles, AddsOnlyRegularFilesAndLinksToThem)
    {
        GTEST_SKIP() << "Windows has no pipes and sockets";
    }
#endif

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, FollowsLinksToFoldersButEntersEachFolderOnce)
    {
        TempDir dir;
        TempDir outside;
        Build(dir, {"tree/a.vcf", "tree/sub/b.vcf", "tree/sub/deeper/c.vcf"});
        Build(outside, {"o.vcf"});
        fs::create_directory_symlink("../..",
                                     dir.file("tree/sub/up")); // a loop back to tree, through its parent
        fs::create_directory_symlink(".", dir.file("tree/sub/deeper/self")); // a loop on itself
        fs::create_directory_symlink(dir.file("tree/sub"), dir.file("tree/zz-again")); // sub a second time
        fs::create_directory_symlink(outside.path(), dir.file("tree/outside"));
        fs::create_directory_symlink(dir.file("tree/gone"), dir.file("tree/broken"));
        RecordingScanHost host;
        EXPECT_EQ(AddFolderTreeFiles(dir.file("tree"), "*.vcf", host), ScanOutcome::Finished);
        EXPECT_EQ(Relative(dir, host.items),
                  (Names {"tree/a.vcf", "tree/outside/o.vcf", "tree/sub/b.vcf", "tree/sub/deeper/c.vcf"}));
        // Each folder reached again is told, not left out silently.
        Names again;
        for (const SkippedFolder& folder : host.skipped) {
            EXPECT_EQ(folder.reason, SkipReason::AlreadyRead) << folder.path;
            again.push_back(folder.path);
        }
        EXPECT_EQ(Relative(dir, again),
                  (Names {"tree/zz-again", "tree/sub/deeper/self", "tree/sub/up/tree"}));
    }

    // A folder removed during the scan frees its inode, and ext4 hands it at once to the next
    // folder made: that folder is read all the same, told apart by its birth time, or, where the
    // file system tells none, because the scan held the old folder open, so that its inode stayed
    // taken.
    class FolderMadeAnewTest : public ::testing::TestWithParam<bool>
    {
    protected:
        void SetUp() override { ScanSeams().noBirthTimes = GetParam(); }
        void TearDown() override { ScanSeams().noBirthTimes = false; }
    };

    TEST_P(FolderMadeAnewTest, IsReadEvenWithAnInodeReadBefore)
    {
        TempDir dir;
        Build(dir, {"a/old.vcf", "z/z.vcf"});
        struct stat old
        {
        };
        ASSERT_EQ(::stat(dir.file("a").c_str(), &old), 0);
        RecordingScanHost host;
        bool remade = false;
        struct stat made
        {
        };
        host.onYield = [&] {
            // Once "a" is read, and before "z" is: "a" goes, and a folder is made in "z".
            if (!remade && !host.items.empty() && host.items.back() == dir.file("a/old.vcf")) {
                remade = true;
                fs::remove_all(dir.file("a"));
                Build(dir, {"z/new/n.vcf"});
                EXPECT_EQ(::stat(dir.file("z/new").c_str(), &made), 0);
            }
            return true;
        };
        EXPECT_EQ(AddFolderTreeFiles(dir.path(), "*.vcf", host), ScanOutcome::Finished);
        ASSERT_TRUE(remade);
        EXPECT_EQ(Relative(dir, host.items), (Names {"a/old.vcf", "z/z.vcf", "z/new/n.vcf"}));
        EXPECT_TRUE(host.skipped.empty()) << host.skipped.front().path;
        if (GetParam())
            EXPECT_NE(made.st_ino, old.st_ino) << "the held folder kept its inode";
        else if (made.st_ino != old.st_ino)
            GTEST_SKIP() << "this file system did not hand out the inode again";
    }

    INSTANTIATE_TEST_SUITE_P(Table, FolderMadeAnewTest, ::testing::Values(false, true), [](const auto& info) {
        return info.param ? "HeldOpen" : "BirthTime";
    });
#else
    TEST(AddFolderTreeFiles, FollowsLinksToFoldersButEntersEachFolderOnce)
    {
        GTEST_SKIP() << "Windows tests make no symbolic links";
    }
#endif

    // The files of each folder are added as the scan reads the folder. The result must be the
    // same as listing the finished folder list's files folder by folder.
#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, GivesTheFilesOfTheFolderListFolderByFolder)
    {
        TempDir dir;
        Build(dir,
              {"a.vcf", ".h.vcf", "~t.vcf", "b.txt", "A/x.vcf", "A/B/y.vcf", "A/B/C/z.vcf", "A/B/C/D/v.vcf",
               "a2/w.vcf", "a2/E/u.vcf", "bad?/q.vcf", "_last/l.vcf"});
        fs::create_directory_symlink("../..", dir.file("A/B/loop"));
        fs::create_directory_symlink("A/B", dir.file("zz"));
        fs::create_directory_symlink("missing", dir.file("broken"));
        MakeFifo(dir.file("A/p.vcf"));

        RecordingScanHost host;
        std::vector<std::string> folders {dir.path() + "/"};
        GetSubDirectories2016(folders, true, host);
        Names expected;
        for (const std::string& folder : folders) {
            const std::string entry = folder.substr(0, folder.size() - 1);
            for (const std::string& name : GetFilesInFolder(entry, "*.vcf")) {
                if (name.front() != '~' && name.front() != '.')
                    expected.push_back(NormalizeBackslashes(entry + "/" + name));
            }
        }
        ASSERT_EQ(expected.size(), 8u);
        EXPECT_EQ(AddTree(dir, "*.vcf"), Relative(dir, expected));
    }
#else
    TEST(AddFolderTreeFiles, GivesTheFilesOfTheFolderListFolderByFolder)
    {
        GTEST_SKIP() << "Windows tests make no symbolic links";
    }
#endif

    TEST(AddFolderTreeFiles, RunTwiceListsEveryFileTwice)
    {
        TempDir dir;
        Build(dir, {"a.vcf", "sub/b.vcf"});
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), "*.vcf", host);
        AddFolderTreeFiles(dir.path(), "*.vcf", host);
        EXPECT_EQ(Relative(dir, host.items), (Names {"a.vcf", "sub/b.vcf", "a.vcf", "sub/b.vcf"}));
    }

    TEST(AddFolderTreeFiles, JoinsWithOneSeparatorWhateverTheFolderEndsWith)
    {
        TempDir dir;
        Build(dir, {"a.vcf", "sub/b.vcf"});
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path() + "/", "*.vcf", host);
        AddFolderTreeFiles(dir.path() + "//", "*.vcf", host);
        EXPECT_EQ(
            host.items,
            (Names {dir.file("a.vcf"), dir.file("sub/b.vcf"), dir.file("a.vcf"), dir.file("sub/b.vcf")}));
    }

    TEST(AddFolderTreeFiles, EmptyFolderTextAddsNothing)
    {
        RecordingScanHost host;
        EXPECT_EQ(AddFolderTreeFiles("", "*.*", host), ScanOutcome::Finished);
        EXPECT_TRUE(host.items.empty());
        EXPECT_EQ(host.yields, 0);
    }

    struct FolderNameCase
    {
        const char* name;
        std::string folderName;
        bool followed;
    };

    class FolderNameTest : public ::testing::TestWithParam<FolderNameCase>
    {
    };

    TEST_P(FolderNameTest, FollowsOnlyValidNamesWithTheirWholeTree)
    {
#if defined(_WIN32)
        if (::GetACP() != 1252)
            GTEST_SKIP() << "the rows are for the code page 1252; this system's is " << ::GetACP();
#endif
        TempDir dir;
        const std::string& folder = GetParam().folderName;
        Build(dir, {"top.vcf", folder + "/x.vcf", folder + "/deep/y.vcf"});
        const Names expected = GetParam().followed
            ? Names {"top.vcf", folder + "/x.vcf", folder + "/deep/y.vcf"}
            : Names {"top.vcf"};
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), "*.vcf", host);
        EXPECT_EQ(Relative(dir, host.items), expected);
        if (GetParam().followed) {
            EXPECT_TRUE(host.skipped.empty());
        } else {
            ASSERT_EQ(host.skipped.size(), 1u) << "a folder left out is told";
            EXPECT_EQ(host.skipped[0].path, dir.file(folder));
            EXPECT_EQ(host.skipped[0].reason, SkipReason::InvalidName);
        }
    }

#if !defined(_WIN32)
    INSTANTIATE_TEST_SUITE_P(Table,
                             FolderNameTest,
                             ::testing::Values(FolderNameCase {"Plain", "Cards", true},
                                               FolderNameCase {"Accents", "Caf\xC3\xA9 na\xC3\xAFve", true},
                                               FolderNameCase {"EuroSign", "\xE2\x82\xAC", true},
                                               FolderNameCase {"Tilde", "~old", true},
                                               FolderNameCase {"QuestionMark", "what?", false},
                                               FolderNameCase {"Tab", "a\tb", false},
                                               FolderNameCase {"Delete", "a\x7F", false},
                                               FolderNameCase {"C1Control", "a\xC2\x85", false},
                                               FolderNameCase {"NotUtf8", "caf\xE9", false}),
                             [](const auto& info) { return std::string(info.param.name); });
#else
    // Windows: the names a folder may have there, judged in the code page 1252.
    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             FolderNameTest,
                             ::testing::Values(FolderNameCase {"Plain", "Cards", true},
                                               FolderNameCase {"Accents", "Caf\xC3\xA9 na\xC3\xAFve", true},
                                               FolderNameCase {"Tilde", "~old", true},
                                               FolderNameCase {"EuroSign", "\xE2\x82\xAC", false},
                                               FolderNameCase {"EnDash", "a \xE2\x80\x93 b", false},
                                               FolderNameCase {"NotInTheCodePage", "\xCE\xA9", false},
                                               FolderNameCase {"Delete", "a\x7F", false},
                                               FolderNameCase {"C1Control", "a\xC2\x85", false}),
                             [](const auto& info) { return std::string(info.param.name); });
#endif

    // Paths as long as the system takes are followed: on Linux that is PATH_MAX, not 260.
#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, ATreeOf300LevelsGivesAllItsFiles)
    {
        TempDir dir;
        MakeFolderChain(dir.path(), 300, "level", "card.vcf", "BEGIN:VCARD\r\n");
        RecordingScanHost host;
        EXPECT_EQ(AddFolderTreeFiles(dir.path(), "*.vcf", host), ScanOutcome::Finished);
        std::string deepest = dir.path();
        for (int level = 0; level < 300; ++level)
            deepest += "/level";
        ASSERT_EQ(host.items.size(), 300u);
        EXPECT_EQ(host.items.back(), deepest + "/card.vcf");
        EXPECT_TRUE(host.skipped.empty());
        EXPECT_TRUE(host.failures.empty());
    }
#else
    TEST(AddFolderTreeFiles, ATreeOf300LevelsGivesAllItsFiles)
    {
        GTEST_SKIP() << "the deep tree is made with openat, which Windows lacks";
    }
#endif

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, AFolderPathAtTheSystemsLimitIsToldAndNotEntered)
    {
        TempDir dir;
        const DeepTreeGuard guard(dir.path(), std::string(200, 'p'));
        // A chain of 200-byte names leads to a parent beside which one more name brings a
        // folder's path (with its "/") to one byte below the limit, and a name one longer to it.
        std::size_t levels = 0;
        std::size_t parentSize = dir.path().size();
        for (; kMaxFolderPath - 3 - parentSize > 254; ++levels)
            parentSize += 201;
        MakeFolderChain(dir.path(), levels, std::string(200, 'p'));
        std::string parent = dir.path();
        for (std::size_t level = 0; level < levels; ++level)
            parent += "/" + std::string(200, 'p');
        ASSERT_EQ(parent.size(), parentSize);
        const std::string fits = parent + "/" + std::string(kMaxFolderPath - 3 - parentSize, 'a');
        const std::string over = fits + "a";
        ASSERT_EQ(fits.size() + 1, kMaxFolderPath - 1);
        ASSERT_EQ(over.size() + 1, kMaxFolderPath);
        MakeFolderChain(parent, 1, fits.substr(parent.size() + 1), "x.vcf", "BEGIN:VCARD\r\n");
        MakeFolderChain(parent, 1, over.substr(parent.size() + 1), "y.vcf", "BEGIN:VCARD\r\n");
        MakeFolderChain(fits, 1, "b", "z.vcf", "BEGIN:VCARD\r\n");

        RecordingScanHost host;
        EXPECT_EQ(AddFolderTreeFiles(dir.path(), "*.vcf", host), ScanOutcome::Finished);
        EXPECT_EQ(host.items, (Names {fits + "/x.vcf"}));
        ASSERT_EQ(host.skipped.size(), 2u);
        EXPECT_EQ(host.skipped[0].path, over);
        EXPECT_EQ(host.skipped[0].reason, SkipReason::PathTooLong);
        EXPECT_EQ(host.skipped[1].path, fits + "/b");
        EXPECT_EQ(host.skipped[1].reason, SkipReason::PathTooLong);
        EXPECT_TRUE(host.failures.empty()) << host.failures.front().description;
    }
#else
    TEST(AddFolderTreeFiles, AFolderPathAtTheSystemsLimitIsToldAndNotEntered)
    {
        GTEST_SKIP() << "the deep tree is made with openat, which Windows lacks";
    }
#endif

    // The scan walks the tree without recursion; where the paths outgrow the system, the first
    // folder out of reach is told and the scan ends.
#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, ATreeOf2000LevelsEndsWithTheFirstFolderOutOfReach)
    {
        TempDir dir;
        const DeepTreeGuard guard(dir.path(), "dd");
        MakeFolderChain(dir.path(), 2000, "dd", "f.vcf", "BEGIN:VCARD\r\n");
        // Level k's path with its "/" is the folder's, 3 k bytes and 1.
        const std::size_t reached = (kMaxFolderPath - 2 - dir.path().size()) / 3;
        ASSERT_LT(reached, 2000u);
        RecordingScanHost host;
        EXPECT_EQ(AddFolderTreeFiles(dir.path(), "*.vcf", host), ScanOutcome::Finished);
        EXPECT_EQ(host.items.size(), reached);
        ASSERT_EQ(host.skipped.size(), 1u);
        EXPECT_EQ(host.skipped[0].path.size(), dir.path().size() + 3 * (reached + 1));
        EXPECT_EQ(host.skipped[0].reason, SkipReason::PathTooLong);
        EXPECT_TRUE(host.failures.empty()) << host.failures.front().description;
    }
#else
    TEST(AddFolderTreeFiles, ATreeOf2000LevelsEndsWithTheFirstFolderOutOfReach)
    {
        GTEST_SKIP() << "the deep tree is made with openat, which Windows lacks";
    }
#endif

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, NeitherEntersNorListsAVirtualFileSystem)
    {
        if (!ProbeFolder("/proc/self").isFolder || !fs::is_regular_file("/proc/cpuinfo"))
            GTEST_SKIP() << "no process table at /proc";
        TempDir dir;
        Build(dir, {"a.vcf"});
        fs::create_directory_symlink("/proc", dir.file("proc"));
        EXPECT_EQ(AddTree(dir, "*"), (Names {"a.vcf"}));

        RecordingScanHost host;
        std::vector<std::string> folders {dir.path() + "/"};
        GetSubDirectories2016(folders, true, host);
        EXPECT_EQ(folders, (Names {dir.path() + "/"}));
    }
#else
    TEST(AddFolderTreeFiles, NeitherEntersNorListsAVirtualFileSystem)
    {
        GTEST_SKIP() << "Windows has no /proc";
    }
#endif

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, ListsTheOwnFilesOfAVirtualFolderItStartsIn)
    {
        if (!ProbeFolder("/proc/self").isFolder || !fs::is_regular_file("/proc/cpuinfo"))
            GTEST_SKIP() << "no process table at /proc";
        // /proc/self/status would be found if /proc were entered.
        RecordingScanHost host;
        AddFolderTreeFiles("/proc", NamePattern(Names {"cpuinfo", "status"}), host);
        EXPECT_EQ(host.items, (Names {"/proc/cpuinfo"}));
    }
#else
    TEST(AddFolderTreeFiles, ListsTheOwnFilesOfAVirtualFolderItStartsIn)
    {
        GTEST_SKIP() << "Windows has no /proc";
    }
#endif

#if !defined(_WIN32)
    TEST(GetSubDirectories2016, TheRootGivesItsSubfoldersWithOneSeparator)
    {
        RecordingScanHost host;
        std::vector<std::string> folders {"/"};
        EXPECT_EQ(GetSubDirectories2016(folders, false, host), ScanOutcome::Finished);
        ASSERT_GT(folders.size(), 1u);
        EXPECT_EQ(folders.front(), "/");
        for (std::size_t i = 1; i < folders.size(); ++i) {
            const std::string& folder = folders[i];
            EXPECT_TRUE(folder.size() > 2 && folder.front() == '/' && folder.back() == '/'
                        && folder.find('/', 1) == folder.size() - 1)
                << folder;
        }
        EXPECT_NE(std::find(folders.begin(), folders.end(), "/etc/"), folders.end());
        if (ProbeFolder("/proc/self").isFolder) {
            EXPECT_EQ(std::find(folders.begin(), folders.end(), "/proc/"), folders.end());
        }
    }
#else
    TEST(GetSubDirectories2016, TheRootGivesItsSubfoldersWithOneSeparator)
    {
        GTEST_SKIP() << "the root is /";
    }
#endif

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, TheRootGivesItsFilesWithOneSeparator)
    {
        Names expected;
        for (const auto& entry : fs::directory_iterator("/")) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name.front() != '.' && name.front() != '~')
                expected.push_back("/" + name);
        }
        std::sort(expected.begin(), expected.end(),
                  [](const std::string& a, const std::string& b) { return ListingOrderLess(a, b); });
        // The root's own files are added as soon as it is read; the scan of the whole disk
        // is stopped at the next yield.
        RecordingScanHost host;
        host.onYield = [&] { return host.yields < 2; };
        EXPECT_EQ(AddFolderTreeFiles("/", "*", host), ScanOutcome::Stopped);
        EXPECT_EQ(host.items, expected);
    }
#else
    TEST(AddFolderTreeFiles, TheRootGivesItsFilesWithOneSeparator)
    {
        GTEST_SKIP() << "the root is /";
    }
#endif

    TEST(GetSubDirectories2016, KeepsTheGivenEntriesAndAddsTheirSubfoldersBreadthFirst)
    {
        TempDir dir;
        Build(dir, {"a/sub/deep/", "b/", "file.txt"});
        const std::string root = dir.path() + kSeparator;
        std::vector<std::string> folders {dir.file("a/"), dir.file("missing/"), dir.file("file.txt/"),
                                          dir.file("b/")};
        RecordingScanHost host;
        EXPECT_EQ(GetSubDirectories2016(folders, true, host), ScanOutcome::Finished);
        EXPECT_EQ(folders,
                  (Names {dir.file("a/"), dir.file("missing/"), dir.file("file.txt/"), dir.file("b/"),
                          dir.file("a/sub/"), dir.file("a/sub/deep/")}));
        EXPECT_TRUE(host.failures.empty());
    }

    TEST(GetSubDirectories2016, OneLevelOnlyWithoutTheWholeTree)
    {
        TempDir dir;
        Build(dir, {"a/sub/", "b/"});
        const std::string root = dir.path() + kSeparator;
        std::vector<std::string> folders {root};
        RecordingScanHost host;
        GetSubDirectories2016(folders, false, host);
        EXPECT_EQ(folders, (Names {root, dir.file("a/"), dir.file("b/")}));
    }

    TEST(GetSubDirectories2016, AFolderGivenTwiceIsEnteredOnce)
    {
        TempDir dir;
        Build(dir, {"a/sub/"});
        const std::string a = dir.file("a/");
        std::vector<std::string> folders {a, a};
        RecordingScanHost host;
        GetSubDirectories2016(folders, true, host);
        EXPECT_EQ(folders, (Names {a, dir.file("a/sub/")}));
    }

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, DropsAFolderItMayNotReadWithoutAReport)
    {
        if (::geteuid() == 0)
            GTEST_SKIP() << "access rights do not bind the superuser";
        TempDir dir;
        Build(dir, {"a.vcf", "locked/b.vcf", "locked/sub/c.vcf", "open/d.vcf"});
        fs::permissions(dir.file("locked"), fs::perms::none);
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), "*.vcf", host);
        EXPECT_EQ(Relative(dir, host.items), (Names {"a.vcf", "open/d.vcf"}));
        EXPECT_TRUE(host.failures.empty());
        ASSERT_EQ(host.skipped.size(), 1u);
        EXPECT_EQ(host.skipped[0].path, dir.file("locked"));
        EXPECT_EQ(host.skipped[0].reason, SkipReason::Unreadable);
        EXPECT_TRUE(GetFilesInFolder(dir.file("locked"), "*").empty());
    }
#else
    TEST(AddFolderTreeFiles, DropsAFolderItMayNotReadWithoutAReport)
    {
        GTEST_SKIP() << "Windows has no permission bits";
    }
#endif

    // True when `part` is `whole` with some of its elements left out, in the same order.
    bool IsSubsequence(const Names& part, const Names& whole)
    {
        auto at = whole.begin();
        for (const std::string& element : part) {
            at = std::find(at, whole.end(), element);
            if (at == whole.end())
                return false;
            ++at;
        }
        return true;
    }

    Names Without(const Names& paths, std::string_view prefix)
    {
        Names out;
        std::copy_if(paths.begin(), paths.end(), std::back_inserter(out),
                     [&](const std::string& path) { return path.compare(0, prefix.size(), prefix) != 0; });
        return out;
    }

    // A folder that goes away while the scan yields, whenever that is, costs nothing else and
    // is reported nowhere; the files it held are listed only if it was read before it went.
    class VanishingFolderTest : public ::testing::TestWithParam<bool>
    {
    };

    TEST_P(VanishingFolderTest, LosesNothingElseAtAnyYield)
    {
        const bool replaceByFile = GetParam();
        const Names tree {"top.vcf", "a/x.vcf", "gone/y.vcf", "gone/sub/z.vcf", "z/w.vcf", "z/deep/v.vcf"};
        Names undisturbed;
        int undisturbedYields = 0;
        {
            TempDir dir;
            Build(dir, tree);
            RecordingScanHost host;
            AddFolderTreeFiles(dir.path(), "*.vcf", host);
            undisturbed = Relative(dir, host.items);
            undisturbedYields = host.yields;
        }
        ASSERT_EQ(undisturbed.size(), 6u);
        ASSERT_GT(undisturbedYields, 5);
        int leftOut = 0;
        for (int when = 1; when <= undisturbedYields; ++when) {
            TempDir dir;
            Build(dir, tree);
            RecordingScanHost host;
            host.onYield = [&] {
                if (host.yields == when) {
                    fs::remove_all(dir.file("gone"));
                    if (replaceByFile)
                        dir.write("gone", "not a folder");
                }
                return true;
            };
            EXPECT_EQ(AddFolderTreeFiles(dir.path(), "*.vcf", host), ScanOutcome::Finished);
            const Names items = Relative(dir, host.items);
            EXPECT_EQ(Without(items, "gone/"), (Names {"top.vcf", "a/x.vcf", "z/w.vcf", "z/deep/v.vcf"}))
                << "gone at yield " << when;
            EXPECT_TRUE(IsSubsequence(items, undisturbed)) << "gone at yield " << when;
            EXPECT_TRUE(host.failures.empty())
                << "gone at yield " << when << ": " << host.failures.front().description;
            EXPECT_TRUE(host.skipped.empty())
                << "gone at yield " << when << ": " << host.skipped.front().path;
            leftOut += items.size() < undisturbed.size() ? 1 : 0;
        }
        EXPECT_GT(leftOut, 0) << "the folder never went before it was read";
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             VanishingFolderTest,
                             ::testing::Values(false, true),
                             [](const auto& info) { return info.param ? "ReplacedByAFile" : "Removed"; });

    TEST(AddFolderTreeFiles, StopsAtOnceWhenAYieldSaysSo)
    {
        const Names tree {"top.vcf", "a/x.vcf", "a/deep/y.vcf", "b/z.vcf"};
        Names undisturbed;
        int undisturbedYields = 0;
        {
            TempDir dir;
            Build(dir, tree);
            RecordingScanHost host;
            AddFolderTreeFiles(dir.path(), "*.vcf", host);
            undisturbed = Relative(dir, host.items);
            undisturbedYields = host.yields;
        }
        ASSERT_GT(undisturbedYields, 3);
        for (int when = 1; when <= undisturbedYields; ++when) {
            TempDir dir;
            Build(dir, tree);
            RecordingScanHost host;
            host.onYield = [&] { return host.yields < when; };
            EXPECT_EQ(AddFolderTreeFiles(dir.path(), "*.vcf", host), ScanOutcome::Stopped) << when;
            EXPECT_EQ(host.yields, when) << "no yield after the one that said stop";
            const Names items = Relative(dir, host.items);
            ASSERT_LE(items.size(), undisturbed.size()) << when;
            EXPECT_TRUE(std::equal(items.begin(), items.end(), undisturbed.begin()))
                << "a beginning only: " << when;
        }
    }

#if !defined(_WIN32)
    // Lets the process open no more files while it lives: a new file would take the lowest
    // free number, which the limit forbids.
    class NoFreeFileDescriptors
    {
    public:
        NoFreeFileDescriptors()
        {
            ::getrlimit(RLIMIT_NOFILE, &m_saved);
            const int lowestFree = ::dup(0);
            if (lowestFree < 0)
                return;
            ::close(lowestFree);
            rlimit tight = m_saved;
            tight.rlim_cur = static_cast<rlim_t>(lowestFree);
            m_active = ::setrlimit(RLIMIT_NOFILE, &tight) == 0;
        }
        ~NoFreeFileDescriptors() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
        bool active() const { return m_active; }

    private:
        rlimit m_saved {};
        bool m_active = false;
    };
#endif

#if !defined(_WIN32)
    TEST(AddFolderTreeFiles, ReportsOtherFailuresWithTheirStepAndGoesOn)
    {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "the sanitizers need free file descriptors of their own";
#endif
        TempDir dir;
        Build(dir, {"a.vcf", "sub/b.vcf"});
        RecordingScanHost host;
        ScanOutcome outcome = ScanOutcome::Stopped;
        {
            NoFreeFileDescriptors limit;
            ASSERT_TRUE(limit.active());
            outcome = AddFolderTreeFiles(dir.path(), "*.vcf", host, TreeSteps::Reported);
        }
        EXPECT_EQ(outcome, ScanOutcome::Finished);
        EXPECT_TRUE(host.items.empty());
        ASSERT_EQ(host.failures.size(), 2u);
        EXPECT_EQ(host.failures[0].step, ScanStep::ListFolder);
        EXPECT_EQ(host.failures[0].description,
                  "Cannot read the folder (Too many open files): " + dir.path() + "/");
        EXPECT_EQ(host.failures[1].step, ScanStep::ListFiles);
        ASSERT_EQ(host.skipped.size(), 1u);
        EXPECT_EQ(host.skipped[0].path, dir.path());
        EXPECT_EQ(host.skipped[0].reason, SkipReason::Unreadable);
        EXPECT_EQ(host.skipped[0].detail, host.failures[0].description);

        // Its own steps, quiet, are skipped when they fail; the scan's are told.
        RecordingScanHost quiet;
        {
            NoFreeFileDescriptors limit;
            AddFolderTreeFiles(dir.path(), "*.vcf", quiet);
        }
        ASSERT_EQ(quiet.failures.size(), 1u);
        EXPECT_EQ(quiet.failures[0].step, ScanStep::ListFolder);
    }
#else
    TEST(AddFolderTreeFiles, ReportsOtherFailuresWithTheirStepAndGoesOn)
    {
        GTEST_SKIP() << "Windows has no descriptor limit to set";
    }
#endif

    TEST(AddFolderTreeFiles, AFailedAppendIsReportedAndTheNextFileFollows)
    {
        TempDir dir;
        Build(dir, {"a.vcf", "b.vcf", "c.vcf"});
        const auto failOnB = [](const std::string& text) {
            if (text.substr(text.size() - 5) == "b.vcf")
                throw std::runtime_error("List is full");
        };
        RecordingScanHost host;
        host.onAppend = failOnB;
        AddFolderTreeFiles(dir.path(), "*.vcf", host, TreeSteps::Reported);
        EXPECT_EQ(Relative(dir, host.items), (Names {"a.vcf", "c.vcf"}));
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].description, "List is full");
        EXPECT_EQ(host.failures[0].step, ScanStep::AddFile);

        RecordingScanHost quiet;
        quiet.onAppend = failOnB;
        AddFolderTreeFiles(dir.path(), "*.vcf", quiet);
        EXPECT_EQ(Relative(dir, quiet.items), (Names {"a.vcf", "c.vcf"}));
        EXPECT_TRUE(quiet.failures.empty());
    }

    TEST(GetFilesInFolder, GivesEveryRegularFileInListingOrderHiddenOnesToo)
    {
        TempDir dir;
        Build(dir, {"b.vcf", "A.txt", ".hidden", "~lock", "sub/c.vcf"});
#if defined(_WIN32)
        // Hidden by its attributes: the samples' listing takes it like any other.
        dir.write("link", "x");
        ::SetFileAttributesW(ToFsPath(dir.file("link")).c_str(),
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
#else
        MakeFifo(dir.file("pipe"));
        fs::create_symlink(dir.file("b.vcf"), dir.file("link"));
#endif
        const Names expected {".hidden", "A.txt", "b.vcf", "link", "~lock"};
        EXPECT_EQ(GetFilesInFolder(dir.path(), "*.*"), expected);
        EXPECT_EQ(GetFilesInFolder(dir.path() + "/", "*.*"), expected);
        EXPECT_EQ(GetFilesInFolder(dir.path(), "*.VCF"), (Names {"b.vcf"}));
        EXPECT_TRUE(GetFilesInFolder(dir.file("missing"), "*.*").empty());
        EXPECT_TRUE(GetFilesInFolder(dir.file("b.vcf"), "*.*").empty());
    }

} // namespace
} // namespace orvandel
