#include "extract/ClassicExtractor.h"
#include "extract/RunLoop.h"
#include "support/FolderSeamsGuard.h"
#include "support/RecordingRunHost.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using test::RecordingRunHost;
    using test::Slurp;
    using test::TempDir;

    const std::string kWorkedExample = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card "
                                       "One\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n 2Q==\r\nEND:VCARD\r\n";
    const std::string kJpegBytes("\xFF\xD8\xFF\xD9", 4);

    std::string Card(const std::string& photoLine)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Someone\r\n" + photoLine + "\r\nEND:VCARD\r\n";
    }

    class ExtractionRunTest : public ::testing::Test
    {
    protected:
        void SetUp() override { host.folder = dir.mkdir("out") + kSeparator; }

        std::string input(const std::string& relative, const std::string& bytes)
        {
            const auto path = dir.write("cards/" + relative, bytes);
            host.items.push_back(path);
            return path;
        }

        std::string output(const std::string& name) const { return dir.file("out/" + name); }

        std::vector<std::string> outputNames() const
        {
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(dir.file("out")))
                names.push_back(FromFsPath(entry.path().filename()));
            std::sort(names.begin(), names.end());
            return names;
        }

        RunOutcome start() { return start(host); }
        RunOutcome start(RecordingRunHost& surroundings)
        {
            ClassicExtractor extractor;
            return run.start(surroundings, surroundings, extractor);
        }

        TempDir dir;
        RecordingRunHost host;
        RunLoop run;
    };

    const std::vector<RunOutcome> kFinished {RunOutcome::Finished};

    TEST_F(ExtractionRunTest, WorkedExample)
    {
        input("card1.vcf", kWorkedExample);
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_EQ(Slurp(output("card1.jpg")), kJpegBytes);
        EXPECT_EQ(host.events,
                  (std::vector<std::string> {"start card1.vcf", "yield", "reading 1", "finished 1",
                                             "closing Finished", "end Finished"}));
        ASSERT_EQ(host.starts.size(), 1u);
        EXPECT_EQ(host.starts[0].percent, 100);
        EXPECT_EQ(host.starts[0].count, 1u);
        EXPECT_FALSE(run.IsRunning());
        ASSERT_EQ(host.results.size(), 1u);
        EXPECT_EQ(host.results[0].status, ItemStatus::Written);
        EXPECT_EQ(host.results[0].output, output("card1.jpg"));
    }

    TEST_F(ExtractionRunTest, EmptyListIsToldBeforeTheFolder)
    {
        host.folder = dir.file("missing/");
        EXPECT_EQ(start(), RunOutcome::NoFiles);
        EXPECT_EQ(host.events, (std::vector<std::string> {"end NoFiles"}));
        EXPECT_FALSE(run.IsRunning());
    }

    TEST_F(ExtractionRunTest, RefusesAFolderThatDoesNotExist)
    {
        input("card1.vcf", kWorkedExample);
        for (const std::string& folder : {dir.file("missing/"), std::string(), dir.file("cards/card1.vcf")}) {
            host.folder = folder;
            host.events.clear();
            EXPECT_EQ(start(), RunOutcome::NoFolder) << folder;
            EXPECT_EQ(host.events, (std::vector<std::string> {"end NoFolder"}));
        }
        EXPECT_TRUE(host.results.empty());
    }

    TEST_F(ExtractionRunTest, ProgressIsSetBeforeEachFile)
    {
        for (const char* name : {"a.vcf", "b.vcf", "c.vcf", "d.vcf"})
            input(name, kWorkedExample);
        start();
        EXPECT_EQ(host.progressValues, (std::vector<double> {25, 50, 75, 100}));
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    }

    TEST_F(ExtractionRunTest, OneImagePerFileFromTheFirstPhoto)
    {
        input("several.vcf", Card("PHOTO:QUJD") + Card("PHOTO:QUI="));
        start();
        EXPECT_EQ(Slurp(output("several.jpg")), "ABC");
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"several.jpg"}));
    }

    TEST_F(ExtractionRunTest, NamesTheImageAfterTheCardFile)
    {
        input("card.one.vcf", Card("PHOTO:QUJD"));
        input("nodot", Card("PHOTO:QUJD"));
        input("gif.vcf", Card("PHOTO;VALUE=URL;TYPE=GIF:R0lGODlh"));
        start();
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"card.one.jpg", "gif.gif", "nodot.jpg"}));
        EXPECT_EQ(Slurp(output("gif.gif")), "GIF89a");
    }

    TEST_F(ExtractionRunTest, AFileWithoutPhotoWritesNothingAndSaysNothing)
    {
        input("plain.vcf", Card("NOTE:no photo here"));
        input("wrong-order.vcf", Card("PHOTO;ENCODING=BASE64;TYPE=JPEG:QUJD"));
        input("utf16.vcf", std::string("P\0H\0O\0T\0O\0:\0Q\0Q\0=\0=\0", 20));
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_TRUE(outputNames().empty());
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(host.outcomes(), kFinished);
        ASSERT_EQ(host.results.size(), 3u);
        for (const auto& result : host.results)
            EXPECT_EQ(result.status, ItemStatus::NoPhoto);
    }

    TEST_F(ExtractionRunTest, ReplacesAFileThatWasThereBefore)
    {
        input("card1.vcf", kWorkedExample);
        fs::create_directories(dir.file("out"));
        dir.write("out/card1.jpg", "an older image");
        start();
        EXPECT_EQ(Slurp(output("card1.jpg")), kJpegBytes);
    }

    TEST_F(ExtractionRunTest, SameNameFromDifferentFoldersGetsNumbered)
    {
        input("one/card.vcf", Card("PHOTO:QUJD"));
        input("two/card.vcf", Card("PHOTO:QUI="));
        input("three/card.vcf", Card("PHOTO:QQ=="));
        input("one/card.vcf", Card("PHOTO:QUJD")); // the same path again rewrites its own file
        start();
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"card (2).jpg", "card (3).jpg", "card.jpg"}));
        EXPECT_EQ(Slurp(output("card.jpg")), "ABC");
        EXPECT_EQ(Slurp(output("card (2).jpg")), "AB");
        EXPECT_EQ(Slurp(output("card (3).jpg")), "A");
        EXPECT_EQ(host.results[3].output, output("card.jpg"));
    }

    TEST_F(ExtractionRunTest, ADecodingFailureCreatesNoFileAndKeepsTheOldOne)
    {
        input("bad.vcf", Card("PHOTO:ab-_"));
        input("badgif.vcf", Card("PHOTO;VALUE=URL;TYPE=GIF:http://example.com/me.gif"));
        input("good.vcf", kWorkedExample);
        dir.write("out/bad.jpg", "kept");
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_EQ(Slurp(output("bad.jpg")), "kept");
        EXPECT_FALSE(fs::exists(output("badgif.gif")));
        EXPECT_EQ(Slurp(output("good.jpg")), kJpegBytes);
        ASSERT_EQ(host.failures.size(), 2u);
        EXPECT_EQ(host.failures[0].step, RunStep::WriteJpeg);
        EXPECT_EQ(host.failures[0].description, "Bad character In Base64 string.");
        EXPECT_EQ(host.failures[1].step, RunStep::WriteGif);
        EXPECT_EQ(host.results[0].status, ItemStatus::Failed);
        EXPECT_EQ(host.results[0].errorStep, RunStep::WriteJpeg);
        EXPECT_EQ(host.outcomes(), kFinished);
    }

    TEST_F(ExtractionRunTest, AnOutputThatCannotBeCreatedIsReportedOnce)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO;VALUE=URL;TYPE=GIF:R0lGODlh"));
        input("c.vcf", Card("PHOTO:QUJD"));
        int yields = 0;
        host.onYield = [&] {
            // The folder goes away after the test at the start, before the first two files.
            host.folder = ++yields < 3 ? dir.file("gone/") : dir.file("out/");
            return true;
        };
        start();
        ASSERT_EQ(host.failures.size(), 2u);
        EXPECT_EQ(host.failures[0].step, RunStep::CreateJpeg);
        EXPECT_EQ(host.failures[0].description, "Path not found: " + dir.file("gone/a.jpg"));
        EXPECT_EQ(host.failures[1].step, RunStep::CreateGif);
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"c.jpg"}));
    }

    TEST_F(ExtractionRunTest, AMissingCardFileIsReportedAndTheRunGoesOn)
    {
        host.items.push_back(dir.file("cards/missing.vcf"));
        input("good.vcf", kWorkedExample);
        start();
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::ReadCard);
        EXPECT_EQ(host.failures[0].description, "File not found: " + dir.file("cards/missing.vcf"));
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"good.jpg"}));
        EXPECT_EQ(host.results[0].status, ItemStatus::Failed);
    }

    TEST_F(ExtractionRunTest, AFolderTextWithoutSeparatorStillWritesInside)
    {
        input("card1.vcf", kWorkedExample);
        host.folder = dir.file("out");
        start();
        EXPECT_EQ(Slurp(output("card1.jpg")), kJpegBytes);
        EXPECT_FALSE(fs::exists(dir.file("outcard1.jpg")));
    }

    TEST_F(ExtractionRunTest, APositionGoneDuringAYieldIsSkipped)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        input("c.vcf", Card("PHOTO:QUJD"));
        bool first = true;
        host.onYield = [&] {
            if (first)
                host.items.resize(1); // the user clears most of the list during the first yield
            first = false;
            return true;
        };
        start();
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"a.jpg"}));
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(host.results.size(), 1u);
        EXPECT_EQ(host.outcomes(), kFinished);
    }

    TEST_F(ExtractionRunTest, ItemsAddedDuringTheRunWaitForTheNext)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        host.onYield = [&] {
            host.items.push_back(dir.write("cards/late.vcf", Card("PHOTO:QUJD")));
            return true;
        };
        start();
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"a.jpg"}));
    }

    TEST_F(ExtractionRunTest, ASecondStartDuringTheRunIsIgnored)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        std::vector<RunOutcome> nested;
        host.onYield = [&] {
            EXPECT_TRUE(run.IsRunning());
            RecordingRunHost other;
            nested.push_back(start(other));
            EXPECT_TRUE(other.events.empty());
            return true;
        };
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_EQ(nested, (std::vector<RunOutcome> {RunOutcome::AlreadyRunning, RunOutcome::AlreadyRunning}));
        EXPECT_EQ(host.outcomes(), kFinished);
        EXPECT_FALSE(run.IsRunning());
    }

    TEST_F(ExtractionRunTest, TheFolderTextIsReadForEveryFile)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        const std::string other = dir.mkdir("other");
        int yields = 0;
        host.onYield = [&] {
            if (++yields == 2)
                host.folder = other;
            return true;
        };
        start();
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"a.jpg"}));
        EXPECT_TRUE(fs::exists(other + "/b.jpg"));
    }

    // The folder is held from one image to the next; one that was removed and made anew under its
    // text meanwhile gets the later images, and one that is gone is told for each image.
    TEST_F(ExtractionRunTest, AFolderMadeAnewDuringTheRunGetsTheLaterImages)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        input("c.vcf", Card("PHOTO:QUJD"));
        int yields = 0;
        host.onYield = [&] {
            ++yields;
            if (yields == 2)
                fs::remove_all(dir.file("out"));
            if (yields == 3)
                fs::create_directory(dir.file("out"));
            return true;
        };
        start();
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::CreateJpeg);
        EXPECT_NE(host.failures[0].description.find(output("b.jpg")), std::string::npos)
            << host.failures[0].description;
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"c.jpg"}));
        EXPECT_EQ(Slurp(output("c.jpg")), "ABC");
    }

    // A folder renamed during the run keeps what it got; the images after go where the text
    // names, into a new folder there, or are told as failures when nothing stands there.
    struct RenamedFolderCase
    {
        const char* name;
        bool madeAnew;
    };

    class ClassicRenamedFolderTest : public ExtractionRunTest,
                                     public ::testing::WithParamInterface<RenamedFolderCase>
    {
    };

    TEST_P(ClassicRenamedFolderTest, TheLaterImagesGoWhereTheTextNames)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        int yields = 0;
        host.onYield = [&] {
            if (++yields == 2) {
                fs::rename(dir.file("out"), dir.file("renamed"));
                if (GetParam().madeAnew)
                    fs::create_directory(dir.file("out"));
            }
            return true;
        };
        start();
        EXPECT_TRUE(fs::exists(dir.file("renamed/a.jpg")));
        EXPECT_FALSE(fs::exists(dir.file("renamed/b.jpg"))) << "an image went to a folder no text names";
        if (GetParam().madeAnew) {
            EXPECT_TRUE(host.failures.empty());
            EXPECT_EQ(outputNames(), (std::vector<std::string> {"b.jpg"}));
        } else {
            ASSERT_EQ(host.failures.size(), 1u);
            EXPECT_EQ(host.failures[0].step, RunStep::CreateJpeg);
        }
    }

    INSTANTIATE_TEST_SUITE_P(Folders,
                             ClassicRenamedFolderTest,
                             ::testing::Values(RenamedFolderCase {"MadeAnew", true},
                                               RenamedFolderCase {"NothingThere", false}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST_F(ExtractionRunTest, StopsAtOnceWhenTheSurroundingsGoAway)
    {
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        int yields = 0;
        host.onYield = [&] { return ++yields < 2; };
        EXPECT_EQ(start(), RunOutcome::Abandoned);
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"a.jpg"}));
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Abandoned}));
        EXPECT_FALSE(run.IsRunning());
    }

