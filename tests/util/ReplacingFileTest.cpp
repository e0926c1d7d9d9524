#include "util/ReplacingFile.h"

#include "support/FolderSeamsGuard.h"
#include "support/TempDir.h"
#include "util/FileError.h"
#include "util/PathHelpers.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using test::Slurp;
    using test::TempDir;
    using test::TemporaryKind;

    // Writes `bytes` to `target` in one go, as a run writes an image: create, write, commit.
    void WriteWhole(const std::string& target, std::string_view bytes)
    {
        ReplacingFile file(target);
        file.create();
        file.write(bytes);
        file.commit();
    }

    std::vector<std::string> EntriesIn(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(FromFsPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    // Every test runs with the temporary files this machine gives (unnamed on ext4 and tmpfs)
    // and with named ones, as on FAT.
    class ReplacingFileTest : public ::testing::TestWithParam<TemporaryKind>
    {
    protected:
        void SetUp() override
        {
            if (unnamed() && !test::UnnamedTemporariesIn(dir.path()))
                GTEST_SKIP() << "the temporary folder's file system has no unnamed files";
        }
        bool unnamed() const { return GetParam() != TemporaryKind::Named; }

        test::FolderSeamsGuard seams {GetParam()};
        TempDir dir;
    };

    TEST_P(ReplacingFileTest, ReplacesAnExistingFileWhole)
    {
        const auto target = dir.write("card.jpg", "old content, longer than the new one");
        WriteWhole(target, "new");
        EXPECT_EQ(Slurp(target), "new");
        EXPECT_EQ(EntriesIn(dir.path()), (std::vector<std::string> {"card.jpg"}))
            << "no temporary file is left";
    }

    TEST_P(ReplacingFileTest, LeavesTheTargetAloneUntilCommitted)
    {
        const auto target = dir.write("card.jpg", "old");
        {
            ReplacingFile file(target);
            file.create("card-17");
            file.write("half of a new ima");
            EXPECT_EQ(Slurp(target), "old");
            const auto entries = EntriesIn(dir.path());
            if (unnamed()) {
                EXPECT_EQ(entries.size(), 1u) << "an unnamed temporary file shows nowhere";
                EXPECT_EQ(file.temporaryPath(), "");
            } else {
                ASSERT_EQ(entries.size(), 2u);
                EXPECT_EQ(entries[0].substr(0, 9), ".card-17.") << "named after what it was: " << entries[0];
                EXPECT_EQ(entries[0].substr(entries[0].size() - 5), ".part");
                EXPECT_EQ(file.temporaryPath(), dir.file(entries[0]));
            }
            // Never committed: an interrupted write.
        }
        EXPECT_EQ(Slurp(target), "old");
        EXPECT_EQ(EntriesIn(dir.path()), (std::vector<std::string> {"card.jpg"}));
    }

#if !defined(_WIN32)
    TEST_P(ReplacingFileTest, ReplacesALinkInsteadOfWritingThroughIt)
    {
        const auto elsewhere = dir.write("elsewhere/precious.txt", "precious");
        fs::create_symlink(elsewhere, dir.file("card.jpg"));
        WriteWhole(dir.file("card.jpg"), "photo");
        EXPECT_EQ(Slurp(elsewhere), "precious");
        EXPECT_FALSE(fs::is_symlink(dir.file("card.jpg")));
        EXPECT_EQ(Slurp(dir.file("card.jpg")), "photo");
    }
#else
    TEST_P(ReplacingFileTest, ReplacesALinkInsteadOfWritingThroughIt)
    {
        GTEST_SKIP() << "Windows tests make no symbolic links";
    }
#endif

#if !defined(_WIN32)
    TEST_P(ReplacingFileTest, FollowsTheUsualPermissions)
    {
        const mode_t old = ::umask(022);
        WriteWhole(dir.file("card.jpg"), "photo");
        ::umask(old);
        const auto perms = fs::status(dir.file("card.jpg")).permissions();
        EXPECT_EQ(perms,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                      | fs::perms::others_read);
    }
#else
    TEST_P(ReplacingFileTest, FollowsTheUsualPermissions)
    {
        GTEST_SKIP() << "Windows has no permission bits";
    }
#endif

    TEST_P(ReplacingFileTest, TellsAMissingFolder)
    {
        ReplacingFile file(dir.file("gone/card.jpg"));
        try {
            file.create();
            FAIL() << "created in a missing folder";
        } catch (const FileError& error) {
            EXPECT_EQ(error.kind(), FileErrorKind::NotFound);
            EXPECT_EQ(std::string(error.what()), "Path not found: " + dir.file("gone/card.jpg"));
        }
    }

    TEST_P(ReplacingFileTest, CannotReplaceAFolder)
    {
        dir.mkdir("card.jpg/inside");
        ReplacingFile file(dir.file("card.jpg"));
        file.create();
        file.write("photo");
        try {
            file.commit();
            FAIL() << "replaced a folder";
        } catch (const FileError& error) {
            EXPECT_EQ(error.kind(), FileErrorKind::ReplaceFailed);
        }
        EXPECT_TRUE(fs::is_directory(dir.file("card.jpg/inside")));
        EXPECT_EQ(EntriesIn(dir.path()), (std::vector<std::string> {"card.jpg"}))
            << "the temporary file is removed";
    }

    TEST_P(ReplacingFileTest, WritingBeforeCreatingFails)
    {
        ReplacingFile file(dir.file("card.jpg"));
        EXPECT_THROW(file.write("x"), FileError);
        EXPECT_THROW(file.commit(), FileError);
        EXPECT_FALSE(fs::exists(dir.file("card.jpg")));
    }

#if !defined(_WIN32)
    TEST_P(ReplacingFileTest, CommitNewLeavesWhatStandsThereAlone)
    {
        const auto taken = dir.write("card.jpg", "old");
        fs::create_symlink(dir.file("nowhere"), dir.file("link.jpg"));
        ReplacingFile file(taken);
        file.create();
        file.write("new");
        EXPECT_FALSE(file.commitNew());
        file.retarget(dir.file("link.jpg"));
        EXPECT_FALSE(file.commitNew()) << "a dangling link is something too";
        file.retarget(dir.file("card (2).jpg"));
        EXPECT_TRUE(file.commitNew());
        EXPECT_EQ(Slurp(taken), "old");
        EXPECT_EQ(Slurp(dir.file("card (2).jpg")), "new");
        EXPECT_EQ(EntriesIn(dir.path()), (std::vector<std::string> {"card (2).jpg", "card.jpg", "link.jpg"}));
    }
#else
    TEST_P(ReplacingFileTest, CommitNewLeavesWhatStandsThereAlone)
    {
        GTEST_SKIP() << "Windows tests make no symbolic links";
    }
#endif

    TEST_P(ReplacingFileTest, AFailedCommitCanBeTriedUnderAnotherName)
    {
        dir.mkdir("card.jpg/inside");
        ReplacingFile file(dir.file("card.jpg"));
        file.create();
        file.write("photo");
        EXPECT_EQ(file.tryCommit(), std::errc::is_a_directory);
        file.retarget(dir.file("card (2).jpg"));
        file.commit();
        EXPECT_EQ(Slurp(dir.file("card (2).jpg")), "photo");
        EXPECT_EQ(EntriesIn(dir.path()), (std::vector<std::string> {"card (2).jpg", "card.jpg"}));
    }

    TEST_P(ReplacingFileTest, KnowsWhichFileItWrote)
    {
        if (!FoldersAreHeldOpen())
            GTEST_SKIP() << "the portable folder layer tells no identities";
        ReplacingFile file(dir.file("card.jpg"));
        file.create();
        file.write("photo");
        const auto before = file.identity();
        file.commit();
        struct stat status
        {
        };
        ASSERT_EQ(::stat(dir.file("card.jpg").c_str(), &status), 0);
        ASSERT_TRUE(before.has_value());
        EXPECT_EQ(*before,
                  (FileIdentity {static_cast<std::uint64_t>(status.st_dev),
                                 static_cast<std::uint64_t>(status.st_ino)}));
        EXPECT_EQ(file.identity(), before);
    }

    TEST_P(ReplacingFileTest, AFolderRenamedMeanwhileStillGetsTheFile)
    {
        if (!FoldersAreHeldOpen())
            GTEST_SKIP() << "the portable folder layer works on paths";
        const auto folder = OutputFolder::open(dir.mkdir("out"));
        ReplacingFile file(folder, folder->path() + "card.jpg");
        file.create();
        file.write("photo");
        fs::rename(dir.file("out"), dir.file("renamed"));
        dir.mkdir("out");
        file.commit();
        EXPECT_EQ(Slurp(dir.file("renamed/card.jpg")), "photo");
        EXPECT_EQ(EntriesIn(dir.file("renamed")), (std::vector<std::string> {"card.jpg"}));
        EXPECT_TRUE(EntriesIn(dir.file("out")).empty());
    }

    INSTANTIATE_TEST_SUITE_P(Temporaries,
                             ReplacingFileTest,
                             ::testing::Values(TemporaryKind::Unnamed,
                                               TemporaryKind::UnnamedThroughProc,
                                               TemporaryKind::Named),
                             [](const auto& info) { return std::string(test::KindName(info.param)); });

    // A program killed in the middle of a photo leaves nothing where temporary files are unnamed.
#if !defined(_WIN32)
    TEST(ReplacingFileKilled, LeavesNothingBehind)
    {
        TempDir dir;
        if (!test::UnnamedTemporariesIn(dir.path()))
            GTEST_SKIP() << "the temporary folder's file system has no unnamed files";
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            ReplacingFile file(dir.file("big.jpg"));
            file.create();
            const std::string chunk(1024 * 1024, 'x');
            for (int megabytes = 0; megabytes < 512; ++megabytes) {
                file.write(chunk);
                if (megabytes == 8 && ::write(ready[1], "!", 1) != 1)
                    ::_exit(2);
            }
            ::_exit(3); // never killed: the test has failed already
        }
        ::close(ready[1]);
        struct KillAtTheEnd
        {
            pid_t child;
            ~KillAtTheEnd()
            {
                if (child > 0) {
                    ::kill(child, SIGKILL);
                    ::waitpid(child, nullptr, 0);
                }
            }
        };
        KillAtTheEnd guard {child};
        char signal = 0;
        ASSERT_EQ(::read(ready[0], &signal, 1), 1) << "the child did not start writing";
        ::close(ready[0]);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        guard.child = -1;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_TRUE(EntriesIn(dir.path()).empty());
    }
#else
    TEST(ReplacingFileKilled, LeavesNothingBehind)
    {
        GTEST_SKIP() << "Windows has no fork and no signals";
    }
#endif

} // namespace
} // namespace orvandel
