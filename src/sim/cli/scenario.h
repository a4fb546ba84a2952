// A scenario as telvora-sim runs it: the machine, the stored settings, the documents open in Word,
// the steps with what the user does in each, and what is expected afterwards. Read from YAML
// (docs/scenarios.md describes every key); anything the file gets wrong is an InputError naming the
// file and the place, found before anything is written.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ports/platform.h"
#include "sim/fax_software.h"
#include "sim/scripted_user.h"
#include "sim/word/word_model.h"

namespace telvora::sim::cli {

// Bad input: a scenario, document or data file the simulator cannot run. The message names the
// file and the place in it; the program ends with exit code 2 and writes nothing.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PrinterKind { Paper, Fax, WinFax };

struct PrinterSetup {
    std::string name;
    PrinterKind kind = PrinterKind::Paper;
};

struct MachineSetup {
    OsVersion windows{2, 10, 0, 19045};
    std::string windowsName = "10";
    std::string computerName = "SIMPC";
    // The first is Word's active printer, the user's own.
    std::vector<PrinterSetup> printers{{"Office Laser", PrinterKind::Paper}, {"Fax", PrinterKind::Fax}};
    bool faxService = false;          // "FaxServer.FaxServer" (the fax service of Windows 2000)
    bool extendedFaxService = true;   // "FAXCOMEX.FaxServer" and "FAXCOMEX.FaxDocument"
    bool winFax = false;              // "WinFax.SDKSend8.0" and "WinFax.SDKSend"
    int faxDevices = 1;
    bool faxServiceAnswers = true;
    std::vector<std::string> faxServers;
    // The cover pages the fax servers keep for their users, by file name.
    std::vector<std::string> serverCoverPages;
    // The shared fax server is a real HylaFAX server, started for the run in its folder when the
    // package is installed (the run is skipped where it cannot start).
    bool hylafaxServer = false;
    std::string tempFolder = "C:\\Temp\\";
    LocalTime clock{};
    // Failures the machine shows.
    bool receiptsRefused = false;
    std::optional<std::int32_t> submissionsRefused;
    bool tempFolderFails = false;
    std::vector<std::string> failingPrinters;
    int winFaxPollsBeforeReady = 0;
    int winFaxPollsBeforeFiled = 0;
    // How the extended fax service's jobs go once accepted.
    JobCourse jobCourse;
    // The courses of the jobs before those that take jobCourse, one each in turn.
    std::vector<JobCourse> firstJobCourses;
    // Files put on the machine's drive: Windows path -> the host file beside the scenario.
    std::vector<std::pair<std::string, std::filesystem::path>> files;
};

struct DocumentSetup {
    std::string name;         // as Word names it: the file name
    std::string machinePath;  // where it lies on the machine's drive
    // The document as read (a .docx beside the scenario) or described inline.
    DocumentModel model{""};
    std::optional<std::filesystem::path> sourceFile;  // the .docx it came from, if any
    bool active = false;
};

// What the user does in one step: answers to the message boxes in order, and for each dialog shown,
// in order, what is done in it. `acceptEverything`: the default user, who accepts each dialog as it
// opens and answers each question with its first button.
struct UserScript {
    bool acceptEverything = false;
    // What the default user does in a dialog of that name, wherever it opens, before accepting it
    // (telvora-sim fax types the number and subject given into the confirmation).
    std::map<std::string, std::vector<UserStep>> beforeAccepting;
    std::vector<MsgResult> answers;
    std::vector<std::pair<std::string, std::vector<UserStep>>> dialogs;
    // The answers to the fax previews shown, in order.
    std::vector<PreviewAnswer> previews;
};

struct ScenarioStep {
    enum class Kind { Call, StartWord, Save, Wait } kind = Kind::Call;
    std::string method;               // a Buttons method, for Call
    std::vector<std::string> arguments;
    std::string document;             // the document to bring to the front first ("" = as it is)
    std::optional<std::string> selectText;  // the text the user selects first (its first occurrence)
    std::optional<Span> selectRange;
    std::string savePath;             // for Save: the Windows path to save the active document to
    std::chrono::seconds wait{0};     // for Wait: how long the user leaves Word idle
    UserScript user;
    // The run-time error the command is expected to let through to its caller (a macro would
    // show it); any other error escaping a command is a failure.
    std::optional<std::int32_t> raises;
    std::string label;                // how the transcript and problems name the step
};

struct ExpectedMessage {
    std::optional<std::string> text;
    std::optional<std::string> icon;
    std::optional<std::string> buttons;
    std::optional<std::string> title;
    std::optional<std::string> answer;
};

struct ExpectedPrint {
    std::optional<std::string> printer;
    std::optional<std::string> document;
    std::optional<bool> toFile;
    std::optional<int> copies;
};

struct ExpectedFaxJob {
    std::map<std::string, std::string> fields;  // job.json names: number, recipient, ...
    std::optional<int> pages;
    std::vector<std::string> text;  // lines the printed document's text holds
};

struct Expectations {
    std::optional<std::vector<ExpectedMessage>> messages;
    std::optional<std::vector<std::string>> dialogs;
    std::map<std::string, std::optional<std::string>> settings;  // nothing: the key is absent
    std::optional<std::vector<ExpectedPrint>> prints;
    std::optional<std::vector<ExpectedFaxJob>> faxJobs;
    // The jobs queued on the real HylaFAX server, in order, each by fields of its queue file
    // ("number", "receiver", "regarding", "notify", ...).
    std::optional<std::vector<std::map<std::string, std::string>>> hylafaxQueue;
    std::optional<std::vector<std::string>> tempFiles;
    // What Word's status bar shows at the end.
    std::optional<std::string> statusBar;
    // Document name -> style name -> the marked text ("" for none).
    std::map<std::string, std::map<std::string, std::string>> marks;
};

struct Scenario {
    std::filesystem::path file;    // the YAML file, as given
    std::filesystem::path folder;  // its folder: every file it names lies inside it
    std::string name;
    std::string description;
    MachineSetup machine;
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<DocumentSetup> documents;
    std::vector<ScenarioStep> steps;
    Expectations expect;
    // The run is judged by whether a fax went out, not by expectations (telvora-sim fax): it
    // ends with what happened, the faxes sent or why none was.
    bool judgedBySending = false;
    // A PNG picture of each fax page beside each fax printed and each fax in the outbox: written
    // when the run is asked for them (the demo always is), never read from the scenario file.
    bool previews = false;
};

// Reads and checks a scenario file, reading its documents and their data sources. Raises
// InputError naming the file and the line and column of the fault.
Scenario loadScenario(const std::filesystem::path& file);
Scenario parseScenario(const std::string& yaml, const std::filesystem::path& file);

// The host file a scenario names by a path relative to its folder. Absolute paths, paths that
// climb out with "..", and links that lead out of the folder are refused (`where` says where the
// path was given).
std::filesystem::path fileInside(const std::filesystem::path& folder, const std::string& relative,
                                 const std::string& where);

// The machine telvora-sim fax runs on: Windows 10 with its fax service and one fax device, the
// fax printer "Fax" and the user's printer "Office Laser".
MachineSetup defaultMachine();
std::vector<std::pair<std::string, std::string>> defaultSettings();

// The first occurrence of `text` in the document's main text, in characters, as the user selects it.
std::optional<Span> findInMainText(const DocumentModel& document, const std::string& text);

// The Windows releases a scenario names: "2000", "XP", "10", ...
std::optional<OsVersion> windowsRelease(const std::string& name);

}  // namespace telvora::sim::cli
