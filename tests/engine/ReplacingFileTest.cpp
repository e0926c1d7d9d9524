#include "util/ReplacingFile.h"

#include "support/TempDir.h"
#include "util/FileError.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using test::Slurp;
    using test::TempDir;

    std::size_t EntriesIn(const std::string& folder)
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    TEST(ReplacingFile, ReplacesAnExistingFileWhole)
    {
        TempDir dir;
        const auto target = dir.write("card.jpg", "old content, longer than the new one");
        ReplacingFile::writeWhole(target, "new");
        EXPECT_EQ(Slurp(target), "new");
        EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left";
    }

    TEST(ReplacingFile, LeavesTheTargetAloneUntilCommitted)
    {
        TempDir dir;
        const auto target = dir.write("card.jpg", "old");
        {
            ReplacingFile file(target);
            file.create();
            file.write("half of a new ima");
            EXPECT_EQ(Slurp(target), "old");
            EXPECT_EQ(EntriesIn(dir.path()), 2u);
            // Never committed: an interrupted write.
        }
        EXPECT_EQ(Slurp(target), "old");
        EXPECT_EQ(EntriesIn(dir.path()), 1u);
    }

    TEST(ReplacingFile, ReplacesALinkInsteadOfWritingThroughIt)
    {
        TempDir dir;
        const auto elsewhere = dir.write("elsewhere/precious.txt", "precious");
        fs::create_symlink(elsewhere, dir.file("card.jpg"));
        ReplacingFile::writeWhole(dir.file("card.jpg"), "photo");
        EXPECT_EQ(Slurp(elsewhere), "precious");
        EXPECT_FALSE(fs::is_symlink(dir.file("card.jpg")));
        EXPECT_EQ(Slurp(dir.file("card.jpg")), "photo");
    }

    TEST(ReplacingFile, FollowsTheUsualPermissions)
    {
        TempDir dir;
        const mode_t old = ::umask(022);
        ReplacingFile::writeWhole(dir.file("card.jpg"), "photo");
        ::umask(old);
        const auto perms = fs::status(dir.file("card.jpg")).permissions();
        EXPECT_EQ(perms,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                      | fs::perms::others_read);
    }

    TEST(ReplacingFile, TellsAMissingFolder)
    {
        TempDir dir;
        ReplacingFile file(dir.file("gone/card.jpg"));
        try {
            file.create();
            FAIL() << "created in a missing folder";
        } catch (const FileError& error) {
            EXPECT_EQ(error.kind(), FileErrorKind::NotFound);
            EXPECT_EQ(std::string(error.what()), "Path not found: " + dir.file("gone/card.jpg"));
        }
    }

    TEST(ReplacingFile, CannotReplaceAFolder)
    {
        TempDir dir;
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
        EXPECT_EQ(EntriesIn(dir.path()), 1u) << "the temporary file is removed";
    }

    TEST(ReplacingFile, WritingBeforeCreatingFails)
    {
        TempDir dir;
        ReplacingFile file(dir.file("card.jpg"));
        EXPECT_THROW(file.write("x"), FileError);
        EXPECT_THROW(file.commit(), FileError);
        EXPECT_FALSE(fs::exists(dir.file("card.jpg")));
    }

} // namespace
} // namespace orvandel
