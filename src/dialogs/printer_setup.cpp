// The settings dialog, its fax printer help window, and the fax printer check.
#include "dialogs/printer_setup.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "base/flag_while.h"
#include "base/product_info.h"
#include "base/text.h"
#include "core/settings.h"

namespace telvora {
namespace {

constexpr const char* kChoosePrinterMessage =
    "Please choose your Windows Fax printer from the list!\r\n\r\n"
    "If there are no printers displayed in the list then it is likely that you have not installed your "
    "Windows Fax Printer.";
constexpr const char* kSharedFaxUnsupportedMessage =
    "You have chosen to use shared fax. Shared fax is only supported if you are running Windows XP/Vista";
constexpr const char* kNoExtendedFaxMessage =
    "You cannot use SBS option because the file (fxscomex.dll) that supports this feature is not found Or\r\n"
    "Your Windows Fax Services is not installed.";
constexpr const char* kEnterServerMessage = "Please enter the Server name";
constexpr const char* kServerUnreachableMessage = "Invalid Server Name or Connection to Fax Server failed ";
constexpr const char* kSoftwareNotInstalledMessage =
    "The selected type of fax printer does not appear to be installed on your computer.\r\n\r\n"
    "Please change the selection for type of Fax Software.";
constexpr const char* kDialOutQuestion =
    "You have chosen to use the Dial Outside line feature. Are you sure to use this feature?";
constexpr const char* kNoFaxInNameQuestion =
    "You have chosen a fax printer that does not have the word FAX in it. Normally fax drivers for Windows, "
    "Small Business Server or WinFax have the word fax in it\r\n\r\n"
    "Are you sure that this is the correct fax printer driver?";

constexpr const char* kEnterHylafaxHostMessage = "Please enter the name or address of the HylaFAX server.";
constexpr const char* kHylafaxPortMessage = "The HylaFAX server's port must be a number from 1 to 65535 (usually 4559).";
constexpr const char* kEnterHylafaxUserMessage = "Please enter the user name the HylaFAX server knows you by.";

constexpr const char* kChooseCoverPageMessage =
    "Please choose the cover page to send in front of your faxes, or choose \"No cover page\".";
constexpr const char* kWinFaxNoCoverPage =
    "WinFax is handed the document alone: faxes sent through WinFax go without a cover page.";
constexpr const char* kHylafaxNoCoverPage =
    "The HylaFAX server is handed the finished fax image: faxes sent through it go without a cover page.";

// The shared fax server cannot be reached (RPC_S_SERVER_UNAVAILABLE).
constexpr std::int32_t kServerUnavailable = -2147023174;

MsgResult ask(Addin& addin, const char* question) {
    return addin.ui().messageBox(question, MsgButtons::YesNo, MsgIcon::Question, kAppTitle);
}

void selectAll(Control& box) {
    box.setSelStart(0);
    box.setSelLength(static_cast<int>(characterCount(box.text())));
}

}  // namespace

// --- The fax printer help window -----------------------------------------------------------------

frmFaxPrinterSetupMessage::frmFaxPrinterSetupMessage(Addin& addin)
    : Form("frmFaxPrinterSetupMessage", "Fax Printer Help", {0, 0, 260, 110}), addin_(addin) {
    cmdOK.setDefault(true);
    cmdOK.setCancel(true);
    cmdOK.onClick = [this] { cmdOK_Click(); };
    lblTelvoraFAQ.onClick = [this] { lblTelvoraFAQ_Click(); };
}

void frmFaxPrinterSetupMessage::Form_Load() { lblTelvoraFAQ.setCaption(product::kFaqPage); }

void frmFaxPrinterSetupMessage::cmdOK_Click() { hide(); }

void frmFaxPrinterSetupMessage::lblTelvoraFAQ_Click() {
    // The browser shows its own message when the page cannot be reached.
    trapAndReport([&] { (void)addin_.platform().shellOpen(product::kFaqPage); },
                  [&](const RuntimeError& e) { ReportError(addin_, e); });
}

// --- The settings dialog -------------------------------------------------------------------------

frmPrinter::frmPrinter(Addin& addin) : Form("frmPrinter", "Telvora Settings", {0, 0, 300, 453}), addin_(addin) {
    cmdOk.setDefault(true);
    cmdCancel.setCancel(true);
    // Both printer boxes offer the installed printers only: a name typed in could not be printed to.
    cboPrinter.setComboStyle(ComboStyle::DropDownList);
    cboCopyPrinter.setComboStyle(ComboStyle::DropDownList);
    optWindows.onClick = [this] { optWindows_Click(); };
    optSBS.onClick = [this] { optSBS_Click(); };
    optWinFax.onClick = [this] { optWinFax_Click(); };
    optHylafax.onClick = [this] { optHylafax_Click(); };
    optCoverNone.onClick = [this] { optCoverNone_Click(); };
    optCoverPersonal.onClick = [this] { optCoverPersonal_Click(); };
    optCoverServer.onClick = [this] { optCoverServer_Click(); };
    cboCoverPage.onGotFocus = [this] { cboCoverPage_GotFocus(); };
    cboPrinter.onGotFocus = [this] { cboPrinter_GotFocus(); };
    cboPrinter.onClick = [this] { cboPrinter_Click(); };
    chkShowFaxPrintersOnly.onClick = [this] { chkShowFaxPrintersOnly_Click(); };
    cboCopyPrinter.onClick = [this] { cboCopyPrinter_Click(); };
    lblNoFax.onClick = [this] { lblNoFax_Click(); };
    cmdOk.onClick = [this] { cmdOk_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmPrinter::Form_Load() {
    // A step that fails is reported and loading goes on, so the dialog still opens with what could
    // be read.
    const auto step = [&](auto&& body) {
        trapAndReport(body, [&](const RuntimeError& e) {
            ShowMessage(addin_, "Form Load \r\nError number: " + std::to_string(e.number()) + " " + e.description(),
                        MsgIcon::Exclamation);
        });
    };
    SelectedPrinter.clear();
    rememberedPrinter_.clear();
    step([&] {
        auto type = addin_.settings().faxTypeIfSet();
        if (!type) {
            type = 1;
            addin_.settings().save(keys::FaxType, "1");
        }
        if (*type == 1) optWindows.setValue(1);
        if (*type == 2) optWinFax.setValue(1);
        if (*type == 3) optSBS.setValue(1);
        if (*type == 4) optHylafax.setValue(1);
    });
    step([&] {
        const std::string server = addin_.settings().serverName();
        if (!server.empty()) txtServerName.setText(server);
    });
    step([&] {
        const HylafaxSetting hylafax = addin_.settings().hylafax();
        txtHylafaxHost.setText(hylafax.host);
        txtHylafaxPort.setText(std::to_string(hylafax.port));
        // The Windows user name is the likeliest name on the fax server too.
        txtHylafaxUser.setText(hylafax.user.empty() ? addin_.platform().environment("username") : hylafax.user);
    });
    step([&] {
        const CoverPageSetting cover = addin_.settings().coverPage();
        {
            const FlagWhile showing(showingStored_);
            optCoverNone.setValue(cover.kind == CoverPageKind::None ? 1 : 0);
            optCoverPersonal.setValue(cover.kind == CoverPageKind::Personal ? 1 : 0);
            optCoverServer.setValue(cover.kind == CoverPageKind::Server ? 1 : 0);
        }
        txtCoverNote.setText(cover.note);
        listedFolder_.clear();
        unlistedFolder_.clear();
        coverPageKindChosen();
        if (cover.chosen() && !SelectListEntry(cboCoverPage, cover.name)) cboCoverPage.setText(cover.name);
    });
    step([&] { chkPreviewFax.setValue(addin_.settings().previewFax() ? 1 : 0); });
    step([&] { chkResetPrinter.setValue(addin_.settings().resetPrinter() ? 1 : 0); });
    step([&] { txtPrefix.setText(GetDialOutPrefix(addin_)); });
    step([&] { fillPrinters(); });
    step([&] { FillCopyPrinters(addin_, *this); });
    step([&] {
        if (!SelectDefaultCopyPrinter(addin_, *this)) SelectListEntry(cboCopyPrinter, kDontPrint);
    });
    step([&] { ShowStoredCopies(addin_, *this); });
}

void frmPrinter::fillPrinters() {
    const FlagWhile refill(refilling_);
    const std::string current = cboPrinter.text();
    const bool faxOnly = chkShowFaxPrintersOnly.value() != 0;
    cboPrinter.clear();
    for (const auto& printer : addin_.platform().printers()) {
        const std::string name = trimBlanks(printer);
        if (!faxOnly || HasFaxInName(name)) cboPrinter.addItem(name);
    }
    // The user's choice stays when the list still has it; otherwise the stored fax printer.
    if (!SelectListEntry(cboPrinter, current)) SelectListEntry(cboPrinter, trimBlanks(addin_.settings().printer()));
}

void frmPrinter::faxSoftwareChosen() {
    const auto enable = [](Control& box, bool on) {
        box.setEnabled(on);
        box.setBackColor(on ? kWindowWhite : kButtonFace);
    };
    enable(txtServerName, optSBS.value() != 0);
    for (Control* box : {&txtHylafaxHost, &txtHylafaxPort, &txtHylafaxUser}) enable(*box, optHylafax.value() != 0);
    coverPageKindChosen();
}

FaxType frmPrinter::chosenFaxType() const {
    if (optSBS.value() != 0) return FaxType::SharedFax;
    if (optWinFax.value() != 0) return FaxType::WinFax;
    if (optHylafax.value() != 0) return FaxType::Hylafax;
    return optWindows.value() != 0 ? FaxType::WindowsFax : FaxType::None;
}

CoverPageKind frmPrinter::chosenCoverPageKind() const {
    if (optCoverPersonal.value() != 0) return CoverPageKind::Personal;
    if (optCoverServer.value() != 0) return CoverPageKind::Server;
    return CoverPageKind::None;
}

void frmPrinter::coverPageKindChosen(bool userAsked) {
    const FaxType type = chosenFaxType();
    // Before any fax software is chosen the choice stays open; it is checked when one is.
    const bool possible = type == FaxType::None || sendsCoverPages(type);
    const CoverPageKind kind = chosenCoverPageKind();
    for (Control* option : {&optCoverNone, &optCoverPersonal, &optCoverServer}) option->setEnabled(possible);
    const bool named = possible && kind != CoverPageKind::None;
    cboCoverPage.setEnabled(named);
    cboCoverPage.setBackColor(named ? kWindowWhite : kButtonFace);
    txtCoverNote.setEnabled(named);
    txtCoverNote.setBackColor(named ? kWindowWhite : kButtonFace);
    lblCoverUnsupported.setCaption(type == FaxType::WinFax ? kWinFaxNoCoverPage
                                   : type == FaxType::Hylafax ? kHylafaxNoCoverPage
                                                              : "");
    lblCoverUnsupported.setVisible(!possible);
    chkPreviewFax.setEnabled(type != FaxType::WinFax);
    const std::string folder =
        kind == CoverPageKind::None       ? std::string()
        : kind == CoverPageKind::Personal ? PersonalCoverPagesFolder(addin_)
                                          : ServerCoverPagesFolder(addin_, type == FaxType::SharedFax ? trimBlanks(txtServerName.text()) : "");
    // A name the user typed stays while the list would not change.
    if (folder == listedFolder_) return;
    // A fax server's folder is read only once the user asks for its list: a server that does not
    // answer would otherwise hold the dialog for the network's time limit as it opens or as the fax
    // software is changed.
    if (kind == CoverPageKind::Server && !userAsked) {
        if (folder != unlistedFolder_) {
            cboCoverPage.clear();
            cboCoverPage.setText("");
        }
        listedFolder_.clear();
        unlistedFolder_ = folder;
        return;
    }
    const std::string typed = folder == unlistedFolder_ ? cboCoverPage.text() : std::string();
    unlistedFolder_.clear();
    listedFolder_ = folder;
    cboCoverPage.clear();
    cboCoverPage.setText("");
    if (folder.empty()) return;
    for (const auto& name : addin_.platform().filesWithExtension(folder, ".cov")) cboCoverPage.addItem(name);
    if (!typed.empty() && !SelectListEntry(cboCoverPage, typed)) cboCoverPage.setText(typed);
}

void frmPrinter::cboPrinter_GotFocus() { rememberedPrinter_ = cboPrinter.text(); }

void frmPrinter::cboPrinter_Click() {
    if (refilling_) return;
    trapAndReport(
        [&] {
            const std::string chosen = cboPrinter.text();
            if (!rememberedPrinter_.empty() && rememberedPrinter_ != chosen && !HasFaxInName(chosen) &&
                ask(addin_, kNoFaxInNameQuestion) != MsgResult::Yes) {
                SelectListEntry(cboPrinter, rememberedPrinter_);
                return;
            }
            rememberedPrinter_ = chosen;
        },
        [&](const RuntimeError& e) {
            ShowMessage(addin_, "Error Number: " + std::to_string(e.number()) + " " + e.description(),
                        MsgIcon::Exclamation);
        });
}

void frmPrinter::chkShowFaxPrintersOnly_Click() {
    trapAndReport([&] { fillPrinters(); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmPrinter::cboCopyPrinter_Click() { CopyPrinterChosen(*this); }

void frmPrinter::lblNoFax_Click() {
    trapAndReport(
        [&] {
            frmFaxPrinterSetupMessage help(addin_);
            help.showModal(addin_.ui());
            help.unload();
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmPrinter::Form_KeyDown(int& keyCode, int) {
    if (keyCode != kKeyF1) return;
    keyCode = 0;
    ShowHelpTopic(addin_, topic::PrinterSetup);
}

void frmPrinter::cmdCancel_Click() {
    hide();
    SelectedPrinter = kCancelledPrinter;
}

void frmPrinter::Form_QueryUnload(int& cancel, UnloadMode mode) {
    // Closing the window is the user's Cancel: the dialog stays loaded for its opener to read, and the
    // fax printer check does not show it again.
    if (mode != UnloadMode::WindowFrame) return;
    cancel = 1;
    cmdCancel_Click();
}

void frmPrinter::cmdOk_Click() {
    trapAndReport(
        [&] {
            if (acceptChoices()) hide();
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

bool frmPrinter::acceptChoices() {
    const Settings& settings = addin_.settings();
    if (trimBlanks(cboPrinter.text()).empty()) {
        ShowMessage(addin_, kChoosePrinterMessage, MsgIcon::Exclamation);
        return false;
    }
    SelectedPrinter = cboPrinter.text();

    if (optSBS.value() != 0 && !acceptSharedFax()) return false;
    if (optWindows.value() != 0) {
        if (IsWindows2000(addin_) && !acceptFaxSoftware(CanCreateFaxServer(addin_), "1")) return false;
        if (IsExtendedFaxSystem(addin_) && !acceptFaxSoftware(CanCreateExtendedFaxServer(addin_), "1")) return false;
    }
    if (optWinFax.value() != 0 && !acceptFaxSoftware(CanCreateWinFax(addin_), "2")) return false;
    if (optHylafax.value() != 0 && !acceptHylafax()) return false;
    if (!acceptCoverPage()) return false;

    settings.save(keys::ResetPrinter, chkResetPrinter.value() != 0 ? "True" : "False");

    const std::string prefix = trimBlanks(txtPrefix.text());
    if (!prefix.empty() && GetDialOutPrefix(addin_).empty()) {
        if (ask(addin_, kDialOutQuestion) == MsgResult::Yes) settings.save(keys::DialOutLine, prefix);
    } else {
        settings.save(keys::DialOutLine, prefix);
    }

    if (cboCopyPrinter.text() != kDontPrint && !CheckCopies(addin_, *this)) return false;
    settings.save(keys::DefaultPrinter, trimBlanks(cboCopyPrinter.text()));
    settings.save(keys::DefaultCopies, trimBlanks(txtCopies.text()));
    return true;
}

bool frmPrinter::acceptFaxSoftware(bool installed, const char* faxType) {
    if (!installed) {
        ShowMessage(addin_, kSoftwareNotInstalledMessage, MsgIcon::Information);
        return false;
    }
    addin_.settings().save(keys::FaxType, faxType);
    return true;
}

bool frmPrinter::acceptSharedFax() {
    if (!IsExtendedFaxSystem(addin_)) {
        ShowMessage(addin_, kSharedFaxUnsupportedMessage, MsgIcon::Critical);
        txtServerName.setEnabled(false);
        return false;
    }
    if (!CanCreateExtendedFaxServer(addin_)) {
        ShowMessage(addin_, kNoExtendedFaxMessage, MsgIcon::Exclamation);
        return false;
    }
    const auto server = addin_.automation().create(progid::ExtendedFaxServer);
    const std::string name = trimBlanks(txtServerName.text());
    if (name.empty()) {
        txtServerName.setText("");
        ShowMessage(addin_, kEnterServerMessage, MsgIcon::Exclamation);
        txtServerName.setFocus();
        return false;
    }
    try {
        server->call("Connect", {Variant(name)});
    } catch (const RuntimeError& e) {
        if (e.number() != kServerUnavailable) throw;
        ShowMessage(addin_, kServerUnreachableMessage, MsgIcon::Exclamation);
        selectAll(txtServerName);
        txtServerName.setFocus();
        return false;
    }
    addin_.settings().save(keys::FaxType, "3");
    addin_.settings().save(keys::ServerName, name);
    return true;
}

bool frmPrinter::acceptHylafax() {
    const auto refuse = [&](Control& box, const char* message) {
        ShowMessage(addin_, message, MsgIcon::Exclamation);
        selectAll(box);
        box.setFocus();
        return false;
    };
    const std::string host = trimBlanks(txtHylafaxHost.text());
    if (host.empty()) return refuse(txtHylafaxHost, kEnterHylafaxHostMessage);
    const auto port = portNumber(txtHylafaxPort.text());
    if (!port) return refuse(txtHylafaxPort, kHylafaxPortMessage);
    const std::string user = trimBlanks(txtHylafaxUser.text());
    if (user.empty()) return refuse(txtHylafaxUser, kEnterHylafaxUserMessage);
    const Settings& settings = addin_.settings();
    settings.save(keys::HylafaxHost, host);
    settings.save(keys::HylafaxPort, std::to_string(*port));
    settings.save(keys::HylafaxUser, user);
    settings.save(keys::FaxType, "4");
    return true;
}

bool frmPrinter::acceptCoverPage() {
    const Settings& settings = addin_.settings();
    const CoverPageKind kind = chosenCoverPageKind();
    const std::string name = trimBlanks(cboCoverPage.text());
    if (kind != CoverPageKind::None && name.empty() && cboCoverPage.enabled()) {
        ShowMessage(addin_, kChooseCoverPageMessage, MsgIcon::Exclamation);
        cboCoverPage.setFocus();
        return false;
    }
    // Only what changed is written, so a user who never chose a cover page or the preview has
    // neither stored.
    if ((chkPreviewFax.value() != 0) != settings.previewFax())
        settings.save(keys::PreviewFax, chkPreviewFax.value() != 0 ? "True" : "False");
    if (kind != coverPageKindOf(settings.get(keys::CoverPageKind))) settings.save(keys::CoverPageKind, coverPageKindText(kind));
    for (const auto& [key, value] : {std::pair{keys::CoverPageName, name}, std::pair{keys::CoverPageNote, txtCoverNote.text()}}) {
        if (settings.get(key) != value) settings.save(key, value);
    }
    return true;
}

// --- The cover page folders -----------------------------------------------------------------------

std::string PersonalCoverPagesFolder(Addin& addin) {
    return addin.platform().documentsFolder() + "\\Fax\\Personal Coverpages";
}

std::string ServerCoverPagesFolder(Addin& addin, const std::string& server) {
    if (!server.empty()) return "\\\\" + server + "\\FAX$\\Coverpg";
    return addin.platform().environment("ALLUSERSPROFILE") +
           "\\Application Data\\Microsoft\\Windows NT\\MSFax\\Common Coverpages";
}

CoverPageSetting CoverPageToSend(Addin& addin) {
    CoverPageSetting cover = addin.settings().coverPage();
    if (!sendsCoverPages(addin.settings().faxType())) return {};
    cover.name = trimBlanks(cover.name);
    // A personal cover page goes by its whole path; one chosen from the list is named by its file.
    if (cover.kind == CoverPageKind::Personal && cover.name.find_first_of("\\/") == std::string::npos)
        cover.name = PersonalCoverPagesFolder(addin) + "\\" + cover.name;
    return cover;
}

// --- The fax printer check -----------------------------------------------------------------------

bool EnsureFaxPrinter(Addin& addin) {
    frmPrinter form(addin);
    bool accepted = false;
    // Accepts the dialog's printer when it is one of the installed printers, storing it.
    const auto acceptIfInstalled = [&] {
        for (const auto& printer : addin.platform().printers()) {
            if (printer == form.SelectedPrinter) {
                addin.settings().save(keys::Printer, printer);
                accepted = true;
                return;
            }
        }
    };
    // A dialog that comes back answered neither by OK nor by Cancel is not shown again and again:
    // that is a cancel too.
    const auto showDialog = [&] {
        form.SelectedPrinter.clear();
        form.showModal(addin.ui());
        if (form.SelectedPrinter.empty()) form.SelectedPrinter = kCancelledPrinter;
    };
    const bool ran = trapAndReport(
        [&] {
            form.load();
            if (addin.settings().printer().empty()) {
                while (form.SelectedPrinter != kCancelledPrinter && !accepted) {
                    showDialog();
                    acceptIfInstalled();
                }
            }
            const std::string stored = addin.settings().printer();
            if (!stored.empty()) {
                form.SelectedPrinter = stored;
                while (form.SelectedPrinter != kCancelledPrinter && !accepted) {
                    acceptIfInstalled();
                    form.hide();
                    if (!accepted) showDialog();
                }
            }
        },
        [&](const RuntimeError& e) { ReportError(addin, e); });
    form.unload();
    return ran && accepted;
}

}  // namespace telvora
