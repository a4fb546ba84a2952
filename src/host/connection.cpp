// Loading, start-up and unloading of the add-in inside Word.
#include "host/connection.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "backends/fax_follower.h"
#include "base/errors.h"
#include "dialogs/printer_setup.h"
#include "host/buttons.h"
#include "host/command_bars.h"

namespace telvora {
namespace {

constexpr std::uint32_t kNtPlatform = 2;

// An old release kept only whether a shared fax server was used; it becomes the fax software type
// the first time the add-in starts without one.
void migrateFaxType(Addin& addin) {
    const Settings& settings = addin.settings();
    // Any stored text counts as set, even one that is no number: reading it as a number here
    // would stop every start, and with it the way to the settings that repair it.
    if (!settings.get(keys::FaxType).empty()) return;
    std::optional<bool> server;
    if (!succeeded(addin.diagnostics(), [&] { server = settings.blnServer(); }) || !server) return;
    settings.save(keys::FaxType, *server ? "3" : "1");
    settings.remove(keys::BlnServer);
}

}  // namespace

bool IsSupportedSystem(Addin& addin) {
    if (IsWindows2000(addin) || IsWindowsXP(addin) || IsWindowsServer2003(addin)) return true;
    std::optional<OsVersion> version;
    ignoreErrors(addin.diagnostics(), [&] { version = addin.platform().osVersion(); });
    return version && version->platformId == kNtPlatform && version->major >= 6;
}

AddinConnection::~AddinConnection() { release(); }

void AddinConnection::OnConnection(std::shared_ptr<word::Application> word) {
    release();
    if (!word) return;
    word_ = std::move(word);
    addin_.setWord(word_);
    trapAndReport([&] { word_->onWindowActivate([this](const auto& document, const auto& window) {
                      WindowActivate(document, window);
                  }); },
                  [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void AddinConnection::OnDisconnection() {
    // Word's objects go whatever the help engine does: held on, they would keep Word from quitting.
    trapAndReport([&] { CloseAllHelp(addin_); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
    // The fax services must not keep calling into an add-in Word has let go of.
    StopFollowing(addin_);
    release();
}

void AddinConnection::release() noexcept {
    if (word_) ignoreErrors(addin_.diagnostics(), [&] { word_->onWindowActivate({}); });
    template_.reset();
    // The ribbon goes with the connection. Whether Word shows the tab stays: Word asks for it once
    // per load of the add-in, whichever of connecting and asking comes first.
    ribbon_.reset();
    if (word_ && addin_.hasWord() && &addin_.word() == word_.get()) addin_.setWord(nullptr);
    word_.reset();
    initialised_ = false;
}

void AddinConnection::WindowActivate(const std::shared_ptr<word::Document>&, const std::shared_ptr<word::Window>& window) {
    if (!word_ || !window) return;
    if (!initialised_) trapAndReport([&] { startUp(*window); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
    RefreshRibbon();
}

std::string AddinConnection::GetCustomUI(const std::string& ribbonId) {
    std::string xml = RibbonXml(ribbonId);
    if (!xml.empty()) ribbonShown_ = true;
    return xml;
}

void AddinConnection::RibbonLoaded(std::shared_ptr<AutomationObject> ribbon) { ribbon_ = std::move(ribbon); }

const RibbonButton& AddinConnection::RibbonButtonOf(AutomationObject& control) {
    const RibbonButton* button = findRibbonButton(control.get("Id").toString());
    if (!button) throw RuntimeError::standard(err::InvalidProcedureCall);
    return *button;
}

void AddinConnection::RibbonAction(AutomationObject& control) {
    const RibbonButton& button = RibbonButtonOf(control);
    Buttons buttons(addin_);
    const int method = Buttons::findMethod(button.command);
    if (method < 0) throw RuntimeError::standard(err::MemberNotFound);
    // Each command traps and reports its own errors, as it does when the toolbar's macro calls it.
    (void)buttons.invoke(static_cast<std::size_t>(method), {});
}

bool AddinConnection::RibbonEnabled(AutomationObject& control) {
    if (!RibbonButtonOf(control).needsDocument) return true;
    if (!word_) return false;
    // Word unable to say: the button stays usable and the command tells the user what is wrong.
    std::int32_t open = 1;
    ignoreErrors(addin_.diagnostics(), [&] { open = word_->documents()->count(); });
    return open > 0;
}

void AddinConnection::RefreshRibbon() noexcept {
    if (ribbon_) ignoreErrors(addin_.diagnostics(), [&] { ribbon_->perform("Invalidate"); });
}

void AddinConnection::startUp(word::Window& window) {
    const auto markInitialised = [this] { initialised_ = true; };
    if (!IsSupportedSystem(addin_)) {
        // Said once: the add-in counts as started, so no further activation repeats it.
        ShowMessage(addin_, kUnsupportedSystemMessage, MsgIcon::Critical);
        PrepareCommandBars(addin_, *word_, ToolbarErrors::Raise, markInitialised, ribbonShown_);
        return;
    }
    migrateFaxType(addin_);
    // Word in use as an e-mail editor: the add-in waits for a document window.
    if (window.envelopeVisible()) return;
    // Asks for a fax printer when none that is installed is stored; the start goes on either way,
    // and each command that sends checks again.
    (void)EnsureFaxPrinter(addin_);
    const std::string templatePath = addin_.folder() + "\\" + kTemplateFileName;
    if (!addin_.platform().fileExists(templatePath)) {
        // Not started: the next activation looks again, so a template put back is found.
        ShowMessage(addin_, kTemplateMissingMessage, MsgIcon::Exclamation);
        return;
    }
    loadTemplate(templatePath);
    PrepareCommandBars(addin_, *word_, ToolbarErrors::Ignore, markInitialised, ribbonShown_);
}

void AddinConnection::loadTemplate(const std::string& path) {
    // Word lists a global template by its name, which is its file name with the extension; one not
    // listed yet is added from its file.
    const std::string name = kTemplateFileName;
    std::shared_ptr<word::AddIn> entry;
    if (!succeeded(addin_.diagnostics(), [&] { entry = word_->addIns()->item(name); })) ignoreErrors(addin_.diagnostics(), [&] { entry = word_->addIns()->add(path); });
    template_ = entry;
    if (entry) ignoreErrors(addin_.diagnostics(), [&] {
            if (!entry->installed()) entry->setInstalled(true);
        });
}

}  // namespace telvora
