// What the user saw and did and what the machine did, in the order it happened: each step, each
// dialog with the state of its visible controls, each action, each message box with its answer,
// each print and each fax job the fax software delivered. Written to the terminal as it happens,
// kept for transcript.txt, and as JSON for --json.
#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sim/fax_software.h"
#include "sim/output/output_files.h"
#include "sim/scripted_user.h"
#include "sim/word/word_processor.h"

namespace telvora::sim::cli {

struct TranscriptEntry {
    // scenario, step, dialog, action, message, print, fax, error, problem, result, ignored
    std::string kind;
    std::vector<std::string> lines;  // as a person reads it: the first line, then indented details
    nlohmann::json detail;           // the same for a program
};

// Also the add-in's diagnostics: an error it deliberately ignores is kept in the transcript (not
// written to the terminal, where it would only distract the user watching).
class Transcript final : public UserObserver, public Diagnostics {
public:
    // `live`: where each entry is written as it happens (the terminal); none for a quiet run.
    // `progressBars`: the terminal redraws a bar in place (a pipe or a file would keep every frame).
    // `keepEntries`: the entries stay in memory for `entries`, `text` and `json`; a transcript
    // written into its files as it goes need not keep them.
    explicit Transcript(std::ostream* live = nullptr, bool progressBars = false, bool keepEntries = true)
        : live_(live), progressBars_(progressBars), keep_(keepEntries) {}
    ~Transcript() override;

    // From now on each entry is also written, as it happens, to transcript.txt and transcript.json
    // in `folder`, which `close` puts in place whole (until then they lie under names of their own).
    void writeInto(const std::filesystem::path& folder);
    void close();

    void scenario(const std::string& name, const std::string& description);
    void step(const std::string& label);
    void formShown(const FormRecord& form) override;
    void acted(const std::string& formName, const UserStep& step) override;
    void messageShown(const MessageRecord& message) override;
    void previewShown(const PreviewRecord& preview) override;
    void print(const PrintRecord& print, int copies);
    void faxJob(const SubmittedFax& job, const std::filesystem::path& folder, int pages);
    // A job of the extended fax service moved on: its status as the fax server tells it.
    void faxJobStep(const SubmittedFax& job);
    // A line the add-in wrote on Word's status bar about a fax.
    void statusBar(const std::string& text);
    // The fax-field marks of a document changed: each style with its marked text ("" for none).
    void marks(const std::string& document, const std::vector<std::pair<std::string, std::string>>& marks);
    void error(const RuntimeError& e);
    void problem(const std::string& text);
    void ignored(const RuntimeError& error, const CodePlace& where) noexcept override;
    // PASSED or FAILED with what differed; `verdict`, when given, is said in their place.
    void result(bool passed, const std::vector<std::string>& differences, const std::string& verdict = "");

    // A progress bar for long work (a merge over many records): redrawn in place on the terminal,
    // never kept in the transcript. `done` of `total`, with `what` beside it; the bar ends at total.
    void progress(int done, int total, const std::string& what);
    // Ends a bar left part way (the work stopped early); the next output starts on a line of its own.
    void endProgress();

    const std::vector<TranscriptEntry>& entries() const noexcept { return entries_; }
    std::string text() const;
    nlohmann::json json() const;

private:
    void add(TranscriptEntry entry, bool shownLive = true);

    std::ostream* live_;
    std::vector<TranscriptEntry> entries_;
    bool progressBars_;
    bool keep_;
    bool progressShown_ = false;
    std::unique_ptr<output::WholeFile> textFile_;
    std::unique_ptr<output::WholeFile> jsonFile_;
    bool firstInFile_ = true;
};

// A control's state as one line: "txtCopies (text box) = "1" [disabled]".
std::string describeControl(const ControlState& control);
std::string describeStep(const UserStep& step);

}  // namespace telvora::sim::cli
