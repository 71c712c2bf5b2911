#pragma once
// What differs between the platforms the command line runs on.

#include <atomic>

namespace clinova {

// Ctrl+C sets the flag; a second Ctrl+C ends the program at once with status 130.
void InstallInterruptHandler(std::atomic<bool> &flag);
bool StandardInputIsTerminal();

} // namespace clinova
