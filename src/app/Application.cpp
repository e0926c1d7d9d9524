#include "Application.h"

#include "CommandLine.h"
#include "DisplayCheck.h"
#include "StopSignals.h"
#include "TerminalText.h"
#include "WindowStart.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#elif defined(_WIN32)
#include <io.h>
#endif

namespace orvandel {

namespace {

    bool IsTerminal([[maybe_unused]] int fd)
    {
#if defined(__unix__) || defined(__APPLE__)
        return ::isatty(fd) == 1;
#elif defined(_WIN32)
        return ::_isatty(fd) != 0;
#else
        return false;
#endif
    }

} // namespace

int RunApplication(int argc, char* argv[])
{
    const StartRequest request = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* window = std::get_if<WindowRequest>(&request)) {
        if (!HasWindow())
            return StartWindow(argv[0], *window);
        // Without a display the window system would end the program with an abort; it is
        // started only when the platform it would take can start.
        if (const auto missing
            = MissingDisplay(*window, [](const char* name) { return std::getenv(name); })) {
            std::cerr << TerminalText(*missing) << '\n';
            return 2;
        }
        return StartWindow(argv[0], *window);
    }
    CatchStopSignals();
    return RunCommandLine(std::get<CommandRequest>(request), std::cout, std::cerr, IsTerminal(2),
                          IsTerminal(1));
}

} // namespace orvandel
