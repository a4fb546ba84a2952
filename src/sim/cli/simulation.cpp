// A scenario run on the simulated machine.
#include "sim/cli/simulation.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include <algorithm>
#include <array>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "base/text.h"
#include "core/settings.h"
#include "host/buttons.h"
#include "history/sqlite_fax_history.h"
#include "host/connection.h"
#include "sim/docx/docx.h"
#include "sim/output/fax_image.h"
#include "sim/output/output_files.h"
#include "sim/output/outbox.h"
#include "sim/output/printer_drivers.h"
#include "sim/posix_network.h"
#include "sim/sim_machine.h"
#include "sim/sqlite_settings_store.h"
#include "sim/word/served_word.h"
#include "sim/word/word_processor.h"
#include "word_automation/word_application.h"

namespace telvora::sim::cli {
namespace {

namespace fs = std::filesystem;

// What a settings read answers for a key that is not stored: no stored value can hold it.
constexpr const char* kAbsent = "\x01(absent)";
// How a printer that fails reports it, as Word reports a printer that went away.
constexpr std::int32_t kPrinterFailure = 4198;
// How long the simulated fax service takes over each step of a job (dialling, a page, a retry).
constexpr std::chrono::seconds kFaxJobStep{5};

// What a print's output holds, to know it again in a fax job's body without keeping it: its
// length and a 64-bit FNV-1a digest of its bytes, read from the file a piece at a time.
struct OutputDigest {
    std::uint64_t length = 0;
    std::uint64_t hash = 14695981039346656037u;

    void add(std::string_view bytes) {
        for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
        length += bytes.size();
    }
    static OutputDigest of(std::string_view bytes) {
        OutputDigest d;
        d.add(bytes);
        return d;
    }
    static OutputDigest ofFile(const fs::path& file) {
        OutputDigest d;
        std::ifstream in(file, std::ios::binary);
        std::array<char, 65536> piece;
        while (in.read(piece.data(), piece.size()) || in.gcount() > 0) d.add(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())));
        return d;
    }
    bool operator==(const OutputDigest&) const = default;
};

// A print as the machine saw it: the record, the document's text at that moment and a digest of
// the output it left, to match it to the fax job it became; let go once no later fax job can be
// made of it.
struct SeenPrint {
    PrintRecord record;
    std::string text;
    std::optional<OutputDigest> output;
};

// A fax job delivered to the outbox: which of the fax software's jobs, its pages, and the text of
// the print it was made of, kept only where the expectations look at it.
struct DeliveredFax {
    std::size_t job = 0;
    int pages = 0;
    bool printSeen = false;
    std::string text;
};

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

int copiesOf(const PrintRecord& print) {
    const auto copies = print.argument("Copies");
    if (!copies) return 1;
    try {
        return copies->toInt32();
    } catch (...) {
        return 1;
    }
}

std::string jobFolderName(const std::string& id) {
    std::string padded = id;
    if (padded.size() < 4) padded.insert(0, 4 - padded.size(), '0');
    return "job-" + padded;
}

UserStep acceptingStep(const Form& form) {
    for (const auto& c : form.controls()) {
        if (c->kind() == ControlKind::Button && c->isDefault() && c->visible() && c->enabled()) return pressKey(kKeyReturn);
    }
    for (const auto& c : form.controls()) {
        if (c->kind() == ControlKind::Button && !c->isCancel() && c->visible() && c->enabled()) return click(c->name());
    }
    return closeWindow();
}

// The default user: the first button of every question, and each dialog accepted as it opens by
// its default button (Return) or, in a dialog without one, its first button that does not cancel;
// a dialog that refuses to close that way is cancelled (Escape, then its window's close box).
UnscriptedUser acceptingUser(const std::map<std::string, std::vector<UserStep>>& beforeAccepting) {
    UnscriptedUser user;
    user.answer = [](MsgButtons buttons) {
        switch (buttons) {
        case MsgButtons::OK:
        case MsgButtons::OKCancel: return MsgResult::OK;
        case MsgButtons::YesNo: return MsgResult::Yes;
        case MsgButtons::RetryCancel: return MsgResult::Retry;
        }
        return MsgResult::OK;
    };
    user.act = [beforeAccepting](const Form& form) {
        std::vector<UserStep> steps;
        if (const auto first = beforeAccepting.find(form.name()); first != beforeAccepting.end()) steps = first->second;
        steps.push_back(acceptingStep(form));
        // A dialog that will not take what it was given is cancelled, as a user gives up on it.
        steps.push_back(pressKey(kKeyEscape));
        steps.push_back(closeWindow());
        return steps;
    };
    return user;
}

