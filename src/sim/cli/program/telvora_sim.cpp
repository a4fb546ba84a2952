// telvora-sim: the add-in on a simulated machine, from the command line.
#include <unistd.h>

#include <iostream>

#include "sim/cli/program.h"

#ifndef TELVORA_EXAMPLES_DIR
#error "the build names the bundled examples' folder"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    telvora::sim::cli::ProgramSetup setup{TELVORA_EXAMPLES_DIR, isatty(STDOUT_FILENO) == 1};
    try {
        return telvora::sim::cli::runProgram(arguments, setup, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "telvora-sim: " << e.what() << "\n";
        return 3;
    }
}
