#include "DisplayCheck.h"

#include "util/PathHelpers.h"

#include <vector>

namespace orvandel {

namespace {

    bool IsSet(const EnvironmentLookup& environment, const char* name)
    {
        const char* value = environment(name);
        return value && *value;
    }

    std::vector<std::string> Split(const std::string& text, char separator)
    {
        std::vector<std::string> parts;
        std::size_t at = 0;
        for (std::size_t end; (end = text.find(separator, at)) != std::string::npos; at = end + 1)
            parts.push_back(text.substr(at, end - at));
        parts.push_back(text.substr(at));
        return parts;
    }

} // namespace

std::optional<std::string> MissingDisplay(const WindowRequest& window, const EnvironmentLookup& environment)
{
    std::string platforms = window.platform.value_or("");
    if (platforms.empty() && IsSet(environment, "QT_QPA_PLATFORM"))
        platforms = environment("QT_QPA_PLATFORM");
    if (platforms.empty()) {
        const char* session = environment("XDG_SESSION_TYPE");
        platforms = session && std::string(session) == "wayland" ? "wayland;xcb" : "xcb";
    }

    std::string wanted;
    for (const std::string& entry : Split(platforms, ';')) {
        const std::string name = entry.substr(0, entry.find(':')); // "xcb:option" names xcb
        if (name.empty())
            continue;
        if (name == "xcb") {
            if (window.displayGiven || IsSet(environment, "DISPLAY"))
                return std::nullopt;
            wanted += wanted.empty() ? "DISPLAY" : " or DISPLAY";
        } else if (name.rfind("wayland", 0) == 0) {
            const char* runtime = environment("XDG_RUNTIME_DIR");
            if (IsSet(environment, "WAYLAND_DISPLAY") || IsSet(environment, "WAYLAND_SOCKET")
                || (runtime && *runtime && FileExists(std::string(runtime) + "/wayland-0")))
                return std::nullopt;
            wanted += wanted.empty() ? "WAYLAND_DISPLAY" : " or WAYLAND_DISPLAY";
        } else {
            return std::nullopt; // draws without a display, or one we cannot judge: Qt will tell
        }
    }
    if (wanted.empty())
        return std::nullopt;
    return "orvandel: cannot open the window: there is no display (" + wanted
        + " is not set); 'orvandel extract' works without one, see 'orvandel --help'";
}

} // namespace orvandel
