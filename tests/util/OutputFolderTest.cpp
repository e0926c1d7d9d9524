// Temporary files of the folder layer: created only where no file stands, and on Windows hidden
// until they are placed.
#include "util/OutputFolder.h"

#include "support/FolderSeamsGuard.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "util/WideText.h"

#include <windows.h>
#endif

namespace orvandel {
namespace {

    using test::Slurp;
    using test::TempDir;

    // The random parts of the temporary names, in turn.
    class SuffixesGuard : public test::FolderSeamsGuard
    {
    public:
        explicit SuffixesGuard(std::vector<std::string> suffixes)
            : test::FolderSeamsGuard(true)
            , m_suffixes(std::move(suffixes))
        {
            FolderSeams().temporarySuffix = [this] {
                const std::string next = m_suffixes.at(std::min(m_next, m_suffixes.size() - 1));
                ++m_next;
                return next;
            };
        }

    private:
        std::vector<std::string> m_suffixes;
        std::size_t m_next = 0;
    };

    TEST(OutputFolderTemporary, NeverOpensAFileThatStandsAtItsName)
    {
        TempDir dir;
        const SuffixesGuard suffixes({"taken000", "free0000"});
        const std::string standing = dir.write(".card.taken000.part", "someone else's bytes");
        const auto folder = OutputFolder::open(dir.path());
        std::error_code error;
        auto temporary = folder->createTemporary("card", error);
        ASSERT_TRUE(temporary) << error.message();
        EXPECT_EQ(temporary->temporaryName(), ".card.free0000.part");
        ASSERT_FALSE(temporary->write("ours"));
        ASSERT_FALSE(temporary->finish());
        EXPECT_EQ(Slurp(standing), "someone else's bytes");
        EXPECT_EQ(Slurp(dir.file(".card.free0000.part")), "ours");
    }

    TEST(OutputFolderTemporary, PlacingNewLeavesWhatStandsAtTheName)
    {
        TempDir dir;
        const auto folder = OutputFolder::open(dir.path());
        dir.write("card.jpg", "old");
        std::error_code error;
        auto temporary = folder->createTemporary("card", error);
        ASSERT_TRUE(temporary);
        ASSERT_FALSE(temporary->write("new"));
        ASSERT_FALSE(temporary->finish());
        EXPECT_EQ(temporary->placeNew("card.jpg"), std::make_error_code(std::errc::file_exists));
        EXPECT_EQ(Slurp(dir.file("card.jpg")), "old");
        EXPECT_FALSE(temporary->replace("card.jpg"));
        EXPECT_EQ(Slurp(dir.file("card.jpg")), "new");
    }

#if defined(_WIN32)
    DWORD AttributesOf(const std::string& path)
    {
        return ::GetFileAttributesW(Utf8ToWide(path).c_str());
    }

    TEST(OutputFolderTemporary, IsHiddenUntilPlaced)
    {
        TempDir dir;
        const auto folder = OutputFolder::open(dir.path());
        std::error_code error;
        auto temporary = folder->createTemporary("card", error);
        ASSERT_TRUE(temporary) << error.message();
        const std::string hidden = dir.file(temporary->temporaryName());
        ASSERT_NE(AttributesOf(hidden), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(AttributesOf(hidden) & FILE_ATTRIBUTE_HIDDEN);
        ASSERT_FALSE(temporary->write("bytes"));
        ASSERT_FALSE(temporary->finish());
        ASSERT_FALSE(temporary->placeNew("card.jpg"));
        EXPECT_FALSE(AttributesOf(dir.file("card.jpg")) & FILE_ATTRIBUTE_HIDDEN);
        EXPECT_EQ(AttributesOf(hidden), INVALID_FILE_ATTRIBUTES);
    }

    TEST(OutputFolder, TellsOneIdentityForNamesThatDifferInCase)
    {
        TempDir dir;
        const auto folder = OutputFolder::open(dir.path());
        std::error_code error;
        auto temporary = folder->createTemporary("ada", error);
        ASSERT_TRUE(temporary);
        ASSERT_FALSE(temporary->finish());
        const auto written = temporary->identity();
        if (!written)
            GTEST_SKIP() << "the portable folder layer tells no identities";
        ASSERT_FALSE(temporary->placeNew("Ada.jpg"));
        const FolderEntry other = folder->lookup("ADA.JPG");
        EXPECT_TRUE(other.exists);
        ASSERT_TRUE(other.identity);
        EXPECT_EQ(*other.identity, *written);
        EXPECT_EQ(folder->identity(), OutputFolder::open(dir.path() + "\\")->identity());
    }

    // While a run keeps its output folder in place, nobody can rename or remove it, so that no
    // other folder or link can take its place; once the run lets go, they can.
    TEST(OutputFolder, IsHeldWhileInUse)
    {
        TempDir dir;
        const std::wstring out = Utf8ToWide(dir.mkdir("out"));
        const std::wstring moved = Utf8ToWide(dir.file("moved"));
        {
            const auto folder = OutputFolder::open(dir.file("out"), {}, OutputFolder::Place::Kept);
            EXPECT_FALSE(::MoveFileExW(out.c_str(), moved.c_str(), 0)) << "renamed while held";
            EXPECT_FALSE(::RemoveDirectoryW(out.c_str())) << "removed while held";
            EXPECT_TRUE(folder->isAtItsPath());
            std::error_code error;
            auto temporary = folder->createTemporary("card", error);
            ASSERT_TRUE(temporary) << error.message();
            ASSERT_FALSE(temporary->write("bytes"));
            ASSERT_FALSE(temporary->finish());
            EXPECT_FALSE(temporary->placeNew("card.jpg"));
        }
        EXPECT_TRUE(::MoveFileExW(out.c_str(), moved.c_str(), 0)) << ::GetLastError();
        EXPECT_EQ(Slurp(dir.file("moved\\card.jpg")), "bytes");
    }
#endif

} // namespace
} // namespace orvandel
