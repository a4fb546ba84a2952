// Reading a scenario file.
#include "sim/cli/scenario.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "base/text.h"
#include "core/settings.h"
#include "sim/docx/docx.h"
#include "sim/machine/machine_paths.h"
#include "sim/word/csv_data_source.h"
#include "sim/word/document_builder.h"

namespace telvora::sim::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string fileNameOf(const std::string& windowsPath) {
    const auto slash = windowsPath.find_last_of("\\/:");
    return slash == std::string::npos ? windowsPath : windowsPath.substr(slash + 1);
}

std::string folderOf(const std::string& windowsPath) {
    const auto slash = windowsPath.find_last_of("\\/");
    return slash == std::string::npos ? "" : windowsPath.substr(0, slash + 1);
}

// Reads one file's YAML, naming the file, line and column of anything it gets wrong.
class Reader {
public:
    explicit Reader(std::string file) : file_(std::move(file)) {}

    [[noreturn]] void fail(const YAML::Node& node, const std::string& what) const {
        const auto mark = node.Mark();
        std::string where = file_;
        if (mark.line >= 0) where += ":" + std::to_string(mark.line + 1) + ":" + std::to_string(mark.column + 1);
        throw InputError(where + ": " + what);
    }
    std::string where(const YAML::Node& node) const {
        const auto mark = node.Mark();
        return file_ + (mark.line >= 0 ? ":" + std::to_string(mark.line + 1) + ":" + std::to_string(mark.column + 1) : "");
    }

    // A mapping whose keys must all be among `allowed`.
    void keys(const YAML::Node& node, const std::string& what, std::initializer_list<const char*> allowed) const {
        if (!node.IsMap()) fail(node, what + " must be a mapping of keys to values");
        for (const auto& item : node) {
            const std::string key = item.first.as<std::string>();
            if (std::none_of(allowed.begin(), allowed.end(), [&](const char* a) { return key == a; })) {
                std::string list;
                for (const char* a : allowed) list += (list.empty() ? "" : ", ") + std::string(a);
                fail(item.first, "unknown key \"" + key + "\" in " + what + " (known: " + list + ")");
            }
        }
    }

    std::string text(const YAML::Node& node, const std::string& what) const {
        if (!node.IsScalar()) fail(node, what + " must be a single value");
        // Checked again after yaml-cpp: its reading of odd input (a NUL byte) has made bytes that
        // are no UTF-8 of a file that was.
        if (!isValidUtf8(node.Scalar())) fail(node, what + " is not UTF-8 text");
        return node.Scalar();
    }
    bool boolean(const YAML::Node& node, const std::string& what) const {
        const std::string v = lower(text(node, what));
        if (v == "true" || v == "yes" || v == "on") return true;
        if (v == "false" || v == "no" || v == "off") return false;
        fail(node, what + " must be true or false, not \"" + node.Scalar() + "\"");
    }
    long long integer(const YAML::Node& node, const std::string& what, long long low, long long high) const {
        const std::string v = text(node, what);
        long long n = 0;
        const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
        const char* begin = v.data() + (hex ? 2 : 0);
        const auto [end, ec] = std::from_chars(begin, v.data() + v.size(), n, hex ? 16 : 10);
        if (ec != std::errc() || end != v.data() + v.size() || v.empty())
            fail(node, what + " must be a whole number, not \"" + v + "\"");
        if (n < low || n > high)
            fail(node, what + " must lie between " + std::to_string(low) + " and " + std::to_string(high));
        return n;
    }
    std::vector<std::string> texts(const YAML::Node& node, const std::string& what) const {
        if (node.IsScalar()) return {node.Scalar()};
        if (!node.IsSequence()) fail(node, what + " must be a list");
        std::vector<std::string> out;
        for (const auto& item : node) out.push_back(text(item, what));
        return out;
    }
    // The sequence itself, not a reference: `node` is mostly a temporary (root["steps"]) that ends
    // before the loop over the answer begins.
    YAML::Node list(const YAML::Node& node, const std::string& what) const {
        if (!node.IsSequence()) fail(node, what + " must be a list");
        return node;
    }

    const std::string& file() const noexcept { return file_; }

private:
    std::string file_;
};

