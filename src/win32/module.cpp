// The one place that holds mutable process-wide state: COM requires the object and lock counts,
// and the add-in state must outlive each short-lived object a macro creates.
#include "win32/module.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "win32/automation.h"
#include "history/sqlite_fax_history.h"
#include "win32/diagnostics_log.h"
#include "win32/fax_preview_window.h"
#include "win32/registry_settings_store.h"
#include "win32/win32_date_time.h"
#include "win32/win32_platform.h"
#include "win32/text.h"
#include "win32/win32_timer.h"
#include "win32/win32_ui.h"
#include "win32/winsock_network.h"

namespace telvora::win32::module {
namespace {

// Windows Sockets, started the first time a fax goes to a HylaFAX server: Word's start-up does not
// wait for it, and a Windows Sockets that cannot start fails only that fax, with its reason.
class NetworkOnFirstUse final : public Network {
public:
    std::unique_ptr<Connection> connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds timeout) override {
        std::unique_lock lock(mutex_);
        if (!sockets_) sockets_ = std::make_unique<WinsockNetwork>();
        lock.unlock();
        return sockets_->connect(host, port, timeout);
    }

private:
    std::mutex mutex_;
    std::unique_ptr<WinsockNetwork> sockets_;
};

// The add-in with the Windows ports it works through.
struct AddinHost {
    RegistrySettingsStore settings;
    Win32Automation automation;
    Win32Ui ui;
    Win32Platform platform;
    Win32DateTime dateTimes;
    DiagnosticsLog diagnostics;
    NetworkOnFirstUse network;
    Win32FaxPreview faxPreview;
    // The faxes sent, beside the log in the user's local application data folder; none when that
    // folder cannot be found.
    std::unique_ptr<SqliteFaxHistory> history = makeHistory(DiagnosticsLog::defaultFolder());
    Win32Timer timer;
    Addin addin{Ports{settings, automation, ui, platform, &dateTimes, &diagnostics, &network, &faxPreview, history.get(),
                      &timer}};

    static std::unique_ptr<SqliteFaxHistory> makeHistory(const std::wstring& folder) {
        if (folder.empty()) return nullptr;
        const std::wstring kept = folder + L"\\Kept\\";
        return std::make_unique<SqliteFaxHistory>(std::filesystem::path(folder + L"\\History.db"), narrow(kept),
                                                  std::filesystem::path(kept));
    }
};

struct State {
    std::atomic<HMODULE> instance{nullptr};
    std::atomic<long> objects{0};
    std::atomic<long> locks{0};
    std::mutex addinMutex;
    // Deliberately not destroyed at process exit: COM objects it may hold must not be released
    // under the loader lock. It is destroyed when COM asks whether the DLL can be unloaded.
    AddinHost* host = nullptr;
};

State& state() noexcept {
    static State s;
    return s;
}

}  // namespace

void setInstance(HMODULE instance) noexcept { state().instance = instance; }
HMODULE instance() noexcept { return state().instance; }

void objectCreated() noexcept { ++state().objects; }
void objectDestroyed() noexcept { --state().objects; }
void lockServer(bool lock) noexcept {
    if (lock) {
        ++state().locks;
    } else {
        --state().locks;
    }
}

bool canUnload() noexcept {
    State& s = state();
    std::lock_guard guard(s.addinMutex);
    if (s.objects != 0 || s.locks != 0) return false;
    delete std::exchange(s.host, nullptr);
    return true;
}

Addin& addin() {
    State& s = state();
    std::lock_guard guard(s.addinMutex);
    if (!s.host) s.host = new AddinHost();
    return s.host->addin;
}

}  // namespace telvora::win32::module
