// telvora-sim as a user runs it: a scenario's bad input stops it before it writes anything, with
// the file and the place named; what differs from a scenario's expectations fails it, naming the
// step; and the fax command's options reach the fax that leaves.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <sstream>

#include "sim/cli/program.h"
#include "sim/cli/simulation.h"
#include "sim/docx/docx.h"
#include "sim/word/document_builder.h"
#include "sim/host_tools.h"
#include "support/sim_addin.h"

namespace telvora::sim::cli {
namespace {

using telvora::testing::contains;
namespace fs = std::filesystem;
using telvora::testing::readBytes;

// A marked letter: number, recipient and subject in their fax-field styles, two paragraphs of text.
DocumentModel markedLetter(const std::string& name) {
    return DocumentBuilder(name)
        .text("To: ").styled("tlvRecipientName", "Ann Okafor").text("\r")
        .text("Fax: ").styled("tlvFaxNumber", "(08) 9335 1234").text("\r")
        .text("Re: ").styled("tlvSubject", "Quote 42").text("\r")
        .text("Dear Ann,\rPlease find our quote below.\r")
        .build();
}

// A scenario folder with a marked letter in it, the output folder beside it, and the program.
class Simulator : public ::testing::Test {
protected:
    Simulator() {
        fs::create_directories(folder);
        docx::writeDocx(markedLetter("letter.docx"), folder / "letter.docx", "letter.docx");
    }

    fs::path write(const std::string& name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << text;
        return folder / name;
    }

    int run(std::vector<std::string> arguments) {
        out.str("");
        err.str("");
        arguments.insert(arguments.begin(), {"--out", outFolder.string()});
        return runProgram(arguments, {folder / "no-examples", false}, out, err);
    }

    // Runs a scenario of the given text; it must be refused as bad input, leaving nothing behind.
    std::string refused(const std::string& yaml) {
        const auto file = write("scenario.yaml", yaml);
        EXPECT_EQ(run({"run", file.string()}), kExitBadInput) << out.str();
        EXPECT_FALSE(fs::exists(outFolder)) << "bad input must write nothing";
        return err.str();
    }
    // Each scenario of the table is refused with a message holding its fragment.
    void expectRefused(const std::vector<std::pair<std::string, std::string>>& cases) {
        for (const auto& [yaml, fragment] : cases) {
            const std::string message = refused(yaml);
            EXPECT_TRUE(contains(message, fragment));
        }
    }

