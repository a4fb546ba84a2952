// The telvora-sim commands.
#include "sim/cli/program.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>

#include "app/sent_faxes.h"
#include "core/settings.h"
#include "history/sqlite_fax_history.h"
#include "sim/cli/scenario.h"
#include "sim/cli/simulation.h"
#include "sim/docx/docx.h"
#include "sim/output/output_files.h"

namespace telvora::sim::cli {
namespace {

namespace fs = std::filesystem;

struct Options {
    fs::path out = "telvora-out";
    bool json = false;
    bool previews = false;
    std::vector<std::string> scenarios;
    // fax
    std::string letter;
    std::string number;
    std::string subject;
    std::string software = "fax-service";
    std::vector<std::string> settings;
    bool quick = false;
    std::string select;
};

// The scenario `telvora-sim fax` runs: the default machine and user, the letter open in Word, the
// Fax command (or Quick Fax) clicked, and whatever the options change.
Scenario faxScenario(const Options& o) {
    Scenario s;
    const fs::path letter(o.letter);
    s.file = letter;
    s.folder = letter.has_parent_path() ? letter.parent_path() : fs::path(".");
    s.name = "fax";
    s.description = "telvora-sim fax " + o.letter;
    s.judgedBySending = true;
    s.machine = defaultMachine();
    s.settings = defaultSettings();

    if (o.software == "shared") {
        s.machine.faxServers = {"FAXSRV"};
        s.settings.emplace_back(keys::FaxType, "3");
        s.settings.emplace_back(keys::ServerName, "FAXSRV");
    } else if (o.software == "winfax") {
        s.machine.winFax = true;
        s.machine.printers.push_back({"WinFax", PrinterKind::WinFax});
        s.settings.emplace_back(keys::FaxType, "2");
        s.settings.emplace_back(keys::Printer, "WinFax");
    } else if (o.software == "windows-2000") {
        s.machine.windows = *windowsRelease("2000");
        s.machine.windowsName = "2000";
        s.machine.extendedFaxService = false;
        s.machine.faxService = true;
    } else if (o.software != "fax-service") {
        throw InputError("--software: \"" + o.software + "\" is none of fax-service, windows-2000, shared, winfax");
    }
    for (const auto& setting : o.settings) {
        const auto eq = setting.find('=');
        if (eq == std::string::npos || eq == 0) throw InputError("--setting: \"" + setting + "\" is not KEY=VALUE");
        s.settings.emplace_back(setting.substr(0, eq), setting.substr(eq + 1));
    }

    if (!fs::is_regular_file(letter)) throw InputError(o.letter + ": no such file");
    DocumentSetup doc;
    doc.name = letter.filename().string();
    doc.machinePath = "C:\\Users\\Public\\Documents\\" + doc.name;
    doc.sourceFile = letter;
    doc.active = true;
    try {
        doc.model = docx::readDocx(letter, doc.name, o.letter, [&](const std::string& path, std::optional<char>) -> MergeSource {
            throw InputError(o.letter + ": its mail-merge data source " + path +
                             " is not on the simulated machine; run a scenario that puts it there");
        });
    } catch (const RuntimeError& e) {
        throw InputError(e.description());
    }
    if (!o.select.empty()) {
        const auto span = findInMainText(doc.model, o.select);
        if (!span) throw InputError("--select: \"" + o.select + "\" is not in " + o.letter);
        doc.model.selection = *span;
    }
    s.documents.push_back(std::move(doc));

    ScenarioStep step;
    step.method = o.quick ? "cmdQuickFax" : "cmdFax";
    step.label = step.method;
    step.user.acceptEverything = true;
    // The number and subject the user types over what the confirmation shows.
    auto& typed = step.user.beforeAccepting[o.quick ? "frmQuickFaxConfirm" : "frmSendConfirm"];
    if (!o.number.empty()) typed.push_back(typeInto("txtNumber", o.number));
    if (!o.subject.empty()) typed.push_back(typeInto("txtSubject", o.subject));
    s.steps.push_back(std::move(step));
    return s;
}

struct Ran {
    int exitCode = kExitPassed;
    bool faxed = false;  // a fax went out
};

// Runs the scenarios, each into a folder of its own below `out` (or `out` itself for one command
// run alone), and says where the outputs are.
Ran runAll(std::vector<Scenario>& scenarios, const Options& o, bool ownFolders, const ProgramSetup& setup,
           std::ostream& out, std::ostream& err) {
    nlohmann::json all = nlohmann::json::array();
    std::vector<fs::path> previews;
    std::vector<std::string> failed;
    std::vector<std::string> skipped;
    std::vector<std::string> verdicts;
    Ran ran;
    for (auto& scenario : scenarios) {
        const fs::path folder = ownFolders ? o.out / output::safeName(scenario.name) : o.out;
        // The transcript goes into its files as the run goes; it is kept in memory only for
        // standard output, since a long run's transcript is large.
        Transcript transcript(o.json ? nullptr : &out, setup.interactive, o.json);
        const RunOutcome outcome = runScenario(scenario, folder, transcript);
        if (!outcome.verdict.empty()) verdicts.push_back(outcome.verdict);
        if (o.json) {
            all.push_back({{"scenario", scenario.name}, {"folder", folder.string()}, {"passed", outcome.passed},
                           {"differences", outcome.differences}, {"transcript", transcript.json()}});
            if (!outcome.verdict.empty()) all.back()["verdict"] = outcome.verdict;
        }
        if (!outcome.passed) failed.push_back(scenario.name);
        if (!outcome.skipped.empty()) {
            skipped.push_back(scenario.name);
            // Said on the error stream too, so a skip is never mistaken for a pass.
            err << "SKIPPED: " << scenario.name << ": " << outcome.skipped << "\n";
        }
        ran.faxed = ran.faxed || !outcome.faxFolders.empty();
        previews.insert(previews.end(), outcome.previews.begin(), outcome.previews.end());
        if (!o.json) out << "transcript: " << (folder / "transcript.txt").string() << "\n\n";
    }
    if (o.json) {
        out << all.dump(2) << "\n";
    } else if (!verdicts.empty()) {
        // A command run alone ends with what happened, not with expectations it never had.
        for (const auto& v : verdicts) out << v << "\n";
    } else {
        out << scenarios.size() - failed.size() - skipped.size() << " of " << scenarios.size()
            << " scenario(s) ran as expected";
        if (!failed.empty()) {
            out << "; not as expected:";
            for (const auto& f : failed) out << " " << f;
        }
        if (!skipped.empty()) {
            out << "; SKIPPED:";
            for (const auto& f : skipped) out << " " << f;
        }
        out << "\n";
    }
    if (!o.json && !previews.empty()) {
        // A merge of thousands of records names its first pages; the rest lie beside them.
        constexpr std::size_t named = 20;
        out << "previews of the fax pages:\n";
        for (std::size_t i = 0; i < previews.size() && i < named; ++i)
            out << "  " << fs::absolute(previews[i]).lexically_normal().string() << "\n";
        if (previews.size() > named) out << "  ... and " << previews.size() - named << " more\n";
    }
    ran.exitCode = !failed.empty() ? kExitFailed : skipped.size() == scenarios.size() ? kExitSkipped : kExitPassed;
    return ran;
}

std::vector<fs::path> exampleFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ".yaml") files.push_back(e.path());
    if (ec || files.empty()) throw InputError(folder.string() + ": no example scenarios there");
    // In the order of their numbers (2 before 10), then by name.
    const auto number = [](const fs::path& p) {
        const std::string name = p.filename().string();
        std::size_t digits = 0;
        while (digits < name.size() && digits < 9 && name[digits] >= '0' && name[digits] <= '9') ++digits;
        return digits ? std::stol(name.substr(0, digits)) : -1L;
    };
    std::sort(files.begin(), files.end(), [&](const fs::path& a, const fs::path& b) {
        const long na = number(a), nb = number(b);
        return na != nb ? na < nb : a < b;
    });
    return files;
}

