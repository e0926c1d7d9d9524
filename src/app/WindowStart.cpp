#include "WindowStart.h"

#include "cli/TerminalText.h"

#include <iostream>
#include <string>

#if defined(ORVANDEL_NO_WINDOW)
#elif defined(ORVANDEL_WINDOW_MODULE)
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>
#else
#include "WindowMain.h"
#endif

namespace orvandel {

#if defined(ORVANDEL_NO_WINDOW)

bool HasWindow()
{
    return false;
}

int StartWindow(const char*, const WindowRequest&)
{
    std::cerr << NoWindowMessage << '\n';
    return 2;
}

#elif defined(ORVANDEL_WINDOW_MODULE)

namespace {

    // The folder the program was started from, with its "/": where the module lies beside it,
    // however the program was named (a link in bin, a relative path, the PATH).
    std::string ProgramFolder(const char* program)
    {
        std::string path;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
        if (length > 0 && static_cast<std::size_t>(length) < sizeof buffer)
            path.assign(buffer, static_cast<std::size_t>(length));
        else if (char* resolved = ::realpath(program, nullptr)) {
            path = resolved;
            std::free(resolved);
        }
        const auto slash = path.rfind('/');
        return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    }

    int CannotOpen(const std::string& reason)
    {
        std::cerr << "orvandel: cannot open the window: " << TerminalText(reason) << '\n';
        return 2;
    }

} // namespace

bool HasWindow()
{
    return true;
}

int StartWindow(const char* program, const WindowRequest& request)
{
    const std::string module = ProgramFolder(program) + "modules/orvandel-window.so";
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        return CannotOpen(error ? error : module);
    }
    using Entry = int (*)(const char*, const WindowRequest*);
    auto* entry = reinterpret_cast<Entry>(::dlsym(handle, "OrvandelRunWindow"));
    if (!entry)
        return CannotOpen(module + " has no window in it");
    // The module stays loaded until the program ends: the window system's exit handlers are in it.
    return entry(program, &request);
}

#else

bool HasWindow()
{
    return true;
}

int StartWindow(const char* program, const WindowRequest& request)
{
    return RunWindow(program, request);
}

#endif

} // namespace orvandel