LocalTime parseClock(const Reader& r, const YAML::Node& node) {
    const std::string v = r.text(node, "machine.clock");
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    const int n = std::sscanf(v.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if ((n != 3 && n != 6) || !date.ok() || h > 23 || mi > 59 || s > 59)
        r.fail(node, "machine.clock must be a moment as \"2025-03-03 09:30:00\", not \"" + v + "\"");
    return local_days{date} + hours{h} + minutes{mi} + seconds{s};
}

MsgResult parseAnswer(const Reader& r, const YAML::Node& node) {
    const std::string v = lower(r.text(node, "an answer"));
    if (v == "ok") return MsgResult::OK;
    if (v == "cancel") return MsgResult::Cancel;
    if (v == "yes") return MsgResult::Yes;
    if (v == "no") return MsgResult::No;
    if (v == "retry") return MsgResult::Retry;
    r.fail(node, "an answer must be OK, Cancel, Yes, No or Retry, not \"" + node.Scalar() + "\"");
}

UserStep parseAction(const Reader& r, const YAML::Node& node, const std::string& dialog) {
    const std::string what = "an action in " + dialog;
    if (node.IsScalar()) {
        if (lower(node.Scalar()) == "close") return closeWindow();
        r.fail(node, what + " must be close, or one of type, choose, click, key with its value");
    }
    r.keys(node, what, {"type", "choose", "click", "key"});
    if (node.size() != 1) r.fail(node, what + " must be one action");
    const auto item = *node.begin();
    const std::string kind = item.first.as<std::string>();
    const YAML::Node value = item.second;
    if (kind == "click") return click(r.text(value, "click"));
    if (kind == "key") {
        const std::string k = lower(r.text(value, "key"));
        if (k == "return" || k == "enter") return pressKey(kKeyReturn);
        if (k == "escape" || k == "esc") return pressKey(kKeyEscape);
        if (k == "f1") return pressKey(kKeyF1);
        return pressKey(static_cast<int>(r.integer(value, "key", 1, 255)));
    }
    if (!value.IsMap() || value.size() != 1)
        r.fail(value, kind + " in " + dialog + " must name one control and its text: {txtCopies: \"2\"}");
    const auto entry = *value.begin();
    const std::string control = entry.first.as<std::string>();
    const std::string text = r.text(entry.second, kind + " " + control);
    return kind == "type" ? typeInto(control, text) : choose(control, text);
}

UserScript parseUser(const Reader& r, const YAML::Node& node) {
    UserScript script;
    if (node.IsScalar()) {
        if (lower(node.Scalar()) == "accept") {
            script.acceptEverything = true;
            return script;
        }
        r.fail(node, "user must be accept, or a mapping with answers, dialogs, previews and otherwise");
    }
    r.keys(node, "user", {"answers", "dialogs", "previews", "otherwise"});
    if (node["previews"]) {
        for (const auto& p : r.list(node["previews"], "user.previews")) {
            const std::string answer = lower(r.text(p, "a preview's answer"));
            if (answer != "send" && answer != "cancel") r.fail(p, "a preview is answered Send or Cancel");
            script.previews.push_back(answer == "send" ? PreviewAnswer::Send : PreviewAnswer::Cancel);
        }
    }
    if (node["answers"])
        for (const auto& a : r.list(node["answers"], "user.answers")) script.answers.push_back(parseAnswer(r, a));
    if (node["dialogs"]) {
        for (const auto& d : r.list(node["dialogs"], "user.dialogs")) {
            if (!d.IsMap() || d.size() != 1) r.fail(d, "each of user.dialogs names one dialog and its actions");
            const auto entry = *d.begin();
            const std::string name = entry.first.as<std::string>();
            std::vector<UserStep> steps;
            if (!entry.second.IsNull()) {
                for (const auto& a : r.list(entry.second, "the actions of " + name)) steps.push_back(parseAction(r, a, name));
            }
            script.dialogs.emplace_back(name, std::move(steps));
        }
    }
    if (node["otherwise"]) {
        if (lower(r.text(node["otherwise"], "user.otherwise")) != "accept")
            r.fail(node["otherwise"], "user.otherwise can only be accept");
        script.acceptEverything = true;
    }
    return script;
}

// Checks a Windows path of the simulated machine without touching it: one that climbs out, names
// another drive or a network share, or a name Windows refuses is refused; so is one that names no
// file where a file is wanted (a drive or a folder: "C:\\", "C:\\Data\\").
std::string machinePath(const Reader& r, const YAML::Node& node, const std::string& what, const fs::path& folder,
                        bool file = false) {
    const std::string path = r.text(node, what);
    try {
        (void)MachinePaths(folder).toHost(path);
    } catch (const RuntimeError& e) {
        r.fail(node, what + ": " + e.description());
    }
    const std::string name = fileNameOf(path.size() >= 2 && path[1] == ':' ? path.substr(2) : path);
    if (file && (name.empty() || name == "."))
        r.fail(node, what + ": \"" + path + "\" names a folder, not a file");
    return path;
}

// A machine path as the machine compares it: "C:\\Data\\x.csv", "c:/data/./X.CSV" and
// "\\Data\\x.csv" are one path.
std::string comparable(const std::string& windowsPath) {
    std::string key;
    std::string segment;
    const std::string p = windowsPath.size() >= 2 && windowsPath[1] == ':' ? windowsPath.substr(2) : windowsPath;
    for (std::size_t i = 0; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '\\' && p[i] != '/') {
            segment += static_cast<char>(std::tolower(static_cast<unsigned char>(p[i])));
            continue;
        }
        if (!segment.empty() && segment != ".") key += "\\" + segment;
        segment.clear();
    }
    return key;
}

