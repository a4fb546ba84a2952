// Every call of a fax, a quick fax and a fax merge that can fail, failed in turn on every kind of
// fax software: each Word call (through Word's object model), each call of the fax software and
// each operating-system call. Whichever fails, the user's active printer, the temporary folder,
// the settings and the document are as they were, no merged copy is left open, and the user is
// told, unless the fax went out as the user confirmed it.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings.h"
#include "merge/merge_run.h"
#include "send/fax_commands.h"
#include "sim/word/document_builder.h"
#include "support/fax_calls.h"
#include "sim/word/served_word.h"
#include "support/sim_addin.h"
#include "word_automation/word_application.h"

namespace telvora {
namespace {

enum class Command { Fax, QuickFax, Merge };
enum class Kind { Word, FaxSoftware, Platform };

struct Road {
    const char* name;
    Command command;
    const char* software;  // fax service, Windows 2000, shared server, WinFax
};

constexpr const char* kUsersPrinter = "Office Laser";

// What the user and the machine are left with after a command.
struct Aftermath {
    std::string activePrinter;
    std::vector<std::string> tempFiles;
    std::map<testing::MemorySettingsStore::Address, std::string> settings;
    std::vector<std::string> documents;
    std::string letterText;
    std::string faxes;  // number, recipient, company and subject of each fax that went out
    std::size_t faxesSent = 0;
    bool sentAsConfirmed = false;  // what went out is what a confirmation dialog showed
    std::vector<std::string> messages;
    bool settingsShown = false;  // the user could change the settings
    std::string escaped;         // a run-time error the command let through
};

// The user who accepts each dialog (its default button, else its first that does not cancel),
// chooses the merge's fields, answers each question with its first button and stops waiting for a
// WinFax that does not answer.
sim::UnscriptedUser acceptingUser() {
    sim::UnscriptedUser user;
    user.answer = [](MsgButtons b) { return b == MsgButtons::YesNo ? MsgResult::Yes : b == MsgButtons::RetryCancel ? MsgResult::Cancel : MsgResult::OK; };
    user.act = [](const Form& form) {
        const auto usable = [&](bool wanted) {
            return std::find_if(form.controls().begin(), form.controls().end(), [&](const auto& c) {
                return c->kind() == ControlKind::Button && c->visible() && c->enabled() && (wanted ? c->isDefault() : !c->isCancel());
            });
        };
        std::vector<sim::UserStep> steps = {sim::closeWindow()};
        if (usable(true) != form.controls().end()) steps = {sim::pressKey(kKeyReturn)};
        else if (usable(false) != form.controls().end()) steps = {sim::click((*usable(false))->name())};
        if (form.name() == "frmGetFields")
            steps = {sim::choose("cboName", "Name"), sim::choose("cboNumber", "Fax"), sim::click("cmdFaxOnly")};
        if (form.name() == "frmErrorLog") steps = {sim::click("cmdFaxAnyWay")};
        steps.insert(steps.end(), {sim::pressKey(kKeyEscape), sim::closeWindow()});
        return steps;
    };
    return user;
}

// One command on a machine of its own, with the printers, settings and fax software of its road.
class Attempt {
public:
    explicit Attempt(const Road& road) : road_(road) {
        const std::string software = road.software;
        const bool winFax = software == "WinFax";
        machine.setPrinters({kUsersPrinter, "Fax", "WinFax", "Filing Copier"});
        for (const auto& printer : machine.platform.installedPrinters) word->installPrinter(printer);
        word->onPrint([this](const sim::PrintRecord& print) { machine.fax.printed(print.printer, print.document); });
        machine.fax.extendedFaxInstalled = software != "Windows 2000";
        machine.fax.faxServiceInstalled = !machine.fax.extendedFaxInstalled;
        if (machine.fax.faxServiceInstalled) machine.runWindows(sim::windows::W2000);
        machine.fax.winFaxInstalled = winFax;
        machine.fax.winFaxPrinter = "WinFax";
        machine.fax.reachableServers = {"FAXSRV"};
        const std::pair<const char*, std::string> settings[] = {
            {keys::Printer, winFax ? "WinFax" : "Fax"}, {keys::FaxType, winFax ? "2" : software == "shared server" ? "3" : "1"},
            {keys::ServerName, "FAXSRV"}, {keys::DefaultPrinter, "Filing Copier"}, {keys::DefaultCopies, "1"}};
        for (const auto& [key, value] : settings) store.SaveSetting(kAppName, kSectionName, key, value);

        sim::DocumentBuilder letter("Letter.doc");
        if (road.command == Command::Merge) {
            letter.text("Dear ").mergeField("Name").mergeData("C:\\Data\\customers.csv", {"Name", "Fax"},
                                                              {{"Ann", "02 1111 2222"}, {"Bo", "02 3333 4444"}});
        } else {
            letter.styled("tlvRecipientName", "Ann Okafor").text("\r").styled("tlvCompanyName", "Okafor & Sons").text("\r");
            letter.styled("tlvFaxNumber", "(02) 9876 5432").text("\rPlease find our quote below.").select(25, 39);
        }
        word->open(letter.build());
        addin.setWord(word_automation::wordApplication(served.application(), nullptr));
        user.setUnscripted(acceptingUser());
        before = aftermath();
    }

