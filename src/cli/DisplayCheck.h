#pragma once

#include "CommandLineParser.h"

#include <functional>
#include <optional>
#include <string>

namespace orvandel {

// Looks up an environment variable: its value, or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// Whether the window can open, decided before the window system is started (which, without a
// display, ends the process with an abort). The platform is Qt's choice: the window's
// "-platform NAME", else QT_QPA_PLATFORM (a list separated by ";"), else the default, xcb (after
// wayland in a Wayland session). xcb needs DISPLAY (or "-display"), wayland a compositor
// (WAYLAND_DISPLAY, WAYLAND_SOCKET, or the default socket in XDG_RUNTIME_DIR); every other
// platform (offscreen, minimal, vnc, linuxfb, eglfs, ...) draws without one. Returns the one-line
// message to show when none of the platforms can start, nothing when one can.
std::optional<std::string> MissingDisplay(const WindowRequest& window, const EnvironmentLookup& environment);

} // namespace orvandel