class Loader {
public:
    Loader(const fs::path& file, Reader reader) : reader_(std::move(reader)) {
        scenario_.file = file;
        scenario_.folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
        scenario_.name = file.stem().string();
        scenario_.machine = defaultMachine();
    }

    Scenario load(const YAML::Node& root) {
        const Reader& r = reader_;
        if (!root.IsMap()) r.fail(root, "a scenario must be a mapping with name, machine, settings, documents, steps and expect");
        r.keys(root, "the scenario", {"name", "description", "machine", "settings", "documents", "steps", "expect"});
        if (root["name"]) scenario_.name = r.text(root["name"], "name");
        if (root["description"]) {
            scenario_.description = r.text(root["description"], "description");
            while (!scenario_.description.empty() && std::isspace(static_cast<unsigned char>(scenario_.description.back())))
                scenario_.description.pop_back();
        }
        if (root["machine"]) machine(root["machine"]);
        if (root["settings"]) {
            const auto& s = root["settings"];
            if (!s.IsMap()) r.fail(s, "settings must be a mapping of setting names to values");
            for (const auto& item : s) scenario_.settings.emplace_back(item.first.as<std::string>(), r.text(item.second, "setting " + item.first.as<std::string>()));
        }
        if (root["documents"])
            for (const auto& d : r.list(root["documents"], "documents")) document(d);
        if (!scenario_.documents.empty() &&
            std::none_of(scenario_.documents.begin(), scenario_.documents.end(), [](const auto& d) { return d.active; }))
            scenario_.documents.back().active = true;
        if (!root["steps"]) r.fail(root, "a scenario needs steps");
        for (const auto& s : r.list(root["steps"], "steps")) step(s);
        if (root["expect"]) expect(root["expect"]);
        checkFilesHaveRoom();
        return std::move(scenario_);
    }

private:
    void machine(const YAML::Node& m) {
        const Reader& r = reader_;
        r.keys(m, "machine", {"windows", "computer", "printers", "faxSoftware", "faxDevices", "faxServiceAnswers",
                              "faxServers", "serverCoverPages", "sharedFaxServer", "tempFolder", "clock", "files",
                              "failures"});
        MachineSetup& setup = scenario_.machine;
        if (m["windows"]) {
            const auto release = windowsRelease(r.text(m["windows"], "machine.windows"));
            if (!release) r.fail(m["windows"], "machine.windows must be NT4, 2000, XP, 2003, Vista, 7, 10 or 11");
            setup.windows = *release;
            setup.windowsName = m["windows"].Scalar();
        }
        if (m["computer"]) setup.computerName = r.text(m["computer"], "machine.computer");
        if (m["printers"]) {
            setup.printers.clear();
            for (const auto& p : r.list(m["printers"], "machine.printers")) {
                PrinterSetup printer;
                if (p.IsScalar()) {
                    printer.name = p.Scalar();
                } else {
                    r.keys(p, "a printer", {"name", "kind"});
                    if (!p["name"]) r.fail(p, "a printer needs a name");
                    printer.name = r.text(p["name"], "printer name");
                    if (p["kind"]) {
                        const std::string k = lower(r.text(p["kind"], "printer kind"));
                        if (k == "paper") printer.kind = PrinterKind::Paper;
                        else if (k == "fax") printer.kind = PrinterKind::Fax;
                        else if (k == "winfax") printer.kind = PrinterKind::WinFax;
                        else r.fail(p["kind"], "a printer's kind must be paper, fax or winfax");
                    }
                }
                setup.printers.push_back(printer);
            }
        }
        if (m["faxSoftware"]) {
            setup.faxService = setup.extendedFaxService = setup.winFax = false;
            for (const auto& f : r.list(m["faxSoftware"], "machine.faxSoftware")) {
                const std::string k = lower(r.text(f, "fax software"));
                if (k == "fax service") setup.faxService = true;
                else if (k == "extended fax service") setup.extendedFaxService = true;
                else if (k == "winfax") setup.winFax = true;
                else r.fail(f, "fax software must be \"fax service\", \"extended fax service\" or \"winfax\"");
            }
        }
        if (m["faxDevices"]) setup.faxDevices = static_cast<int>(r.integer(m["faxDevices"], "machine.faxDevices", 0, 100));
        if (m["faxServiceAnswers"]) setup.faxServiceAnswers = r.boolean(m["faxServiceAnswers"], "machine.faxServiceAnswers");
        if (m["faxServers"]) setup.faxServers = r.texts(m["faxServers"], "machine.faxServers");
        if (m["serverCoverPages"]) setup.serverCoverPages = r.texts(m["serverCoverPages"], "machine.serverCoverPages");
        if (m["sharedFaxServer"]) {
            const std::string kind = lower(r.text(m["sharedFaxServer"], "machine.sharedFaxServer"));
            if (kind == "hylafax") setup.hylafaxServer = true;
            else if (kind != "simulated") r.fail(m["sharedFaxServer"], "machine.sharedFaxServer must be simulated or hylafax");
        }
        if (m["tempFolder"]) setup.tempFolder = machinePath(r, m["tempFolder"], "machine.tempFolder", scenario_.folder);
        if (m["clock"]) setup.clock = parseClock(r, m["clock"]);
        if (m["files"]) {
            if (!m["files"].IsMap()) r.fail(m["files"], "machine.files must map Windows paths to files beside the scenario");
            for (const auto& f : m["files"]) {
                const std::string windows = machinePath(r, f.first, "machine.files", scenario_.folder, true);
                filesMade_.emplace_back(windows, f.first);
                const std::string relative = r.text(f.second, "machine.files " + windows);
                setup.files.emplace_back(windows, fileInside(scenario_.folder, relative, r.where(f.second)));
                if (!fs::is_regular_file(setup.files.back().second))
                    r.fail(f.second, "the file " + relative + " is not beside the scenario");
            }
        }
        if (m["failures"]) failures(m["failures"]);
    }

