// The transcript of a simulated run.
#include "sim/cli/transcript.h"

#include <sstream>

#include "sim/output/outbox.h"

namespace telvora::sim::cli {
namespace {

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return "label";
    case ControlKind::TextBox: return "text box";
    case ControlKind::ComboBox: return "combo box";
    case ControlKind::ListBox: return "list box";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::OptionButton: return "option button";
    case ControlKind::Button: return "button";
    case ControlKind::Frame: return "frame";
    case ControlKind::Line: return "line";
    case ControlKind::Picture: return "picture";
    case ControlKind::LinkLabel: return "link";
    }
    return "control";
}

// Message and control texts keep Windows' line ends; on the terminal a line end is shown as "⏎"
// so one message stays one line of the transcript.
std::string oneLine(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\r' || text[i] == '\n') out += " ⏎ ";
        else out += text[i];
    }
    return out;
}

const char* receiptName(ReceiptKind kind) {
    switch (kind) {
    case ReceiptKind::None: return "none";
    case ReceiptKind::Email: return "e-mail";
    case ReceiptKind::PopUp: return "pop-up message";
    }
    return "?";
}

}  // namespace

std::string describeControl(const ControlState& c) {
    std::string line = c.name + " (" + kindName(c.kind) + ")";
    switch (c.kind) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
        line += " \"" + oneLine(c.text) + "\" " + (c.value ? "[x]" : "[ ]");
        break;
    case ControlKind::ComboBox:
    case ControlKind::ListBox: {
        line += " = \"" + oneLine(c.text) + "\"";
        // A long list (the schedule's times of day) shows its first entries; the JSON keeps all.
        constexpr std::size_t shown = 6;
        if (!c.items.empty()) {
            line += " of {";
            for (std::size_t i = 0; i < c.items.size() && i < shown; ++i) line += (i ? ", " : "") + c.items[i];
            if (c.items.size() > shown) line += ", ... " + std::to_string(c.items.size()) + " in all";
            line += "}";
        }
        break;
    }
    case ControlKind::TextBox: line += " = \"" + oneLine(c.text) + "\""; break;
    default: line += " \"" + oneLine(c.text) + "\""; break;
    }
    if (!c.enabled) line += " [disabled]";
    if (c.locked) line += " [locked]";
    return line;
}

std::string describeStep(const UserStep& step) {
    switch (step.kind) {
    case UserStep::Kind::Type: return "types \"" + step.text + "\" into " + step.control;
    case UserStep::Kind::Choose: return "chooses \"" + step.text + "\" in " + step.control;
    case UserStep::Kind::Click: return "clicks " + step.control;
    case UserStep::Kind::Key:
        if (step.keyCode == kKeyReturn) return "presses Return";
        if (step.keyCode == kKeyEscape) return "presses Escape";
        if (step.keyCode == kKeyF1) return "presses F1";
        return "presses key " + std::to_string(step.keyCode);
    case UserStep::Kind::CloseWindow: return "closes the window";
    }
    return "?";
}

namespace {

// An entry as transcript.txt and the terminal show it, and as transcript.json holds it.
std::string textOf(const TranscriptEntry& entry) {
    std::string text;
    for (std::size_t i = 0; i < entry.lines.size(); ++i) text += (i ? "      " : "") + entry.lines[i] + '\n';
    return text;
}

nlohmann::json jsonOf(const TranscriptEntry& entry) {
    nlohmann::json item = entry.detail;
    item["kind"] = entry.kind;
    return item;
}

}  // namespace

Transcript::~Transcript() = default;

void Transcript::writeInto(const std::filesystem::path& folder) {
    textFile_ = std::make_unique<output::WholeFile>(folder / "transcript.txt");
    jsonFile_ = std::make_unique<output::WholeFile>(folder / "transcript.json");
    firstInFile_ = true;
}

void Transcript::close() {
    if (!textFile_) return;
    jsonFile_->write(firstInFile_ ? "[]\n" : "\n]\n");
    textFile_->commit();
    jsonFile_->commit();
    textFile_.reset();
    jsonFile_.reset();
}

void Transcript::add(TranscriptEntry entry, bool shownLive) {
    if (shownLive) endProgress();
    if (live_ && shownLive) {
        *live_ << textOf(entry);
        live_->flush();
    }
    if (textFile_) {
        textFile_->write(textOf(entry));
        jsonFile_->write((firstInFile_ ? "[\n" : ",\n") + jsonOf(entry).dump(2));
        firstInFile_ = false;
    }
    if (keep_) entries_.push_back(std::move(entry));
}