    telvora::testing::ScratchFolder scratch;
    fs::path folder = scratch.path() / "case";
    fs::path outFolder = scratch.path() / "out";
    std::ostringstream out;
    std::ostringstream err;
};

constexpr const char* kFaxLetter = R"(name: letter
settings: {Printer: Fax, FaxType: 1, DefaultPrinter: "Don't Print"}
documents:
  - file: letter.docx
steps:
  - call: cmdFax
    user: accept
)";

TEST_F(Simulator, BadScenariosAreRefusedNamingTheFileAndPlaceBeforeAnythingIsWritten) {
    const std::string file = (folder / "scenario.yaml").string();
    expectRefused({
        // A key the format does not have, with its line and column; a value the key does not take.
        {std::string(kFaxLetter) + "expect:\n  faxes: []\n", file + ":9:3: unknown key \"faxes\""},
        {"machine:\n  windows: \"98\"\nsteps: [{call: cmdFax}]\n", file + ":2:12: machine.windows must be"},
        {std::string(kFaxLetter) + "    raises: many\n", "raises must be a whole number"},
        // YAML that does not parse, and a file that is not UTF-8 text.
        {"steps: [call: cmdFax\n", file + ":"},
        {"steps: [{start: Word}]\ndocuments: [{text: \"Caf\xE9\"}]\n", file + ":2: the scenario is not UTF-8"},
        {std::string("steps: [{start: Word}]\ndocuments:\n  - text: |\n      Fax:\0_555\n", 62),
         file + ":4: the scenario holds a control character"},
        // A step that is nothing, and one user answer that is no button.
        {"steps: [{name: x}]\n", "a step is one of call"},
        {"steps: [{call: cmdFax, user: {answers: [Maybe]}}]\n", "an answer must be OK, Cancel"},
    });

    // Every scenario is read before any runs: a good one beside a bad one does not run either.
    const auto good = write("good.yaml", kFaxLetter);
    const auto bad = write("bad.yaml", "steps: [{call: cmdFax, user: nobody}]\n");
    EXPECT_EQ(run({"run", good.string(), bad.string()}), kExitBadInput);
    EXPECT_TRUE(contains(err.str(), "bad.yaml:1:30: user must be accept"));
    EXPECT_FALSE(fs::exists(outFolder));
}

TEST_F(Simulator, ADamagedDocumentIsRefusedNamingTheFileAndThePlaceOfTheScenarioThatNamesIt) {
    write("damaged.docx", "PK\x03\x04 this is no zip archive");
    EXPECT_TRUE(contains(refused("documents: [{file: damaged.docx}]\nsteps: [{call: cmdFax}]\n"),
                         "scenario.yaml:1:20: The file \"damaged.docx\" appears to be corrupted"));
}

TEST_F(Simulator, PathsThatLeadOutOfTheScenarioOrTheMachineAreRefused) {
    fs::create_directories(scratch.path() / "outside");
    docx::writeDocx(markedLetter("secret.docx"), scratch.path() / "outside" / "secret.docx", "secret.docx");
    fs::create_directory_symlink(scratch.path() / "outside", folder / "link");
    const std::string steps = "\nsteps: [{call: cmdFax}]\n";
    expectRefused({
        {"documents: [{file: ../outside/secret.docx}]" + steps, "\"../outside/secret.docx\" leads out of the scenario's folder"},
        {"documents: [{file: " + (scratch.path() / "outside" / "secret.docx").string() + "}]" + steps,
         "must be a path relative to the scenario's folder"},
        {"documents: [{file: link/secret.docx}]" + steps, "is a link that leads out of the scenario's folder"},
        // Windows paths on the simulated machine: no climbing out of drive C:, no other drive.
        {"documents: [{file: letter.docx, path: 'C:\\Docs\\..\\..\\x.docx'}]" + steps, "document path"},
        {"steps: [{save: 'D:\\letter.docx'}]\n", "scenario.yaml:1:16: save"},
        {"documents: [{name: '..\\..\\x.docx', text: Hi}]" + steps, "scenario.yaml:1:20: a document's name is a file name"},
        // The machine's own rules (MachinePaths) named at their place; files where the machine has a folder.
        {"documents: [{file: letter.docx, path: 'C:\\'}]" + steps, "1:39: document path: \"C:\\\" names a folder, not a file"},
        {"documents: [{file: letter.docx, path: 'c:\\temp\\.'}]" + steps, "names a folder, not a file"},
        {"documents: [{file: letter.docx, path: 'C:\\Temp'}]" + steps, "1:39: C:\\Temp is a folder of the machine"},
        {"machine: {files: {'C:\\Docs': letter.docx}}\ndocuments: [{file: letter.docx, path: 'C:\\Docs\\a.docx'}]" + steps,
         "1:19: C:\\Docs is a folder of the machine"},
        {"machine: {tempFolder: 'C:\\Temp\\Out.'}\ndocuments: [{file: letter.docx}]" + steps, "1:23: machine.tempFolder"},
    });
}

TEST_F(Simulator, WhatDiffersFromTheExpectationsOrTheScriptFailsTheRunNamingTheStep) {
    const auto file = write("scenario.yaml", std::string(kFaxLetter) + R"(  - call: cmdFax
    user:
      dialogs:
        - frmSettings: [{click: cmdOK}]
expect:
  faxJobs:
    - {number: "0893351234", subject: Quote 43}
    - {number: "0893351234"}
  tempFiles: []
  settings: {Printer: Fax, Email: null}
)");
    EXPECT_EQ(run({"run", file.string()}), kExitFailed);
    const std::string text = out.str();
    EXPECT_TRUE(contains(text, "fax job 1 subject: expected \"Quote 43\", got \"Quote 42\""));
    EXPECT_TRUE(contains(text, "step 2 (cmdFax): expected form frmSettings but frmSendConfirm was shown"));
    EXPECT_EQ(text.find("fax job 2"), std::string::npos) << "the second Fax was closed unsent:\n" << text;
    EXPECT_EQ(text.find("setting"), std::string::npos) << text;
    EXPECT_TRUE(contains(text, "0 of 1 scenario(s) ran as expected; not as expected: letter"));
    // The transcript is kept with the run.
    EXPECT_EQ(readBytes(outFolder / "letter" / "transcript.txt").find("=== letter"), 0u);

    // An answer nobody asked for is left over.
    const auto unused = write("unused.yaml", std::string(kFaxLetter) + "    raises: 0\n" +
                                                 "  - call: cmdFax\n    user: {answers: [Yes], otherwise: accept}\n");
    EXPECT_EQ(run({"run", unused.string()}), kExitFailed);
    EXPECT_TRUE(contains(out.str(), "step 1 (cmdFax) was to raise run-time error 0 but ended without one"));
    EXPECT_TRUE(contains(out.str(), "step 2 (cmdFax): 1 message box answer(s) unused"));

    // A script that runs out with the dialog still open: the dialog is closed, nothing is sent.
    const auto shortScript = write("short.yaml", R"(name: short
settings: {Printer: Fax, FaxType: 1, DefaultPrinter: "Don't Print"}
documents: [{file: letter.docx}]
steps:
  - call: cmdFax
    user:
      dialogs:
        - frmSendConfirm: [{type: {txtSubject: Revised}}]
expect:
  faxJobs: []
)");
    EXPECT_EQ(run({"run", shortScript.string()}), kExitFailed);
    EXPECT_TRUE(contains(out.str(), "step 1 (cmdFax): the script for form frmSendConfirm ended with the form still open"));
    EXPECT_EQ(out.str().find("fax job"), std::string::npos) << out.str();
}

TEST_F(Simulator, TheFaxCommandSendsTheLetterWithTheNumberAndSubjectTheUserTyped) {
    // The user's own settings file is never touched: the run keeps its settings in its own folder.
    const fs::path config = scratch.path() / "config";
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const int code = run({"fax", (folder / "letter.docx").string(), "--number", "9335 9999", "--subject", "Revised quote"});
    if (before) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(fs::exists(config));
    ASSERT_EQ(code, kExitPassed)
        << out.str() << err.str();
    const fs::path job = outFolder / "outbox" / "job-0001";
    const auto described = nlohmann::json::parse(readBytes(job / "job.json"));
    EXPECT_EQ(described["number"], "93359999");
    EXPECT_EQ(described["subject"], "Revised quote");
    EXPECT_EQ(described["recipient"], "Ann Okafor");
    EXPECT_TRUE(contains(out.str(), "user types \"9335 9999\" into txtNumber (frmSendConfirm)"));
    EXPECT_TRUE(contains(out.str(), "faxed: job 1, 1 page, to 93359999\n"));
    EXPECT_TRUE(contains(out.str(), "fax images: "));
    for (const char* own : {"outbox", "machine", "settings.db", "transcript.txt"})
        EXPECT_TRUE(fs::exists(outFolder / own)) << own;
    // Pictures of the pages only when asked for.
    EXPECT_FALSE(fs::exists(job / "page-1.png"));
    EXPECT_FALSE(fs::exists(outFolder / "printers"));
    EXPECT_EQ(out.str().find("previews of the fax pages"), std::string::npos) << out.str();

    // A second run starts afresh: the earlier fax is not delivered again beside the new one. Asked
    // for previews, it shows the page printed to WinFax and the page sent.
    ASSERT_EQ(run({"--previews", "fax", (folder / "letter.docx").string(), "--software", "winfax"}), kExitPassed) << out.str();
    EXPECT_FALSE(fs::exists(outFolder / "outbox" / "job-0002"));
    EXPECT_EQ(nlohmann::json::parse(readBytes(job / "job.json"))["softwareName"], "WinFax");
    EXPECT_TRUE(fs::exists(outFolder / "printers" / "WinFax" / "fax-0001-page-1.png"));
    EXPECT_NE(out.str().find("previews of the fax pages:\n  " + (job / "page-1.png").string()), std::string::npos) << out.str();
}

TEST_F(Simulator, AFolderOfTheUsersOwnIsNeverEmptiedForTheOutputs) {
    // The user points --out at a folder of their own that happens to hold a "printers" folder.
    fs::create_directories(outFolder / "printers" / "mine");
    std::ofstream(outFolder / "printers" / "mine" / "notes.txt") << "keep me";
    EXPECT_EQ(run({"fax", (folder / "letter.docx").string()}), kExitBadInput);
    EXPECT_TRUE(contains(err.str(), "holds \"printers\", which telvora-sim did not write"));
    EXPECT_EQ(readBytes(outFolder / "printers" / "mine" / "notes.txt"), "keep me");
    EXPECT_FALSE(fs::exists(outFolder / "outbox"));

    // Nor one that holds only a file SQLite would keep beside the settings, nor one whose mark is a
    // link (a link can make any folder look like a run's).
    const fs::path elsewhere = scratch.path() / "elsewhere.txt";
    std::ofstream(elsewhere) << "not the simulator's";
    for (const char* planted : {"settings.db-wal", ".telvora-sim"}) {
        fs::remove_all(outFolder);
        fs::create_directories(outFolder);
        if (planted[0] == '.') fs::create_symlink(elsewhere, outFolder / planted);
        else std::ofstream(outFolder / planted) << "keep me";
        EXPECT_EQ(run({"fax", (folder / "letter.docx").string()}), kExitBadInput) << planted;
        EXPECT_TRUE(fs::exists(fs::symlink_status(outFolder / planted))) << planted;
        EXPECT_FALSE(fs::exists(outFolder / "outbox")) << planted;
    }

    // A folder a run wrote is the run's to replace; a link planted among its outputs is replaced,
    // never written through.
    fs::remove_all(outFolder);
    ASSERT_EQ(run({"fax", (folder / "letter.docx").string()}), kExitPassed) << err.str();
    fs::remove(outFolder / "transcript.txt");
    fs::create_symlink(elsewhere, outFolder / "transcript.txt");
    EXPECT_EQ(run({"fax", (folder / "letter.docx").string()}), kExitPassed) << err.str();
    EXPECT_EQ(readBytes(elsewhere), "not the simulator's");
    EXPECT_FALSE(fs::is_symlink(outFolder / "transcript.txt"));

    // A scenario's own folder inside --out that is a link leads nowhere either.
    const auto file = write("scenario.yaml", kFaxLetter);
    fs::create_directories(scratch.path() / "linked");
    fs::create_directory_symlink(scratch.path() / "linked", outFolder / "letter");
    EXPECT_EQ(run({"run", file.string()}), kExitBadInput);
    EXPECT_TRUE(fs::is_empty(scratch.path() / "linked"));
}

TEST_F(Simulator, AMergeDeliversEachRecordsFaxAsSoonAsItIsSubmitted) {
    write("customers.csv", "Name,Fax\nAnn,02 1111 2222\nBo,02 3333 4444\n");
    const auto file = write("merge.yaml", R"(name: merge
machine: {files: {'C:\Data\customers.csv': customers.csv}}
settings: {Printer: Fax, FaxType: 1, DefaultPrinter: "Don't Print"}
documents: [{text: "Dear )" "\xC2\xAB" "Name" "\xC2\xBB" R"(", dataSource: 'C:\Data\customers.csv'}]
steps:
  - call: MergeFax
    user:
      answers: [OK]
      dialogs: [{frmGetFields: [{choose: {cboName: Name}}, {choose: {cboNumber: Fax}}, {click: cmdFaxOnly}]}]
expect:
  faxJobs: [{number: "0211112222", text: Dear Ann}, {number: "0233334444", text: Dear Bo}]
)");
    ASSERT_EQ(run({"run", file.string()}), kExitPassed) << out.str();
    const std::string text = out.str();
    const auto secondPrint = text.find("print on", text.find("print on") + 1);
    EXPECT_LT(text.find("fax job 1 "), secondPrint) << text;
    EXPECT_LT(secondPrint, text.find("fax job 2 ")) << text;
}

TEST_F(Simulator, TheFaxCommandSaysWhyNoFaxWentOutAndFails) {
    const std::pair<DocumentModel, const char*> letters[] = {
        {DocumentBuilder("plain.docx").text("Dear Ann,\rPlease find our quote below.\r").build(),
         "no fax was sent: The fax cannot be sent as you have not marked all required information on the document. "
         "You must mark the Fax Number and either the Recipient Company or the Recipient Name.\n"},
        {DocumentBuilder("office.docx").styled("tlvRecipientName", "Ann").text("\r").styled("tlvFaxNumber", "call office").build(),
         "no fax was sent: The fax number that you have chosen to fax to appears to be invalid: Fax Number: call office "}};
    for (const auto& [letter, verdict] : letters) {
        docx::writeDocx(letter, folder / letter.name, letter.name);
        EXPECT_EQ(run({"fax", (folder / letter.name).string()}), kExitFailed) << letter.name;
        EXPECT_TRUE(contains(out.str(), verdict));
        for (const char* claim : {"PASSED", "ran as expected", "fax images:"})
            EXPECT_EQ(out.str().find(claim), std::string::npos) << claim << " in\n" << out.str();
    }
}

TEST_F(Simulator, TheFaxCommandRefusesWhatItCannotRun) {
    EXPECT_EQ(run({"fax", (folder / "missing.docx").string()}), kExitBadInput);
    EXPECT_TRUE(contains(err.str(), "missing.docx: no such file"));
    EXPECT_EQ(run({"fax", (folder / "letter.docx").string(), "--software", "fax-o-matic"}), kExitBadInput);
    EXPECT_EQ(run({"fax", (folder / "letter.docx").string(), "--setting", "FaxType"}), kExitBadInput);
    EXPECT_EQ(run({"fax"}), kExitBadInput);
    EXPECT_FALSE(fs::exists(outFolder));
}

TEST_F(Simulator, TheJsonTranscriptHoldsEachDialogWithItsControlsAndEachFaxJob) {
    const auto file = write("scenario.yaml", kFaxLetter);
    ASSERT_EQ(run({"--json", "run", file.string()}), kExitPassed) << out.str();
    const auto runs = nlohmann::json::parse(out.str());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0]["passed"], true);
    // The errors the add-in ignored are kept too (here its probe for Windows 2000's fax service).
    nlohmann::json entries = nlohmann::json::array();
    std::vector<std::string> ignored;
    for (const auto& e : runs[0]["transcript"]) {
        if (e["kind"] == "ignored") ignored.push_back(e["ignored"]);
        else entries.push_back(e);
    }
    std::vector<std::string> kinds;
    for (const auto& e : entries) kinds.push_back(e["kind"]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"scenario", "step", "dialog", "action", "print", "fax", "result"}));
    ASSERT_FALSE(ignored.empty());
    EXPECT_TRUE(ignored[0].starts_with("ignored error 429 (Telvora: ActiveX component can't create object) in "))
        << ignored[0];
    const auto& dialog = entries[2];
    EXPECT_EQ(dialog["name"], "frmSendConfirm");
    const auto number = std::find_if(dialog["controls"].begin(), dialog["controls"].end(),
                                     [](const auto& c) { return c["name"] == "txtNumber"; });
    ASSERT_NE(number, dialog["controls"].end());
    EXPECT_EQ((*number)["text"], "(08) 9335 1234");
    EXPECT_EQ(entries[5]["number"], "0893351234");
    EXPECT_EQ(nlohmann::json::parse(readBytes(outFolder / "letter" / "transcript.json")), runs[0]["transcript"]);
}

