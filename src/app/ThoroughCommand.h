#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace orvandel {

// The options of "orvandel extract" that belong to the thorough run.
struct ThoroughCommandOptions
{
    bool thorough = false;
    bool logos = false;
    bool unique = false;
    std::optional<std::string> nameTemplate;
    std::vector<std::string> thoroughOnly; // the thorough-only options given, as written
};

enum class OptionMatch
{
    NotMine, // not a thorough option: the caller looks at it
    Taken, // taken, with its value when it has one
    Wrong, // a thorough option without its value or with a wrong one; see the message
};

// Looks at args[i]: --thorough, --logos, --unique, --name TEMPLATE or --name=TEMPLATE. Moves `i`
// past a value that it takes.
OptionMatch TakeThoroughOption(const std::vector<std::string>& args,
                               std::size_t& i,
                               ThoroughCommandOptions& options,
                               std::string& message);

// After all arguments: a message when thorough-only options were given without --thorough.
std::optional<std::string> CheckThoroughOptions(const ThoroughCommandOptions& options);

// The part of the help that tells of the thorough run.
const char* ThoroughUsage();

// Runs the thorough extraction. Returns the exit status: 0 when every photo went well, 1 when
// any failed, 2 when the run could not start.
int RunThoroughExtract(const ThoroughCommandOptions& options,
                       std::vector<std::string> inputs,
                       std::string outputFolder,
                       bool json,
                       std::ostream& out,
                       std::ostream& err,
                       bool errIsTerminal);

} // namespace orvandel
