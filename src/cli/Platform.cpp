#include "cli/Platform.h"

#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define CLINOVA_ISATTY _isatty
#else
#include <sys/ioctl.h>
#include <unistd.h>
#define CLINOVA_ISATTY isatty
#endif

namespace clinova {

namespace {

std::atomic<bool> *interruptFlag = nullptr;
volatile std::sig_atomic_t interruptCount = 0;

extern "C" void OnInterrupt(int) {
    interruptCount = interruptCount + 1;
    if (interruptCount >= 2)
        std::_Exit(130);
    if (interruptFlag)
        interruptFlag->store(true);
}

} // namespace

void InstallInterruptHandler(std::atomic<bool> &flag) {
    interruptFlag = &flag;
    std::signal(SIGINT, OnInterrupt);
}

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
