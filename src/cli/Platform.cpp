#include "cli/Platform.h"

#include <csignal>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#define CLINOVA_ISATTY _isatty
#else
#include <pthread.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#define CLINOVA_ISATTY isatty
#endif

namespace clinova {

namespace {

std::atomic<std::atomic<bool> *> interruptFlag{nullptr};
std::atomic<int> firstSignal{0};
std::atomic<bool> endAtOnce{true};
std::atomic<void (*)()> onFirstSignal{nullptr};

int StatusOf(int signal) { return signal == SIGTERM ? 143 : 130; }

// A signal has come: the first one during an action asks the action to stop; any other ends the program.
void Signalled(int signal) {
    std::atomic<bool> *flag = interruptFlag.load();
    if (flag == nullptr || endAtOnce.load() || firstSignal.load() != 0) {
        std::fflush(nullptr);
        std::_Exit(StatusOf(signal));
    }
    firstSignal.store(signal);
    flag->store(true);
    if (void (*hook)() = onFirstSignal.load())
        hook();
}

#ifdef _WIN32
// Called on a thread of its own for each console event: Ctrl+C and Ctrl+Break as SIGINT, the console closed or
// the session ending as SIGTERM.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        Signalled(SIGINT);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        Signalled(SIGTERM);
        // The system ends the process as soon as this returns: the run has the few seconds it allows to stop
        // after its current line and save its lists.
        Sleep(4500);
        return TRUE;
    default:
        return FALSE;
    }
}
#endif

} // namespace

void PrepareProcess() {
#ifdef __GLIBC__
    // A long line's buffers go back to the system when freed: without this, the allocator raises its threshold
    // after the first such buffer and keeps the next ones, so that the memory of a run grows with each long line.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
#ifdef _WIN32
    // The log lines and messages are UTF-8, as on Linux: the console shows their accents in that code page.
    // Written as they are, "\n" included, so that what is redirected to a file is the same on both systems.
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    // Blocked in this thread before any other exists, so blocked in every thread the program and the client
    // library start: the signals stay pending until the watcher takes them, and no handler ever runs.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals, &signal) == 0)
                Signalled(signal);
        }
    }).detach();
#endif
}

InterruptHandler::InterruptHandler(std::atomic<bool> &flag, void (*onSignal)()) {
    firstSignal.store(0);
    onFirstSignal.store(onSignal);
    interruptFlag.store(&flag);
    endAtOnce.store(false);
}

InterruptHandler::~InterruptHandler() {
    endAtOnce.store(true);
    interruptFlag.store(nullptr);
    onFirstSignal.store(nullptr);
}

int InterruptSignal() { return firstSignal.load(); }

SignalsEndAtOnce::SignalsEndAtOnce() : before_(endAtOnce.exchange(true)) {}

SignalsEndAtOnce::~SignalsEndAtOnce() { endAtOnce.store(before_); }

bool StandardInputIsTerminal() { return CLINOVA_ISATTY(0) != 0; }

int StandardErrorTerminalWidth() {
    if (CLINOVA_ISATTY(2) == 0)
        return 0;
    int columns = 0;
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        columns = info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (ioctl(2, TIOCGWINSZ, &size) == 0)
        columns = size.ws_col;
#endif
    return columns > 0 ? columns : 80;
}

} // namespace clinova
