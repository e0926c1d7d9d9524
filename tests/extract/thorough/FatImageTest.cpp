// Both runs on a FAT file system, as on a USB stick: names that differ only in case are one
// name there. Mounted through FUSE from an image file; skipped where that cannot be done.
#include "support/FatImage.h"

#include "FilesIn.h"
#include "TestImages.h"
#include "support/RecordingRunHost.h"
#include "support/TempDir.h"
#include "support/TestRuns.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using namespace test;

    std::string Card(const std::string& fn, const std::string& image)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn + "\r\nPHOTO;ENCODING=B;TYPE=JPEG:"
            + Fold(ToBase64(image), 75, " ", "\r\n") + "\r\nEND:VCARD\r\n";
    }

    class FatImageTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            if (!fat.unavailable().empty())
                GTEST_SKIP() << "no FAT image: " << fat.unavailable();
            host.folder = fat.path() + "/";
        }

        std::string input(const std::string& relative, const std::string& bytes)
        {
            const auto path = cards.write(relative, bytes);
            host.items.push_back(path);
            return path;
        }

        FatImage fat;
        TempDir cards;
        RecordingRunHost host;
    };

    TEST_F(FatImageTest, TheClassicRunWritesTwoCardsThatDifferInCaseToTwoFiles)
    {
        input("a/Card.vcf", Card("A", JpegImage("a")));
        input("b/card.vcf", Card("B", JpegImage("b")));
        input("a/Card.vcf", Card("A", JpegImage("a again")));
        test::ClassicTestRun run;
        EXPECT_EQ(run.start(host), RunOutcome::Finished);
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(FilesIn(fat.path()),
                  (std::map<std::string, std::string> {{"Card.jpg", JpegImage("a again")},
                                                       {"card (2).jpg", JpegImage("b")}}));
        ASSERT_EQ(host.results.size(), 3u);
        EXPECT_EQ(host.results[1].output, host.folder + "card (2).jpg");
        EXPECT_EQ(host.results[2].output, host.folder + "Card.jpg");
    }

    TEST_F(FatImageTest, TheClassicRunReplacesItsOwnNameAndKeepsAnotherSpelling)
    {
        std::ofstream(fat.path() + "/ann.jpg") << "old";
        std::ofstream(fat.path() + "/BOB.JPG") << "kept";
        input("ann.vcf", Card("Ann", JpegImage("ann")));
        input("bob.vcf", Card("Bob", JpegImage("bob")));
        test::ClassicTestRun run;
        run.start(host);
        EXPECT_EQ(FilesIn(fat.path()),
                  (std::map<std::string, std::string> {{"ann.jpg", JpegImage("ann")},
                                                       {"BOB.JPG", "kept"},
                                                       {"bob (2).jpg", JpegImage("bob")}}));
    }

    TEST_F(FatImageTest, TheThoroughRunKeepsAFileOfAnotherSpelling)
    {
        std::ofstream(fat.path() + "/BOB.JPG") << "kept";
        input("export.vcf",
              Card("Ann", JpegImage("1")) + Card("ANN", JpegImage("2")) + Card("Bob", JpegImage("3")));
        test::ThoroughTestRun run;
        EXPECT_EQ(run.start(host), RunOutcome::Finished);
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(FilesIn(fat.path()),
                  (std::map<std::string, std::string> {{"Ann.jpg", JpegImage("1")},
                                                       {"ANN (2).jpg", JpegImage("2")},
                                                       {"BOB.JPG", "kept"},
                                                       {"Bob (2).jpg", JpegImage("3")}}));
    }

    TEST_F(FatImageTest, AStopInTheMiddleOfAPhotoLeavesNothing)
    {
        input("big.vcf", Card("Small", JpegImage("s")) + Card("Big", JpegImage(std::string(3'000'000, 'x'))));
        std::string temporary;
        host.onYield = [&] {
            for (const auto& [name, bytes] : FilesIn(fat.path())) {
                if (name.front() == '.')
                    temporary = name;
            }
            return temporary.empty();
        };
        test::ThoroughTestRun run;
        EXPECT_EQ(run.start(host), RunOutcome::Abandoned);
        EXPECT_EQ(FilesIn(fat.path()), (std::map<std::string, std::string> {{"Small.jpg", JpegImage("s")}}));
        // FAT has no unnamed files: the photo under way had a name, which tells its card.
        ASSERT_GT(temporary.size(), 12u);
        EXPECT_EQ(temporary.substr(0, 7), ".big-2.") << temporary;
        EXPECT_EQ(temporary.substr(temporary.size() - 5), ".part") << temporary;
    }

} // namespace
} // namespace orvandel
