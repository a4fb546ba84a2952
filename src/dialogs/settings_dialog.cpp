// The copy printer settings dialog.
#include "dialogs/settings_dialog.h"

#include "app/reports.h"
#include "base/text.h"
#include "core/settings.h"

namespace telvora {

frmSettings::frmSettings(Addin& addin) : Form("frmSettings", "Settings", {0, 0, 220, 107}), addin_(addin) {
    cmdOK.setDefault(true);
    cmdCancel.setCancel(true);
    cboCopyPrinter.setComboStyle(ComboStyle::DropDownList);
    cboCopyPrinter.onClick = [this] { cboCopyPrinter_Click(); };
    lblFaxPrinter.onClick = [this] { lblFaxPrinter_Click(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmSettings::Form_Load() { showStoredCopyPrinter(); }

void frmSettings::showStoredCopyPrinter() {
    trapAndReport(
        [&] {
            FillCopyPrinters(addin_, *this);
            if (!SelectDefaultCopyPrinter(addin_, *this)) SelectListEntry(cboCopyPrinter, kDontPrint);
            ShowStoredCopies(addin_, *this);
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmSettings::run(FormHost& host) {
    // The fax printer setup is a dialog of its own: this one steps aside while it is open rather
    // than stacking on top of it, and comes back when it closes.
    showModal(host);
    while (faxPrinterSetupAsked_ && loaded()) {
        faxPrinterSetupAsked_ = false;
        const auto before = storedCopyPrinter();
        openFaxPrinterSetup();
        // The setup dialog has a copy printer box too. What it stored is shown here, so that OK
        // does not put back the values this dialog showed before; otherwise the user's unsaved
        // choices here stay.
        if (storedCopyPrinter() != before) showStoredCopyPrinter();
        showModal(host);
    }
}

std::optional<std::pair<std::string, std::string>> frmSettings::storedCopyPrinter() const {
    std::optional<std::pair<std::string, std::string>> stored;
    ignoreErrors(addin_.diagnostics(), [&] {
        stored.emplace(addin_.settings().defaultPrinter(), addin_.settings().get(keys::DefaultCopies, "1"));
    });
    return stored;
}

void frmSettings::openFaxPrinterSetup() {
    trapAndReport(
        [&] {
            // Through the public command object, as the template's macros reach the setup.
            const auto buttons = addin_.automation().create("Telvora.Buttons");
            buttons->call("ToolsPrinter");
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmSettings::cboCopyPrinter_Click() { CopyPrinterChosen(*this); }

void frmSettings::lblFaxPrinter_Click() {
    faxPrinterSetupAsked_ = true;
    hide();
}

void frmSettings::cmdOK_Click() {
    trapAndReport(
        [&] {
            if (cboCopyPrinter.text() != kDontPrint && !CheckCopies(addin_, *this)) return;
            addin_.settings().save(keys::DefaultPrinter, trimBlanks(cboCopyPrinter.text()));
            addin_.settings().save(keys::DefaultCopies, trimBlanks(txtCopies.text()));
            unload();
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmSettings::cmdCancel_Click() { unload(); }

}  // namespace telvora
