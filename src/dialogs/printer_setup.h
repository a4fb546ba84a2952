// The add-in's settings dialog "Telvora Settings" (fax software, fax printer, shared fax server or
// HylaFAX server, dial-out prefix, printer reset, copy printer and copies), its help window for a
// missing fax printer, and the check every sending command and the start-up make that an installed
// fax printer is chosen.
#pragma once

#include <string>

#include "app/addin.h"
#include "dialogs/copy_printer.h"
#include "forms/form.h"

namespace telvora {

// Whether a fax printer is chosen and installed. When the stored one is missing or no longer
// installed, shows the settings dialog until the user picks an installed printer (stored as
// `Printer`) or cancels. Reports its own errors and then answers False.
bool EnsureFaxPrinter(Addin& addin);

// What the dialog's SelectedPrinter holds after the user cancelled it.
inline constexpr const char* kCancelledPrinter = "Cancel";

class frmFaxPrinterSetupMessage final : public Form {
public:
    explicit frmFaxPrinterSetupMessage(Addin& addin);

    Control& lblHeading = add(ControlKind::Label, "lblHeading", "If your fax printer is not shown in the drop-down list.",
                              {7, 7, 246, 8});
    Control& lblStep1 = add(ControlKind::Label, "lblStep1",
                            "1. If you are unable to select a fax printer, then you may not have the correct fax "
                            "driver installed. Please consult your Windows (or Fax Software) documentation for "
                            "addtional instructions.",
                            {7, 21, 246, 32});
    Control& lblStep2 = add(ControlKind::Label, "lblStep2", "2. You can find additional information at:", {7, 59, 246, 8});
    Control& lblTelvoraFAQ = add(ControlKind::LinkLabel, "lblTelvoraFAQ", "link to Telvora faq", {15, 71, 238, 8});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "&OK", {203, 89, 50, 14});

    void cmdOK_Click();
    void lblTelvoraFAQ_Click();

protected:
    void Form_Load() override;

private:
    Addin& addin_;
};

class frmPrinter final : public Form, public CopyPrinterDialog {
public:
    explicit frmPrinter(Addin& addin);

    // The fax printer chosen with OK; "" after loading, "Cancel" after Cancel (or closing the
    // window). The opener stores it.
    std::string SelectedPrinter;