// What a run leaves in its folder, so the next run knows the folder's outputs are its own to replace.
constexpr const char* kRunMark = ".telvora-sim";
// Everything a run writes in its folder (SQLite keeps a journal or a write-ahead log beside the
// settings file). A run replaces them; nothing else in the folder is touched.
constexpr const char* kRunOwn[] = {"machine",         "outbox",          "printers",
                                   "settings.db",     "settings.db-wal", "settings.db-shm",
                                   "settings.db-journal", "history.db", "history.db-journal",
                                   "transcript.txt", "transcript.json", "hylafax-spool", "hylafax-server.txt"};

// Where the simulated machine keeps the fax images of the faxes sent, for sending again.
constexpr const char* kKeptImages = "C:\\Users\\User\\AppData\\Local\\Telvora\\Kept\\";

// A private HylaFAX server for one run, its spool in the run's folder, started and stopped by the
// script the tests start theirs with.
class RealHylafaxServer {
public:
    explicit RealHylafaxServer(const fs::path& folder) : spool_(folder / "hylafax-spool"), said_(folder / "hylafax-server.txt") {}
    ~RealHylafaxServer() {
        if (port_) (void)script("stop");
    }
    RealHylafaxServer(const RealHylafaxServer&) = delete;
    RealHylafaxServer& operator=(const RealHylafaxServer&) = delete;

    // Nothing when the server runs; otherwise the script's own words, and whether that is a skip
    // (no package, no root) rather than a failure.
    struct NotStarted {
        bool skipped;
        std::string why;
    };
    std::optional<NotStarted> start() {
        const int code = script("start");
        std::string said = readAll(said_);
        while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
        if (code == 0) {
            port_ = static_cast<std::uint16_t>(std::stoi(readAll(spool_ / "port")));
            return std::nullopt;
        }
        if (said.starts_with("SKIPPED: ")) said.erase(0, 9);
        if (said.empty()) said = "the HylaFAX server did not start (exit code " + std::to_string(code) + ")";
        return NotStarted{code == 77, said};
    }
    std::uint16_t port() const noexcept { return port_; }

    // The queued jobs in the order they were submitted, each as the fields of its queue file.
    std::vector<std::map<std::string, std::string>> queue() const {
        std::vector<std::pair<long, fs::path>> files;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(spool_ / "sendq", ec)) {
            const std::string name = e.path().filename().string();
            if (name.size() > 1 && name[0] == 'q' && name.find_first_not_of("0123456789", 1) == std::string::npos)
                files.emplace_back(std::stol(name.substr(1)), e.path());
        }
        std::sort(files.begin(), files.end());
        std::vector<std::map<std::string, std::string>> jobs;
        for (const auto& [id, file] : files) {
            auto& fields = jobs.emplace_back();
            fields["jobid"] = std::to_string(id);
            std::istringstream lines(readAll(file));
            for (std::string line; std::getline(lines, line);)
                if (const auto colon = line.find(':'); colon != std::string::npos)
                    fields[line.substr(0, colon)] = line.substr(colon + 1);
        }
        return jobs;
    }

private:
    // Runs the script with no shell between, its output into the run's folder; answers its exit code.
    int script(const char* action) const {
        const std::string program = TELVORA_HYLAFAX_SERVER_SCRIPT;
        const std::string spool = spool_.string();
        const std::string out = said_.string();
        std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(action),
                                const_cast<char*>(spool.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed) return 127;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }

    fs::path spool_;
    fs::path said_;
    std::uint16_t port_ = 0;
};

class Run {
public:
    Run(Scenario& scenario, const fs::path& folder, Transcript& transcript)
        : scenario_(scenario), folder_(folder), transcript_(transcript) {
        prepareFolder();
        transcript_.writeInto(folder_);
        machine_ = std::make_unique<SimMachine>(folder_ / "machine");
        store_ = std::make_unique<SqliteSettingsStore>(folder_ / "settings.db");
        outbox_ = std::make_unique<output::Outbox>(folder_ / "outbox", scenario_.previews);
        history_ = std::make_unique<SqliteFaxHistory>(folder_ / "history.db", kKeptImages,
                                                      machine_->platform.realPath(kKeptImages));
        addin_ = std::make_unique<Addin>(Ports{*store_, machine_->automation, user_, machine_->platform,
                                               &machine_->dateTimes, &transcript_, &network_, &user_, history_.get(),
                                               &machine_->timer});
        user_.setFaxImageReader([this](const std::string& file) { return output::describeFaxImage(machine_->platform.readFile(file), file); });
    }

    ~Run() {
        // The connection lets go of Word before the add-in state it works on goes.
        connection_.reset();
        hylafax_.reset();
    }

