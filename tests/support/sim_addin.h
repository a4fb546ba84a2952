// The fixture most command tests start from: an add-in on simulated ports, a fresh settings
// profile, a scripted user whose script must be followed exactly, and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "app/addin.h"
#include "core/settings.h"
#include "host/buttons.h"
#include "support/memory_settings_store.h"
#include "sim/scripted_user.h"
#include "sim/sim_machine.h"

namespace telvora::testing {

// Whether `text` holds `part`; a failure shows both.
inline ::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << text;
}

// A folder of its own for each test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = std::filesystem::temp_directory_path() / ("telvora-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_)) return;
        }
        throw std::runtime_error("cannot make a scratch folder");
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

class SimAddinTest : public ::testing::Test {
protected:
    // The add-in's command object "Telvora.Buttons", served as the registered DLL serves it on
    // Windows (the settings dialog opens the fax printer setup through it).
    SimAddinTest() { automation.install("Telvora.Buttons", [this] { return makeButtonsObject(addin); }); }

    void TearDown() override {
        EXPECT_EQ(user.finish(), "") << "the scripted user was not followed";
        for (const auto& v : fax.violations) ADD_FAILURE() << "the simulated fax software broke its documentation: " << v;
    }

    void save(const char* key, const std::string& value) { store.SaveSetting(kAppName, kSectionName, key, value); }
    std::optional<std::string> stored(const char* key) const { return store.stored(kAppName, kSectionName, key); }
    // A message box as the add-in shows every one: its text, icon and buttons, under the product's name.
    static void expectMessage(const sim::MessageRecord& m, const std::string& prompt, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::OK) {
        EXPECT_EQ(m.prompt, prompt);
        EXPECT_EQ(m.icon, icon);
        EXPECT_EQ(m.buttons, buttons);
        EXPECT_EQ(m.title, "Telvora");
    }

    // The texts of the messages shown, in order.
    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& m : user.messages()) out.push_back(m.prompt);
        return out;
    }
    // The one message the command showed; fails the test when there was not exactly one.
    sim::MessageRecord onlyMessage() const {
        EXPECT_EQ(user.messages().size(), 1u);
        return user.messages().empty() ? sim::MessageRecord{} : user.messages().back();
    }

    ScratchFolder scratch;
    MemorySettingsStore store;
    sim::SimMachine machine{scratch.path()};
    sim::SimPlatform& platform = machine.platform;
    sim::SimAutomation& automation = machine.automation;
    sim::FaxSoftware& fax = machine.fax;
    sim::ScriptedUser user;
    Addin addin{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, nullptr, &user}};
};

}  // namespace telvora::testing
