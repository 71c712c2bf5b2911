#include "cli/CliApp.h"
#include "cli/Platform.h"
#include "database/FbClient.h"

#include <iostream>

int main(int argc, char **argv) {
    clinova::PrepareProcess();
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = clinova::RunCli(args, std::cout, std::cerr, clinova::StandardInputIsTerminal());
    std::cout.flush();
    // The engine's threads end before the library goes away with the process.
    clinova::fb::ShutdownClient();
    return status;
}