    RunOutcome run() {
        transcript_.scenario(scenario_.name, scenario_.description);
        try {
            setUpMachine();
            seedSettings();
            if (scenario_.machine.hylafaxServer && !startHylafax()) return std::move(outcome_);
            openDocuments();
        } catch (...) {
            // A machine that cannot be set up as described runs nothing: that is the result.
            const RuntimeError e = currentAsRuntimeError();
            outcome_.differences.push_back("the machine could not be set up: " + e.description());
            transcript_.result(false, outcome_.differences);
            return std::move(outcome_);
        }
        user_.setObserver(&transcript_);
        addin_->setWord(officeWord());
        machine_->automation.install("Telvora.Buttons", [this] { return makeButtonsObject(*addin_); });
        for (std::size_t i = 0; i < scenario_.steps.size(); ++i) perform(scenario_.steps[i], i + 1);
        checkExpectations();
        outcome_.passed = outcome_.differences.empty();
        if (scenario_.judgedBySending) {
            outcome_.verdict = verdict();
            outcome_.passed = outcome_.passed && !delivered_.empty();
        }
        transcript_.result(outcome_.passed, outcome_.differences, outcome_.verdict);
        return std::move(outcome_);
    }

private:
    void prepareFolder() {
        checkOutputFolder(folder_);
        fs::create_directories(folder_);
        output::writeWhole(folder_ / kRunMark, "Written by telvora-sim, which replaces its outputs here on each run.\n");
        // A symbolic link among them is removed, never followed: what it points to is not the run's.
        for (const char* own : kRunOwn) fs::remove_all(folder_ / own);
        fs::create_directories(folder_ / "machine");
    }

    fs::path onDrive(const std::string& windowsPath) const { return machine_->platform.realPath(windowsPath); }

    void setUpMachine() {
        const MachineSetup& m = scenario_.machine;
        SimMachine& machine = *machine_;
        machine.runWindows(m.windows);
        machine.setComputerName(m.computerName);
        machine.platform.clock = m.clock;
        machine.platform.temporaryFolder = m.tempFolderFails ? "" : m.tempFolder;
        if (!m.tempFolderFails) fs::create_directories(onDrive(m.tempFolder));
        FaxSoftware& fax = machine.fax;
        fax.faxServiceInstalled = m.faxService;
        fax.extendedFaxInstalled = m.extendedFaxService;
        fax.winFaxInstalled = m.winFax;
        fax.localFaxDevices = m.faxDevices;
        fax.localServiceAnswers = m.faxServiceAnswers;
        fax.reachableServers = m.faxServers;
        fax.serverCoverPages = m.serverCoverPages;
        fax.receiptsRefused = m.receiptsRefused;
        fax.submissionRefused = m.submissionsRefused;
        fax.winFaxPollsBeforeReady = m.winFaxPollsBeforeReady;
        fax.winFaxPollsBeforeFiled = m.winFaxPollsBeforeFiled;
        fax.nextJobCourse = m.jobCourse;
        fax.comingJobCourses.assign(m.firstJobCourses.begin(), m.firstJobCourses.end());
        fax.onJobChanged = [this](const SubmittedFax& job) { transcript_.faxJobStep(job); };
        // The fax service of Windows XP and later sends on by itself and tells a listening client
        // of each change, so the add-in follows by its events, as on Windows.
        fax.serverEventsServed = true;
        fax.jobsMoveByTheClock = true;
        for (const auto& [windowsPath, hostFile] : m.files) {
            const fs::path target = onDrive(windowsPath);
            fs::create_directories(target.parent_path());
            fs::copy_file(hostFile, target, fs::copy_options::overwrite_existing);
        }

        WordProcessorOptions options{machine.platform.paths()};
        options.keepHistory = false;
        word_ = std::make_shared<WordProcessor>(std::move(options));
        // Each fax goes to the outbox as soon as the fax software filed it, so a merge of thousands
        // of records shows its faxes as they leave and keeps none of them in memory.
        fax.onJobFiled = [this] { deliver(); };
        std::vector<std::string> names;
        for (const auto& printer : m.printers) {
            names.push_back(printer.name);
            std::shared_ptr<PrinterDriver> driver;
            const fs::path own = folder_ / "printers" / output::safeName(printer.name);
            const auto previews = scenario_.previews ? std::optional<fs::path>(own) : std::nullopt;
            switch (printer.kind) {
            case PrinterKind::Paper: driver = std::make_shared<output::PaperPrinterDriver>(own); break;
            case PrinterKind::Fax: driver = std::make_shared<output::FaxPrinterDriver>(output::FaxPrinterDriver::Options{previews, {}}); break;
            case PrinterKind::WinFax:
                fax.winFaxPrinter = printer.name;
                driver = std::make_shared<output::FaxPrinterDriver>(output::FaxPrinterDriver::Options{
                    previews, [&fax](const std::string& image) { fax.receiveApplicationPrint(image); }});
                break;
            }
            word_->installPrinter(printer.name, driver);
        }
        machine.setPrinters(names);
        word_->onPrint([this](const PrintRecord& print) { printed(print); });
        word_->onStatusBar([this](const std::string& text) { statusShown(text); });
    }