    Control& lblIntro = add(ControlKind::Label, "lblIntro",
                            "Telvora can send faxes using fax software that is included free with Windows or other "
                            "software that you may have purchased.",
                            {7, 7, 286, 16});
    Control& Frame1 = add(ControlKind::Frame, "Frame1", "Select the type of Fax Software you are using:",
                          {7, 29, 286, 106});
    Control& optWindows = add(ControlKind::OptionButton, "optWindows", "Windows XP/2000/Vista Fax Printer.",
                              {15, 42, 270, 10}, "Frame1");
    Control& optSBS = add(ControlKind::OptionButton, "optSBS", "Shared Microsoft Small Business Server Printer",
                          {15, 56, 270, 10}, "Frame1");
    Control& optWinFax = add(ControlKind::OptionButton, "optWinFax", "WinFax Fax Printer", {15, 70, 270, 10}, "Frame1");
    Control& lblServerName = add(ControlKind::Label, "lblServerName", "Server Name:", {27, 86, 50, 8});
    Control& txtServerName = add(ControlKind::TextBox, "txtServerName", "", {80, 84, 140, 14});
    // A HylaFAX server on the network, reached by host, port and user; its fields are enabled only
    // while it is chosen.
    Control& optHylafax = add(ControlKind::OptionButton, "optHylafax", "HylaFAX server", {15, 100, 270, 10}, "Frame1");
    Control& lblHylafaxHost = add(ControlKind::Label, "lblHylafaxHost", "Host:", {27, 116, 20, 8});
    Control& txtHylafaxHost = add(ControlKind::TextBox, "txtHylafaxHost", "", {48, 114, 96, 14});
    Control& lblHylafaxPort = add(ControlKind::Label, "lblHylafaxPort", "Port:", {150, 116, 18, 8});
    Control& txtHylafaxPort = add(ControlKind::TextBox, "txtHylafaxPort", "", {169, 114, 28, 14});
    Control& lblHylafaxUser = add(ControlKind::Label, "lblHylafaxUser", "User:", {203, 116, 20, 8});
    Control& txtHylafaxUser = add(ControlKind::TextBox, "txtHylafaxUser", "", {224, 114, 62, 14});
    Control& lblFaxPrinterDriver = add(ControlKind::Label, "lblFaxPrinterDriver", "Fax Printer/Driver:", {7, 142, 286, 8});
    Control& lblSelectPrinter = add(ControlKind::Label, "lblSelectPrinter",
                                    "Select the printer from the list that you use to send out faxes.", {7, 153, 286, 8});
    Control& cboPrinter = add(ControlKind::ComboBox, "cboPrinter", "", {7, 164, 200, 14});
    Control& chkShowFaxPrintersOnly = add(ControlKind::CheckBox, "chkShowFaxPrintersOnly",
                                          "Only show printers with the word fax in the name.", {7, 182, 286, 10});
    Control& lblNoFax = add(ControlKind::LinkLabel, "lblNoFax", "My fax printer is not displayed in the list",
                            {7, 196, 200, 8});
    Control& lblOtherSettings = add(ControlKind::Label, "lblOtherSettings", "Other Settings:", {7, 212, 286, 8});
    Control& lblPrefix = add(ControlKind::Label, "lblPrefix", "To access an outside line for calls, dial:",
                             {7, 225, 170, 8});
    Control& txtPrefix = add(ControlKind::TextBox, "txtPrefix", "", {180, 223, 40, 14});
    Control& chkResetPrinter = add(ControlKind::CheckBox, "chkResetPrinter", "Do not reset printer after faxing.",
                                   {7, 241, 286, 10});
    Control& lblPrintCopy = add(ControlKind::Label, "lblPrintCopy", "Print Paper Copy:", {7, 258, 286, 8});
    Control& lblSelectCopyPrinter = add(ControlKind::Label, "lblSelectCopyPrinter",
                                        "Select the Printer that you wish to use to print copies of your faxes:",
                                        {7, 269, 286, 8});
    Control& cboCopyPrinter = add(ControlKind::ComboBox, "cboCopyPrinter", "", {7, 280, 200, 14});
    Control& lblCopies = add(ControlKind::Label, "lblCopies", "Number of Copies:", {7, 300, 70, 8});
    Control& txtCopies = add(ControlKind::TextBox, "txtCopies", "", {80, 298, 30, 14});
    Control& cmdOk = add(ControlKind::Button, "cmdOk", "&OK", {187, 321, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {243, 321, 50, 14});

    Control& copyPrinterBox() override { return cboCopyPrinter; }
    Control& copiesBox() override { return txtCopies; }

    void optWindows_Click() { faxSoftwareChosen(); }
    void optSBS_Click() { faxSoftwareChosen(); }
    void optWinFax_Click() { faxSoftwareChosen(); }
    void optHylafax_Click() { faxSoftwareChosen(); }
    void cboPrinter_GotFocus();
    void cboPrinter_Click();
    void chkShowFaxPrintersOnly_Click();
    void cboCopyPrinter_Click();
    void lblNoFax_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void Form_Load() override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void Form_QueryUnload(int& cancel, UnloadMode mode) override;

private:
    void faxSoftwareChosen();
    void fillPrinters();
    // The OK steps; answers whether every check passed and the dialog may close.
    bool acceptChoices();
    bool acceptSharedFax();
    bool acceptFaxSoftware(bool installed, const char* faxType);
    bool acceptHylafax();

    Addin& addin_;
    // The fax printer box's text when it got the focus, to undo a choice the user takes back.
    std::string rememberedPrinter_;
    // Set while the box is refilled, so reselecting an entry asks nothing.
    bool refilling_ = false;
};

}  // namespace telvora
