#include "Application.h"

#include "WindowStart.h"
#include "cli/CommandLine.h"
#include "cli/DisplayCheck.h"
#include "cli/StopSignals.h"
#include "cli/TerminalText.h"
#include "extract/base64/Base64Kernel.h"

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

    // The decoders' kernel is chosen by ORVANDEL_BASE64_KERNEL (see ChooseBase64Kernel). A value
    // that names no kernel is told and refused before a run reads anything, rather than run with
    // another kernel; a kernel this machine cannot run gives the fastest one it can.
    bool KnowsTheKernelAskedFor()
    {
        const char* asked = std::getenv("ORVANDEL_BASE64_KERNEL");
        if (ChooseBase64Kernel(asked))
            return true;
        const auto names = KnownBase64KernelNames();
        std::string known;
        for (std::size_t i = 0; i < names.size(); ++i)
            known.append(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ").append(names[i]);
        std::cerr << "orvandel: ORVANDEL_BASE64_KERNEL=" << TerminalText(asked) << ": unknown kernel; use "
                  << known << '\n';
        return false;
    }

} // namespace

int RunApplication(int argc, char* argv[])
{
    const StartRequest request = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    // The window and "orvandel extract" decode; the help, the version and a usage error do not.
    const auto* command = std::get_if<CommandRequest>(&request);
    const bool runs = !command || std::holds_alternative<ExtractRequest>(*command);
    if (runs && !KnowsTheKernelAskedFor())
        return 2;
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