    void failures(const YAML::Node& f) {
        const Reader& r = reader_;
        r.keys(f, "machine.failures", {"receiptsRefused", "submissionsRefused", "tempFolderFails", "failingPrinters",
                                       "winFaxPollsBeforeReady", "winFaxPollsBeforeFiled", "faxJobs"});
        MachineSetup& setup = scenario_.machine;
        if (f["receiptsRefused"]) setup.receiptsRefused = r.boolean(f["receiptsRefused"], "receiptsRefused");
        if (f["submissionsRefused"])
            setup.submissionsRefused = static_cast<std::int32_t>(static_cast<std::uint32_t>(
                r.integer(f["submissionsRefused"], "submissionsRefused", 0, 0xFFFFFFFFLL)));
        if (f["tempFolderFails"]) setup.tempFolderFails = r.boolean(f["tempFolderFails"], "tempFolderFails");
        if (f["failingPrinters"]) setup.failingPrinters = r.texts(f["failingPrinters"], "failingPrinters");
        if (f["winFaxPollsBeforeReady"])
            setup.winFaxPollsBeforeReady = static_cast<int>(r.integer(f["winFaxPollsBeforeReady"], "winFaxPollsBeforeReady", 0, 1000));
        if (f["winFaxPollsBeforeFiled"])
            setup.winFaxPollsBeforeFiled = static_cast<int>(r.integer(f["winFaxPollsBeforeFiled"], "winFaxPollsBeforeFiled", 0, 1000));
        if (f["faxJobs"] && f["faxJobs"].IsSequence()) {
            // One course a job in turn; the last one goes on for every job after.
            const auto courses = r.list(f["faxJobs"], "machine.failures.faxJobs");
            if (courses.size() == 0) r.fail(f["faxJobs"], "faxJobs lists at least one course");
            for (std::size_t i = 0; i < courses.size(); ++i) {
                scenario_.machine.jobCourse = {};
                jobCourse(courses[i]);
                if (i + 1 < courses.size()) scenario_.machine.firstJobCourses.push_back(scenario_.machine.jobCourse);
            }
        } else if (f["faxJobs"]) {
            jobCourse(f["faxJobs"]);
        }
    }

    // How the extended fax service's jobs go (the next one, when a list gives one a job): "ending" (sent, busy, no answer, stopped after page,
    // cancelled by server), "pages", "stoppedAfterPage", "retries".
    void jobCourse(const YAML::Node& j) {
        const Reader& r = reader_;
        r.keys(j, "machine.failures.faxJobs", {"ending", "pages", "stoppedAfterPage", "retries"});
        JobCourse& course = scenario_.machine.jobCourse;
        if (j["ending"]) {
            static const std::pair<const char*, JobEnding> kEndings[] = {
                {"sent", JobEnding::Sent}, {"busy", JobEnding::Busy}, {"no answer", JobEnding::NoAnswer},
                {"stopped after page", JobEnding::StoppedAfterPage},
                {"cancelled by server", JobEnding::CancelledByServer}};
            const std::string ending = lower(r.text(j["ending"], "ending"));
            const auto* found = std::find_if(std::begin(kEndings), std::end(kEndings),
                                             [&](const auto& e) { return ending == e.first; });
            if (found == std::end(kEndings))
                r.fail(j["ending"], "ending is one of: sent, busy, no answer, stopped after page, cancelled by server");
            course.ending = found->second;
        }
        if (j["pages"]) course.pages = static_cast<std::int32_t>(r.integer(j["pages"], "pages", 1, 10000));
        if (j["stoppedAfterPage"])
            course.stoppedAfterPage = static_cast<std::int32_t>(r.integer(j["stoppedAfterPage"], "stoppedAfterPage", 0, 10000));
        if (j["retries"]) course.retries = static_cast<std::int32_t>(r.integer(j["retries"], "retries", 0, 99));
    }

