#pragma once

#include <string>

namespace orvandel {

// What "orvandel --help" shows: the command line, then the thorough run's part.
std::string CommandLineHelp();

} // namespace orvandel
