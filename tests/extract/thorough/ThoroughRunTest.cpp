#include "FilesIn.h"
#include "TestImages.h"
#include "extract/RunLoop.h"
#include "extract/thorough/Sha256.h"
#include "extract/thorough/ThoroughExtractor.h"
#include "support/FolderSeamsGuard.h"
#include "support/RecordingRunHost.h"
#include "support/TempDir.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"

#if defined(_WIN32)
#include "util/WideText.h"

#include <windows.h>
#endif

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using namespace test;

    std::string Card(const std::string& fn, const std::string& photoLines)
    {
        std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        if (!fn.empty())
            card += "FN:" + fn + "\r\n";
        return card + photoLines + "END:VCARD\r\n";
    }

    std::string Photo(const std::string& image, const std::string& parameters = ";ENCODING=b;TYPE=JPEG")
    {
        return "PHOTO" + parameters + ":" + Fold(ToBase64(image), 75, " ", "\r\n") + "\r\n";
    }

    std::string BigExport(int cards)
    {
        std::string text;
        for (int i = 0; i < cards; ++i)
            text += Card(
                "Person " + std::to_string(i),
                Photo(JpegImage(std::string(20000, static_cast<char>('a' + i % 26)) + std::to_string(i))));
        return text;
    }

    class ThoroughRunTest : public ::testing::Test
    {
    protected:
        void SetUp() override { host.folder = dir.mkdir("out") + kSeparator; }

        std::string input(const std::string& relative, const std::string& bytes)
        {
            const auto path = dir.write("cards/" + relative, bytes);
            host.items.push_back(path);
            return path;
        }

        std::map<std::string, std::string> outputs() const { return FilesIn(dir.file("out")); }

        RunOutcome start(ThoroughOptions options = {}) { return start(host, std::move(options)); }
        RunOutcome start(RecordingRunHost& surroundings, ThoroughOptions options = {})
        {
            ThoroughExtractor extractor(std::move(options));
            return run.start(surroundings, surroundings, extractor);
        }

        TempDir dir;
        RecordingRunHost host;
        RunLoop run;
    };

    TEST_F(ThoroughRunTest, ShowsItsCourseAsTheClassicRunDoes)
    {
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_EQ(host.events,
                  (std::vector<std::string> {"start a.vcf", "yield", "reading 1", "photo", "read 122 of 122",
                                             "finished 1", "closing Finished", "end Finished"}));
        EXPECT_EQ(host.progressValues, (std::vector<double> {0, 100}));
        EXPECT_FALSE(run.IsRunning());
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Ann.jpg", JpegImage()}}));
    }

    TEST_F(ThoroughRunTest, EmptyListIsToldBeforeTheFolder)
    {
        host.folder = dir.file("missing/");
        EXPECT_EQ(start(), RunOutcome::NoFiles);
        EXPECT_EQ(host.events, (std::vector<std::string> {"end NoFiles"}));
    }

    TEST_F(ThoroughRunTest, RefusesAFolderThatDoesNotExist)
    {
        const auto card = input("a.vcf", Card("Ann", Photo(JpegImage())));
        for (const std::string& folder : {dir.file("missing/"), std::string(), card}) {
            host.folder = folder;
            host.events.clear();
            EXPECT_EQ(start(), RunOutcome::NoFolder) << folder;
            EXPECT_EQ(host.events, (std::vector<std::string> {"end NoFolder"}));
        }
    }

    TEST_F(ThoroughRunTest, RefusesASecondStartWhileRunning)
    {
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        std::optional<RunOutcome> second;
        host.onYield = [&] {
            second = start(host);
            return true;
        };
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_EQ(second, RunOutcome::AlreadyRunning);
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Finished}));
    }

    TEST_F(ThoroughRunTest, ReportsAPhotoThatCannotBeDecodedWithItsInputCardFnAndLine)
    {
        const auto path
            = input("export.vcf",
                    Card("Ann", Photo(JpegImage())) + Card("Bob Stone", "PHOTO;ENCODING=b:QUJD\r\n Q%JD\r\n")
                        + Card("", "PHOTO:Q\r\n") + Card("Cy", Photo(GifImage())));
        EXPECT_EQ(start(), RunOutcome::Finished);
        ASSERT_EQ(host.failures.size(), 2u);
        EXPECT_EQ(host.failures[0].description,
                  "Cannot decode the photo: the character \"%\" is not Base64 at line 10. Input: " + path
                      + ", card 2 (FN \"Bob Stone\"), line 9.");
        EXPECT_EQ(host.failures[0].step, RunStep::DecodePhoto);
        EXPECT_EQ(host.failures[1].description,
                  "Cannot decode the photo: its Base64 data ends with a single character, "
                  "which makes no byte. Input: "
                      + path + ", card 3 (no FN), line 14.");
        EXPECT_EQ(outputs(),
                  (std::map<std::string, std::string> {{"Ann.jpg", JpegImage()}, {"Cy.gif", GifImage()}}))
            << "the rest goes on";
        ASSERT_EQ(host.photos.size(), 4u);
        EXPECT_EQ(host.photos[1].status, PhotoStatus::Failed);
        EXPECT_EQ(host.photos[1].error, host.failures[0].description);
        EXPECT_EQ(host.photos[1].errorStep, RunStep::DecodePhoto);
        EXPECT_EQ(host.photos[1].card, 2u);
        EXPECT_EQ(host.photos[1].fn, "Bob Stone");
        EXPECT_EQ(host.photos[1].line, 9u);
        ASSERT_EQ(host.results.size(), 1u);
        EXPECT_EQ(host.results[0].status, ItemStatus::Failed);
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Finished}));
    }

    TEST_F(ThoroughRunTest, AFailedPhotoLeavesAFileOfItsNameAlone)
    {
        dir.write("out/Ann.jpg", "kept");
        input("a.vcf", Card("Ann", "PHOTO;ENCODING=b:" + ToBase64(JpegImage()) + "!\r\n"));
        start();
        EXPECT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Ann.jpg", "kept"}}))
            << "no temporary file is left";
    }

    TEST_F(ThoroughRunTest, ReplacesAFileThatStoodThereBeforeTheRun)
    {
        dir.write("out/Ann.jpg", "an older image");
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        start();
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Ann.jpg", JpegImage()}}));
    }

    TEST_F(ThoroughRunTest, AMissingInputIsReportedAndTheRunGoesOn)
    {
        host.items.push_back(dir.file("cards/missing.vcf"));
        input("good.vcf", Card("Ann", Photo(JpegImage())));
        EXPECT_EQ(start(), RunOutcome::Finished);
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::OpenInput);
        EXPECT_EQ(host.failures[0].description, "File not found: " + dir.file("cards/missing.vcf"));
        ASSERT_EQ(host.results.size(), 2u);
        EXPECT_EQ(host.results[0].status, ItemStatus::Failed);
        EXPECT_EQ(host.results[1].status, ItemStatus::Written);
        EXPECT_EQ(outputs().size(), 1u);
    }

    TEST_F(ThoroughRunTest, AFolderAsInputIsReported)
    {
        host.items.push_back(dir.mkdir("cards/folder.vcf"));
        start();
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::OpenInput);
        EXPECT_EQ(host.failures[0].description,
                  "This is a folder, not a file: " + dir.file("cards/folder.vcf"));
    }

    TEST_F(ThoroughRunTest, APhotoThatCannotBeCreatedIsReportedAndTheNextGoesOn)
    {
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        input("b.vcf", Card("Bob", Photo(JpegImage("b"))));
        host.onYield = [&] {
            // The folder is removed while the run holds it: no photo can be created in it.
            std::error_code kept;
            fs::remove(dir.file("out"), kept);
            return true;
        };
        start();
#if defined(_WIN32)
        // Windows keeps the folder in place while the run holds it: it cannot be removed.
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(outputs().size(), 2u);
#else
        ASSERT_EQ(host.failures.size(), 2u);
        EXPECT_EQ(host.failures[0].step, RunStep::CreatePhoto);
        EXPECT_EQ(host.failures[0].description,
                  "Cannot create the photo's file: Path not found: " + host.folder
                      + ". Input: " + dir.file("cards/a.vcf") + ", card 1 (FN \"Ann\"), line 4.");
        EXPECT_EQ(host.failures[1].description,
                  "Cannot create the photo's file: Path not found: " + host.folder
                      + ". Input: " + dir.file("cards/b.vcf") + ", card 1 (FN \"Bob\"), line 4.");
        EXPECT_FALSE(fs::exists(dir.file("out")));
#endif
    }

    TEST_F(ThoroughRunTest, TheFolderTextChangedDuringTheRunMovesNoPhoto)
    {
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        input("b.vcf", Card("Bob", Photo(JpegImage("b"))));
        const std::string other = dir.mkdir("other") + kSeparator;
        host.onYield = [&] {
            host.folder = other;
            return true;
        };
        start();
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(
            outputs(),
            (std::map<std::string, std::string> {{"Ann.jpg", JpegImage()}, {"Bob.jpg", JpegImage("b")}}));
        EXPECT_TRUE(FilesIn(other).empty());
    }

