// The small "Settings" dialog: the default copy printer and number of copies, and the way to the
// fax printer setup.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "app/addin.h"
#include "dialogs/copy_printer.h"
#include "forms/form.h"

namespace telvora {

class frmSettings final : public Form, public CopyPrinterDialog {
public:
    explicit frmSettings(Addin& addin);

    // Shows the dialog modally until OK or Cancel closes it. "Setup Fax Printer" hides it, opens the
    // fax printer setup through the add-in's command object and shows it again.
    void run(FormHost& host);

    Control& lblSelectCopyPrinter = add(ControlKind::Label, "lblSelectCopyPrinter",
                                        "Select the Printer that you wish to use to print copies of your faxes:",
                                        {7, 7, 206, 16});
    Control& cboCopyPrinter = add(ControlKind::ComboBox, "cboCopyPrinter", "", {7, 27, 206, 14});
    Control& lblCopies = add(ControlKind::Label, "lblCopies", "Number of Copies:", {7, 48, 64, 8});
    Control& txtCopies = add(ControlKind::TextBox, "txtCopies", "", {74, 46, 30, 14});
    Control& lblFaxPrinter = add(ControlKind::LinkLabel, "lblFaxPrinter", "Setup Fax Printer", {7, 68, 100, 8});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "&OK", {107, 86, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {163, 86, 50, 14});

    Control& copyPrinterBox() override { return cboCopyPrinter; }
    Control& copiesBox() override { return txtCopies; }

    void cboCopyPrinter_Click();
    void lblFaxPrinter_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void Form_Load() override;

private:
    void showStoredCopyPrinter();
    // The stored copy printer and copies; nothing when they cannot be read.
    std::optional<std::pair<std::string, std::string>> storedCopyPrinter() const;
    void openFaxPrinterSetup();

    Addin& addin_;
    bool faxPrinterSetupAsked_ = false;
};

}  // namespace telvora
