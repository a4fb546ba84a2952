// The state that lives as long as the add-in is loaded: the ports, the settings, the shared fax
// server the next shared-fax object starts from, the notification flag, and what the command
// surface's separate calls share. One per process on Windows, one per test here; every command
// reaches it by reference. A fax itself travels as a value (FaxJob) from the confirmation to the
// sending step.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "core/settings.h"
#include "ports/automation.h"
#include "ports/date_time.h"
#include "ports/fax_preview.h"
#include "ports/network.h"
#include "ports/fax_history.h"
#include "ports/platform.h"
#include "ports/settings_store.h"
#include "ports/timer.h"
#include "ports/ui.h"
#include "ports/word.h"

namespace telvora {

// The filing copies a confirmation chose: none, or `copies` on `printer` (a device name).
struct FilingCopies {
    bool print = false;
    std::string printer;  // a device name or "Don't Print"
    std::int16_t copies = 0;
};

// One fax as the user confirmed it.
struct FaxJob {
    std::string faxNumber;
    std::string recipientName;
    std::string recipientCompany;
    std::string subject;
    FilingCopies filing;
};

// What a merge's record check counted: the records read and those listed in the error log.
struct MergeCounts {
    std::int32_t records = 0;
    std::int32_t errors = 0;
    std::int32_t recipients() const noexcept { return records - errors; }
};

// What the command surface's separate calls share, as the companion template's macros call them
// one after another: the fax the last confirmation made (SendFax and WinFaxSendFax submit it) and
// the counts of the last merge check (SendAllFax and WinFaxDOMerge go by them; a shared fax a
// macro's FaxSBS object could not submit clears the records).
struct CommandSession {
    FaxJob job;
    MergeCounts merge;
};

struct Ports {
    SettingsStore& settings;
    Automation& automation;
    Ui& ui;
    Platform& platform;
    // Every date the add-in reads or writes goes through this one conversion. An add-in made
    // without it (for work that needs no dates) fails any such use with 91.
    DateTimeTexts* dateTimes = nullptr;
    // Where ignored errors are written. An add-in made without one keeps them itself (see
    // Addin::diagnostics).
    Diagnostics* diagnostics = nullptr;
    // The network a HylaFAX server is reached through. An add-in made without it fails a fax to
    // one with 91.
    Network* network = nullptr;
    // Shows a fax before it is sent, when the user asked for that. An add-in made without it fails
    // such a fax with 91 before anything is sent.
    FaxPreview* faxPreview = nullptr;
    // Where the faxes sent are kept. An add-in made without one keeps no history.
    FaxHistory* history = nullptr;
    // The timer following the faxes sent runs on. Without one the faxes are not followed.
    Timer* timer = nullptr;
};

// The diagnostics of an add-in made without a sink of its own: the latest lines, in memory.
class RememberedDiagnostics final : public Diagnostics {
public:
    void ignored(const RuntimeError& error, const CodePlace& where) noexcept override;
    const std::vector<std::string>& lines() const noexcept { return lines_; }

private:
    std::vector<std::string> lines_;
};

class Addin {
public:
    explicit Addin(Ports ports) : ports_(ports), settings_(ports.settings) {}
    // What the timer calls (following the faxes sent, subscribed to the fax services' events)
    // works on this add-in: it stops before the add-in goes, whichever goes first of the two in
    // the host.
    ~Addin() {
        if (ports_.timer) ports_.timer->stop();
    }
    Addin(const Addin&) = delete;
    Addin& operator=(const Addin&) = delete;

    const Settings& settings() const noexcept { return settings_; }
    Automation& automation() const noexcept { return ports_.automation; }
    Ui& ui() const noexcept { return ports_.ui; }
    Platform& platform() const noexcept { return ports_.platform; }
    // Raises 91 when the add-in was made without one, as a macro's reference to an absent object.
    DateTimeTexts& dateTimes() const;
    // Raises 91 when the add-in was made without one.
    Network& network() const;
    FaxPreview& faxPreview() const;
    // Where the add-in writes the errors it ignores.
    Diagnostics& diagnostics() const noexcept { return ports_.diagnostics ? *ports_.diagnostics : remembered_; }

    // Word, as the add-in connection hands it over. Without one (the add-in created outside Word),
    // every use fails with 91, as a macro's reference to an absent object does.
    word::Application& word() const;
    bool hasWord() const noexcept { return word_ != nullptr; }
    void setWord(std::shared_ptr<word::Application> application) { word_ = std::move(application); }

    // The fax history, or none when the add-in keeps none.
    FaxHistory* history() const noexcept { return ports_.history; }
    Timer* timer() const noexcept { return ports_.timer; }

    // The folder the add-in was loaded from, without a trailing separator.
    std::string folder() const { return ports_.platform.addinFolder(); }

    // The add-in's own help file setting: what the What's-This help of an open dialog reads from.
    const std::string& helpFile() const noexcept { return helpFile_; }
    void setHelpFile(std::string path) { helpFile_ = std::move(path); }

    // The shared fax server the sending step last read from the settings: a new FaxSBS object
    // starts with it as its ServerName.
    std::string sharedFaxServer;
    // The user agreed to fax without delivery notification after the server refused it; every fax
    // goes without a receipt until the next confirmation dialog is loaded.
    bool notificationDisabled = false;
    CommandSession session;
    // The user was told that the fax history cannot be kept: not again while the add-in is loaded.
    bool historyProblemReported = false;
    // Called after following the faxes stored a change, so an open Fax Status window shows it at
    // once; empty while no such window is open.
    std::function<void()> faxesChanged;
    // The line the add-in last put on Word's status bar. While the bar shows it, the add-in tells
    // each change of its faxes there; once it shows something else (the user's or Word's), the
    // bar is left alone.
    std::string statusBarShown;

private:
    Ports ports_;
    mutable RememberedDiagnostics remembered_;
    Settings settings_;
    std::shared_ptr<word::Application> word_;
    std::string helpFile_;
};

}  // namespace telvora
