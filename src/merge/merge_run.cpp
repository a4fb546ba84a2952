// The fax merge.
#include "merge/merge_run.h"

#include <cstdint>
#include <memory>

#include "app/reports.h"
#include "backends/availability.h"
#include "backends/printing.h"
#include "send/winfax_send.h"
#include "base/errors.h"
#include "core/settings.h"
#include "core/validation.h"
#include "dialogs/printer_setup.h"
#include "fields/marking.h"
#include "merge/document_fields.h"
#include "merge/error_log.h"
#include "send/fax_commands.h"
#include "send/send_fax.h"

namespace telvora {
namespace {

// 4000 as "4,000": the status bar speaks to the user.
std::string grouped(std::int32_t number) {
    const std::string digits = std::to_string(number);
    std::string text;
    const std::size_t lead = digits[0] == '-' ? 1 : 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > lead && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

// Word's status bar for as long as a loop runs: given back to Word when the loop ends, errors
// included. A status bar Word refuses to show never stops a merge.
class Progress {
public:
    Progress(word::Application& word, Diagnostics& log) : word_(word), log_(log) {}
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void show(const std::string& text) {
        shown_ = true;
        ignoreErrors(log_, [&] { word_.setStatusBar(text); });
    }
    void clear() {
        if (shown_) ignoreErrors(log_, [&] { word_.setStatusBar(""); });
        shown_ = false;
    }

private:
    word::Application& word_;
    Diagnostics& log_;
    bool shown_ = false;
};

std::string ofTotal(std::int32_t total) { return total > 0 ? " of " + grouped(total) : std::string(); }

// The document one record was merged into: closed without saving when the record is done, and
// also when it ends in an error, so no merged copy is left open. Word makes the new document the
// active one; when Word cannot name it at once, the active document is closed on the way out
// unless it is the main document.
class MergedDocument {
public:
    MergedDocument(word::MailMerge& merge, word::Application& word, const std::string& mainDocument, Diagnostics& log)
        : log_(log) {
        merge.setDestination(word::wdSendToNewDocument);
        merge.Execute();
        try {
            document_ = word.activeDocument();
        } catch (const RuntimeError&) {
            ignoreErrors(log, [&] {
                const auto active = word.activeDocument();
                if (active->name() != mainDocument) active->Close(word::wdDoNotSaveChanges);
            });
            throw;
        }
    }
    ~MergedDocument() {
        if (document_) ignoreErrors(log_, [&] { document_->Close(word::wdDoNotSaveChanges); });
    }
    MergedDocument(const MergedDocument&) = delete;
    MergedDocument& operator=(const MergedDocument&) = delete;

    word::Document& document() { return *document_; }
    void close() {
        const auto document = std::move(document_);
        document->Close(word::wdDoNotSaveChanges);
    }

private:
    Diagnostics& log_;
    std::shared_ptr<word::Document> document_;
};

// Only the record given merges next.
void restrictTo(word::MailMergeDataSource& source, std::int32_t record) {
    source.setFirstRecord(record);
    source.setLastRecord(record);
}

// The record's values of the chosen fields, each into the fax job; a field not chosen leaves its
// value as it was.
void readRecord(word::MailMergeDataSource& source, const frmGetFields& dialog, FaxJob& job) {
    if (!dialog.cboNumber.text().empty()) job.faxNumber = source.dataFieldValue(dialog.cboNumber.text());
    if (!dialog.cboName.text().empty()) job.recipientName = source.dataFieldValue(dialog.cboName.text());
    if (!dialog.cboCompany.text().empty()) job.recipientCompany = source.dataFieldValue(dialog.cboCompany.text());
}

// The recipients of a merge start empty, so a field not chosen never carries a value from an
// earlier fax.
void clearRecipient(FaxJob& job) {
    job.faxNumber.clear();
    job.recipientName.clear();
    job.recipientCompany.clear();
}

// Moves the data source on from record `from` and answers the record now active. Past the last
// record Word may refuse or stay where it is, and the run ends there anyway; with records left, a
// move that fails or goes nowhere would have the same record faxed again in place of the next one
// (and that one never), so it ends the run as an error the user is told of.
std::int32_t moveOn(Addin& addin, word::MailMergeDataSource& source, std::int32_t from, bool recordsLeft) {
    if (!recordsLeft) {
        ignoreErrors(addin.diagnostics(), [&] { source.setActiveRecord(word::wdNextRecord); });
        return source.activeRecord();
    }
    source.setActiveRecord(word::wdNextRecord);
    const std::int32_t reached = source.activeRecord();
    if (reached == from)
        throw RuntimeError(err::InvalidProcedureCall,
                           "The mail merge data source did not move on from record " + std::to_string(from) +
                               "; the records after it were not faxed.");
    return reached;
}

// One record through WinFax; False when the user stopped waiting for a silent WinFax.
// The name the fax history groups one merge run's faxes by: the main document and the moment the
// run started, which no other run of this user shares.
std::string mergeRunName(Addin& addin, const std::string& mainDocument) {
    return mainDocument + " " +
           std::to_string(addin.platform().now().time_since_epoch().count());
}

bool faxRecordThroughWinFax(Addin& addin, frmGetFields& dialog, const FaxJob& job, const std::string& schedule,
                            word::MailMerge& merge, word::MailMergeDataSource& source,
                            const std::string& mainDocument, bool recordsLeft, const std::string& mergeRun,
                            WinFaxPatience patience) {
    word::Application& word = addin.word();
    WinFaxSdk sdk(addin, progid::WinFax);
    sdk.request("SetClientID", {Variant("Client Name")});
    if (dialog.cboName.listIndex() > 0) sdk.request("SetTo", {Variant(StripReturns(job.recipientName))});
    sdk.request("SetNumber", {Variant(GetDialOutPrefix(addin) + CleanFaxNumber(job.faxNumber))});
    if (dialog.cboCompany.listIndex() > 0) sdk.request("SetCompany", {Variant(StripReturns(job.recipientCompany))});
    sdk.request("SetSubject", {Variant(job.subject)});
    SetWinFaxSchedule(addin, sdk, schedule);
    sdk.request("AddRecipient");
    sdk.request("SetPrintFromApp", {WinFaxSdk::flag(1)});
    sdk.request("ShowSendScreen", {WinFaxSdk::flag(0)});
    sdk.request("Send", {WinFaxSdk::flag(1)});
    if (!waitForWinFax(addin, [&] { return sdk.readyToPrint(); }, patience)) return false;

    word.documents()->activate(mainDocument);
    const std::int32_t record = source.activeRecord();
    restrictTo(source, record);
    {
        MergedDocument merged(merge, word, mainDocument, addin.diagnostics());
        PrintForWinFax(addin, merged.document(), job.filing);
        merged.close();
    }
    word.documents()->activate(mainDocument);
    (void)moveOn(addin, source, record, recordsLeft);
    const bool filed = waitForWinFax(addin, [&] { return sdk.entryFiled(); }, patience);
    if (filed) RecordWinFaxHandOver(addin, job, schedule, mergeRun);
    return filed;
}

void runMerge(Addin& addin, WinFaxPatience patience) {
    // What every record's fax shares: the subject and the filing copies the user confirmed.
    FaxJob each;
    MergeCounts counts;
    if (!succeeded(addin.diagnostics(), [&] { (void)addin.word().activeDocument()->name(); })) {
        ShowMessage(addin, kNoDocumentMessage, MsgIcon::Exclamation);
        return;
    }
    if (!EnsureFaxPrinter(addin)) {
        ShowMessage(addin, kNoFaxPrinterMessage, MsgIcon::Exclamation);
        return;
    }
    if (!IsFaxSoftwareAvailable(addin)) {
        if (addin.ui().messageBox(kNoFaxSoftwareQuestion, MsgButtons::YesNo, MsgIcon::Question, kAppTitle) ==
            MsgResult::Yes)
            ChooseFaxPrinter(addin);
        return;
    }
    if (!CheckDocumentFields(addin)) return;
    if (!IsDataLinked(addin)) {
        ShowMessage(addin, kNotMergeDocumentMessage, MsgIcon::Exclamation);
        return;
    }
    {
        const auto source = addin.word().activeDocument()->mailMerge()->dataSource();
        source->setActiveRecord(word::wdFirstRecord);
        if (source->activeRecord() == 0) return;
    }
    if (!CheckFaxService(addin)) return;

    frmGetFields dialog(addin);
    dialog.load();
    for (Control* box : {&dialog.cboCompany, &dialog.cboName, &dialog.cboNumber}) box->clear();
    LoadData(addin, dialog);
    dialog.txtSubject.setText(StripReturns(ReadField(addin, FaxField::Subject)));
    if (dialog.txtSubject.text().empty()) dialog.txtSubject.setText(kDefaultSubject);
    dialog.showModal(addin.ui());

    // Shown again, the dialog answers anew: closed from its frame it is no "Fax" of an earlier
    // showing, and nothing is sent.
    const auto showAgain = [&] {
        dialog.setTag("");
        dialog.showModal(addin.ui());
    };
    bool finished = false;
    while (dialog.tag() == confirm::Fax && !finished) {
        // The subject as the user last accepted it: a correction made on a later showing counts.
        each.subject = dialog.txtSubject.text();
        each.filing = dialog.filing();
        const bool valid = CheckValidity(addin, dialog, each.subject, counts);
        // The template's macros may go on with these, as with a run of their own.
        addin.session.job = each;
        addin.session.merge = counts;
        if (!valid) {
            showAgain();
            continue;
        }
        finished = true;
        if (addin.ui().messageBox(MergeConfirmation(counts.recipients()), MsgButtons::OKCancel,
                                  MsgIcon::Exclamation, kAppTitle) != MsgResult::OK) {
            showAgain();
            finished = false;
            counts.records = 0;
            continue;
        }
        if (addin.settings().faxTypeValue() == static_cast<std::int16_t>(FaxType::WinFax)) {
            WinFaxDOMerge(addin, dialog, each, ReadSchedule(dialog), counts, patience);
        } else {
            SendAllFax(addin, dialog, each, counts);
        }
    }
    dialog.hide();
    (void)dialog.unload();
}

}  // namespace

std::string MergeConfirmation(std::int32_t recipients) {
    return "You are about to FaxMerge the current document to " + std::to_string(recipients) +
           " recipients.\r\nPress OK to start the Fax Merge or Cancel to return to the previous screen.";
}

void MergeFax(Addin& addin, WinFaxPatience patience) {
    trapAndReport([&] { runMerge(addin, patience); },
                  [&](const RuntimeError& e) {
                      (void)addin.ui().messageBox(
                          "Error number: " + std::to_string(e.number()) + " " + e.description(), MsgButtons::OK,
                          MsgIcon::Exclamation, std::string(kAppTitle) + "MergeFax");
                  });
}

bool CheckValidity(Addin& addin, frmGetFields& dialog, const std::string& subject, MergeCounts& counts) {
    // Every check counts from nothing, so records are never counted twice after an error.
    counts = MergeCounts{};
    bool valid = false;
    frmErrorLog log(addin);
    trapAndReport(
        [&] {
            word::Application& word = addin.word();
            Progress progress(word, addin.diagnostics());
            const auto source = word.activeDocument()->mailMerge()->dataSource();
            std::int32_t total = 0;
            ignoreErrors(addin.diagnostics(), [&] {
                source->setActiveRecord(word::wdLastRecord);
                total = source->activeRecord();
            });
            bool moved = succeeded(addin.diagnostics(), [&] { source->setActiveRecord(word::wdFirstRecord); });
            std::int32_t current = source->activeRecord();
            std::int32_t previous = 0;
            log.load();
            FaxJob record;
            while (moved && current > previous) {
                clearRecipient(record);
                ++counts.records;
                progress.show("Checking record " + grouped(counts.records) + ofTotal(total));
                restrictTo(*source, current);
                readRecord(*source, dialog, record);
                if (record.faxNumber.empty()) {
                    log.lstLog.addItem(
                        ErrorLogEntry(kNoNumberReason, record.recipientName, record.recipientCompany, kNoNumberSubject, ""));
                } else if (!IsAcceptableFaxNumber(record.faxNumber)) {
                    log.lstLog.addItem(ErrorLogEntry(kInvalidNumberReason, record.recipientName,
                                                     record.recipientCompany, subject, record.faxNumber));
                }
                // Restricting the merge and reading fields leave the active record where it was.
                previous = current;
                moved = succeeded(addin.diagnostics(), [&] { source->setActiveRecord(word::wdNextRecord); });
                if (moved) current = source->activeRecord();
            }
            progress.clear();
            if (log.lstLog.listCount() == 0) {
                valid = true;
                return;
            }
            log.showModal(addin.ui());
            counts.errors = log.lstLog.listCount();
            valid = log.tag() == errorlog::Fax;
            if (!valid) counts.records = 0;
        },
        [&](const RuntimeError& e) { ReportError(addin, e); });
    ignoreErrors(addin.diagnostics(), [&] { (void)log.unload(); });
    return valid;
}

void SendAllFax(Addin& addin, frmGetFields& dialog, const FaxJob& each, const MergeCounts& counts) {
    trapAndReport(
        [&] {
            word::Application& word = addin.word();
            Progress progress(word, addin.diagnostics());
            const auto main = word.activeDocument();
            const std::string mainDocument = main->name();
            const auto merge = main->mailMerge();
            const auto source = merge->dataSource();
            // Not reaching the first record would fax from wherever the record check left off.
            source->setActiveRecord(word::wdFirstRecord);
            std::int32_t current = source->activeRecord();
            FaxJob job = each;
            clearRecipient(job);
            const std::string schedule = ReadSchedule(dialog);
            const std::string delivery = ReadDeliveryNote(dialog);
            const std::int32_t records = counts.records;
            const std::int32_t recipients = counts.recipients();
            std::int32_t faxed = 0;
            // The first record's fax is shown when the user asked for that; its Send sends every one.
            std::int32_t previewFaxes = recipients;
            const std::string run = mergeRunName(addin, mainDocument);
            for (std::int32_t k = 0; k < records; ++k) {
                restrictTo(*source, current);
                readRecord(*source, dialog, job);
                // A record without a number the fax software can dial was listed in the error log
                // and the user agreed to fax the others: nothing is merged for it.
                if (IsAcceptableFaxNumber(job.faxNumber)) {
                    progress.show("Faxing record " + grouped(++faxed) + ofTotal(recipients));
                    MergedDocument merged(*merge, word, mainDocument, addin.diagnostics());
                    const SendOutcome outcome = SendFax(addin, job, schedule, delivery, previewFaxes, run);
                    if (outcome.sent()) previewFaxes = 0;
                    merged.close();
                    // A submission the shared fax server refused ends the run.
                    if (!outcome.sent() && outcome.endsRun) break;
                }
                current = moveOn(addin, *source, current, k + 1 < records);
            }
        },
        [&](const RuntimeError& e) { ReportError(addin, e); });
}

void WinFaxDOMerge(Addin& addin, frmGetFields& dialog, const FaxJob& each, const std::string& schedule,
                   const MergeCounts& counts, WinFaxPatience patience) {
    trapAndReport(
        [&] {
            word::Application& word = addin.word();
            Progress progress(word, addin.diagnostics());
            const auto main = word.activeDocument();
            main->fields()->Update();
            const std::string mainDocument = main->name();
            const auto merge = main->mailMerge();
            const auto source = merge->dataSource();
            source->setActiveRecord(word::wdLastRecord);
            const std::int32_t last = source->activeRecord();
            source->setActiveRecord(word::wdFirstRecord);
            FaxJob job = each;
            const std::int32_t recipients = counts.recipients();
            std::int32_t faxed = 0;
            const std::string run = mergeRunName(addin, mainDocument);
            for (std::int32_t k = 1; k <= last; ++k) {
                word.documents()->activate(mainDocument);
                clearRecipient(job);
                readRecord(*source, dialog, job);
                // The same records as on every other road: the user was told how many would go.
                if (!IsAcceptableFaxNumber(job.faxNumber)) {
                    (void)moveOn(addin, *source, source->activeRecord(), k < last);
                    continue;
                }
                progress.show("Faxing record " + grouped(++faxed) + ofTotal(recipients));
                if (!faxRecordThroughWinFax(addin, dialog, job, schedule, *merge, *source, mainDocument, k < last,
                                            run, patience))
                    break;
            }
        },
        [&](const RuntimeError& e) {
            ShowMessage(addin, "Error Number: " + std::to_string(e.number()) + "\r\n" + e.description(),
                        MsgIcon::Exclamation);
        });
}

}  // namespace telvora
