#include "CommandLineParser.h"

#include "extract/thorough/PhotoNames.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <getopt.h>
#include <string_view>

namespace orvandel {

namespace {

    // An option as it may be written. getopt finds it; the spelling is checked here, for getopt
    // also takes an abbreviation ("--out" for "--output"), which would make a typing mistake an
    // option and a future option an old script's surprise.
    struct OptionRule
    {
        const char* name; // without its dashes
        int code;
        bool takesValue;
        int dashes; // 2 for ours ("--json"), 1 for the window system's ("-platform")
        bool valueAfterEquals; // "--name=TEMPLATE", "-style=fusion"
        char letter; // the one-letter form ("-o DIR", "-oDIR"), or 0
        const char* valueName = "a value"; // what a usage error says the option needs
    };

    // Codes beyond every character, for the options without a letter.
    enum Code : int
    {
        kPattern = 256,
        kJson,
        kSummary,
        kThorough,
        kLogos,
        kUnique,
        kName,
        kFetch,
        kFetchLocal,
        kFetchTimeout,
        kQtPlatform,
        kQtDisplay,
        kQtOther,
    };

    const OptionRule kExtractOptions[] = {
        {"output", 'o', true, 2, true, 'o', "a folder"},
        {"help", 'h', false, 2, false, 'h'},
        {"pattern", kPattern, true, 2, true, 0, "a pattern"},
        {"json", kJson, false, 2, false, 0},
        {"summary", kSummary, false, 2, false, 0},
        {"thorough", kThorough, false, 2, false, 0},
        {"logos", kLogos, false, 2, false, 0},
        {"unique", kUnique, false, 2, false, 0},
        {"name", kName, true, 2, true, 0, "a template"},
        {"fetch", kFetch, false, 2, false, 0},
        {"fetch-local", kFetchLocal, false, 2, false, 0},
        {"fetch-timeout", kFetchTimeout, true, 2, true, 0, "a number of seconds"},
    };

    // The longest transfer --fetch-timeout allows: a day.
    constexpr long kMaxFetchTimeout = 24 * 60 * 60;