void Transcript::scenario(const std::string& name, const std::string& description) {
    TranscriptEntry e{"scenario", {"=== " + name}, {{"name", name}, {"description", description}}};
    if (!description.empty()) e.lines.push_back(oneLine(description));
    add(std::move(e));
}

void Transcript::step(const std::string& label) { add({"step", {"--- " + label}, {{"step", label}}}); }

void Transcript::formShown(const FormRecord& form) {
    TranscriptEntry e{"dialog", {"dialog " + form.name + " \"" + form.caption + "\""}, {}};
    nlohmann::json controls = nlohmann::json::array();
    for (const auto& c : form.controls) {
        e.lines.push_back(describeControl(c));
        controls.push_back({{"name", c.name}, {"kind", kindName(c.kind)}, {"text", c.text}, {"enabled", c.enabled},
                            {"locked", c.locked}, {"value", c.value}, {"items", c.items}, {"listIndex", c.listIndex}});
    }
    e.detail = {{"name", form.name}, {"caption", form.caption}, {"controls", controls}};
    add(std::move(e));
}

void Transcript::acted(const std::string& formName, const UserStep& step) {
    add({"action", {"user " + describeStep(step) + " (" + formName + ")"},
         {{"dialog", formName}, {"action", describeStep(step)}}});
}

void Transcript::messageShown(const MessageRecord& m) {
    add({"message",
         {"message \"" + m.title + "\" [" + toString(m.icon) + ", " + toString(m.buttons) + "] -> " + toString(m.answer),
          oneLine(m.prompt)},
         {{"text", m.prompt}, {"title", m.title}, {"icon", toString(m.icon)}, {"buttons", toString(m.buttons)},
          {"answer", toString(m.answer)}}});
}

void Transcript::previewShown(const PreviewRecord& p) {
    const char* answer = p.answer == PreviewAnswer::Send ? "Send" : "Cancel";
    add({"preview",
         {"preview of the fax to " + p.request.number + " (" + p.request.recipient + "): " + p.image + " -> " + answer,
          "Send sends " + std::to_string(p.request.faxes) + (p.request.faxes == 1 ? " fax" : " faxes")},
         {{"number", p.request.number}, {"recipient", p.request.recipient}, {"image", p.image},
          {"faxes", p.request.faxes}, {"answer", answer}}});
}

void Transcript::print(const PrintRecord& p, int copies) {
    const bool toFile = p.argument("PrintToFile") && p.argument("PrintToFile")->toBool();
    std::string line = "print on \"" + p.printer + "\": " + (p.document.empty() ? p.fileName : p.document);
    if (toFile) line += " to file";
    if (copies != 1) line += ", " + std::to_string(copies) + " copies";
    TranscriptEntry e{"print", {line},
                      {{"printer", p.printer}, {"document", p.document}, {"toFile", toFile}, {"copies", copies}}};
    if (p.output) {
        e.lines.push_back("output: " + p.output->string());
        e.detail["output"] = p.output->string();
    }
    add(std::move(e));
}

void Transcript::faxJob(const SubmittedFax& job, const std::filesystem::path& folder, int pages) {
    TranscriptEntry e{"fax",
                      {"fax job " + job.jobId + " to " + job.number + " by " + output::faxSoftwareName(job.software) +
                       ", " + std::to_string(pages) + (pages == 1 ? " page" : " pages")},
                      {}};
    e.lines.push_back("recipient \"" + job.recipient + "\", company \"" + job.company + "\", subject \"" +
                      job.subject + "\"");
    e.lines.push_back("schedule " + job.schedule + ", receipt " + receiptName(job.receipt) +
                      (job.receiptAddress.empty() ? "" : " to " + job.receiptAddress) + ", server " + job.server);
    if (job.coverPage) {
        e.lines.push_back(std::string("cover page ") + (job.coverPage->onServer ? "from the fax server " : "") + "\"" +
                          job.coverPage->file + "\" in front, from \"" + job.coverPage->sender + "\", note \"" +
                          oneLine(job.coverPage->note) + "\"");
    }
    e.lines.push_back("outbox: " + folder.string());
    e.detail = {{"job", job.jobId},       {"number", job.number},   {"recipient", job.recipient},
                {"company", job.company}, {"subject", job.subject}, {"schedule", job.schedule},
                {"receipt", receiptName(job.receipt)}, {"receiptAddress", job.receiptAddress},
                {"server", job.server},   {"software", output::faxSoftwareName(job.software)},
                {"pages", pages},         {"folder", folder.string()}};
    if (job.coverPage) e.detail["coverPage"] = {{"file", job.coverPage->file}, {"server", job.coverPage->onServer},
                                                {"note", job.coverPage->note}};
    add(std::move(e));
}

