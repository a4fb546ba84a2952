// The dialogs' sample data.
#include "support/dialog_samples.h"

#include "core/settings.h"
#include "dialogs/about.h"
#include "dialogs/confirm_dialogs.h"
#include "dialogs/delivery_dialog.h"
#include "dialogs/schedule_dialog.h"
#include "dialogs/printer_setup.h"
#include "dialogs/settings_dialog.h"
#include "merge/error_log.h"
#include "merge/field_selection.h"
#include "send/fax_status.h"
#include "support/moments.h"

namespace telvora::testing {
namespace {

void save(SampleMachine& m, std::initializer_list<std::pair<const char*, const char*>> settings) {
    for (const auto& [key, value] : settings) m.store.SaveSetting(kAppName, kSectionName, key, value);
}

// The recipient as the fax command fills it in from the document's marks.
void markedRecipient(frmSendConfirm& form, const std::string& subject) {
    form.txtName.setText("Margaret Okafor");
    form.txtCompany.setText("Okafor & Lindqvist Architects");
    form.txtNumber.setText("+44 20 7946 0321");
    form.txtSubject.setText(subject);
}

template <class F>
std::unique_ptr<F> loaded(SampleMachine& m) {
    auto form = std::make_unique<F>(m.addin);
    form->load();
    return form;
}

}  // namespace

SampleMachine::SampleMachine(Ui& ui) : addin(Ports{store, automation, ui, platform, &dateTimes, nullptr, nullptr, nullptr, &history}) {
    platform.installedPrinters = {"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"};
    // An afternoon, so the schedule dialog shows a date and a time that read as such.
    platform.clock = moment(2026, 3, 17, 15, 42);
}

std::vector<DialogSample> dialogSamples() {
    std::vector<DialogSample> samples;
    samples.push_back({"frmPrinter", "", [](SampleMachine& m) {
                           save(m, {{keys::FaxType, "1"}, {keys::Printer, "Fax"}, {keys::DialOutLine, "9"},
                                    {keys::DefaultPrinter, "HP LaserJet 4250 PCL6"}, {keys::DefaultCopies, "2"}});
                           return loaded<frmPrinter>(m);
                       }});
    samples.push_back({"frmPrinter", "shared-fax", [](SampleMachine& m) {
                           save(m, {{keys::FaxType, "3"}, {keys::ServerName, "SBS01"},
                                    {keys::Printer, "Office Fax (Reception)"}, {keys::ResetPrinter, "False"},
                                    {keys::DefaultPrinter, "Don't Print"}});
                           return loaded<frmPrinter>(m);
                       }});
    samples.push_back({"frmPrinter", "hylafax", [](SampleMachine& m) {
                           save(m, {{keys::FaxType, "4"}, {keys::HylafaxHost, "fax.example.com"},
                                    {keys::HylafaxUser, "jdoe"}, {keys::Printer, "Fax"}});
                           return loaded<frmPrinter>(m);
                       }});
    samples.push_back({"frmFaxPrinterSetupMessage", "", [](SampleMachine& m) {
                           return loaded<frmFaxPrinterSetupMessage>(m);
                       }});
    samples.push_back({"frmSettings", "", [](SampleMachine& m) {
                           save(m, {{keys::DefaultPrinter, "HP LaserJet 4250 PCL6"}, {keys::DefaultCopies, "2"}});
                           return loaded<frmSettings>(m);
                       }});
    samples.push_back({"frmAbout", "", [](SampleMachine& m) { return loaded<frmAbout>(m); }});
    samples.push_back({"frmSendConfirm", "", [](SampleMachine& m) {
                           save(m, {{keys::FaxType, "1"}, {keys::DefaultPrinter, "HP LaserJet 4250 PCL6"},
                                    {keys::DefaultCopies, "2"}});
                           auto form = loaded<frmSendConfirm>(m);
                           markedRecipient(*form, "Revised site plan");
                           return form;
                       }});
    samples.push_back({"frmSendConfirm", "shared-fax", [](SampleMachine& m) {
                           m.fax.extendedFaxInstalled = true;
                           save(m, {{keys::FaxType, "3"}, {keys::ServerName, "SBS01"}, {keys::YnoSave, "True"},
                                    {keys::Email, "True"},
                                    {keys::EmailAddress, "reception@okafor-lindqvist.example"}});
                           auto form = loaded<frmSendConfirm>(m);
                           markedRecipient(*form, "Today's Fax");
                           return form;
                       }});
    samples.push_back({"frmQuickFaxConfirm", "", [](SampleMachine& m) {
                           save(m, {{keys::FaxType, "1"}});
                           auto form = loaded<frmQuickFaxConfirm>(m);
                           form->txtNumber.setText("020 7946 0999");
                           form->txtSubject.setText("Today's Fax");
                           return form;
                       }});
    samples.push_back({"frmScheduleType", "", [](SampleMachine& m) { return loaded<frmScheduleType>(m); }});
    samples.push_back({"frmDeliveryNote", "", [](SampleMachine& m) { return loaded<frmDeliveryNote>(m); }});
    samples.push_back({"frmGetFields", "", [](SampleMachine& m) {
                           save(m, {{keys::FaxType, "1"}, {keys::DefaultPrinter, "HP LaserJet 4250 PCL6"},
                                    {keys::DefaultCopies, "1"}});
                           auto form = loaded<frmGetFields>(m);
                           // The fields of a customer list, as the merge lists them.
                           for (Control* box : {&form->cboName, &form->cboCompany, &form->cboNumber}) {
                               for (const char* field : {"", "Contact", "Company", "Street", "City", "Fax"})
                                   box->addItem(field);
                           }
                           form->cboName.setListIndex(1);
                           form->cboCompany.setListIndex(2);
                           form->cboNumber.setListIndex(5);
                           form->txtSubject.setText("Spring price list");
                           return form;
                       }});
    samples.push_back({"frmGetFields", "shared-fax", [](SampleMachine& m) {
                           m.fax.extendedFaxInstalled = true;
                           save(m, {{keys::FaxType, "3"}, {keys::ServerName, "SBS01"}});
                           auto form = loaded<frmGetFields>(m);
                           for (Control* box : {&form->cboName, &form->cboCompany, &form->cboNumber}) box->addItem("");
                           form->txtSubject.setText("Today's Fax");
                           return form;
                       }});
    samples.push_back({"frmErrorLog", "", [](SampleMachine& m) {
                           auto form = loaded<frmErrorLog>(m);
                           const std::string subject = "Spring price list";
                           form->lstLog.addItem(ErrorLogEntry(kNoNumberReason, "Lars Lindqvist", "Lindqvist Bygg AB",
                                                              kNoNumberSubject, ""));
                           // Texts wider than their columns are cut there, with an ellipsis.
                           form->lstLog.addItem(ErrorLogEntry(kInvalidNumberReason, "Margaret Wellington-Okafor",
                                                              "Okafor, Lindqvist & Wakefield Architects Ltd", subject,
                                                              "call reception desk"));
                           form->lstLog.addItem(ErrorLogEntry(kInvalidNumberReason, "Zoë Brennan", "Brennan Legal",
                                                              subject, "+44 20 79x6"));
                           form->lstLog.addItem(ErrorLogEntry(kNoNumberReason, "", "Harbour Street Dental",
                                                              kNoNumberSubject, ""));
                           return form;
                       }});
    samples.push_back({"frmFaxStatus", "", [](SampleMachine& m) {
                           const struct {
                               const char* who;
                               const char* number;
                               FaxState state;
                               int sent, pages;
                               const char* reason;
                               const char* run;
                           } faxes[] = {
                               {"Lars Lindqvist", "0046 8 123 456", FaxState::Sent, 3, 3, "", ""},
                               {"Harbour Street Dental", "9,020 7946 0321", FaxState::Failed, 0, 1,
                                "the line was busy; no retries are left", "Spring prices.docx 1"},
                               {"Zoë Brennan", "9,020 7946 0110", FaxState::Sent, 1, 1, "", "Spring prices.docx 1"},
                               {"Margaret Okafor", "+44 20 7946 0321", FaxState::Retrying, 0, 2,
                                "there was no answer", ""},
                               {"Okafor & Lindqvist Architects", "+44 20 7946 0999", FaxState::Sending, 1, 4, "", ""},
                           };
                           for (const auto& f : faxes) {
                               m.platform.clock += std::chrono::minutes(7);
                               FaxRecord r;
                               r.submitted = m.platform.clock;
                               r.recipient = f.who;
                               r.number = f.number;
                               r.state = f.state;
                               r.pagesSent = f.sent;
                               r.pagesTotal = f.pages;
                               r.reason = f.reason;
                               r.mergeRun = f.run;
                               (void)m.history.add(r);
                           }
                           auto form = loaded<frmFaxStatus>(m);
                           form->lstFaxes.setListIndex(3);
                           return form;
                       }});
    return samples;
}

}  // namespace telvora::testing
