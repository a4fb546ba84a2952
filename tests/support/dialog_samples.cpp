// The dialogs' sample data.
#include "support/dialog_samples.h"

#include "core/settings.h"
#include "dialogs/about.h"
#include "dialogs/printer_setup.h"
#include "dialogs/settings_dialog.h"

namespace telvora::testing {
namespace {

void save(SampleMachine& m, const char* key, const std::string& value) {
    m.store.SaveSetting(kAppName, kSectionName, key, value);
}

template <class F>
std::unique_ptr<Form> loaded(SampleMachine& m) {
    auto form = std::make_unique<F>(m.addin);
    form->load();
    return form;
}

}  // namespace

SampleMachine::SampleMachine(Ui& ui) : addin(Ports{store, automation, ui, platform}) {
    platform.installedPrinters = {"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"};
}

std::vector<DialogSample> dialogSamples() {
    std::vector<DialogSample> samples;
    samples.push_back({"frmPrinter", "", [](SampleMachine& m) {
                           save(m, keys::FaxType, "1");
                           save(m, keys::Printer, "Fax");
                           save(m, keys::DialOutLine, "9");
                           save(m, keys::DefaultPrinter, "HP LaserJet 4250 PCL6");
                           save(m, keys::DefaultCopies, "2");
                           return loaded<frmPrinter>(m);
                       }});
    samples.push_back({"frmPrinter", "shared-fax", [](SampleMachine& m) {
                           save(m, keys::FaxType, "3");
                           save(m, keys::ServerName, "SBS01");
                           save(m, keys::Printer, "Office Fax (Reception)");
                           save(m, keys::ResetPrinter, "False");
                           save(m, keys::DefaultPrinter, "Don't Print");
                           return loaded<frmPrinter>(m);
                       }});
    samples.push_back({"frmFaxPrinterSetupMessage", "", [](SampleMachine& m) {
                           return loaded<frmFaxPrinterSetupMessage>(m);
                       }});
    samples.push_back({"frmSettings", "", [](SampleMachine& m) {
                           save(m, keys::DefaultPrinter, "HP LaserJet 4250 PCL6");
                           save(m, keys::DefaultCopies, "2");
                           return loaded<frmSettings>(m);
                       }});
    samples.push_back({"frmAbout", "", [](SampleMachine& m) { return loaded<frmAbout>(m); }});
    return samples;
}

}  // namespace telvora::testing
