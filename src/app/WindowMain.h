#pragma once

#include "cli/CommandLineParser.h"

namespace orvandel {

// Opens the window as `request` asks and runs it until it is closed; returns the exit status.
// `program` is the program's name as it was started. The display was looked for before.
int RunWindow(const char* program, const WindowRequest& request);

} // namespace orvandel

// The window module's entry (modules/orvandel-window.so beside the program, which loads it only
// when the window is asked for): RunWindow under a name that dlsym finds.
extern "C" int OrvandelRunWindow(const char* program, const orvandel::WindowRequest* request);