TEST_F(Simulator, WordStartsTheUserMarksTheNoteAndTheSavedFileKeepsTheMarks) {
    const auto file = write("scenario.yaml", R"(name: mark
documents:
  - name: Note.docx
    text: |
      To Ann Okafor at Okafor & Sons
      Fax 9335 1234, [tlvSubject: Order 7]
steps:
  - start: Word
    user: accept
  - call: cmdFaxnumber
    select: 9335 1234
  - call: cmdFaxName
    select: Ann Okafor
  - save: 'C:\Users\Public\Documents\Note marked.docx'
expect:
  dialogs: [frmPrinter]
  marks:
    Note.docx: {tlvFaxNumber: 9335 1234, tlvRecipientName: Ann Okafor, tlvSubject: Order 7, tlvCompanyName: ""}
)");
    ASSERT_EQ(run({"run", file.string()}), kExitPassed) << out.str();
    // Word's first start asks for the fax printer; the default user cannot choose one by accepting,
    // is told so, and cancels the dialog rather than leaving Word waiting.
    EXPECT_TRUE(contains(out.str(), "user presses Return (frmPrinter)"));
    EXPECT_TRUE(contains(out.str(), "user presses Escape (frmPrinter)"));
    // The transcript shows what each marking command marked.
    EXPECT_TRUE(contains(out.str(), "--- cmdFaxnumber\nmarks in Note.docx:\n      tlvFaxNumber \"9335 1234\"\n"
                                    "      tlvRecipientName \"\"\n"));

    const auto saved = docx::readDocx(outFolder / "mark" / "machine" / "Users" / "Public" / "Documents" / "Note marked.docx",
                                      "Note marked.docx", "Note marked.docx", {});
    EXPECT_EQ(markedText(saved, "tlvFaxNumber"), "9335 1234");
    EXPECT_EQ(markedText(saved, "tlvRecipientName"), "Ann Okafor");
    EXPECT_EQ(markedText(saved, "tlvSubject"), "Order 7");

    // The marks as expected are compared: one that differs fails the run.
    const auto wrong = write("wrong.yaml", readBytes(file).replace(readBytes(file).rfind("tlvSubject: Order 7"), 19,
                                                                   "tlvSubject: Order 8"));
    EXPECT_EQ(run({"run", wrong.string()}), kExitFailed);
    EXPECT_TRUE(contains(out.str(), "marks of tlvSubject in Note.docx: expected \"Order 8\", got \"Order 7\""));
}