// The faxes of a run's history, newest first: one line each.
int showOutbox(const fs::path& folder, std::ostream& out, std::ostream& err) {
    const fs::path file = folder / "history.db";
    if (!fs::is_regular_file(file)) {
        err << "telvora-sim: " << file.string() << ": no fax history here; give a scenario's output folder\n";
        return kExitBadInput;
    }
    try {
        SqliteFaxHistory history(file, "", folder);
        for (const FaxRecord& r : history.since(LocalTime::min())) {
            const auto day = std::chrono::floor<std::chrono::days>(r.submitted);
            const std::chrono::year_month_day date(day);
            const std::chrono::hh_mm_ss time(r.submitted - day);
            char when[32];
            std::snprintf(when, sizeof when, "%04d-%02u-%02u %02ld:%02ld:%02ld", static_cast<int>(date.year()),
                          static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                          static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                          static_cast<long>(time.seconds().count()));
            out << when << "  "
                << (r.recipient.empty() ? "(no name)" : r.recipient) << "  " << r.number << "  " << r.pagesSent
                << " of " << r.pagesTotal << " pages  " << FaxStateInWords(r.state)
                << (r.reason.empty() ? "" : ": " + r.reason) << (r.retries ? ", retries " + std::to_string(r.retries) : "")
                << (r.jobIds.empty() ? "" : "  job " + r.jobIds.front()) << "\n";
        }
        return kExitPassed;
    } catch (const RuntimeError& e) {
        err << "telvora-sim: " << e.description() << "\n";
        return kExitBadInput;
    }
}

}  // namespace

