#include "cli/CliApp.h"
#include "cli/Platform.h"

#include <iostream>

int main(int argc, char **argv) {
    clinova::PrepareProcess();
    std::vector<std::string> args(argv + 1, argv + argc);
    return clinova::RunCli(args, std::cout, std::cerr, clinova::StandardInputIsTerminal());
}
