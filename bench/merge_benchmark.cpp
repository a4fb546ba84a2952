// How the fax merge scales: the record check over 1,000 and 10,000 records on the in-memory word
// processor, the error log's sorts of 10,000 entries by each column, and the Word calls the check
// makes per record, counted through Word's object model as the add-in calls it. Prints its figures;
// not a test (run it on an idle machine).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "merge/error_log.h"
#include "merge/field_selection.h"
#include "merge/merge_run.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "sim/word/served_word.h"
#include "support/sim_addin.h"
#include "word_automation/word_application.h"

namespace telvora {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::vector<std::string>> customers(int count) {
    std::vector<std::vector<std::string>> records;
    for (int i = 1; i <= count; ++i)
        records.push_back({"Customer " + std::to_string(i), "Company " + std::to_string(i % 97),
                           "(02) " + std::to_string(10000000 + i)});
    return records;
}

struct Bench {
    testing::ScratchFolder scratch;
    testing::MemorySettingsStore store;
    sim::SimMachine machine{scratch.path()};
    sim::ScriptedUser user;
    Addin addin{Ports{store, machine.automation, user, machine.platform, &machine.dateTimes}};
};

// The data source's fields in the dialog, and Contact, Company and Fax chosen for name, company
// and number.
void chooseFields(Addin& addin, frmGetFields& dialog) {
    LoadData(addin, dialog);
    dialog.cboName.setListIndex(1);
    dialog.cboCompany.setListIndex(2);
    dialog.cboNumber.setListIndex(3);
}

// The check of `records` records on `word`, the dialog's choices made as a user makes them.
double checkSeconds(Bench& b, const std::shared_ptr<word::Application>& word) {
    b.addin.setWord(word);
    frmGetFields dialog(b.addin);
    chooseFields(b.addin, dialog);
    const auto start = Clock::now();
    MergeCounts counts;
    const bool valid = CheckValidity(b.addin, dialog, "", counts);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    (void)dialog.unload();
    if (!valid) std::printf("the check failed: %s\n", b.user.finish().c_str());
    return seconds;
}

std::shared_ptr<sim::WordProcessor> mergeLetter(int records) {
    auto word = std::make_shared<sim::WordProcessor>();
    word->open(sim::DocumentBuilder("Prices.doc")
                   .text("Dear ")
                   .mergeField("Name")
                   .mergeData("C:\\Data\\customers.csv", {"Name", "Company", "Fax"}, customers(records))
                   .build());
    return word;
}

}  // namespace
}  // namespace telvora

int main() {
    using namespace telvora;
    double seconds[2] = {};
    const int sizes[2] = {1000, 10000};
    for (int k = 0; k < 2; ++k) {
        // The best of five runs: a check of 1,000 records takes milliseconds, where one run's
        // timing is mostly the machine's other work.
        seconds[k] = 1e9;
        for (int run = 0; run < 5; ++run) {
            Bench b;
            seconds[k] = std::min(seconds[k], checkSeconds(b, mergeLetter(sizes[k])));
        }
        std::printf("record check, %5d records: %.3f s\n", sizes[k], seconds[k]);
    }
    std::printf("record check, 10,000/1,000 ratio: %.1f\n", seconds[1] / seconds[0]);

    std::mt19937 random(7);
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i) {
        const bool missing = random() % 3 == 0;
        lines.push_back(ErrorLogEntry(missing ? kNoNumberReason : kInvalidNumberReason,
                                      "Customer " + std::to_string(random() % 5000), "Company " + std::to_string(random() % 97),
                                      missing ? kNoNumberSubject : "Spring prices",
                                      missing ? "" : "call " + std::to_string(random() % 1000)));
    }
    const std::pair<const char*, LogSlice> columns[] = {{"reason", kReasonSlice},   {"name", kNameSlice},
                                                        {"company", kCompanySlice}, {"subject", kSubjectSlice},
                                                        {"fax number", kFaxNumberSlice}};
    for (const auto& [name, slice] : columns) {
        for (const bool descending : {true, false}) {
            std::vector<std::string> list = lines;
            const auto start = Clock::now();
            if (descending) SortListDescending(list, slice); else SortListAscending(list, slice);
            std::printf("error log sort, 10,000 entries, %-10s %-10s: %.3f s\n", name, descending ? "descending" : "ascending",
                        std::chrono::duration<double>(Clock::now() - start).count());
        }
    }

    // Word's object model as the add-in calls it, each call counted.
    {
        const int records = 200;
        Bench b;
        telvora::sim::ServedWord served(mergeLetter(records));
        auto word = word_automation::wordApplication(served.application(), nullptr);
        b.addin.setWord(word);
        frmGetFields dialog(b.addin);
        chooseFields(b.addin, dialog);
        served.clearRecords();
        MergeCounts counts;
        (void)CheckValidity(b.addin, dialog, "", counts);
        (void)dialog.unload();
        std::size_t perRecord = 0;
        for (const auto& call : served.calls()) {
            // The calls each record makes; the few before the first record and after the last
            // are the check's own.
            for (const char* member : {"MailMergeDataSource.FirstRecord =", "MailMergeDataSource.LastRecord =",
                                       "MailMergeDataSource.ActiveRecord", "MailMergeDataSource.DataFields",
                                       "MailMergeDataFields.Item", "MailMergeDataField.Value", "Application.StatusBar ="})
                if (call.rfind(member, 0) == 0) ++perRecord;
        }
        std::printf("Word calls per record in the check: %.2f (%zu calls in all for %d records)\n",
                    static_cast<double>(perRecord) / records, served.calls().size(), records);
    }
    return 0;
}
