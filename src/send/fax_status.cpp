// The Fax Status window.
#include "send/fax_status.h"

#include <algorithm>
#include <set>

#include "app/reports.h"
#include "app/sent_faxes.h"
#include "backends/fax_follower.h"
#include "base/errors.h"
#include "send/send_fax.h"

namespace telvora {
namespace {

std::string whenText(Addin& addin, LocalTime when) {
    std::string text;
    ignoreErrors(addin.diagnostics(), [&] {
        DateTimeTexts& texts = addin.dateTimes();
        text = texts.format(when, DateTimePattern::ShortDate) + " " + texts.format(when, DateTimePattern::ShortTime);
    });
    return text;
}

std::string pagesText(const FaxRecord& fax) {
    if (fax.pagesTotal <= 0) return "";
    return std::to_string(fax.pagesSent) + " of " + std::to_string(fax.pagesTotal);
}

// A run is named by its main document and the moment it started; the document is what the user knows.
std::string runDocument(const std::string& run) {
    const std::size_t blank = run.find_last_of(' ');
    return blank == std::string::npos ? run : run.substr(0, blank);
}

FaxStatusRow faxRow(Addin& addin, const FaxRecord& fax, bool inRun) {
    FaxStatusRow row;
    row.fax = fax;
    const std::string who = fax.recipient.empty() ? fax.company : fax.recipient;
    row.texts = {whenText(addin, fax.submitted), (inRun ? "   " : "") + who, fax.number, pagesText(fax),
                 FaxStateInWords(fax.state), fax.reason};
    return row;
}

FaxStatusRow runRow(Addin& addin, const std::string& run, const std::vector<FaxRecord>& faxes) {
    int sent = 0, failed = 0, onTheWay = 0;
    LocalTime started = LocalTime::max();
    for (const FaxRecord& fax : faxes) {
        if (fax.mergeRun != run) continue;
        started = std::min(started, fax.submitted);
        if (fax.state == FaxState::Sent || fax.state == FaxState::HandedOn) ++sent;
        else if (fax.state == FaxState::Failed || fax.state == FaxState::Cancelled) ++failed;
        else ++onTheWay;
    }
    FaxStatusRow row;
    row.mergeRun = run;
    row.texts = {whenText(addin, started), "Merge: " + runDocument(run), "", "",
                 std::to_string(sent) + " sent, " + std::to_string(failed) + " failed",
                 onTheWay ? std::to_string(onTheWay) + " on the way" : ""};
    return row;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) line += (i ? "\t" : "") + texts[i];
    return line;
}

std::vector<std::string> columnTexts(const std::string& item) {
    std::vector<std::string> texts;
    std::size_t from = 0;
    for (std::size_t tab; (tab = item.find('\t', from)) != std::string::npos; from = tab + 1)
        texts.push_back(item.substr(from, tab - from));
    texts.push_back(item.substr(from));
    return texts;
}

// The fax and what became of it, in one sentence under the list.
std::string statusSentence(const FaxRecord& fax) {
    std::string text = "Fax to " + (fax.recipient.empty() ? fax.number : fax.recipient) + ": " + FaxStateInWords(fax.state);
    if (!fax.reason.empty()) text += ": " + fax.reason;
    if (fax.state == FaxState::Retrying && fax.retries > 0) text += " (" + std::to_string(fax.retries) + " retries so far)";
    return text + ".";
}

}  // namespace

std::vector<FaxStatusRow> FaxStatusRows(Addin& addin, const std::vector<FaxRecord>& faxes) {
    std::vector<FaxStatusRow> rows;
    std::set<std::string> listedRuns;
    for (const FaxRecord& fax : faxes) {
        if (fax.mergeRun.empty()) {
            rows.push_back(faxRow(addin, fax, false));
            continue;
        }
        if (!listedRuns.insert(fax.mergeRun).second) continue;
        rows.push_back(runRow(addin, fax.mergeRun, faxes));
        for (const FaxRecord& member : faxes) {
            if (member.mergeRun == fax.mergeRun) rows.push_back(faxRow(addin, member, true));
        }
    }
    return rows;
}