#if defined(_WIN32)
    TEST_F(ThoroughRunTest, AFolderKeptInPlaceGetsEveryPhoto)
    {
        input("big.vcf", BigExport(120)); // read a megabyte at a time, with a yield after each
        input("next.vcf", Card("Next", Photo(JpegImage("next"))));
        int yields = 0;
        host.onYield = [&] {
            // Neither renamed nor removed while the run holds it.
            if (++yields == 2) {
                EXPECT_FALSE(::MoveFileExW(Utf8ToWide(dir.file("out")).c_str(),
                                           Utf8ToWide(dir.file("renamed")).c_str(), 0));
                EXPECT_FALSE(::RemoveDirectoryW(Utf8ToWide(dir.file("out")).c_str()));
            }
            return true;
        };
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(outputs().size(), 121u);
        EXPECT_EQ(outputs().at("Next.jpg"), JpegImage("next"));
    }
#endif

    TEST_F(ThoroughRunTest, AFolderRenamedAndReplacedDuringTheRunGetsEveryPhoto)
    {
        if (!FoldersAreHeldOpen())
            GTEST_SKIP() << "the portable folder layer works on paths";
        input("big.vcf", BigExport(120)); // read a megabyte at a time, with a yield after each
        input("next.vcf", Card("Next", Photo(JpegImage("next"))));
        int yields = 0;
        host.onYield = [&] {
            if (++yields == 2) {
                fs::rename(dir.file("out"), dir.file("renamed"));
                dir.mkdir("out");
            }
            return true;
        };
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_TRUE(host.failures.empty());
        const auto renamed = FilesIn(dir.file("renamed"));
        EXPECT_EQ(renamed.size(), 121u);
        for (const auto& [name, bytes] : renamed)
            EXPECT_NE(name.front(), '.') << "a temporary file was left: " << name;
        EXPECT_EQ(renamed.at("Next.jpg"), JpegImage("next"));
        EXPECT_TRUE(outputs().empty()) << "the new folder of the old name gets nothing";
    }

    // Where a stop is asked: at the first yield within the big input, or at the next input's
    // start; answered at that yield only, or at every yield from then on.
    struct StopCase
    {
        const char* name;
        bool withinTheInput;
        bool everyYield;
        bool unique = false;
    };

    class ThoroughStopTest : public ThoroughRunTest, public ::testing::WithParamInterface<StopCase>
    {
    };

    TEST_P(ThoroughStopTest, EndsAfterTheCardBeingReadAndKeepsWhatItWrote)
    {
        const StopCase& stopCase = GetParam();
        const std::string big = input("big.vcf", BigExport(120)); // a yield after each megabyte
        input("next.vcf", Card("Next", Photo(JpegImage("next"))));
        int yields = 0;
        host.stopOnce = !stopCase.everyYield;
        host.onYield = [&] {
            ++yields;
            const bool atNext
                = host.events.size() >= 2 && host.events[host.events.size() - 2] == "start next.vcf";
            if (stopCase.withinTheInput ? yields == 2 : atNext)
                host.stopAfterTheCard = true;
            return true;
        };
        ThoroughOptions options;
        options.unique = stopCase.unique;
        EXPECT_EQ(start(options), RunOutcome::Stopped);
        EXPECT_FALSE(run.IsRunning());
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Stopped})) << "no \"Done.\"";
        EXPECT_TRUE(host.failures.empty());
        ASSERT_EQ(host.stops().size(), 1u);
        const RunStop stop = host.stops().front();
        EXPECT_EQ(stop.fileCount, 2u);

        const auto files = outputs();
        std::size_t written = 0;
        for (const PhotoResult& photo : host.photos) {
            ASSERT_EQ(photo.status, PhotoStatus::Written);
            const std::size_t i = photo.card - 1;
            EXPECT_EQ(files.at(GetFileName(photo.output)),
                      JpegImage(std::string(20000, static_cast<char>('a' + i % 26)) + std::to_string(i)));
            ++written;
        }
        EXPECT_EQ(files.size(), written) << "nothing half-written is left";
        if (stopCase.withinTheInput) {
            EXPECT_EQ(stop.filesDone, 0u);
            EXPECT_EQ(stop.input, big);
            EXPECT_EQ(stop.cards, written);
            EXPECT_GT(written, 0u);
            EXPECT_LT(written, 120u);
            // The input shows what was taken from it.
            ASSERT_EQ(host.results.size(), 1u);
            EXPECT_EQ(host.results.front().status, ItemStatus::Written);
        } else {
            EXPECT_EQ(stop.filesDone, 1u);
            EXPECT_EQ(stop.input, "");
            EXPECT_EQ(written, 120u);
            EXPECT_EQ(host.results.size(), 1u);
        }
        ASSERT_GE(host.events.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(host.events.end() - 2, host.events.end()),
                  (std::vector<std::string> {"closing Stopped", "end Stopped"}));
    }

    INSTANTIATE_TEST_SUITE_P(Stops,
                             ThoroughStopTest,
                             ::testing::Values(StopCase {"WithinAnInput", true, true},
                                               StopCase {"BetweenInputs", false, true},
                                               StopCase {"AnsweredOnce", true, false},
                                               StopCase {"WithinAnInputLookingForCopies", true, true, true}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST_F(ThoroughRunTest, AnObstructedNameCostsNoPhoto)
    {
        dir.mkdir("out/Ada Lindqvist (2).jpg");
        std::string cards;
        for (int i = 1; i <= 5; ++i)
            cards += Card("Ada Lindqvist", Photo(JpegImage(std::to_string(i))));
        input("ada.vcf", cards);
        start();
        EXPECT_TRUE(host.failures.empty());
        auto files = outputs();
        EXPECT_EQ(files,
                  (std::map<std::string, std::string> {{"Ada Lindqvist.jpg", JpegImage("1")},
                                                       {"Ada Lindqvist (2).jpg", "<folder>"},
                                                       {"Ada Lindqvist (3).jpg", JpegImage("2")},
                                                       {"Ada Lindqvist (4).jpg", JpegImage("3")},
                                                       {"Ada Lindqvist (5).jpg", JpegImage("4")},
                                                       {"Ada Lindqvist (6).jpg", JpegImage("5")}}));
        EXPECT_TRUE(fs::is_directory(dir.file("out/Ada Lindqvist (2).jpg")));
    }

    TEST_F(ThoroughRunTest, FlushesWhatItWroteOnceBeforeDone)
    {
        test::FolderSeamsGuard seams;
        FolderSeams().flush = [&](const std::string& folder) {
            host.events.push_back("flush " + folder);
            return std::error_code();
        };
        input("a.vcf", Card("Ann", Photo(JpegImage("1"))) + Card("Bob", Photo(JpegImage("2"))));
        input("b.vcf", Card("Cy", Photo(JpegImage("3"))));
        start();
        const auto flushes
            = std::count_if(host.events.begin(), host.events.end(),
                            [](const std::string& event) { return event.rfind("flush ", 0) == 0; });
        EXPECT_EQ(flushes, 1);
        ASSERT_GE(host.events.size(), 3u);
        EXPECT_EQ(host.events[host.events.size() - 3], "closing Finished") << "the window is put back first";
        EXPECT_EQ(host.events[host.events.size() - 2], "flush " + host.folder);
        EXPECT_EQ(host.events.back(), "end Finished");
    }

    TEST_F(ThoroughRunTest, AFailedFlushIsReportedAndDoneStillShows)
    {
        test::FolderSeamsGuard seams;
        FolderSeams().flush
            = [](const std::string&) { return std::make_error_code(std::errc::no_space_on_device); };
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        EXPECT_EQ(start(), RunOutcome::Finished);
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::Flush);
        EXPECT_EQ(host.failures[0].description,
                  "Cannot bring the written images to the disk (No space left on device): " + host.folder);
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Finished}));
    }

    TEST_F(ThoroughRunTest, NamesPhotosByPersonAndNumbersNamesWrittenBefore)
    {
        input("one.vcf",
              Card("Ann", Photo(JpegImage("1"))) + Card("", Photo(JpegImage("2")))
                  + Card("AC/DC: Live?", Photo(JpegImage("3"))));
        input("two.vcf",
              Card("ann", Photo(JpegImage("4"))) + Card("CON", Photo(JpegImage("5")))
                  + Card("Ann", Photo(PngImage("6"))));
        start();
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(outputs(),
                  (std::map<std::string, std::string> {{"Ann.jpg", JpegImage("1")},
                                                       {"one-2.jpg", JpegImage("2")},
                                                       {"AC_DC_ Live_.jpg", JpegImage("3")},
                                                       {"ann (2).jpg", JpegImage("4")},
                                                       {"CON_.jpg", JpegImage("5")},
                                                       {"Ann.png", PngImage("6")}}));
    }

    TEST_F(ThoroughRunTest, NamesByTheTemplate)
    {
        input("export.vcf",
              Card("Ann", "UID:u-17\r\n" + Photo(JpegImage("1"))) + Card("Bob", Photo(JpegImage("2"))));
        ThoroughOptions options;
        options.name = NameTemplate::parse("{file} {n} {fn} [{uid}]");
        start(options);
        EXPECT_EQ(outputs(),
                  (std::map<std::string, std::string> {{"export 1 Ann [u-17].jpg", JpegImage("1")},
                                                       {"export 2 Bob [].jpg", JpegImage("2")}}));
    }

    TEST_F(ThoroughRunTest, TypesPhotosByTheirBytes)
    {
        const std::string unknown = "neither image nor text \x01\x02";
        input("a.vcf",
              Card("Png Said Jpeg", Photo(PngImage()))
                  + Card("Gif Said", Photo(unknown, ";ENCODING=b;TYPE=GIF"))
                  + Card("Nothing Said", Photo(unknown, ";ENCODING=b"))
                  + Card("Webp", Photo(WebPImage(), ";ENCODING=b;TYPE=image/webp")));
        start();
        EXPECT_EQ(outputs(),
                  (std::map<std::string, std::string> {{"Png Said Jpeg.png", PngImage()},
                                                       {"Gif Said.gif", unknown},
                                                       {"Nothing Said.bin", unknown},
                                                       {"Webp.webp", WebPImage()}}));
        ASSERT_EQ(host.photos.size(), 4u);
        EXPECT_EQ(host.photos[0].type, "png");
        EXPECT_EQ(host.photos[0].declared, "jpeg");
        EXPECT_TRUE(host.photos[0].typeMismatch);
        EXPECT_EQ(host.photos[1].type, "gif");
        EXPECT_FALSE(host.photos[1].typeMismatch);
        EXPECT_EQ(host.photos[2].type, "");
        EXPECT_EQ(host.photos[2].declared, "");
        EXPECT_EQ(host.photos[3].type, "webp");
        EXPECT_FALSE(host.photos[3].typeMismatch);
    }

    TEST_F(ThoroughRunTest, UniqueSkipsBytesWrittenBefore)
    {
        const std::string same = JpegImage("same");
        input("a.vcf",
              Card("Ann", Photo(same) + "X-MS-CARDPICTURE;ENCODING=b:" + ToBase64(same) + "\r\n")
                  + Card("Bob", Photo(JpegImage("other"))));
        input("b.vcf", Card("Cy", Photo(same, ";ENCODING=BASE64;TYPE=JPEG")));
        ThoroughOptions options;
        options.unique = true;
        start(options);
        EXPECT_EQ(outputs(),
                  (std::map<std::string, std::string> {{"Ann.jpg", same}, {"Bob.jpg", JpegImage("other")}}));
        ASSERT_EQ(host.photos.size(), 4u);
        EXPECT_EQ(host.photos[1].status, PhotoStatus::Duplicate);
        EXPECT_EQ(host.photos[1].output, host.folder + "Ann.jpg");
        EXPECT_EQ(host.photos[3].status, PhotoStatus::Duplicate);
        EXPECT_EQ(host.photos[3].input, host.items[1]);
        EXPECT_EQ(host.photos[0].sha256, host.photos[3].sha256);
        EXPECT_NE(host.photos[0].sha256, host.photos[2].sha256);
        EXPECT_EQ(host.photos[0].sha256.size(), 64u);
        EXPECT_EQ(host.results[1].status, ItemStatus::Written) << "its photo is there, written before";
    }

    // Where --unique takes the digests makes no difference to what is written and told: small
    // photos go to the digest thread and are written a card later, large ones are hashed as they
    // are written, and a card with hundreds of photos is written before it ends.
    struct UniqueCase
    {
        const char* name;
        std::vector<std::vector<int>> cards; // each card's photos, by which image they hold
        std::size_t imageBytes;
    };

    class ThoroughUniqueTest : public ThoroughRunTest, public ::testing::WithParamInterface<UniqueCase>
    {
    };

    TEST_P(ThoroughUniqueTest, WritesEachImageOnceAndTellsEveryCopy)
    {
        const UniqueCase& uniqueCase = GetParam();
        const auto image = [&](int which) {
            return JpegImage(std::string(uniqueCase.imageBytes, static_cast<char>('a' + which)));
        };
        std::string cards;
        std::vector<int> photos; // in the order of the input
        for (std::size_t card = 0; card < uniqueCase.cards.size(); ++card) {
            std::string lines;
            for (const int which : uniqueCase.cards[card]) {
                lines += Photo(image(which));
                photos.push_back(which);
            }
            cards += Card("Card " + std::to_string(card + 1), lines);
        }
        input("a.vcf", cards);
        ThoroughOptions options;
        options.unique = true;
        EXPECT_EQ(start(options), RunOutcome::Finished);
        EXPECT_TRUE(host.failures.empty());

        ASSERT_EQ(host.photos.size(), photos.size());
        std::map<int, std::string> firstOutput;
        std::map<std::string, std::string> expected;
        std::size_t card = 0;
        for (std::size_t i = 0; i < photos.size(); ++i) {
            const PhotoResult& photo = host.photos[i];
            EXPECT_GE(photo.card, card) << "photo " << i << " is told in the order of the cards";
            card = photo.card;
            EXPECT_EQ(photo.sha256, Sha256::hex(Sha256::of(image(photos[i])))) << "photo " << i;
            const auto first = firstOutput.find(photos[i]);
            if (first == firstOutput.end()) {
                EXPECT_EQ(photo.status, PhotoStatus::Written) << "photo " << i;
                firstOutput[photos[i]] = photo.output;
                expected[fs::path(photo.output).filename().string()] = image(photos[i]);
            } else {
                EXPECT_EQ(photo.status, PhotoStatus::Duplicate) << "photo " << i;
                EXPECT_EQ(photo.output, first->second) << "photo " << i;
            }
        }
        EXPECT_EQ(outputs(), expected);
    }

    std::vector<std::vector<int>> ManyPhotosInOneCard()
    {
        std::vector<int> photos;
        for (int i = 0; i < 300; ++i)
            photos.push_back(i % 7);
        return {{0}, photos, {3}};
    }

    INSTANTIATE_TEST_SUITE_P(
        Digests,
        ThoroughUniqueTest,
        ::testing::Values(UniqueCase {"NextCardRepeatsIt", {{0}, {0}, {1}, {1}, {0}, {2}}, 2000},
                          UniqueCase {"WithinACard", {{0, 0, 1}, {1, 2, 0}}, 2000},
                          UniqueCase {
                              "LargerThanWhatIsKeptForTheThread", {{0}, {1}, {0}, {1, 1}}, 3 * 1024 * 1024},
                          UniqueCase {"MorePhotosThanACardHolds", ManyPhotosInOneCard(), 500}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST_F(ThoroughRunTest, WithoutUniqueEveryCopyIsWritten)
    {
        const std::string same = JpegImage("same");
        input("a.vcf", Card("Ann", Photo(same) + Photo(same)));
        start();
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Ann.jpg", same}, {"Ann (2).jpg", same}}));
        EXPECT_TRUE(host.photos[0].sha256.empty());
    }

    TEST_F(ThoroughRunTest, TellsALinkAndFetchesNothing)
    {
        input("a.vcf", Card("Sam", "PHOTO;VALUE=URI:https://example.com/sam.jpg\r\n"));
        EXPECT_EQ(start(), RunOutcome::Finished);
        EXPECT_TRUE(host.failures.empty());
        EXPECT_TRUE(outputs().empty());
        ASSERT_EQ(host.photos.size(), 1u);
        EXPECT_EQ(host.photos[0].status, PhotoStatus::Link);
        EXPECT_EQ(host.photos[0].url, "https://example.com/sam.jpg");
        EXPECT_EQ(host.photos[0].fn, "Sam");
        EXPECT_EQ(host.results[0].status, ItemStatus::NoPhoto);
    }

    TEST_F(ThoroughRunTest, ReportsAPhotoItLeavesAlone)
    {
        input("a.vcf", Card("Quinn", "PHOTO;ENCODING=QUOTED-PRINTABLE:=FF=D8=FF\r\n"));
        start();
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].description,
                  "The photo cannot be taken out: it is written as quoted-printable text, not as Base64, and "
                  "is left "
                  "alone. Input: "
                      + host.items[0] + ", card 1 (FN \"Quinn\"), line 4.");
    }

    TEST_F(ThoroughRunTest, TakesLogosOnlyWhenAsked)
    {
        input("a.vcf", Card("Org", "LOGO;ENCODING=b:" + ToBase64(PngImage()) + "\r\n"));
        start();
        EXPECT_TRUE(outputs().empty());
        ThoroughOptions options;
        options.logos = true;
        start(options);
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Org.png", PngImage()}}));
    }

    TEST_F(ThoroughRunTest, AFolderWithoutTrailingSeparatorIsUsedAsAFolder)
    {
        host.folder = dir.file("out");
        input("a.vcf", Card("Ann", Photo(JpegImage())));
        start();
        EXPECT_EQ(host.photos.at(0).output, dir.file("out/Ann.jpg"));
    }

    TEST_F(ThoroughRunTest, WritesEveryPhotoOfACardWithManyBeforeItsName)
    {
        std::string photos;
        for (int i = 0; i < 300; ++i)
            photos += Photo(JpegImage(std::to_string(i)));
        input("many.vcf", "BEGIN:VCARD\r\n" + photos + "FN:Late\r\nEND:VCARD\r\n");
        start();
        EXPECT_TRUE(host.failures.empty());
        EXPECT_EQ(outputs().size(), 300u);
    }

    TEST_F(ThoroughRunTest, ShowsProgressByBytesWithinAFile)
    {
        const auto bytes = BigExport(120); // about 3.3 MB
        input("big.vcf", bytes);
        start();
        ASSERT_GE(host.reads.size(), 3u);
        for (std::size_t i = 1; i + 1 < host.reads.size(); ++i)
            EXPECT_GE(host.reads[i].bytesRead - host.reads[i - 1].bytesRead, 1024u * 1024u)
                << "every megabyte";
        EXPECT_EQ(host.reads.back().bytesRead, bytes.size());
        EXPECT_EQ(host.reads.back().bytesTotal, bytes.size());
        for (std::size_t i = 1; i < host.progressValues.size(); ++i)
            EXPECT_GE(host.progressValues[i], host.progressValues[i - 1]);
        EXPECT_EQ(host.progressValues.back(), 100);
        EXPECT_EQ(outputs().size(), 120u);
    }

    TEST_F(ThoroughRunTest, StopsAtOnceAndLeavesNothingHalfWritten)
    {
        input("big.vcf", BigExport(120));
        input("next.vcf", Card("Never", Photo(JpegImage())));
        int yields = 0;
        host.onYield = [&] { return ++yields < 3; };
        EXPECT_EQ(start(), RunOutcome::Abandoned);
        EXPECT_FALSE(run.IsRunning());
        const auto files = outputs();
        EXPECT_FALSE(files.empty());
        EXPECT_LT(files.size(), 120u);
        for (const auto& [name, bytes] : files) {
            EXPECT_NE(name.front(), '.') << "a temporary file was left: " << name;
            EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF") << name;
        }
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Abandoned}));
    }

} // namespace
} // namespace orvandel

