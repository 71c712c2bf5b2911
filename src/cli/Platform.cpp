#include "cli/Platform.h"

#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#define CLINOVA_ISATTY _isatty
#else
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

} // namespace clinova