    void printed(const PrintRecord& print) {
        const auto& failing = scenario_.machine.failingPrinters;
        if (std::find(failing.begin(), failing.end(), print.printer) != failing.end())
            throw RuntimeError(kPrinterFailure, "The printer is not responding.", "Microsoft Word");
        machine_->fax.printed(print.printer, print.document);
        SeenPrint seen{print, {}, {}};
        if (!print.document.empty()) seen.text = word_->document(print.document)->text(StoryKind::Main);
        if (print.output && fs::is_regular_file(*print.output)) seen.output = OutputDigest::ofFile(*print.output);
        // The expectations look at the first prints; the fax jobs still to come at the latest.
        if (scenario_.expect.prints && printCount_ < scenario_.expect.prints->size()) expectedPrints_.push_back(seen.record);
        ++printCount_;
        unmatched_.push_back(std::move(seen));
        transcript_.print(print, copiesOf(print));
        // WinFax's job is whole once the document printed to it.
        deliver();
    }

    // Long work tells where it is in Word's status bar ("Checking record 120 of 4,000"): the
    // terminal shows the same as a bar, and the bar ends when the status bar is cleared.
    // Word's status bar: the merge's record counts ("Faxing record 3 of 10") become a progress bar,
    // which a run over thousands of records must not leave in the transcript line by line; what
    // the add-in tells of a fax ("Fax to Ann Okafor: dialling", the fax named before a colon) is
    // what the user reads while waiting, so it is kept.
    // Word left alone: the machine's clock goes on, and the fax service's jobs with it, a step
    // every kFaxJobStep.
    void wait(std::chrono::seconds duration) {
        while (duration > std::chrono::seconds(0)) {
            const auto slice = std::min(duration, kFaxJobStep);
            machine_->timer.elapse(slice);
            duration -= slice;
            if (slice == kFaxJobStep) machine_->fax.moveJobsOn();
        }
    }

    void statusShown(const std::string& text) {
        static const std::regex where(R"(^(.*?)\s*([0-9][0-9,]*) of ([0-9][0-9,]*)$)");
        std::smatch m;
        const bool told = text.find(": ") != std::string::npos;
        if (told || !std::regex_match(text, m, where)) {
            transcript_.endProgress();
            if (told) transcript_.statusBar(text);
            return;
        }
        const auto number = [](std::string digits) {
            std::erase(digits, ',');
            return std::stoi(digits);
        };
        transcript_.progress(number(m[2].str()), number(m[3].str()), text);
    }

    // Starts the real HylaFAX server and points the settings at it; false when the run cannot go
    // on (skipped where the server cannot be had, failed where it would not start).
    bool startHylafax() {
        hylafax_ = std::make_unique<RealHylafaxServer>(folder_);
        const auto notStarted = hylafax_->start();
        if (!notStarted) {
            store_->SaveSetting(kAppName, kSectionName, keys::HylafaxHost, "127.0.0.1");
            store_->SaveSetting(kAppName, kSectionName, keys::HylafaxPort, std::to_string(hylafax_->port()));
            return true;
        }
        if (notStarted->skipped) {
            outcome_.skipped = notStarted->why;
            outcome_.passed = true;
            transcript_.problem(notStarted->why);
            transcript_.result(true, {});
        } else {
            outcome_.differences.push_back("the HylaFAX server could not be started: " + notStarted->why);
            transcript_.result(false, outcome_.differences);
        }
        return false;
    }

    void checkHylafaxQueue(const std::vector<std::map<std::string, std::string>>& expected) {
        const auto queued = hylafax_ ? hylafax_->queue() : std::vector<std::map<std::string, std::string>>{};
        if (queued.size() != expected.size())
            differ("jobs queued on the HylaFAX server: expected " + std::to_string(expected.size()) + ", found " +
                   std::to_string(queued.size()));
        for (std::size_t i = 0; i < queued.size() && i < expected.size(); ++i) {
            for (const auto& [field, text] : expected[i]) {
                const auto found = queued[i].find(field);
                const std::string actual = found == queued[i].end() ? "(none)" : "\"" + found->second + "\"";
                if (actual != "\"" + text + "\"")
                    differ("HylaFAX job " + std::to_string(i + 1) + " " + field + ": expected \"" + text + "\", queued " + actual);
            }
        }
    }