TEST_F(Simulator, WhileWordIsLeftIdleTheFaxIsFollowedToItsEndAndTheOutboxCommandShowsIt) {
    const auto file = write("busy.yaml", R"(name: busy
machine:
  failures:
    faxJobs: {ending: stopped after page, pages: 3, stoppedAfterPage: 2}
settings: {Printer: Fax, FaxType: 1, DefaultPrinter: "Don't Print"}
documents:
  - file: letter.docx
steps:
  - call: cmdFax
    user: accept
  - wait: 30
expect:
  statusBar: "Fax to Ann Okafor: failed: the call was cut off"
)");
    ASSERT_EQ(run({"run", file.string()}), kExitPassed) << out.str() << err.str();
    // Each step of the job is in the transcript, as the fax server told it and Word's status bar showed it.
    for (const char* step : {"fax job 1: in progress, extended status 3, page 0 of 3",
                             "fax job 1: in progress, extended status 4, page 2 of 3",
                             "status bar: Fax to Ann Okafor: sending page 2 of 3",
                             "fax job 1: failed, extended status 1, page 3 of 3"})
        EXPECT_NE(out.str().find(step), std::string::npos) << step << "\n" << out.str();

    ASSERT_EQ(run({"outbox", (outFolder / "busy").string()}), kExitPassed) << err.str();
    EXPECT_NE(out.str().find("Ann Okafor"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("2 of 3 pages  failed: the call was cut off  job 1\n"), std::string::npos) << out.str();
    EXPECT_EQ(run({"outbox", folder.string()}), kExitBadInput) << "a folder without a fax history";
}

}  // namespace
}  // namespace telvora::sim::cli
