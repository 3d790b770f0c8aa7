#pragma once

namespace kestrana::app {

// Runs the program from process entry to the end of the message loop and shutdown.
// Returns the process exit code for the early exits (verbs, second instance).
int Run() noexcept;

} // namespace kestrana::app