    void seedSettings() {
        for (const auto& [key, value] : scenario_.settings) store_->SaveSetting(kAppName, kSectionName, key, value);
    }

    void openDocuments() {
        DocumentSetup* active = nullptr;
        for (auto& doc : scenario_.documents) {
            const fs::path target = onDrive(doc.machinePath);
            fs::create_directories(target.parent_path());
            if (doc.sourceFile) fs::copy_file(*doc.sourceFile, target, fs::copy_options::overwrite_existing);
            else docx::saveDocx(doc.model, machine_->platform.paths(), doc.machinePath);
            if (doc.active) active = &doc;
            else word_->open(std::move(doc.model));
        }
        // The active document is the one opened last, as the user leaves Word.
        if (active) word_->open(std::move(active->model));
    }

    void perform(const ScenarioStep& step, std::size_t number) {
        const std::string name = "step " + std::to_string(number) + " (" + step.label + ")";
        transcript_.step(step.label);
        try {
            if (!step.document.empty()) word_->activateWindow(step.document);
            if (step.selectText || step.selectRange) select(step);
        } catch (const RuntimeError& e) {
            outcome_.differences.push_back(name + ": " + e.description());
            return;
        }
        for (MsgResult answer : step.user.answers) user_.answer(answer);
        for (PreviewAnswer answer : step.user.previews) user_.answerPreview(answer);
        for (const auto& [form, actions] : step.user.dialogs) user_.onForm(form, actions);
        user_.setUnscripted(step.user.acceptEverything ? acceptingUser(step.user.beforeAccepting) : UnscriptedUser{});

        const auto marksBefore = activeMarks();
        std::optional<RuntimeError> raised;
        try {
            switch (step.kind) {
            case ScenarioStep::Kind::Call: call(step); break;
            case ScenarioStep::Kind::StartWord: startWord(); break;
            case ScenarioStep::Kind::Save: save(step.savePath); break;
            case ScenarioStep::Kind::Wait: wait(step.wait); break;
            }
        } catch (...) {
            raised = currentAsRuntimeError();
            transcript_.error(*raised);
        }
        transcript_.endProgress();
        if (const auto marksAfter = activeMarks(); marksAfter.second != marksBefore.second && !marksAfter.first.empty())
            transcript_.marks(marksAfter.first, marksAfter.second);
        if (raised && (!step.raises || *step.raises != raised->number()))
            outcome_.differences.push_back(name + " raised run-time error " + std::to_string(raised->number()) + ": " +
                                           raised->description());
        if (!raised && step.raises)
            outcome_.differences.push_back(name + " was to raise run-time error " + std::to_string(*step.raises) +
                                           " but ended without one");
        for (const auto& problem : user_.finishProblems()) {
            transcript_.problem(problem);
            outcome_.differences.push_back(name + ": " + problem);
        }
        deliver();
    }

    // The active document's name and its four fax-field marks, to show what a marking command did.
    std::pair<std::string, std::vector<std::pair<std::string, std::string>>> activeMarks() const {
        std::pair<std::string, std::vector<std::pair<std::string, std::string>>> marks;
        try {
            const auto doc = word_->document(word_->activeDocument()->name());
            marks.first = doc->name;
            for (const char* style : {"tlvFaxNumber", "tlvRecipientName", "tlvCompanyName", "tlvSubject"})
                marks.second.emplace_back(style, markedText(*doc, style));
        } catch (...) {
            // No document is open: nothing is marked.
        }
        return marks;
    }

    void select(const ScenarioStep& step) {
        auto doc = word_->document(word_->activeDocument()->name());
        if (step.selectRange) {
            doc->selection = *step.selectRange;
            return;
        }
        const auto span = findInMainText(*doc, *step.selectText);
        if (!span) throw RuntimeError(5, "the text \"" + *step.selectText + "\" to select is not in " + doc->name);
        doc->selection = *span;
    }


    void call(const ScenarioStep& step) {
        const int index = Buttons::findMethod(step.method);
        if (index < 0) throw RuntimeError(438, "Object doesn't support this property or method: " + step.method);
        std::vector<std::string> args = step.arguments;
        Buttons buttons(*addin_);
        const Variant result = buttons.invoke(static_cast<std::size_t>(index), args);
        (void)result;
    }

    std::shared_ptr<word::Application> officeWord() {
        if (!office_) {
            served_ = std::make_unique<ServedWord>(word_);
            // A long merge makes millions of calls: they are counted, not kept.
            served_->record(false);
            office_ = word_automation::wordApplication(served_->application(), served_->events());
        }
        return office_;
    }

