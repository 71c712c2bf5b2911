#pragma once
// What differs between the platforms the command line runs on.

#include <atomic>

namespace clinova {

// Ctrl+C sets the flag; a second Ctrl+C ends the program at once with status 130.
void InstallInterruptHandler(std::atomic<bool> &flag);
bool StandardInputIsTerminal();
// The width in columns of the terminal stderr writes to (80 when it does not say); 0 when stderr is not a
// terminal.
int StandardErrorTerminalWidth();

} // namespace clinova
