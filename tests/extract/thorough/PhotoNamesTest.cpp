#include "extract/thorough/PhotoNames.h"

#include "extract/OutputNames.h"
#include "support/SimulatedFolder.h"
#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"
#include "util/WrittenFiles.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct SafeCase
    {
        const char* name;
        std::string text;
        std::string safe;
    };

    class SafeNameTest : public ::testing::TestWithParam<SafeCase>
    {
    };

    TEST_P(SafeNameTest, GivesANameBothSystemsAccept)
    {
        EXPECT_EQ(MakeSafeFileName(GetParam().text), GetParam().safe);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        SafeNameTest,
        ::testing::Values(SafeCase {"Plain", "Ann Smith", "Ann Smith"},
                          SafeCase {"ForbiddenCharacters", "a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
                          SafeCase {"ControlCharacters",
                                    std::string("a\x01"
                                                "b\x7F"
                                                "c\0d",
                                                7),
                                    "a_b_c_d"},
                          SafeCase {"LineBreaksAndTabsBecomeBlanks", "Ann\nSmith\tJr", "Ann Smith Jr"},
                          SafeCase {"TrailingDotsAndBlanks", "Ann Smith. . ", "Ann Smith"},
                          SafeCase {"LeadingBlanks", "  Ann", "Ann"},
                          SafeCase {"LeadingDotWouldHide", ".hidden", "_hidden"},
                          SafeCase {"OnlyDots", "...", ""},
                          SafeCase {"DotDot", "..", ""},
                          SafeCase {"ReservedDevice", "CON", "CON_"},
                          SafeCase {"ReservedInLowerCase", "nul", "nul_"},
                          SafeCase {"ReservedWithNumber", "com1", "com1_"},
                          SafeCase {"ReservedBeforeADot", "aux.txt", "aux_.txt"},
                          SafeCase {"ReservedBeforeBlankAndDot", "Lpt9 .x", "Lpt9_ .x"},
                          SafeCase {"NotReservedWhenLonger", "CONSOLE", "CONSOLE"},
                          SafeCase {"ConsoleInput", "CONIN$", "CONIN$_"},
                          SafeCase {"ReservedAtTheLongestLength", "con." + std::string(146, 'a'),
                                    "con_." + std::string(145, 'a')},
                          SafeCase {"ConsoleOutputBeforeADot", "conout$.log", "conout$_.log"},
                          SafeCase {"SuperscriptOne", "COM\xC2\xB9", "COM\xC2\xB9_"},
                          SafeCase {"SuperscriptThree", "lpt\xC2\xB3.txt", "lpt\xC2\xB3_.txt"},
                          SafeCase {"NotReservedWithOtherSuperscripts", "COM\xE2\x81\xB4", "COM\xE2\x81\xB4"},
                          SafeCase {"Utf8Kept", "Zoë Ōtsuka 张三", "Zoë Ōtsuka 张三"},
                          SafeCase {"BrokenUtf8", "Zo\xEB", "Zo_"},
                          SafeCase {"C1ControlCharacters",
                                    "Caf\xC2\x80 \xC2\x93"
                                    "Bar\xC2\x94\xC2\x9F",
                                    "Caf_ _Bar__"},
                          SafeCase {"NextToC1", "\xC2\xA0x\xC2\xA9", "\xC2\xA0x©"},
                          SafeCase {"LongNameCutAtACharacter", std::string(149, 'a') + "é" + "tail",
                                    std::string(149, 'a')},
                          SafeCase {"Empty", "", ""}),
        [](const auto& info) { return std::string(info.param.name); });

    struct TemplateCase
    {
        const char* name;
        std::string pattern;
        NameFields fields;
        std::string expanded;
    };

    class TemplateTest : public ::testing::TestWithParam<TemplateCase>
    {
    };

    TEST_P(TemplateTest, Expands)
    {
        EXPECT_EQ(NameTemplate::parse(GetParam().pattern).expand(GetParam().fields), GetParam().expanded);
    }

    const NameFields kAnn {"export", "Ann Smith", 3, "urn:uuid:1234"};
    const NameFields kNoFn {"export", "", 7, ""};

    INSTANTIATE_TEST_SUITE_P(
        Table,
        TemplateTest,
        ::testing::Values(
            TemplateCase {"Default", "{fn}", kAnn, "Ann Smith"},
            TemplateCase {"DefaultWithoutFn", "{fn}", kNoFn, "export-7"},
            TemplateCase {"AllFields", "{file} {n} {fn} {uid}", kAnn, "export 3 Ann Smith urn_uuid_1234"},
            TemplateCase {"FnMissingInsideText", "photo of {fn}", kNoFn, "photo of export-7"},
            TemplateCase {"EmptyUidFallsBack", "{uid}", kNoFn, "export-7"},
            TemplateCase {"Braces", "{{{n}}}", kAnn, "{3}"},
            TemplateCase {"SlashInTemplateStaysInTheFolder", "{file}/{fn}", kAnn, "export_Ann Smith"},
            TemplateCase {"UnsafeFn", "{fn}", NameFields {"x", "AC/DC: Live?", 1, ""}, "AC_DC_ Live_"},
            TemplateCase {"NothingLeftFallsBack", "{fn}", NameFields {"x", "...", 2, ""}, "x-2"},
            TemplateCase {"LiteralOnly", "photo", kAnn, "photo"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(NameTemplate, RefusesWhatItCannotExpand)
    {
        for (const char* pattern : {"{name}", "{fn", "fn}", "{}", "{FN}"})
            EXPECT_THROW(NameTemplate::parse(pattern), NameTemplateError) << pattern;
    }

    TEST(NameTemplate, DefaultsToTheFullName)
    {
        EXPECT_EQ(NameTemplate().text(), "{fn}");
        EXPECT_EQ(NameTemplate().expand(kAnn), "Ann Smith");
    }

    // The thorough run's names in folders of this machine's rules.
    class ThoroughNamesTest : public ::testing::Test
    {
    protected:
        // Writes a photo of the name `stem` into `folder`, whose text is `folderText`.
        std::string write(const std::shared_ptr<test::SimulatedFolder>& folder,
                          const std::string& folderText,
                          const std::string& stem,
                          const std::string& extension = ".jpg")
        {
            ReplacingFile file(folder, folder->path());
            file.create();
            file.write(stem);
            file.close();
            return names.place(file, written, folderText, stem, extension);
        }
        std::string write(const std::string& stem, const std::string& extension = ".jpg")
        {
            return write(out, "out/", stem, extension);
        }

        std::shared_ptr<test::SimulatedFolder> out = test::SimulatedFolder::make(
            test::SimulatedFolder::Names::Exact, test::SimulatedFolder::Numbers::Stable);
        OutputNames names {kThoroughNameRules};
        WrittenFiles written;
    };

    TEST_F(ThoroughNamesTest, NumbersANameWrittenBefore)
    {
        const auto other = test::SimulatedFolder::make(test::SimulatedFolder::Names::Exact,
                                                       test::SimulatedFolder::Numbers::Stable);
        EXPECT_EQ(write("Ann"), "out/Ann.jpg");
        EXPECT_EQ(write("Ann"), "out/Ann (2).jpg");
        EXPECT_EQ(write("Ann", ".png"), "out/Ann.png");
        EXPECT_EQ(write("Ann"), "out/Ann (3).jpg");
        EXPECT_EQ(write(other, "other/", "Ann"), "other/Ann.jpg");
    }

    TEST_F(ThoroughNamesTest, IgnoresCaseAsWindowsDoes)
    {
        EXPECT_EQ(write("Ann"), "out/Ann.jpg");
        EXPECT_EQ(write("ANN", ".JPG"), "out/ANN (2).JPG");
    }

    TEST_F(ThoroughNamesTest, ANumberedNameFromACardIsNotTakenTwice)
    {
        EXPECT_EQ(write("Ann (2)"), "out/Ann (2).jpg");
        EXPECT_EQ(write("Ann"), "out/Ann.jpg");
        EXPECT_EQ(write("Ann"), "out/Ann (3).jpg");
    }

    TEST_F(ThoroughNamesTest, KeepsFoldersApart)
    {
        const auto upper = test::SimulatedFolder::make(test::SimulatedFolder::Names::Exact,
                                                       test::SimulatedFolder::Numbers::Stable);
        EXPECT_EQ(write("Ann"), "out/Ann.jpg");
        EXPECT_EQ(write(upper, "OUT/", "ann"), "OUT/ann (2).jpg") << "folders fold like names";
        EXPECT_EQ(write(upper, "out/../OUT/", "ANN"), "out/../OUT/ANN (3).jpg")
            << "two spellings, one folder";
    }

    TEST(OutputNames, TheClassicRulesKeepCaseAndGiveAnInputItsOwnName)
    {
        const auto folder = test::SimulatedFolder::make(test::SimulatedFolder::Names::Exact,
                                                        test::SimulatedFolder::Numbers::Stable);
        OutputNames names {kClassicNameRules};
        WrittenFiles written;
        const auto write = [&](const std::string& input, const std::string& stem) {
            ReplacingFile file(folder, folder->path());
            file.create();
            file.write(input);
            file.close();
            return names.place(file, written, "out", stem, ".jpg", input);
        };
        EXPECT_EQ(write("a/Ann.vcf", "Ann"), "out" + std::string(1, kSeparator) + "Ann.jpg");
        EXPECT_EQ(write("b/ANN.vcf", "ANN"), "out" + std::string(1, kSeparator) + "ANN.jpg");
        EXPECT_EQ(write("c/Ann.vcf", "Ann"), "out" + std::string(1, kSeparator) + "Ann (2).jpg");
        EXPECT_EQ(write("a/./Ann.vcf", "Ann"), "out" + std::string(1, kSeparator) + "Ann.jpg")
            << "the same input, spelt otherwise";
        EXPECT_EQ(write("c/Ann.vcf", "Ann"), "out" + std::string(1, kSeparator) + "Ann (2).jpg");
        EXPECT_EQ(folder->read("Ann.jpg"), "a/./Ann.vcf");
    }

    // The thorough run's names on file systems with other rules than this machine's.
    class PhotoPlacementTest : public ::testing::TestWithParam<test::SimulatedFolderKind>
    {
    protected:
        // Writes `bytes` as a photo of the name `stem`, as the run does; returns its path.
        std::string write(const std::string& stem, const std::string& bytes)
        {
            ReplacingFile file(folder, folder->path());
            file.create();
            file.write(bytes);
            file.close();
            return names.place(file, written, folder->path(), stem, ".jpg");
        }
        std::string read(const std::string& path) const { return folder->read(path.substr(4)); }
        bool ignoresCase() const { return GetParam().names != test::SimulatedFolder::Names::Exact; }

        std::shared_ptr<test::SimulatedFolder> folder
            = test::SimulatedFolder::make(GetParam().names, GetParam().numbers);
        OutputNames names {kThoroughNameRules};
        WrittenFiles written;
    };

    TEST_P(PhotoPlacementTest, FoldsCaseEverywhere)
    {
        EXPECT_EQ(write("Ann", "1"), "sim/Ann.jpg");
        EXPECT_EQ(write("ANN", "2"), "sim/ANN (2).jpg");
        EXPECT_EQ(write("ann", "3"), "sim/ann (3).jpg");
        EXPECT_EQ(folder->entries(),
                  (std::map<std::string, std::string> {
                      {"Ann.jpg", "1"}, {"ANN (2).jpg", "2"}, {"ann (3).jpg", "3"}}));
    }

    TEST_P(PhotoPlacementTest, ReplacesAFileOfExactlyItsName)
    {
        folder->addFile("Ann.jpg", "old");
        EXPECT_EQ(write("Ann", "new"), "sim/Ann.jpg");
        EXPECT_EQ(folder->entries(), (std::map<std::string, std::string> {{"Ann.jpg", "new"}}));
    }

    TEST_P(PhotoPlacementTest, KeepsAnotherSpellingThatStoodThereBefore)
    {
        folder->addFile("BOB.JPG", "old");
        const auto path = write("Bob", "new");
        EXPECT_EQ(read(path), "new");
        EXPECT_EQ(folder->entries().at("BOB.JPG"), "old");
        EXPECT_EQ(path, ignoresCase() ? "sim/Bob (2).jpg" : "sim/Bob.jpg");
    }

    TEST_P(PhotoPlacementTest, PassesOverANameThatAFolderObstructs)
    {
        folder->addFolder("Ada (2).jpg");
        std::vector<std::string> paths;
        for (int i = 0; i < 4; ++i)
            paths.push_back(write("Ada", std::to_string(i)));
        EXPECT_EQ(paths,
                  (std::vector<std::string> {"sim/Ada.jpg", "sim/Ada (3).jpg", "sim/Ada (4).jpg",
                                             "sim/Ada (5).jpg"}));
        EXPECT_EQ(folder->entries().at("Ada (2).jpg"), "<folder>");
    }

    TEST_P(PhotoPlacementTest, KeepsTwoFormsOfOneLetterApart)
    {
        const auto composed = write("Jos\xC3\xA9", "one character");
        const auto decomposed = write("Jose\xCC\x81", "letter and accent");
        EXPECT_EQ(read(composed), "one character");
        EXPECT_EQ(read(decomposed), "letter and accent");
        EXPECT_EQ(folder->entries().size(), 2u);
    }

    TEST_P(PhotoPlacementTest, KeepsAShortNameApartFromItsLongName)
    {
        const auto full = write("Photograph", "long");
        const auto alias = write("PHOTOG~1", "short");
        EXPECT_EQ(read(full), "long");
        EXPECT_EQ(read(alias), "short");
        EXPECT_EQ(folder->entries().size(), 2u);
    }

    INSTANTIATE_TEST_SUITE_P(FileSystems,
                             PhotoPlacementTest,
                             ::testing::ValuesIn(test::kSimulatedFolderKinds),
                             [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