    // Every file the machine is given is made where the machine has no folder: not at its
    // temporary or add-in folder, nor where another file's folder lies.
    void checkFilesHaveRoom() const {
        std::set<std::string> folders{comparable("C:\\Temp"), comparable("C:\\Telvora"),
                                      comparable(scenario_.machine.tempFolder)};
        for (const auto& [path, where] : filesMade_) {
            std::string folder = comparable(path);  // each folder it lies in, up to the root
            for (auto cut = folder.rfind('\\'); cut != std::string::npos && cut > 0; cut = folder.rfind('\\'))
                folders.insert(folder.erase(cut));
        }
        for (const auto& [path, where] : filesMade_)
            if (folders.contains(comparable(path)))
                reader_.fail(where, path + " is a folder of the machine; a file cannot be put there");
    }

    // The host file standing for a machine path the scenario put on the machine, if any.
    std::optional<fs::path> machineFile(const std::string& windowsPath) const {
        for (const auto& [path, host] : scenario_.machine.files)
            if (lower(path) == lower(windowsPath)) return host;
        return std::nullopt;
    }

    void document(const YAML::Node& d) {
        const Reader& r = reader_;
        r.keys(d, "a document", {"file", "text", "name", "path", "active", "select", "dataSource"});
        DocumentSetup doc;
        if (d["file"] && d["text"]) r.fail(d, "a document is either a file or a text, not both");
        if (!d["file"] && !d["text"]) r.fail(d, "a document needs a file (a .docx beside the scenario) or a text");
        std::string name;
        if (d["name"]) {
            name = r.text(d["name"], "document name");
            if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos || name == "." || name == "..")
                r.fail(d["name"], "a document's name is a file name, without a folder or the characters \\ / : * ? \" < > |");
        }
        else if (d["file"]) name = fs::path(r.text(d["file"], "document file")).filename().string();
        else name = "Document" + std::to_string(scenario_.documents.size() + 1) + ".docx";
        doc.machinePath = d["path"] ? machinePath(r, d["path"], "document path", scenario_.folder, true)
                                    : "C:\\Users\\Public\\Documents\\" + name;
        if (!d["path"]) {
            const YAML::Node named = d["name"] ? d["name"] : d["file"];
            try {
                (void)MachinePaths(scenario_.folder).toHost(doc.machinePath);
            } catch (const RuntimeError& e) {
                r.fail(named, "a document's name is a file name Windows allows: " + e.description());
            }
        }
        filesMade_.emplace_back(doc.machinePath, d["path"] ? d["path"] : d);
        doc.name = fileNameOf(doc.machinePath);
        if (d["file"]) {
            const std::string relative = r.text(d["file"], "document file");
            doc.sourceFile = fileInside(scenario_.folder, relative, r.where(d["file"]));
            const std::string folder = folderOf(doc.machinePath);
            const docx::DataSourceOpener open = [&](const std::string& path, std::optional<char> delimiter) {
                const bool rooted = (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() > 1 && path[1] == ':');
                const std::string name = rooted ? path : folder + path;
                const auto host = machineFile(name);
                if (!host)
                    throw InputError(relative + ": its mail-merge data source " + name +
                                     " is not on the machine (put it there with machine.files)");
                try {
                    return readDataSourceFile(*host, name, delimiter);
                } catch (const RuntimeError& e) {
                    throw InputError(host->string() + ": " + e.description());
                }
            };
            if (!fs::is_regular_file(*doc.sourceFile)) r.fail(d["file"], "the document " + relative + " is not beside the scenario");
            try {
                doc.model = docx::readDocx(*doc.sourceFile, doc.name, relative, open);
            } catch (const RuntimeError& e) {
                throw InputError(r.where(d["file"]) + ": " + e.description());
            }
        } else {
            doc.model = inlineDocument(d, doc.name);
        }
        if (d["active"]) doc.active = r.boolean(d["active"], "active");
        if (doc.active)
            for (auto& other : scenario_.documents) other.active = false;
        if (d["select"]) {
            const std::string wanted = r.text(d["select"], "select");
            const auto span = findInMainText(doc.model, wanted);
            if (!span) r.fail(d["select"], "the text \"" + wanted + "\" to select is not in " + doc.name);
            doc.model.selection = *span;
        }
        for (const auto& other : scenario_.documents)
            if (lower(other.name) == lower(doc.name)) r.fail(d, "two documents are named " + doc.name);
        scenario_.documents.push_back(std::move(doc));
    }

    // "[tlvFaxNumber: 555 1234]" is text in that character style, "«Name»" a merge field, "[[" a
    // bracket; each line is a paragraph.
    DocumentModel inlineDocument(const YAML::Node& d, const std::string& name) {
        const Reader& r = reader_;
        const std::string text = r.text(d["text"], "document text");
        // What the word processor refuses (a style of that name that is no character style, a
        // mark without a style name) is the scenario's fault.
        try {
            DocumentBuilder builder(name);
            std::string plain;
            auto flush = [&] {
                if (!plain.empty()) builder.text(plain);
                plain.clear();
            };
            for (std::size_t i = 0; i < text.size();) {
                if (text.compare(i, 2, "[[") == 0) {
                    plain += '[';
                    i += 2;
                } else if (text[i] == '[') {
                    const auto colon = text.find(':', i);
                    const auto close = text.find(']', i);
                    if (colon == std::string::npos || close == std::string::npos || colon > close)
                        r.fail(d["text"], "a marked span is written [style: text]; this one is not closed or has no style");
                    flush();
                    const std::string style = text.substr(i + 1, colon - i - 1);
                    std::string marked = text.substr(colon + 1, close - colon - 1);
                    if (!marked.empty() && marked.front() == ' ') marked.erase(0, 1);
                    builder.styled(style, marked);
                    i = close + 1;
                } else if (text.compare(i, 2, "\xC2\xAB") == 0) {
                    const auto close = text.find("\xC2\xBB", i);
                    if (close == std::string::npos) r.fail(d["text"], "a merge field «Name» is not closed");
                    flush();
                    builder.mergeField(text.substr(i + 2, close - i - 2));
                    i = close + 2;
                } else if (text[i] == '\n') {
                    plain += '\r';
                    ++i;
                } else {
                    plain += text[i++];
                }
            }
            flush();
            if (d["dataSource"]) {
                const std::string path = machinePath(r, d["dataSource"], "dataSource", scenario_.folder);
                const auto host = machineFile(path);
                if (!host) r.fail(d["dataSource"], "the data source " + path + " is not on the machine (put it there with machine.files)");
                try {
                    MergeSource source = readDataSourceFile(*host, path);
                    builder.mergeData(source.name, source.fieldNames, source.records);
                } catch (const RuntimeError& e) {
                    throw InputError(host->string() + ": " + e.description());
                }
            }
            return builder.build();
        } catch (const RuntimeError& e) {
            r.fail(d["text"], "document text: " + e.description());
        }
    }

    void step(const YAML::Node& s) {
        const Reader& r = reader_;
        r.keys(s, "a step", {"call", "arguments", "start", "save", "wait", "name", "document", "select", "user",
                                    "raises"});
        ScenarioStep step;
        const int kinds = (s["call"] ? 1 : 0) + (s["start"] ? 1 : 0) + (s["save"] ? 1 : 0) + (s["wait"] ? 1 : 0);
        if (kinds != 1)
            r.fail(s, "a step is one of call (a Buttons method), start (Word), save (a path) or wait (seconds)");
        if (s["call"]) {
            step.method = r.text(s["call"], "call");
            step.label = step.method;
            if (s["arguments"]) step.arguments = r.texts(s["arguments"], "arguments");
        } else if (s["start"]) {
            if (lower(r.text(s["start"], "start")) != "word") r.fail(s["start"], "start can only be Word");
            step.kind = ScenarioStep::Kind::StartWord;
            step.label = "start Word";
        } else if (s["wait"]) {
            step.kind = ScenarioStep::Kind::Wait;
            step.wait = std::chrono::seconds(r.integer(s["wait"], "wait", 1, 86400));
            step.label = "wait " + std::to_string(step.wait.count()) + " s";
        } else {
            step.kind = ScenarioStep::Kind::Save;
            step.savePath = machinePath(r, s["save"], "save", scenario_.folder, true);
            step.label = "save " + step.savePath;
        }
        if (s["name"]) step.label = r.text(s["name"], "step name");
        if (s["document"]) {
            step.document = r.text(s["document"], "document");
            if (std::none_of(scenario_.documents.begin(), scenario_.documents.end(),
                             [&](const auto& d) { return lower(d.name) == lower(step.document); }))
                r.fail(s["document"], "no document is named " + step.document);
        }
        if (s["select"]) step.selectText = r.text(s["select"], "select");
        if (s["user"]) step.user = parseUser(r, s["user"]);
        if (s["raises"]) step.raises = static_cast<std::int32_t>(r.integer(s["raises"], "raises", -2147483648LL, 2147483647LL));
        scenario_.steps.push_back(std::move(step));
    }

    std::optional<std::string> optionalText(const YAML::Node& node, const char* key) const {
        if (!node[key]) return std::nullopt;
        return reader_.text(node[key], key);
    }

    void expect(const YAML::Node& e) {
        const Reader& r = reader_;
        r.keys(e, "expect", {"messages", "dialogs", "settings", "prints", "faxJobs", "hylafaxQueue", "tempFiles", "marks",
                                      "statusBar"});
        Expectations& x = scenario_.expect;
        if (e["messages"]) {
            x.messages.emplace();
            for (const auto& m : r.list(e["messages"], "expect.messages")) {
                ExpectedMessage msg;
                if (m.IsScalar()) {
                    msg.text = m.Scalar();
                } else {
                    r.keys(m, "an expected message", {"text", "icon", "buttons", "title", "answer"});
                    msg.text = optionalText(m, "text");
                    msg.icon = optionalText(m, "icon");
                    msg.buttons = optionalText(m, "buttons");
                    msg.title = optionalText(m, "title");
                    msg.answer = optionalText(m, "answer");
                }
                x.messages->push_back(std::move(msg));
            }
        }
        if (e["dialogs"]) x.dialogs = e["dialogs"].IsNull() ? std::vector<std::string>{} : r.texts(e["dialogs"], "expect.dialogs");
        if (e["settings"]) {
            if (!e["settings"].IsMap()) r.fail(e["settings"], "expect.settings must map setting names to values");
            for (const auto& s : e["settings"]) {
                const std::string key = s.first.as<std::string>();
                if (s.second.IsNull()) x.settings[key] = std::nullopt;
                else x.settings[key] = r.text(s.second, "setting " + key);
            }
        }
        if (e["prints"]) {
            x.prints.emplace();
            for (const auto& p : r.list(e["prints"], "expect.prints")) {
                r.keys(p, "an expected print", {"printer", "document", "toFile", "copies"});
                ExpectedPrint print;
                print.printer = optionalText(p, "printer");
                print.document = optionalText(p, "document");
                if (p["toFile"]) print.toFile = r.boolean(p["toFile"], "toFile");
                if (p["copies"]) print.copies = static_cast<int>(r.integer(p["copies"], "copies", 0, 32767));
                x.prints->push_back(std::move(print));
            }
        }
        if (e["faxJobs"]) {
            x.faxJobs.emplace();
            for (const auto& j : r.list(e["faxJobs"], "expect.faxJobs")) {
                r.keys(j, "an expected fax job", {"number", "recipient", "company", "subject", "schedule", "receipt",
                                                   "receiptAddress", "server", "software", "pages", "text", "coverPage",
                                                   "coverNote"});
                ExpectedFaxJob job;
                for (const auto& item : j) {
                    const std::string key = item.first.as<std::string>();
                    if (key == "pages") job.pages = static_cast<int>(r.integer(item.second, "pages", 0, 10000));
                    else if (key == "text") job.text = r.texts(item.second, "text");
                    else job.fields[key] = r.text(item.second, key);
                }
                x.faxJobs->push_back(std::move(job));
            }
        }
        if (e["statusBar"]) x.statusBar = r.text(e["statusBar"], "expect.statusBar");
        if (e["hylafaxQueue"]) {
            x.hylafaxQueue.emplace();
            for (const auto& j : r.list(e["hylafaxQueue"], "expect.hylafaxQueue")) {
                if (!j.IsMap()) r.fail(j, "a queued job maps fields of its queue file to their text");
                auto& fields = x.hylafaxQueue->emplace_back();
                for (const auto& item : j) fields[item.first.as<std::string>()] = r.text(item.second, item.first.as<std::string>());
            }
        }
        if (e["tempFiles"]) x.tempFiles = e["tempFiles"].IsNull() ? std::vector<std::string>{} : r.texts(e["tempFiles"], "expect.tempFiles");
        if (e["marks"]) {
            if (!e["marks"].IsMap()) r.fail(e["marks"], "expect.marks must map document names to styles and their text");
            for (const auto& doc : e["marks"]) {
                if (!doc.second.IsMap()) r.fail(doc.second, "the marks of a document map style names to text");
                auto& styles = x.marks[doc.first.as<std::string>()];
                for (const auto& s : doc.second)
                    styles[s.first.as<std::string>()] = s.second.IsNull() ? "" : r.text(s.second, "marked text");
            }
        }
    }

    Reader reader_;
    Scenario scenario_;
    // The files put on the machine's drive (its files and documents), with where each was named.
    std::vector<std::pair<std::string, YAML::Node>> filesMade_;
};

}  // namespace