#if !defined(_WIN32)
    TEST_F(ExtractionRunTest, ALinkAtTheTargetIsReplacedNotWrittenThrough)
    {
        input("card1.vcf", kWorkedExample);
        const auto precious = dir.write("precious.txt", "precious");
        fs::create_symlink(precious, output("card1.jpg"));
        start();
        EXPECT_EQ(Slurp(precious), "precious");
        EXPECT_EQ(Slurp(output("card1.jpg")), kJpegBytes);
    }
#else
    TEST_F(ExtractionRunTest, ALinkAtTheTargetIsReplacedNotWrittenThrough)
    {
        GTEST_SKIP() << "Windows tests make no symbolic links";
    }
#endif

    TEST_F(ExtractionRunTest, FlushesWhatItWroteOnceBeforeDone)
    {
        test::FolderSeamsGuard seams;
        FolderSeams().flush = [&](const std::string& folder) {
            host.events.push_back("flush " + folder);
            return std::error_code();
        };
        input("a.vcf", Card("PHOTO:QUJD"));
        input("b.vcf", Card("PHOTO:QUJD"));
        input("c.vcf", Card("NOTE:no photo"));
        start();
        std::vector<std::string> flushes;
        for (const auto& event : host.events) {
            if (event.rfind("flush ", 0) == 0)
                flushes.push_back(event);
        }
        EXPECT_EQ(flushes, (std::vector<std::string> {"flush " + host.folder}));
        ASSERT_GE(host.events.size(), 3u);
        EXPECT_EQ(host.events[host.events.size() - 3], "closing Finished") << "the window is put back first";
        EXPECT_EQ(host.events[host.events.size() - 2], "flush " + host.folder);
        EXPECT_EQ(host.events.back(), "end Finished");
    }

    TEST_F(ExtractionRunTest, ARunThatWroteNothingFlushesNothing)
    {
        test::FolderSeamsGuard seams;
        int flushes = 0;
        FolderSeams().flush = [&](const std::string&) {
            ++flushes;
            return std::error_code();
        };
        input("a.vcf", Card("NOTE:no photo"));
        start();
        EXPECT_EQ(flushes, 0);
        EXPECT_EQ(host.outcomes(), kFinished);
    }

    TEST_F(ExtractionRunTest, AFailedFlushIsReportedAndDoneStillShows)
    {
        test::FolderSeamsGuard seams;
        FolderSeams().flush = [](const std::string&) { return std::make_error_code(std::errc::io_error); };
        input("a.vcf", Card("PHOTO:QUJD"));
        EXPECT_EQ(start(), RunOutcome::Finished);
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::Flush);
        EXPECT_EQ(host.failures[0].description,
                  "Cannot bring the written images to the disk (Input/output error): " + host.folder);
        EXPECT_EQ(host.outcomes(), kFinished);
    }

    TEST_F(ExtractionRunTest, AFolderStandingAtTheNameIsReportedAtTheClose)
    {
        input("card.vcf", Card("PHOTO:QUJD"));
        input("gif.vcf", Card("PHOTO;VALUE=URL;TYPE=GIF:R0lGODlh"));
        dir.mkdir("out/card.jpg");
        dir.mkdir("out/gif.gif");
        start();
        ASSERT_EQ(host.failures.size(), 2u);
        EXPECT_EQ(host.failures[0].step, RunStep::CloseJpeg);
        EXPECT_EQ(host.failures[0].description,
                  "Cannot replace the file (Is a directory): " + output("card.jpg"));
        EXPECT_EQ(host.failures[1].step, RunStep::CloseGif);
        EXPECT_EQ(outputNames(), (std::vector<std::string> {"card.jpg", "gif.gif"})) << "nothing is left";
    }

    TEST_F(ExtractionRunTest, AFolderGivenAsCardIsReportedWithoutBlocking)
    {
        host.items.push_back(dir.mkdir("cards/folder.vcf"));
        start();
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::ReadCard);
        EXPECT_EQ(host.failures[0].description,
                  "This is a folder, not a file: " + dir.file("cards/folder.vcf"));
    }

} // namespace
} // namespace orvandel