namespace orvandel {
namespace {

    // Surroundings that fail once while a photo is told to them.
    class FailingOnceHost : public test::RecordingRunHost
    {
    public:
        void photoFinished(const PhotoResult& result) override
        {
            if (!m_failed) {
                m_failed = true;
                throw std::runtime_error("the window is gone");
            }
            RecordingRunHost::photoFinished(result);
        }

    private:
        bool m_failed = false;
    };

    TEST(ThoroughRunSurroundings, AFailureOfTheHostWhileReadingIsReportedAndTheRunGoesOn)
    {
        test::TempDir dir;
        FailingOnceHost host;
        host.folder = dir.mkdir("out");
        host.items.push_back(dir.write("a.vcf",
                                       "BEGIN:VCARD\r\nFN:Ann\r\nPHOTO:" + test::ToBase64(test::JpegImage())
                                           + "\r\nEND:VCARD\r\n"));
        host.items.push_back(dir.write("b.vcf",
                                       "BEGIN:VCARD\r\nFN:Bob\r\nPHOTO:" + test::ToBase64(test::GifImage())
                                           + "\r\nEND:VCARD\r\n"));
        RunLoop run;
        ThoroughExtractor extractor;
        EXPECT_EQ(run.start(host, host, extractor), RunOutcome::Finished);
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::ReadCards);
        EXPECT_EQ(host.failures[0].description, "the window is gone");
        EXPECT_EQ(test::FilesIn(host.folder),
                  (std::map<std::string, std::string> {{"Ann.jpg", test::JpegImage()},
                                                       {"Bob.gif", test::GifImage()}}));
        EXPECT_EQ(host.outcomes(), (std::vector<RunOutcome> {RunOutcome::Finished}));
        EXPECT_FALSE(run.IsRunning());
    }

} // namespace
} // namespace orvandel