    void startWord() {
        if (!connection_) connection_ = std::make_unique<AddinConnection>(*addin_);
        connection_->OnConnection(officeWord());
        word_->activateWindow(word_->activeDocument()->name());
    }

    void save(const std::string& windowsPath) {
        const auto doc = word_->document(word_->activeDocument()->name());
        docx::saveDocx(*doc, machine_->platform.paths(), windowsPath);
    }

    // Delivers what the fax software filed and nobody delivered yet. A job that cannot be
    // delivered fails the run; it never reaches the add-in as a failure of the fax software.
    void deliver() {
        try {
            auto& jobs = machine_->fax.jobs;
            for (const auto& delivery : outbox_->deliverNew(jobs)) {
                const auto job = std::find_if(jobs.rbegin(), jobs.rend(), [&](const SubmittedFax& j) {
                    return jobFolderName(j.jobId) == delivery.folder.filename();
                });
                outcome_.previews.insert(outcome_.previews.end(), delivery.previews.begin(), delivery.previews.end());
                outcome_.faxFolders.push_back(delivery.folder);
                if (job == jobs.rend()) continue;
                transcript_.faxJob(*job, delivery.folder, delivery.pages);
                delivered(*job, static_cast<std::size_t>(jobs.rend() - job - 1), delivery.pages);
            }
            // What the senders and the add-in called is not looked at by a run; a long one keeps none of it.
            machine_->fax.calls.clear();
            machine_->platform.calls.clear();
        } catch (...) {
            const RuntimeError e = currentAsRuntimeError();
            transcript_.problem(e.description());
            differ("the outbox: " + e.description());
        }
    }

    // Keeps what the expectations need of a delivered job and lets go of its image and of the
    // prints before the one it was made of.
    void delivered(SubmittedFax& job, std::size_t index, int pages) {
        DeliveredFax fax{index, pages, false, {}};
        const std::size_t number = delivered_.size();
        const bool textExpected = scenario_.expect.faxJobs && number < scenario_.expect.faxJobs->size() &&
                                  !(*scenario_.expect.faxJobs)[number].text.empty();
        if (const auto print = printOf(job)) {
            fax.printSeen = true;
            if (textExpected) fax.text = unmatched_[*print].text;
            // No later job is made of an earlier print; a shared server files one job a recipient
            // from one print, so that one stays.
            unmatched_.erase(unmatched_.begin(), unmatched_.begin() + static_cast<std::ptrdiff_t>(*print));
        }
        // Swapped, not assigned: an assignment would keep the memory it held.
        std::string().swap(job.body);
        delivered_.push_back(std::move(fax));
    }

    // The faxes that went out, or why none did: what the user was last told (its first
    // paragraph, as the message box showed it), else what went wrong.
    std::string verdict() const {
        const auto& jobs = machine_->fax.jobs;
        std::string sent;
        for (const auto& [index, pages, printSeen, text] : delivered_) {
            const SubmittedFax& job = jobs[index];
            sent += (sent.empty() ? "faxed: " : "; ") + std::string("job ") + job.jobId + ", " + std::to_string(pages) +
                    (pages == 1 ? " page" : " pages") + ", to " + job.number;
        }
        if (!sent.empty()) return sent;
        std::string reason = "the user was told nothing";
        if (!user_.messages().empty()) {
            reason = user_.messages().back().prompt;
            reason = std::regex_replace(reason.substr(0, reason.find("\r\n\r\n")), std::regex("\\s*\r?\n\\s*"), " ");
        } else if (!outcome_.differences.empty()) {
            reason = outcome_.differences.front();
        }
        return "no fax was sent: " + reason;
    }

    // --- expectations

    void differ(std::string text) { outcome_.differences.push_back(std::move(text)); }

    template <class T>
    void compare(const std::string& what, const std::optional<T>& expected, const T& actual) {
        if (expected && *expected != actual) differ(what + ": expected \"" + *expected + "\", got \"" + actual + "\"");
    }