int runProgram(const std::vector<std::string>& arguments, const ProgramSetup& setup, std::ostream& out,
               std::ostream& err) {
    CLI::App app{"telvora-sim: the Telvora add-in on a simulated Word, printers and fax software", "telvora-sim"};
    Options o;
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--out", o.out, "Where everything is written (default ./telvora-out)");
    app.add_flag("--json", o.json, "Write the transcript as JSON on standard output");
    app.add_flag("--previews", o.previews, "Write a PNG picture of each fax page (the demo always does)");
    auto* run = app.add_subcommand("run", "Run scenario files and check what they expect");
    run->add_option("scenarios", o.scenarios, "Scenario files (YAML)")->required();
    auto* demo = app.add_subcommand("demo", "Run the bundled example scenarios");
    auto* fax = app.add_subcommand("fax", "Fax one marked .docx letter with the default machine and user");
    fax->add_option("letter", o.letter, "The letter (.docx), its fax number and recipient marked")->required();
    fax->add_option("--number", o.number, "The fax number the user types into the confirmation");
    fax->add_option("--subject", o.subject, "The subject the user types into the confirmation");
    fax->add_option("--software", o.software, "fax-service (default), windows-2000, shared or winfax");
    fax->add_option("--setting", o.settings, "A stored setting, KEY=VALUE (repeatable)");
    fax->add_flag("--quick", o.quick, "Quick Fax instead of Fax");
    fax->add_option("--select", o.select, "Text the user selects first (Quick Fax faxes a selected number)");
    auto* outbox = app.add_subcommand("outbox", "Show what became of the faxes a scenario's run sent");
    fs::path runFolder;
    outbox->add_option("folder", runFolder, "The scenario's output folder (holding history.db)")->required();

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitPassed;
    } catch (const CLI::ParseError& e) {
        err << "telvora-sim: " << e.what() << "\n" << "Run telvora-sim --help for the commands.\n";
        return kExitBadInput;
    }

    if (outbox->parsed()) return showOutbox(runFolder, out, err);

    try {
        // Every input is read and checked before anything is written.
        std::vector<Scenario> scenarios;
        bool ownFolders = true;
        if (run->parsed()) {
            for (const auto& file : o.scenarios) scenarios.push_back(loadScenario(file));
        } else if (fax->parsed()) {
            scenarios.push_back(faxScenario(o));
            ownFolders = false;
        } else {
            for (const auto& file : exampleFiles(setup.examplesFolder)) scenarios.push_back(loadScenario(file));
        }
        // The demo shows each fax page as a picture; other runs write them when asked.
        for (auto& scenario : scenarios) scenario.previews = o.previews || demo->parsed();
        for (std::size_t i = 0; i < scenarios.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (output::safeName(scenarios[i].name) == output::safeName(scenarios[j].name))
                    throw InputError(scenarios[i].file.string() + ": its name \"" + scenarios[i].name +
                                     "\" is the name of " + scenarios[j].file.string() + " too; each needs a folder of its own");
        for (const auto& scenario : scenarios) {
            const fs::path folder = ownFolders ? o.out / output::safeName(scenario.name) : o.out;
            // The folder named by --out is the user's choice, link or not; a link inside it that
            // stands for a scenario's folder would lead the run's outputs somewhere else.
            if (ownFolders && fs::is_symlink(folder))
                throw InputError(folder.string() + ": is a symbolic link, not a folder telvora-sim made; choose another --out");
            checkOutputFolder(folder);
        }
        const Ran ran = runAll(scenarios, o, ownFolders, setup, out, err);
        if (!o.json) {
            const fs::path outputs = fs::absolute(o.out).lexically_normal();
            out << "everything written: " << outputs.string() << "\n";
            // The fax images (TIFF Class F) lie in the outbox, one folder a job.
            if (ran.faxed)
                out << "fax images: " << (ownFolders ? outputs / "*" / "outbox" : outputs / "outbox").string() << "\n";
        }
        return ran.exitCode;
    } catch (const InputError& e) {
        err << "telvora-sim: " << e.what() << "\n";
        return kExitBadInput;
    } catch (const fs::filesystem_error& e) {
        // The output folder cannot be made or written (a file in its place, no permission).
        err << "telvora-sim: " << e.what() << "\n";
        return kExitBadInput;
    } catch (const RuntimeError& e) {
        err << "telvora-sim: " << e.description() << "\n";
        return kExitBadInput;
    }
}

}  // namespace telvora::sim::cli