void Transcript::faxJobStep(const SubmittedFax& job) {
    const JobStep& at = job.course.at(job.step);
    static constexpr std::pair<std::int32_t, const char*> kStatuses[] = {
        {0x100, "completed"}, {0x200, "cancelled"}, {0x80, "retries exceeded"}, {0x8, "failed"},
        {0x40, "retrying"},   {0x2, "in progress"}, {0x1, "pending"}};
    std::string status = "status " + std::to_string(at.status);
    for (const auto& [bit, name] : kStatuses) {
        if (at.status & bit) {
            status = name;
            break;
        }
    }
    add({"fax-status",
         {"fax job " + job.jobId + ": " + status + ", extended status " + std::to_string(at.extendedStatusCode) +
          ", page " + std::to_string(at.currentPage) + " of " + std::to_string(job.pages) + ", retries " +
          std::to_string(at.retries) + (at.leftQueue ? ", moved to the outgoing archive" : "")},
         {{"job", job.jobId}, {"status", at.status}, {"extendedStatus", at.extendedStatusCode},
          {"currentPage", at.currentPage}, {"pages", job.pages}, {"retries", at.retries}, {"archived", at.leftQueue}}});
}

void Transcript::statusBar(const std::string& text) { add({"status-bar", {"status bar: " + text}, {{"text", text}}}); }

void Transcript::marks(const std::string& document, const std::vector<std::pair<std::string, std::string>>& marks) {
    TranscriptEntry e{"marks", {"marks in " + document + ":"}, {{"document", document}}};
    for (const auto& [style, text] : marks) {
        e.lines.push_back(style + " \"" + oneLine(text) + "\"");
        e.detail["marks"][style] = text;
    }
    add(std::move(e));
}

void Transcript::error(const RuntimeError& e) {
    add({"error",
         {"run-time error " + std::to_string(e.number()) + " (" + e.source() + "): " + oneLine(e.description())},
         {{"number", e.number()}, {"source", e.source()}, {"description", e.description()}}});
}

void Transcript::ignored(const RuntimeError& error, const CodePlace& where) noexcept {
    try {
        const std::string line = ignoredErrorLine(error, where);
        add({"ignored", {"(" + oneLine(line) + ")"}, {{"ignored", line}}}, false);
    } catch (...) {
        // Out of memory while noting an error already dealt with: the note is what is lost.
    }
}

void Transcript::problem(const std::string& text) { add({"problem", {"PROBLEM: " + oneLine(text)}, {{"problem", text}}}); }

void Transcript::result(bool passed, const std::vector<std::string>& differences, const std::string& verdict) {
    TranscriptEntry e{"result", {verdict.empty() ? (passed ? "PASSED" : "FAILED") : oneLine(verdict)},
                      {{"passed", passed}, {"differences", differences}}};
    if (!verdict.empty()) e.detail["verdict"] = verdict;
    for (const auto& d : differences) e.lines.push_back(oneLine(d));
    add(std::move(e));
}

void Transcript::progress(int done, int total, const std::string& what) {
    if (!live_ || !progressBars_ || total <= 0) return;
    constexpr int width = 30;
    const int filled = static_cast<int>(static_cast<long long>(width) * std::min(done, total) / total);
    *live_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
           << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << what << "\033[K";
    live_->flush();
    progressShown_ = true;
    if (done >= total) endProgress();
}

void Transcript::endProgress() {
    if (progressShown_ && live_) *live_ << '\n';
    progressShown_ = false;
}

std::string Transcript::text() const {
    std::string text;
    for (const auto& e : entries_) text += textOf(e);
    return text;
}

nlohmann::json Transcript::json() const {
    nlohmann::json all = nlohmann::json::array();
    for (const auto& e : entries_) all.push_back(jsonOf(e));
    return all;
}

}  // namespace telvora::sim::cli
