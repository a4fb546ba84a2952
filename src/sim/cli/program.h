// The telvora-sim program: its commands (run, demo, fax), where they write, what they print, and
// their exit codes: 0 when every scenario ran as expected (for fax: a fax went out), 1 when an
// expectation failed or the user's script was not followed (for fax: no fax went out), 2 for input
// the simulator cannot run (nothing is written then).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace telvora::sim::cli {

inline constexpr int kExitPassed = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;
// Every scenario asked for a machine that cannot be had here (a real HylaFAX server without the
// package): nothing ran, which a test runner counts as skipped.
inline constexpr int kExitSkipped = 77;

struct ProgramSetup {
    // The bundled example scenarios the demo runs.
    std::filesystem::path examplesFolder;
    // Whether the terminal shows a progress bar (a terminal does; a pipe or file does not).
    bool interactive = false;
};

// Runs the program with its command line (`arguments` without the program's own name).
int runProgram(const std::vector<std::string>& arguments, const ProgramSetup& setup, std::ostream& out,
               std::ostream& err);

}  // namespace telvora::sim::cli
