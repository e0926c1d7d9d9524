#include "support/TempDir.h"
#include "util/FileError.h"
#include "util/ReplacingFile.h"

#include <filesystem>
#include <gtest/gtest.h>

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

    TEST(ReplacingFile, TakesTheNameChosenAfterWriting)
    {
        TempDir dir;
        ReplacingFile file(dir.path() + "/");
        file.create();
        file.write("photo");
        file.close();
        EXPECT_EQ(EntriesIn(dir.path()), file.temporaryPath().empty() ? 0u : 1u);
        file.retarget(dir.file("Ann.jpg"));
        file.commit();
        EXPECT_EQ(Slurp(dir.file("Ann.jpg")), "photo");
        EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left";
    }

    TEST(ReplacingFile, AClosedFileThatIsDiscardedLeavesNothing)
    {
        TempDir dir;
        const auto target = dir.write("Ann.jpg", "old");
        {
            ReplacingFile file(target);
            file.create();
            file.write("new");
            file.close();
        }
        EXPECT_EQ(Slurp(target), "old");
        EXPECT_EQ(EntriesIn(dir.path()), 1u);
    }

    TEST(ReplacingFile, WritingAfterCloseFails)
    {
        TempDir dir;
        ReplacingFile file(dir.file("a.jpg"));
        file.create();
        file.close();
        EXPECT_THROW(file.write("late"), FileError);
        EXPECT_THROW(file.close(), FileError);
        file.commit();
        EXPECT_EQ(Slurp(dir.file("a.jpg")), "");
    }

} // namespace
} // namespace orvandel