namespace orvandel {
namespace {

    // The example cards shipped with the program give one photo per file but the one without.
    TEST(Samples, GiveTheirPhotos)
    {
        test::TempDir out;
        test::RecordingRunHost host;
        host.folder = out.path();
        for (const char* name :
             {"ada-lindqvist.vcf", "bruno-okafor.vcf", "carla-mendes.vcf", "dmitri-volkov.vcf",
              "emil-brandt.vcf", "farah-haddad.vcf", "harbor-team.vcf"})
            host.items.push_back(std::string(ORVANDEL_SAMPLES_DIR) + "/" + name);
        RunLoop run;
        ClassicExtractor extractor;
        run.start(host, host, extractor);
        EXPECT_TRUE(host.failures.empty());
        ASSERT_EQ(host.results.size(), 7u);
        for (const auto& result : host.results) {
            if (result.input.ends_with("farah-haddad.vcf")) {
                EXPECT_EQ(result.status, ItemStatus::NoPhoto);
                continue;
            }
            ASSERT_EQ(result.status, ItemStatus::Written) << result.input;
            const std::string bytes = test::Slurp(result.output);
            const bool gif = result.output.ends_with(".gif");
            EXPECT_EQ(bytes.substr(0, gif ? 6 : 3), gif ? "GIF89a" : "\xFF\xD8\xFF") << result.output;
            EXPECT_EQ(bytes.substr(bytes.size() - (gif ? 1 : 2)), gif ? ";" : "\xFF\xD9") << "whole image";
        }
    }

} // namespace
} // namespace orvandel
