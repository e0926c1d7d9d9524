#pragma once

namespace orvandel {

// Lets SIGINT, SIGTERM and SIGHUP stop a command at its next safe point instead of killing it
// in the middle of a write: their handler only notes the signal, the run hosts' yields then
// answer false, and the run stops and removes the file it was writing. SIGPIPE and SIGXFSZ are
// ignored, so that a write they would have ended fails like any other and is reported.
void CatchStopSignals();

// The first stop signal that arrived, or 0.
int StopSignal() noexcept;

// The signal's name, "SIGINT", "SIGTERM" or "SIGHUP"; "a signal" for any other.
const char* StopSignalName(int signal) noexcept;

} // namespace orvandel
