// Runs a scenario: sets up the simulated machine with its printers, fax software and drive in the
// run's own folder, seeds the settings file there, opens the documents in the word processor,
// loads the add-in on it, performs each step as the user's script says, delivers what the fax
// software accepted to the outbox, and compares what happened with what the scenario expects.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "sim/cli/scenario.h"
#include "sim/cli/transcript.h"

namespace telvora::sim::cli {

struct RunOutcome {
    bool passed = false;
    // What differed from the expectations, and what went against the user's script, by step.
    std::vector<std::string> differences;
    // The outbox folder of each fax job, in order, and the previews of their pages.
    std::vector<std::filesystem::path> faxFolders;
    std::vector<std::filesystem::path> previews;
    // For a run judged by sending: "faxed: job 1, 3 pages, to 0893351234", or "no fax was sent: "
    // and what the user was told.
    std::string verdict;
    // Why the run was skipped ("" when it ran): the machine it needs cannot be had here (a real
    // HylaFAX server without the package).
    std::string skipped;
};

// Runs `scenario` with everything it writes inside `folder`: "machine" (drive C: of the simulated
// machine), "settings.db", "outbox", "printers", and the transcript as "transcript.txt" and
// "transcript.json". Those of an earlier run are replaced first; nothing else in the folder is
// touched.
RunOutcome runScenario(const Scenario& scenario, const std::filesystem::path& folder, Transcript& transcript);

// Whether a run may write into `folder`: it is new, empty, or an earlier run's (it holds the mark
// a run leaves). A folder of the user's own that holds a "machine", "outbox", "printers",
// settings or transcript file of its own is refused with an InputError, since a run replaces those.
void checkOutputFolder(const std::filesystem::path& folder);

// The text of the style's marks in the document's main text, the runs joined by "|"; "" for none.
std::string markedText(const DocumentModel& document, const std::string& style);

}  // namespace telvora::sim::cli
