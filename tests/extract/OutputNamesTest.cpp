#include "extract/OutputNames.h"

#include "support/SimulatedFolder.h"
#include "util/FileError.h"
#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"
#include "util/WrittenFiles.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using test::SimulatedFolder;
    using test::SimulatedFolderKind;

    // The classic run's names on file systems with other rules than this machine's.
    class OutputNamesTest : public ::testing::TestWithParam<SimulatedFolderKind>
    {
    protected:
        // Writes `bytes` as the photo of `input`, as the run does; returns its path.
        std::string write(const std::string& input, const std::string& bytes)
        {
            ReplacingFile file(folder, folder->path());
            file.create();
            file.write(bytes);
            file.close();
            return names.place(file, written, folder->path(), OutputNames::classicStem(input), ".jpg", input);
        }
        std::string read(const std::string& path) const { return folder->read(GetFileName(path)); }
        bool ignoresCase() const { return GetParam().names != SimulatedFolder::Names::Exact; }

        std::shared_ptr<SimulatedFolder> folder = SimulatedFolder::make(GetParam().names, GetParam().numbers);
        OutputNames names {kClassicNameRules};
        WrittenFiles written;
    };

    TEST_P(OutputNamesTest, DifferentInputsNeverShareAFile)
    {
        const auto a = write("a/Card.vcf", "A");
        const auto b = write("b/card.vcf", "B");
        const auto c = write("c/CARD.vcf", "C");
        const auto again = write("a/Card.vcf", "A again");
        EXPECT_EQ(again, a) << "the same input rewrites its own file";
        EXPECT_EQ(read(a), "A again");
        EXPECT_EQ(read(b), "B");
        EXPECT_EQ(read(c), "C");
        EXPECT_EQ(folder->entries().size(), 3u);
        if (ignoresCase())
            EXPECT_EQ((std::vector<std::string> {a, b, c}),
                      (std::vector<std::string> {"sim/Card.jpg", "sim/card (2).jpg", "sim/CARD (3).jpg"}));
        else
            EXPECT_EQ((std::vector<std::string> {a, b, c}),
                      (std::vector<std::string> {"sim/Card.jpg", "sim/card.jpg", "sim/CARD.jpg"}));
    }

    TEST_P(OutputNamesTest, ReplacesAFileThatStoodThereBefore)
    {
        folder->addFile("card.jpg", "old");
        EXPECT_EQ(write("x/card.vcf", "new"), "sim/card.jpg");
        EXPECT_EQ(folder->entries(), (std::map<std::string, std::string> {{"card.jpg", "new"}}));
    }

    TEST_P(OutputNamesTest, KeepsAnotherSpellingThatStoodThereBefore)
    {
        folder->addFile("CARD.JPG", "old");
        const auto path = write("x/card.vcf", "new");
        EXPECT_EQ(read(path), "new");
        EXPECT_EQ(folder->entries().at("CARD.JPG"), "old") << "another name's file is not replaced";
        EXPECT_EQ(path, ignoresCase() ? "sim/card (2).jpg" : "sim/card.jpg");
    }

    TEST_P(OutputNamesTest, TellsAFolderStandingAtTheName)
    {
        folder->addFolder("card.jpg");
        try {
            write("x/card.vcf", "new");
            FAIL() << "wrote over a folder";
        } catch (const FileError& error) {
            EXPECT_EQ(error.kind(), FileErrorKind::ReplaceFailed);
            EXPECT_EQ(std::string(error.what()), "Cannot replace the file (Is a directory): sim/card.jpg");
        }
        EXPECT_EQ(folder->entries(), (std::map<std::string, std::string> {{"card.jpg", "<folder>"}}));
    }

    TEST_P(OutputNamesTest, KeepsTwoFormsOfOneLetterApart)
    {
        const auto composed = write("a/Jos\xC3\xA9.vcf", "one character");
        const auto decomposed = write("b/Jose\xCC\x81.vcf", "letter and accent");
        EXPECT_EQ(read(composed), "one character");
        EXPECT_EQ(read(decomposed), "letter and accent");
        EXPECT_EQ(decomposed,
                  GetParam().names == SimulatedFolder::Names::IgnoreCaseAndForm ? "sim/Jose\xCC\x81 (2).jpg"
                                                                                : "sim/Jose\xCC\x81.jpg");
    }

    TEST_P(OutputNamesTest, KeepsAShortNameApartFromItsLongName)
    {
        const auto full = write("a/Photograph.vcf", "long");
        const auto alias = write("b/PHOTOG~1.vcf", "short");
        EXPECT_EQ(read(full), "long");
        EXPECT_EQ(read(alias), "short");
        EXPECT_EQ(alias,
                  GetParam().names == SimulatedFolder::Names::ShortNames ? "sim/PHOTOG~1 (2).jpg"
                                                                         : "sim/PHOTOG~1.jpg");
    }

    // The classic image is named after its card file; on Windows never after a device.
    struct StemCase
    {
        const char* name;
        std::string input;
        std::string stem; // elsewhere
        std::string windowsStem;
    };

    class ClassicStemTest : public ::testing::TestWithParam<StemCase>
    {
    };

    TEST_P(ClassicStemTest, IsTheCardFilesNameMadeSafeOnWindows)
    {
#if defined(_WIN32)
        EXPECT_EQ(OutputNames::classicStem(GetParam().input), GetParam().windowsStem);
#else
        EXPECT_EQ(OutputNames::classicStem(GetParam().input), GetParam().stem);
#endif
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        ClassicStemTest,
        ::testing::Values(StemCase {"Plain", "cards/Ann Smith.vcf", "Ann Smith", "Ann Smith"},
                          StemCase {"TwoDots", "card.one.vcf", "card.one", "card.one"},
                          StemCase {"Aux", "cards/aux.vcf", "aux", "aux_"},
                          StemCase {"NulWithABlank", "cards/nul .vcf", "nul ", "nul_"},
                          StemCase {"Com1", "COM1.vcf", "COM1", "COM1_"},
                          StemCase {"ConsoleInput", "CONIN$.vcf", "CONIN$", "CONIN$_"},
                          StemCase {"ConsoleOutput", "conout$.vcard", "conout$", "conout$_"},
                          StemCase {"SuperscriptDigit", "LPT\xC2\xB2.vcf", "LPT\xC2\xB2", "LPT\xC2\xB2_"},
                          StemCase {"ThroughAPrefixedPath", "\\\\?\\C:\\cards\\prn.vcf",
                                    "\\\\?\\C:\\cards\\prn", "prn_"},
                          StemCase {"TrailingDot", "cards/Ann..vcf", "Ann.", "Ann"},
                          // A leading dot is a name Windows holds as it is.
                          StemCase {"OnlyAnExtension", "cards/.vcf", ".vcf", ".vcf"},
                          StemCase {"LeadingDot", "cards/.ann.vcf", ".ann", ".ann"}),
        [](const auto& info) { return std::string(info.param.name); });

    INSTANTIATE_TEST_SUITE_P(FileSystems,
                             OutputNamesTest,
                             ::testing::ValuesIn(test::kSimulatedFolderKinds),
                             [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