    void fail(Kind kind, std::size_t number) {
        const RuntimeError error(static_cast<std::int32_t>(0x80004005), "Unspecified error", "Simulated failure");
        if (kind == Kind::Word) served.failCall(number, error);
        if (kind == Kind::FaxSoftware) machine.fax.failingCall = sim::FaxSoftware::FailingCall{number, error};
        if (kind == Kind::Platform) machine.platform.failingCall = number;
    }

    Aftermath run() {
        std::string escaped;
        try {
            if (road_.command == Command::Fax) FaxCommand(addin);
            if (road_.command == Command::QuickFax) QuickFaxCommand(addin);
            if (road_.command == Command::Merge) MergeFax(addin, WinFaxPatience{std::chrono::milliseconds(75), std::chrono::seconds(1)});
        } catch (const RuntimeError& e) {
            escaped = std::to_string(e.number()) + " " + e.description();
        }
        Aftermath after = aftermath();
        after.escaped = escaped;
        return after;
    }

    // The calls of that kind made so far, each as one line.
    std::vector<std::string> calls(Kind kind) const {
        if (kind == Kind::Word) return served.calls();
        if (kind == Kind::Platform) return machine.platform.calls;
        return testing::faxCallLines(machine.fax);
    }
    std::string told() const {
        std::string text;
        for (const auto& line : user.transcript()) text += "\n    " + line;
        return text;
    }

    Aftermath before;

private:
    Aftermath aftermath() const {
        Aftermath a;
        for (const auto& file : std::filesystem::directory_iterator(machine.platform.realPath("C:\\Temp")))
            a.tempFiles.push_back(file.path().filename().string());
        std::sort(a.tempFiles.begin(), a.tempFiles.end());
        a.activePrinter = word->activePrinter();
        a.settings = store.all();
        a.documents = word->documentNames();
        a.letterText = word->document("Letter.doc")->text(sim::StoryKind::Main);
        for (const auto& job : machine.fax.jobs) {
            if (job.bodyPrintedByApplication && job.printedDocument.empty()) continue;  // WinFax still waits
            ++a.faxesSent;
            a.faxes += job.number + "/" + job.recipient + "/" + job.company + "/" + job.subject + "; ";
            for (const auto& form : user.forms()) {
                const auto shown = [&](const char* control, const std::string& sent) {
                    return !form.texts.contains(control) || form.texts.at(control) == sent;
                };
                // Not every fax software takes the company.
                a.sentAsConfirmed |= form.name.find("Confirm") != std::string::npos && shown("txtName", job.recipient) &&
                                     shown("txtSubject", job.subject) && (job.company.empty() || shown("txtCompany", job.company));
            }
        }
        for (const auto& m : user.messages()) a.messages.push_back(m.prompt);
        for (const auto& form : user.forms()) a.settingsShown |= form.name == "frmPrinter" || form.name == "frmSettings";
        return a;
    }