    std::optional<std::chrono::seconds> Seconds(const std::string& text)
    {
        if (text.empty() || text.size() > 6
            || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const long value = std::stol(text);
        if (value < 1 || value > kMaxFetchTimeout)
            return std::nullopt;
        return std::chrono::seconds(value);
    }

    // The window's own option and those that Qt takes out of the arguments itself (QCoreApplication,
    // QGuiApplication, QApplication and the xcb platform of Qt 6). The window system takes them
    // with one dash; written with two, as "--platform", they are refused, as ever.
    const OptionRule kWindowOptions[] = {
        {"thorough", kThorough, false, 2, false, 0},
        {"fetch-local", kFetchLocal, false, 2, false, 0},
        {"platform", kQtPlatform, true, 1, false, 0},
        {"display", kQtDisplay, true, 1, false, 0},
        {"platformpluginpath", kQtOther, true, 1, false, 0},
        {"platformtheme", kQtOther, true, 1, false, 0},
        {"plugin", kQtOther, true, 1, false, 0},
        {"qwindowgeometry", kQtOther, true, 1, false, 0},
        {"geometry", kQtOther, true, 1, false, 0},
        {"qwindowtitle", kQtOther, true, 1, false, 0},
        {"title", kQtOther, true, 1, false, 0},
        {"qwindowicon", kQtOther, true, 1, false, 0},
        {"icon", kQtOther, true, 1, false, 0},
        {"session", kQtOther, true, 1, false, 0},
        {"style", kQtOther, true, 1, true, 0},
        {"stylesheet", kQtOther, true, 1, true, 0},
        {"qmljsdebugger", kQtOther, true, 1, true, 0},
        {"name", kQtOther, true, 1, false, 0},
        {"visual", kQtOther, true, 1, false, 0},
        {"reverse", kQtOther, false, 1, false, 0},
        {"testability", kQtOther, false, 1, false, 0},
        {"widgetcount", kQtOther, false, 1, false, 0},
        {"qdevel", kQtOther, false, 1, false, 0},
        {"qdebug", kQtOther, false, 1, false, 0},
        {"nograb", kQtOther, false, 1, false, 0},
        {"dograb", kQtOther, false, 1, false, 0},
    };

    // An option or an operand, as the scan found it.
    struct Found
    {
        const OptionRule* rule = nullptr; // the option; null for an operand (a word that is no option)
        std::string value; // the option's value; the operand
        std::vector<std::string> words; // the arguments it took, as written
    };

    bool SpeltExactly(const OptionRule& rule, std::string_view element)
    {
        const std::string written = std::string(static_cast<std::size_t>(rule.dashes), '-') + rule.name;
        if (element == written)
            return true;
        if (rule.takesValue && rule.valueAfterEquals
            && element.substr(0, written.size() + 1) == written + "=")
            return true;
        if (rule.letter == 0 || element.size() < 2 || element[0] != '-' || element[1] != rule.letter)
            return false;
        // "-o DIR" and "-oDIR"; a letter without a value stands alone ("-h", not "-hx").
        return rule.takesValue || element.size() == 2;
    }

    template<std::size_t N>
    const OptionRule* RuleOf(const OptionRule (&rules)[N], int code, std::string_view element)
    {
        for (const OptionRule& rule : rules) {
            if (rule.code == code && SpeltExactly(rule, element))
                return &rule;
        }
        return nullptr;
    }

    UsageError Unknown(std::string_view element)
    {
        return {"unknown option '" + std::string(element) + "'"};
    }

    // Walks `words` in their order with getopt_long (getopt_long_only where options take one
    // dash), giving `visit` the options and operands as they come, every word after "--" an
    // operand, until `visit` says to stop. Returns the usage error of an unknown option or of a
    // missing value.
    template<std::size_t N, class Visit>
    std::optional<UsageError>
    ScanWords(const std::vector<std::string>& words, const OptionRule (&rules)[N], bool oneDash, Visit visit)
    {
        std::vector<::option> longOptions;
        std::string shortOptions = "-:"; // operands in order, among the options; ':' for a missing value
        for (const OptionRule& rule : rules) {
            longOptions.push_back(
                {rule.name, rule.takesValue ? required_argument : no_argument, nullptr, rule.code});
            if (rule.letter != 0)
                shortOptions += std::string(1, rule.letter) + (rule.takesValue ? ":" : "");
        }
        longOptions.push_back({nullptr, 0, nullptr, 0});

        std::vector<std::string> storage {"orvandel"};
        storage.insert(storage.end(), words.begin(), words.end());
        std::vector<char*> argv;
        for (std::string& word : storage)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const int argc = static_cast<int>(storage.size());

        // getopt keeps its place in globals: 0 starts a scan afresh. Its own messages stay off;
        // the usage error tells the option as it was written.
        opterr = 0;
        optind = 0;
        for (;;) {
            // Each step begins at a word of its own: getopt is never left inside a word of
            // letters, for a letter without a value ("-h") stands alone or ends the reading.
            const int at = optind == 0 ? 1 : optind;
            const int code = oneDash
                ? ::getopt_long_only(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr)
                : ::getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
            if (code == -1)
                break;
            const std::string& element = storage[static_cast<std::size_t>(at)];
            Found found;
            if (code == 1) {
                found.value = optarg;
            } else {
                found.rule = code == '?' ? nullptr : RuleOf(rules, code == ':' ? optopt : code, element);
                if (!found.rule)
                    return Unknown(element);
                if (code == ':')
                    return UsageError {"option '" + element + "' needs " + found.rule->valueName};
                if (optarg)
                    found.value = optarg;
            }
            found.words.assign(storage.begin() + at, storage.begin() + std::max(optind, at + 1));
            if (!visit(found))
                return std::nullopt;
        }
        for (int i = optind; i < argc; ++i) {
            const std::string& operand = storage[static_cast<std::size_t>(i)];
            if (!visit(Found {nullptr, operand, {operand}}))
                break;
        }
        return std::nullopt;
    }

    CommandRequest ParseExtract(const std::vector<std::string>& words)
    {
        ExtractRequest request;
        std::optional<std::string> outputFolder;
        std::vector<std::string> thoroughOnly; // the thorough-only options given, as named
        std::vector<std::string> fetchOnly; // the options that go with --fetch, as named
        std::optional<CommandRequest> ended;
        const auto error = ScanWords(words, kExtractOptions, false, [&](const Found& found) {
            if (!found.rule) {
                request.inputs.push_back(found.value);
                return true;
            }
            switch (found.rule->code) {
            case 'o':
                outputFolder = found.value;
                break;
            case 'h':
                ended = HelpRequest {};
                return false;
            case kPattern:
                if (found.value.empty() || found.value.find('/') != std::string::npos) {
                    ended = UsageError {"a pattern matches file names and cannot be empty or hold '/': '"
                                        + found.value + "'"};
                    return false;
                }
                request.patterns.push_back(found.value);
                break;
            case kJson:
                request.json = true;
                break;
            case kSummary:
                request.summary = true;
                break;
            case kThorough:
                request.thorough.thorough = true;
                break;
            case kLogos:
                request.thorough.logos = true;
                thoroughOnly.push_back("--logos");
                break;
            case kUnique:
                request.thorough.unique = true;
                thoroughOnly.push_back("--unique");
                break;
            case kName:
                thoroughOnly.push_back("--name");
                try {
                    NameTemplate::parse(found.value);
                } catch (const NameTemplateError& problem) {
                    ended = UsageError {"--name '" + found.value + "': " + problem.what()};
                    return false;
                }
                request.thorough.nameTemplate = found.value;
                break;
            case kFetch:
                request.thorough.fetch = true;
                request.thorough.thorough = true;
                break;
            case kFetchLocal:
                request.thorough.fetchLocal = true;
                fetchOnly.push_back("--fetch-local");
                break;
            case kFetchTimeout:
                fetchOnly.push_back("--fetch-timeout");
                if (const auto seconds = Seconds(found.value)) {
                    request.thorough.fetchTimeout = *seconds;
                } else {
                    ended = UsageError {"--fetch-timeout '" + found.value
                                        + "': not a number of seconds from 1 to "
                                        + std::to_string(kMaxFetchTimeout)};
                    return false;
                }
                break;
            default:
                break;
            }
            return true;
        });
        if (error)
            return *error;
        if (ended)
            return *ended;
        if (!request.thorough.thorough && !thoroughOnly.empty())
            return UsageError {"option '" + thoroughOnly.front() + "' needs --thorough"};
        if (!request.thorough.fetch && !fetchOnly.empty())
            return UsageError {"option '" + fetchOnly.front() + "' needs --fetch"};
        if (!outputFolder)
            return UsageError {"extract needs the output folder: -o DIR"};
        request.outputFolder = std::move(*outputFolder);
        if (request.patterns.empty())
            request.patterns = {"*.vcf", "*.vcard"};
        return request;
    }

    StartRequest ParseWindow(const std::vector<std::string>& words)
    {
        WindowRequest request;
        const auto error = ScanWords(words, kWindowOptions, true, [&](const Found& found) {
            if (!found.rule) {
                request.paths.push_back(found.value);
                return true;
            }
            if (found.rule->code == kThorough) {
                request.thorough = true;
                return true;
            }
            if (found.rule->code == kFetchLocal) {
                request.fetchLocal = true;
                return true;
            }
            request.qtArguments.insert(request.qtArguments.end(), found.words.begin(), found.words.end());
            if (found.rule->code == kQtPlatform)
                request.platform = found.value;
            else if (found.rule->code == kQtDisplay)
                request.displayGiven = true;
            return true;
        });
        if (error)
            return CommandRequest {*error};
        return request;
    }

} // namespace

StartRequest ParseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return WindowRequest {};
    const std::string& first = args.front();
    if (first == "extract")
        return ParseExtract(std::vector<std::string>(args.begin() + 1, args.end()));
    if (first == "--help" || first == "-h")
        return CommandRequest {HelpRequest {}};
    if (first == "--version")
        return CommandRequest {VersionRequest {}};
    // A first word that is neither a command nor a file or folder is a mistake to tell, not a list
    // for the window.
    if (first.empty() || (first[0] != '-' && !FileExists(first))) {
        if (first.find('/') != std::string::npos || first.find('.') != std::string::npos)
            return CommandRequest {UsageError {"no such file or folder: '" + first + "'"}};
        return CommandRequest {UsageError {"unknown command '" + first + "'"}};
    }
    return ParseWindow(args);
}

} // namespace orvandel