frmFaxStatus::frmFaxStatus(Addin& addin) : Form("frmFaxStatus", "Fax Status", {0, 0, 472, 215}), addin_(addin) {
    Control::Columns columns{{}, columnTexts};
    for (Control* heading : {&lblWhen, &lblRecipient, &lblNumber, &lblPages, &lblState, &lblReasonHeading})
        columns.starts.push_back(heading->geometry().x - lstFaxes.geometry().x);
    lstFaxes.setColumns(std::move(columns));
    cmdClose.setCancel(true);
    lstFaxes.onClick = [this] { lstFaxes_Click(); };
    cmdResend.onClick = [this] { cmdResend_Click(); };
    cmdCancelFax.onClick = [this] { cmdCancelFax_Click(); };
    cmdClose.onClick = [this] { cmdClose_Click(); };
}

frmFaxStatus::~frmFaxStatus() { addin_.faxesChanged = nullptr; }

void frmFaxStatus::Form_Load() {
    refresh();
    addin_.faxesChanged = [this] { refresh(); };
    // The faxes still on their way are followed while the user watches them.
    FollowFaxes(addin_);
}

void frmFaxStatus::Form_Unload(int&) { addin_.faxesChanged = nullptr; }

void frmFaxStatus::refresh() {
    const FaxRecord* before = chosen();
    const std::int64_t chosenId = before ? before->id : 0;
    const std::string chosenRun = lstFaxes.listIndex() >= 0 && !before ? rows_[static_cast<std::size_t>(lstFaxes.listIndex())].mergeRun : "";
    rows_ = FaxStatusRows(addin_, RecentFaxes(addin_));
    lstFaxes.clear();
    int choice = -1;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        lstFaxes.addItem(joined(rows_[i].texts));
        const bool same = chosenId ? rows_[i].fax.id == chosenId : !chosenRun.empty() && rows_[i].mergeRun == chosenRun;
        if (same) choice = static_cast<int>(i);
    }
    if (choice >= 0) lstFaxes.setListIndex(choice);
    showChoice();
}

const FaxRecord* frmFaxStatus::chosen() const {
    const int index = lstFaxes.listIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) return nullptr;
    const FaxStatusRow& row = rows_[static_cast<std::size_t>(index)];
    return row.mergeRun.empty() ? &row.fax : nullptr;
}

void frmFaxStatus::showChoice() {
    const FaxRecord* fax = chosen();
    lblReason.setCaption(fax ? statusSentence(*fax) : rows_.empty() ? "No fax was sent in the last 30 days." : "");
    cmdResend.setEnabled(fax != nullptr);
    cmdCancelFax.setEnabled(fax != nullptr && canCancel(*fax));
}

void frmFaxStatus::lstFaxes_Click() { showChoice(); }

void frmFaxStatus::cmdResend_Click() {
    const FaxRecord* fax = chosen();
    if (!fax) return;
    const FaxRecord again = *fax;
    if (ResendFax(addin_, again).sent()) refresh();
}

void frmFaxStatus::cmdCancelFax_Click() {
    const FaxRecord* chosenFax = chosen();
    if (!chosenFax || !canCancel(*chosenFax)) return;
    FaxRecord fax = *chosenFax;
    trapAndReport(
        [&] {
            cancelFaxJob(addin_, fax);
            fax.state = FaxState::Cancelled;
            fax.reason = "you cancelled it";
            UpdateFax(addin_, fax);
            tellOnStatusBar(addin_, fax);
        },
        [&](const RuntimeError& e) {
            ShowMessage(addin_, kCancelRefusedMessage + e.description(), MsgIcon::Exclamation);
        });
    refresh();
}

void ShowFaxStatus(Addin& addin) {
    frmFaxStatus form(addin);
    form.showModal(addin.ui());
}

}  // namespace telvora