fs::path fileInside(const fs::path& folder, const std::string& relative, const std::string& where) {
    const fs::path given(relative);
    if (relative.empty() || given.is_absolute() || given.has_root_name() || given.has_root_directory())
        throw InputError(where + ": \"" + relative + "\" must be a path relative to the scenario's folder");
    for (const auto& part : given)
        if (part == "..") throw InputError(where + ": \"" + relative + "\" leads out of the scenario's folder");
    const fs::path inside = folder / given;
    std::error_code ec;
    const fs::path base = fs::weakly_canonical(folder, ec);
    const fs::path resolved = fs::weakly_canonical(inside, ec);
    if (ec) throw InputError(where + ": \"" + relative + "\" cannot be resolved: " + ec.message());
    const auto [end, _] = std::mismatch(base.begin(), base.end(), resolved.begin(), resolved.end());
    if (end != base.end()) throw InputError(where + ": \"" + relative + "\" is a link that leads out of the scenario's folder");
    return inside;
}

Scenario parseScenario(const std::string& yaml, const fs::path& file) {
    // YAML is Unicode text without control characters but tabs and line ends (yaml-cpp turns some
    // into bytes that are no UTF-8), and every text of a scenario reaches the word processor as
    // UTF-8.
    std::size_t line = 1;
    for (std::size_t at = 0; at < yaml.size(); ++line) {
        const std::size_t end = std::min(yaml.find('\n', at), yaml.size());
        const std::string_view text = std::string_view(yaml).substr(at, end - at);
        if (!isValidUtf8(text))
            throw InputError(file.string() + ":" + std::to_string(line) + ": the scenario is not UTF-8 text");
        if (std::any_of(text.begin(), text.end(), [](char c) { return (c >= 0 && c < 0x20 && c != '\t' && c != '\r') || c == 0x7F; }))
            throw InputError(file.string() + ":" + std::to_string(line) + ": the scenario holds a control character");
        at = end + 1;
    }
    YAML::Node root;
    try {
        root = YAML::Load(yaml);
    } catch (const YAML::Exception& e) {
        std::string where = file.string();
        if (e.mark.line >= 0) where += ":" + std::to_string(e.mark.line + 1) + ":" + std::to_string(e.mark.column + 1);
        throw InputError(where + ": " + e.msg);
    }
    try {
        return Loader(file, Reader(file.string())).load(root);
    } catch (const YAML::Exception& e) {
        std::string where = file.string();
        if (e.mark.line >= 0) where += ":" + std::to_string(e.mark.line + 1) + ":" + std::to_string(e.mark.column + 1);
        throw InputError(where + ": " + e.msg);
    }
}

