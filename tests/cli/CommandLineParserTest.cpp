#include "cli/CommandLineParser.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    const std::vector<std::string> kDefaultPatterns {"*.vcf", "*.vcard"};

    struct ExtractCase
    {
        const char* name;
        std::vector<std::string> args; // after "extract"
        std::string outputFolder;
        std::vector<std::string> inputs;
        bool json = false;
        std::vector<std::string> patterns = kDefaultPatterns;
        ThoroughCommandOptions thorough = {};
    };

    class ExtractArgumentsTest : public ::testing::TestWithParam<ExtractCase>
    {
    };

    TEST_P(ExtractArgumentsTest, GiveTheRequest)
    {
        std::vector<std::string> args {"extract"};
        args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
        const StartRequest parsed = ParseCommandLine(args);
        ASSERT_TRUE(std::holds_alternative<CommandRequest>(parsed));
        const auto& command = std::get<CommandRequest>(parsed);
        if (const auto* error = std::get_if<UsageError>(&command))
            FAIL() << error->message;
        ASSERT_TRUE(std::holds_alternative<ExtractRequest>(command));
        const auto& request = std::get<ExtractRequest>(command);
        EXPECT_EQ(request.outputFolder, GetParam().outputFolder);
        EXPECT_EQ(request.inputs, GetParam().inputs);
        EXPECT_EQ(request.json, GetParam().json);
        EXPECT_EQ(request.patterns, GetParam().patterns);
        EXPECT_EQ(request.thorough.thorough, GetParam().thorough.thorough);
        EXPECT_EQ(request.thorough.logos, GetParam().thorough.logos);
        EXPECT_EQ(request.thorough.unique, GetParam().thorough.unique);
        EXPECT_EQ(request.thorough.nameTemplate, GetParam().thorough.nameTemplate);
        EXPECT_EQ(request.thorough.fetch, GetParam().thorough.fetch);
        EXPECT_EQ(request.thorough.fetchLocal, GetParam().thorough.fetchLocal);
        EXPECT_EQ(request.thorough.fetchTimeout, GetParam().thorough.fetchTimeout);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        ExtractArgumentsTest,
        ::testing::Values(
            ExtractCase {"LetterAndItsValue", {"-o", "out", "a.vcf"}, "out", {"a.vcf"}},
            ExtractCase {"ValueJoinedToTheLetter", {"-oout", "a.vcf"}, "out", {"a.vcf"}},
            ExtractCase {"LongOptionWithEquals", {"--output=out", "a.vcf"}, "out", {"a.vcf"}},
            ExtractCase {"LongOptionAndItsValue", {"--output", "out"}, "out", {}},
            ExtractCase {"EmptyFolderAfterEquals", {"--output=", "a.vcf"}, "", {"a.vcf"}},
            ExtractCase {"OptionsAmongPaths",
                         {"a.vcf", "-o", "out", "b.vcf", "--json"},
                         "out",
                         {"a.vcf", "b.vcf"},
                         true},
            ExtractCase {"DoubleDashEndsTheOptions",
                         {"-o", "out", "--", "-x.vcf", "--json", "--"},
                         "out",
                         {"-x.vcf", "--json", "--"}},
            ExtractCase {"DashAndEmptyWordAreInputs", {"-o", "out", "-", ""}, "out", {"-", ""}},
            ExtractCase {"AValueMayLookLikeAnOption", {"-o", "--json", "a.vcf"}, "--json", {"a.vcf"}},
            ExtractCase {"TheLastFolderCounts", {"-o", "one", "--output=two"}, "two", {}},
            ExtractCase {"PatternsInTheirOrder",
                         {"--pattern", "*.txt", "--pattern=*.VCF", "-o", "out"},
                         "out",
                         {},
                         false,
                         {"*.txt", "*.VCF"}},
            ExtractCase {"ThoroughOptions",
                         {"--thorough", "--logos", "--unique", "--name={fn} {n}", "-o", "out", "x.vcf"},
                         "out",
                         {"x.vcf"},
                         false,
                         kDefaultPatterns,
                         {true, true, true, "{fn} {n}"}},
            ExtractCase {"NameAsAWordOfItsOwn",
                         {"--name", "{uid}", "--thorough", "-o", "out"},
                         "out",
                         {},
                         false,
                         kDefaultPatterns,
                         {true, false, false, "{uid}"}},
            ExtractCase {"FetchImpliesThorough",
                         {"--fetch", "-o", "out"},
                         "out",
                         {},
                         false,
                         kDefaultPatterns,
                         {true, false, false, std::nullopt, true}},
            ExtractCase {"FetchOptions",
                         {"--fetch-local", "--fetch-timeout=5", "--fetch", "-o", "out"},
                         "out",
                         {},
                         false,
                         kDefaultPatterns,
                         {true, false, false, std::nullopt, true, true, std::chrono::seconds(5)}}),
        [](const auto& info) { return std::string(info.param.name); });

    struct RefusalCase
    {
        const char* name;
        std::vector<std::string> args; // after the program's name
        std::string message; // after "orvandel: "
    };

    class RefusedArgumentsTest : public ::testing::TestWithParam<RefusalCase>
    {
    };

    TEST_P(RefusedArgumentsTest, GiveTheUsageError)
    {
        const StartRequest parsed = ParseCommandLine(GetParam().args);
        ASSERT_TRUE(std::holds_alternative<CommandRequest>(parsed)) << "the window would open";
        const auto* error = std::get_if<UsageError>(&std::get<CommandRequest>(parsed));
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->message, GetParam().message);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        RefusedArgumentsTest,
        ::testing::Values(
            // An abbreviation is no option: a typing mistake would become one.
            RefusalCase {"AbbreviatedOption", {"extract", "--out", "o", "a.vcf"}, "unknown option '--out'"},
            RefusalCase {"AbbreviatedThorough", {"extract", "--thor", "-o", "o"}, "unknown option '--thor'"},
            RefusalCase {"LettersAfterH", {"extract", "-hx"}, "unknown option '-hx'"},
            RefusalCase {
                "ValueForAFlag", {"extract", "--json=yes", "-o", "o"}, "unknown option '--json=yes'"},
            RefusalCase {"VersionIsNoExtractOption", {"extract", "--version"}, "unknown option '--version'"},
            RefusalCase {"UnknownLetter", {"extract", "-x", "-o", "o"}, "unknown option '-x'"},
            RefusalCase {"OutputAtTheEnd", {"extract", "--output"}, "option '--output' needs a folder"},
            RefusalCase {
                "PatternAtTheEnd", {"extract", "-o", "o", "--pattern"}, "option '--pattern' needs a pattern"},
            RefusalCase {
                "NameAtTheEnd", {"extract", "--thorough", "--name"}, "option '--name' needs a template"},
            RefusalCase {"PatternWithASlash",
                         {"extract", "--pattern", "a/*.vcf"},
                         "a pattern matches file names and cannot be empty or hold '/': 'a/*.vcf'"},
            RefusalCase {"EmptyPattern",
                         {"extract", "--pattern="},
                         "a pattern matches file names and cannot be empty or hold '/': ''"},
            RefusalCase {"FirstThoroughOnlyOptionNamed",
                         {"extract", "--unique", "--logos", "-o", "o"},
                         "option '--unique' needs --thorough"},
            RefusalCase {"FetchLocalWithoutFetch",
                         {"extract", "--thorough", "--fetch-local", "-o", "o"},
                         "option '--fetch-local' needs --fetch"},
            RefusalCase {"FetchTimeoutNotSeconds",
                         {"extract", "--fetch", "--fetch-timeout", "soon", "-o", "o"},
                         "--fetch-timeout 'soon': not a number of seconds from 1 to 86400"},
            RefusalCase {"FetchTimeoutZero",
                         {"extract", "--fetch", "--fetch-timeout=0", "-o", "o"},
                         "--fetch-timeout '0': not a number of seconds from 1 to 86400"},
            RefusalCase {
                "FirstMistakeCounts", {"extract", "--colour", "--help"}, "unknown option '--colour'"},
            // The window system's options take one dash.
            RefusalCase {"QtOptionWithTwoDashes", {"--platform", "offscreen"}, "unknown option '--platform'"},
            RefusalCase {"ThoroughWithOneDash", {"-thorough"}, "unknown option '-thorough'"},
            RefusalCase {
                "PlatformWithEquals", {"-platform=offscreen"}, "unknown option '-platform=offscreen'"},
            RefusalCase {"AbbreviatedQtOption", {"-plat", "offscreen"}, "unknown option '-plat'"},
            RefusalCase {"UnknownWindowOption", {"--thorough", "-x"}, "unknown option '-x'"},
            RefusalCase {"ValueForTheWindowsFlag", {"--thorough=yes"}, "unknown option '--thorough=yes'"},
            RefusalCase {
                "QtOptionWithoutItsValue", {"--thorough", "-style"}, "option '-style' needs a value"}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(ExtractArguments, HelpEndsTheReadingWhereItStands)
    {
        const auto parsed = ParseCommandLine({"extract", "-o", "out", "--help", "--colour"});
        ASSERT_TRUE(std::holds_alternative<CommandRequest>(parsed));
        EXPECT_TRUE(std::holds_alternative<HelpRequest>(std::get<CommandRequest>(parsed)));
    }

    struct WindowCase
    {
        const char* name;
        std::vector<std::string> args; // the first an option or an existing file or folder
        std::vector<std::string> paths;
        bool thorough = false;
        std::vector<std::string> qtArguments = {};
        std::optional<std::string> platform = std::nullopt;
        bool displayGiven = false;
        bool fetchLocal = false;
    };

    class WindowArgumentsTest : public ::testing::TestWithParam<WindowCase>
    {
    };

    TEST_P(WindowArgumentsTest, GiveTheWindowsRequest)
    {
        const StartRequest parsed = ParseCommandLine(GetParam().args);
        if (const auto* command = std::get_if<CommandRequest>(&parsed)) {
            const auto* error = std::get_if<UsageError>(command);
            FAIL() << (error ? error->message : "a command, not the window");
        }
        const auto& request = std::get<WindowRequest>(parsed);
        EXPECT_EQ(request.paths, GetParam().paths);
        EXPECT_EQ(request.thorough, GetParam().thorough);
        EXPECT_EQ(request.qtArguments, GetParam().qtArguments);
        EXPECT_EQ(request.platform, GetParam().platform);
        EXPECT_EQ(request.displayGiven, GetParam().displayGiven);
        EXPECT_EQ(request.fetchLocal, GetParam().fetchLocal);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        WindowArgumentsTest,
        ::testing::Values(
            WindowCase {"Nothing", {}, {}},
            WindowCase {"Thorough", {"--thorough"}, {}, true},
            WindowCase {"PathsAsGiven", {"/", "cards", "/a/x.vcf"}, {"/", "cards", "/a/x.vcf"}},
            WindowCase {"ThoroughAmongPaths", {"/", "--thorough", "/b"}, {"/", "/b"}, true},
            WindowCase {"FetchLocal", {"--fetch-local", "/"}, {"/"}, false, {}, std::nullopt, false, true},
            WindowCase {"DashNamesAfterDoubleDash", {"--", "-x.vcf", "--thorough"}, {"-x.vcf", "--thorough"}},
            WindowCase {"BytesKept", {"--", "/tmp/\xFF.vcf"}, {"/tmp/\xFF.vcf"}},
            WindowCase {"QtOptionsWithTheirValues",
                        {"-platform", "offscreen", "-style", "fusion", "-reverse", "/"},
                        {"/"},
                        false,
                        {"-platform", "offscreen", "-style", "fusion", "-reverse"},
                        "offscreen"},
            WindowCase {"StyleAfterEquals", {"-style=fusion", "--thorough"}, {}, true, {"-style=fusion"}},
            WindowCase {"TheLastPlatformCounts",
                        {"-platform", "xcb", "-platform", "offscreen"},
                        {},
                        false,
                        {"-platform", "xcb", "-platform", "offscreen"},
                        "offscreen"},
            WindowCase {
                "DisplayOption", {"-display", ":1"}, {}, false, {"-display", ":1"}, std::nullopt, true},
            WindowCase {"QtOptionsAfterDoubleDashAreNames",
                        {"--", "-platform", "offscreen"},
                        {"-platform", "offscreen"}},
            WindowCase {"AValueMayLookLikeAnOption",
                        {"-qwindowtitle", "--thorough"},
                        {},
                        false,
                        {"-qwindowtitle", "--thorough"}}),
        [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
