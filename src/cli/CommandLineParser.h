#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvandel {

// The options of "orvandel extract" that belong to the thorough run.
struct ThoroughCommandOptions
{
    bool thorough = false;
    bool logos = false;
    bool unique = false;
    std::optional<std::string> nameTemplate; // checked: it parses as a NameTemplate
    bool fetch = false; // photos behind http and https addresses are fetched (implies thorough)
    bool fetchLocal = false; // addresses of this machine and the local network too
    std::chrono::seconds fetchTimeout {60};
    // Not from the arguments: names resolved to given addresses, and certificates trusted instead
    // of the system's (the tests' seams; see FetchSettings).
    std::vector<std::string> fetchResolve {};
    std::string fetchCaFile {};
};

// orvandel extract -o DIR [--json] [--pattern GLOB]... [thorough options] PATH...
struct ExtractRequest
{
    std::string outputFolder;
    bool json = false;
    bool summary = false; // the summary line on stderr, which a terminal has without asking
    std::vector<std::string> patterns; // never empty: *.vcf and *.vcard unless --pattern is given
    std::vector<std::string> inputs; // as given, in their order
    ThoroughCommandOptions thorough;
};

// orvandel --help, orvandel extract --help
struct HelpRequest
{
};

// orvandel --version
struct VersionRequest
{
};

// Arguments that ask for nothing the program does; the message follows "orvandel: ".
struct UsageError
{
    std::string message;
};

// orvandel [--thorough] [PATH...], with the window system's own options among them.
struct WindowRequest
{
    std::vector<std::string> paths; // to be listed as if dropped, their bytes as given
    bool thorough = false;
    bool fetchLocal = false; // photos fetched when asked may be on this machine or the local network
    // Qt's own options (-platform NAME, -style NAME, -reverse, ...) as written, with their values:
    // all that the window system is given, so that a name after "--" stays a name.
    std::vector<std::string> qtArguments;
    std::optional<std::string> platform; // the last "-platform NAME"
    bool displayGiven = false; // "-display NAME"
};

// What the command line does: a command, or a usage error told on stderr with the status 2.
using CommandRequest = std::variant<ExtractRequest, HelpRequest, VersionRequest, UsageError>;
// What the program is started for: the command line, or the window.
using StartRequest = std::variant<CommandRequest, WindowRequest>;

// Reads the arguments after the program's name. The first word decides: "extract", "--help" or
// "-h", "--version" are commands; no word, an option or an existing file or folder opens the
// window; any other word is a mistake to tell (a mistyped command, a missing file).
StartRequest ParseCommandLine(const std::vector<std::string>& args);

} // namespace orvandel