    const Road& road_;
    testing::ScratchFolder scratch;
    testing::MemorySettingsStore store;
    sim::SimMachine machine{scratch.path()};
    sim::ScriptedUser user;
    std::shared_ptr<sim::WordProcessor> word = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{machine.platform.paths()});
    sim::ServedWord served{word};
    Addin addin{Ports{store, machine.automation, user, machine.platform, &machine.dateTimes}};
};

// The settings that differ, one "key: before -> after" each.
std::string changes(const Aftermath& was, const Aftermath& is) {
    std::map<std::string, std::pair<std::string, std::string>> values;
    for (const auto& [address, value] : was.settings) values[std::get<2>(address)].first = value;
    for (const auto& [address, value] : is.settings) values[std::get<2>(address)].second = value;
    std::string text;
    for (const auto& [key, v] : values)
        if (v.first != v.second) text += key + ": \"" + v.first + "\" -> \"" + v.second + "\"; ";
    return text;
}

class FaultSweep : public ::testing::TestWithParam<Road> {};

TEST_P(FaultSweep, WhicheverCallFailsTheUserIsToldAndNothingIsLeftChanged) {
    const Road& road = GetParam();
    Attempt clean(road);
    const Aftermath done = clean.run();
    ASSERT_EQ(done.escaped, "");
    ASSERT_EQ(done.faxesSent, road.command == Command::Merge ? 2u : 1u) << clean.told();

    for (const Kind kind : {Kind::Word, Kind::FaxSoftware, Kind::Platform}) {
        const auto calls = clean.calls(kind);
        for (std::size_t n = 1; n <= calls.size(); ++n) {
            Attempt attempt(road);
            attempt.fail(kind, n);
            const Aftermath after = attempt.run();
            const std::string failed = attempt.calls(kind).size() >= n ? attempt.calls(kind)[n - 1] : "(never made)";
            SCOPED_TRACE(std::string(road.name) + ", failing " + failed);
            // A call that undoes what the command did (putting the printer back, deleting its file,
            // closing a merged copy) leaves that undone when it fails itself; the user is told.
            const bool undoing = failed == "Application.ActivePrinter = BSTR:" + std::string(kUsersPrinter) ||
                                 failed.starts_with("deleteFile") || failed.starts_with("Document.Close");
            EXPECT_EQ(after.escaped, "");
            EXPECT_TRUE(undoing || after.activePrinter == kUsersPrinter) << after.activePrinter;
            EXPECT_TRUE(undoing || after.tempFiles == attempt.before.tempFiles) << after.tempFiles.size() << " files";
            EXPECT_TRUE(undoing || after.documents == attempt.before.documents) << after.documents.size() << " documents";
            EXPECT_EQ(after.letterText, attempt.before.letterText);
            // Unless the user was shown the settings and could change them there.
            const bool allSent = after.faxesSent == done.faxesSent;
            EXPECT_EQ(after.settingsShown ? "" : changes(allSent ? done : attempt.before, after), "") << attempt.told();
            const bool told = std::any_of(after.messages.begin(), after.messages.end(), [&](const std::string& m) {
                return std::find(done.messages.begin(), done.messages.end(), m) == done.messages.end();
            });
            EXPECT_TRUE((after.faxes == done.faxes && !undoing) || told || (after.faxesSent == 1 && after.sentAsConfirmed))
                << "the user was not told:" << attempt.told() << "\n  sent: " << after.faxes;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, FaultSweep,
                         ::testing::Values(Road{"fax, fax service", Command::Fax, "fax service"},
                                           Road{"fax, Windows 2000", Command::Fax, "Windows 2000"},
                                           Road{"fax, shared server", Command::Fax, "shared server"},
                                           Road{"fax, WinFax", Command::Fax, "WinFax"},
                                           Road{"quick fax, fax service", Command::QuickFax, "fax service"},
                                           Road{"quick fax, Windows 2000", Command::QuickFax, "Windows 2000"},
                                           Road{"quick fax, shared server", Command::QuickFax, "shared server"},
                                           Road{"quick fax, WinFax", Command::QuickFax, "WinFax"},
                                           Road{"merge, fax service", Command::Merge, "fax service"},
                                           Road{"merge, shared server", Command::Merge, "shared server"},
                                           Road{"merge, WinFax", Command::Merge, "WinFax"}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                             return name;
                         });

}  // namespace
}  // namespace telvora
