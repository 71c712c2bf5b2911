#pragma once
// What differs between the platforms the command line runs on.

#include <atomic>

namespace clinova {

// Called first in main(), before any other thread exists. The allocator is told to give long lines' buffers back
// to the system. From then on Ctrl+C and SIGTERM reach the program only through its own watcher, never through the handlers the database client library installs for itself
// (which would cut the connection and lose the lines not committed yet). Until an action registers its flag,
// a signal ends the program at once.
void PrepareProcess();
// For the life of an action: the first Ctrl+C or SIGTERM sets the flag (the running step stops after its
// current line, the lists are still saved), then calls onSignal, if given, from the watcher's thread; a second
// one ends the program at once.
class InterruptHandler {
public:
    explicit InterruptHandler(std::atomic<bool> &flag, void (*onSignal)() = nullptr);
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler &) = delete;
    InterruptHandler &operator=(const InterruptHandler &) = delete;
};
// The signal that set the flag: 0 when none did. SIGINT gives the exit status 130, SIGTERM 143.
int InterruptSignal();
// While a question waits for an answer on the terminal, a signal ends the program at once.
class SignalsEndAtOnce {
public:
    SignalsEndAtOnce();
    ~SignalsEndAtOnce();
    SignalsEndAtOnce(const SignalsEndAtOnce &) = delete;
    SignalsEndAtOnce &operator=(const SignalsEndAtOnce &) = delete;

private:
    bool before_;
};

bool StandardInputIsTerminal();
// The width in columns of the terminal stderr writes to (80 when it does not say); 0 when stderr is not a
// terminal.
int StandardErrorTerminalWidth();

} // namespace clinova