    void checkExpectations() {
        const Expectations& x = scenario_.expect;
        if (x.messages) checkMessages(*x.messages);
        if (x.statusBar && word_->statusBar() != *x.statusBar)
            differ("status bar: expected \"" + *x.statusBar + "\", shown \"" + word_->statusBar() + "\"");
        if (x.dialogs) {
            std::vector<std::string> shown;
            for (const auto& f : user_.forms()) shown.push_back(f.name);
            if (shown != *x.dialogs) differ("dialogs: expected " + joined(*x.dialogs) + ", shown " + joined(shown));
        }
        for (const auto& [key, expected] : x.settings) {
            const std::string actual = store_->GetSetting(kAppName, kSectionName, key, kAbsent);
            const std::string shownActual = actual == kAbsent ? "(not stored)" : "\"" + actual + "\"";
            if (!expected && actual != kAbsent) differ("setting " + key + ": expected not stored, got " + shownActual);
            if (expected && actual != *expected)
                differ("setting " + key + ": expected \"" + *expected + "\", got " + shownActual);
        }
        if (x.prints) checkPrints(*x.prints);
        if (x.faxJobs) checkFaxJobs(*x.faxJobs);
        if (x.hylafaxQueue) checkHylafaxQueue(*x.hylafaxQueue);
        if (x.tempFiles) {
            std::vector<std::string> left;
            const fs::path temp = onDrive(scenario_.machine.tempFolder);
            if (fs::is_directory(temp))
                for (const auto& e : fs::directory_iterator(temp)) left.push_back(e.path().filename().string());
            std::sort(left.begin(), left.end());
            auto expected = *x.tempFiles;
            std::sort(expected.begin(), expected.end());
            if (left != expected) differ("files in the temporary folder: expected " + joined(expected) + ", found " + joined(left));
        }
        for (const auto& [document, styles] : x.marks) {
            std::shared_ptr<DocumentModel> doc;
            try {
                doc = word_->document(document);
            } catch (...) {
                differ("marks: no document " + document + " was open");
                continue;
            }
            for (const auto& [style, text] : styles) {
                const std::string actual = markedText(*doc, style);
                if (actual != text)
                    differ("marks of " + style + " in " + document + ": expected \"" + text + "\", got \"" + actual + "\"");
            }
        }
    }

    static std::string joined(const std::vector<std::string>& items) {
        std::string s = "[";
        for (std::size_t i = 0; i < items.size(); ++i) s += (i ? ", " : "") + items[i];
        return s + "]";
    }

    void checkMessages(const std::vector<ExpectedMessage>& expected) {
        const auto& shown = user_.messages();
        if (shown.size() != expected.size())
            differ("messages: expected " + std::to_string(expected.size()) + ", shown " + std::to_string(shown.size()));
        for (std::size_t i = 0; i < std::min(shown.size(), expected.size()); ++i) {
            const auto& e = expected[i];
            const auto& m = shown[i];
            const std::string what = "message " + std::to_string(i + 1);
            compare(what + " text", e.text, m.prompt);
            compare(what + " icon", e.icon, std::string(toString(m.icon)));
            compare(what + " buttons", e.buttons, std::string(toString(m.buttons)));
            compare(what + " title", e.title, m.title);
            compare(what + " answer", e.answer, std::string(toString(m.answer)));
        }
    }

    void checkPrints(const std::vector<ExpectedPrint>& expected) {
        if (printCount_ != expected.size())
            differ("prints: expected " + std::to_string(expected.size()) + ", made " + std::to_string(printCount_));
        for (std::size_t i = 0; i < std::min(expectedPrints_.size(), expected.size()); ++i) {
            const auto& e = expected[i];
            const auto& p = expectedPrints_[i];
            const std::string what = "print " + std::to_string(i + 1);
            compare(what + " printer", e.printer, p.printer);
            compare(what + " document", e.document, p.document);
            const bool toFile = p.argument("PrintToFile") && p.argument("PrintToFile")->toBool();
            if (e.toFile && *e.toFile != toFile) differ(what + (toFile ? " went to a file" : " did not go to a file"));
            if (e.copies && *e.copies != copiesOf(p))
                differ(what + ": expected " + std::to_string(*e.copies) + " copies, got " + std::to_string(copiesOf(p)));
        }
    }

    // The print whose output became the job's fax image, among those no job was made of yet.
    std::optional<std::size_t> printOf(const SubmittedFax& job) const {
        // WinFax made its image of the document printed to its own printer; the other fax software
        // took the file the fax printer wrote.
        if (job.bodyPrintedByApplication) {
            for (std::size_t i = unmatched_.size(); i-- > 0;) {
                const auto& p = unmatched_[i].record;
                if (p.printer == machine_->fax.winFaxPrinter && p.document == job.printedDocument) return i;
            }
            return std::nullopt;
        }
        if (job.body.empty()) return std::nullopt;
        const OutputDigest body = OutputDigest::of(job.body);
        for (std::size_t i = 0; i < unmatched_.size(); ++i)
            if (unmatched_[i].output == body) return i;
        return std::nullopt;
    }