Scenario loadScenario(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InputError(file.string() + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return parseScenario(text.str(), file);
}

std::optional<Span> findInMainText(const DocumentModel& document, const std::string& text) {
    const std::string all = document.text(StoryKind::Main);
    const auto at = all.find(text);
    if (text.empty() || at == std::string::npos) return std::nullopt;
    // Positions count characters: a UTF-8 continuation byte starts none.
    auto characters = [&](std::size_t bytes) {
        int n = 0;
        for (std::size_t i = 0; i < bytes; ++i) n += (static_cast<unsigned char>(all[i]) & 0xC0) != 0x80;
        return n;
    };
    return Span{characters(at), characters(at + text.size())};
}

MachineSetup defaultMachine() {
    MachineSetup m;
    m.clock = local_days{2025y / March / 3} + 9h + 30min;
    return m;
}

std::vector<std::pair<std::string, std::string>> defaultSettings() {
    return {{keys::Printer, "Fax"}, {keys::FaxType, "1"}};
}

std::optional<OsVersion> windowsRelease(const std::string& name) {
    static const std::pair<const char*, OsVersion> releases[] = {
        {"nt4", {2, 4, 0, 1381}},    {"2000", {2, 5, 0, 2195}},  {"xp", {2, 5, 1, 2600}},
        {"2003", {2, 5, 2, 3790}},   {"vista", {2, 6, 0, 6002}}, {"7", {2, 6, 1, 7601}},
        {"10", {2, 10, 0, 19045}},   {"11", {2, 10, 0, 22631}}};
    const std::string wanted = lower(name);
    for (const auto& [n, v] : releases)
        if (wanted == n) return v;
    return std::nullopt;
}

}  // namespace telvora::sim::cli