    void checkFaxJobs(const std::vector<ExpectedFaxJob>& expected) {
        const auto& jobs = machine_->fax.jobs;
        if (delivered_.size() != expected.size())
            differ("fax jobs: expected " + std::to_string(expected.size()) + ", delivered " + std::to_string(delivered_.size()));
        for (std::size_t i = 0; i < std::min(delivered_.size(), expected.size()); ++i) {
            const SubmittedFax& job = jobs[delivered_[i].job];
            const auto& e = expected[i];
            const std::string what = "fax job " + std::to_string(i + 1);
            const std::map<std::string, std::string> actual = {
                {"number", job.number},   {"recipient", job.recipient},
                {"company", job.company}, {"subject", job.subject},
                {"schedule", job.schedule},
                {"receipt", job.receipt == ReceiptKind::None ? "none" : job.receipt == ReceiptKind::Email ? "email" : "popup"},
                {"receiptAddress", job.receiptAddress}, {"server", job.server},
                {"software", output::faxSoftwareName(job.software)},
                {"coverPage", job.coverPage ? job.coverPage->file : ""},
                {"coverNote", job.coverPage ? job.coverPage->note : ""}};
            for (const auto& [field, value] : e.fields) {
                const auto it = actual.find(field);
                if (it == actual.end()) differ(what + ": no field " + field);
                else if (it->second != value) differ(what + " " + field + ": expected \"" + value + "\", got \"" + it->second + "\"");
            }
            if (e.pages && *e.pages != delivered_[i].pages)
                differ(what + ": expected " + std::to_string(*e.pages) + " pages, got " + std::to_string(delivered_[i].pages));
            if (!e.text.empty()) {
                if (!delivered_[i].printSeen) {
                    differ(what + ": its fax image is no print the machine saw");
                    continue;
                }
                for (const auto& line : e.text)
                    if (delivered_[i].text.find(line) == std::string::npos)
                        differ(what + ": the printed text does not hold \"" + line + "\"");
            }
        }
    }

    Scenario& scenario_;
    fs::path folder_;
    Transcript& transcript_;
    std::unique_ptr<SimMachine> machine_;
    std::unique_ptr<SqliteSettingsStore> store_;
    std::unique_ptr<SqliteFaxHistory> history_;
    std::unique_ptr<output::Outbox> outbox_;
    ScriptedUser user_;
    // The machine's network: a HylaFAX server a scenario names is reached for real.
    PosixNetwork network_;
    std::unique_ptr<Addin> addin_;
    std::shared_ptr<WordProcessor> word_;
    // The word processor as Word's object model, and the add-in's Word binding over it: the
    // binding that ships, called by member name as in Word.
    std::unique_ptr<ServedWord> served_;
    std::shared_ptr<word::Application> office_;
    std::unique_ptr<AddinConnection> connection_;
    std::unique_ptr<RealHylafaxServer> hylafax_;
    std::size_t printCount_ = 0;
    std::vector<PrintRecord> expectedPrints_;  // the first prints, as many as are expected
    std::deque<SeenPrint> unmatched_;          // the prints no fax job was made of yet
    std::vector<DeliveredFax> delivered_;
    RunOutcome outcome_;
};

}  // namespace

void checkOutputFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(folder, ec))) return;
    if (!fs::is_directory(folder)) throw InputError(folder.string() + ": is a file, not a folder for the outputs");
    // Only a mark that is a file of the folder's own counts: a link could make any folder look marked.
    if (fs::is_regular_file(fs::symlink_status(folder / kRunMark, ec))) return;
    std::vector<const char*> names{kRunMark};
    names.insert(names.end(), std::begin(kRunOwn), std::end(kRunOwn));
    for (const char* own : names) {
        if (fs::exists(fs::symlink_status(folder / own, ec)))
            throw InputError(folder.string() + ": holds \"" + own +
                             "\", which telvora-sim did not write and a run would replace; choose another --out");
    }
}

std::string markedText(const DocumentModel& document, const std::string& style) {
    // The styles of that name are found once; each character is then judged by its style's id, so
    // a long letter's marks are read in one quick pass for each step of a run.
    std::vector<std::uint32_t> ids;
    for (const auto& entry : document.styles())
        if (equalsIgnoringCase(entry.name, style)) ids.push_back(entry.id);
    std::string text;
    bool inRun = false;
    for (const auto& c : document.story(StoryKind::Main)) {
        const bool carries = c.style != 0 && std::find(ids.begin(), ids.end(), c.style) != ids.end();
        if (carries) {
            if (!inRun && !text.empty()) text += "|";
            text += c.glyph;
        }
        inRun = carries;
    }
    return text;
}

RunOutcome runScenario(Scenario& scenario, const std::filesystem::path& folder, Transcript& transcript) {
    Run run(scenario, folder, transcript);
    RunOutcome outcome = run.run();
    transcript.close();
    return outcome;
}

}  // namespace telvora::sim::cli
