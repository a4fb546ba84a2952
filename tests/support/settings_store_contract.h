// What every settings store promises, whatever keeps the values (memory, the simulator's SQLite
// file, the registry at VBA's location): the same suite runs against each. A test program
// instantiates it with a factory type whose `make()` answers a fresh, empty store:
//
//     struct MemoryStores { static std::unique_ptr<SettingsStore> make(); };
//     INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, MemoryStores);
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/errors.h"
#include "ports/settings_store.h"
#include "support/error_number.h"

namespace telvora::testing {

template <class Factory>
class SettingsStoreContract : public ::testing::Test {
protected:
    std::unique_ptr<SettingsStore> owned = Factory::make();
    SettingsStore& store = *owned;
    // An application name no other test or program uses, so a shared store (the registry) starts
    // empty for it; the factory clears it afterwards where it has to.
    const std::string app = Factory::application();
};

TYPED_TEST_SUITE_P(SettingsStoreContract);

TYPED_TEST_P(SettingsStoreContract, AMissingKeyReadsTheDefaultWithoutWritingIt) {
    auto& s = this->store;
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "FaxType", "1"), "1");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "FaxType"), "");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "FaxType", "x"), "x") << "reading wrote the default back";
}

TYPED_TEST_P(SettingsStoreContract, ValuesComeBackExactlyAsStored) {
    auto& s = this->store;
    for (const std::string& value : {std::string("3"), std::string("Fax \"Office\" \xC3\xBC \xE6\x9D\xB1"),
                                    std::string("two\r\nlines"), std::string(""), std::string(" padded "),
                                    std::string("ends in NUL\0", 12), std::string(3000, 'x')}) {
        s.SaveSetting(this->app, "Settings", "Value", value);
        EXPECT_EQ(s.GetSetting(this->app, "Settings", "Value", "missing"), value);
    }
}

TYPED_TEST_P(SettingsStoreContract, SectionsAndApplicationsKeepTheirKeysApart) {
    auto& s = this->store;
    s.SaveSetting(this->app, "Settings", "Printer", "Fax");
    s.SaveSetting(this->app, "Other", "Printer", "kept apart");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "Printer"), "Fax");
    EXPECT_EQ(s.GetSetting(this->app, "Other", "Printer"), "kept apart");
    EXPECT_EQ(s.GetSetting(this->app + "x", "Settings", "Printer", "none"), "none");
}

TYPED_TEST_P(SettingsStoreContract, NamesIgnoreLetterCaseAsTheRegistryDoes) {
    // The companion template's macros may spell a key differently from the add-in.
    auto& s = this->store;
    s.SaveSetting(this->app, "Settings", "ShowToolbar", "0");
    EXPECT_EQ(s.GetSetting(this->app, "SETTINGS", "showtoolbar"), "0");
    s.SaveSetting(this->app, "settings", "SHOWTOOLBAR", "1");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "ShowToolbar"), "1");
    s.DeleteSetting(this->app, "Settings", "showToolbar");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "ShowToolbar", "gone"), "gone");
}

TYPED_TEST_P(SettingsStoreContract, DeletingRemovesOneKeyAndAMissingOneIsNoError) {
    auto& s = this->store;
    s.SaveSetting(this->app, "Settings", "BlnServer", "True");
    s.SaveSetting(this->app, "Settings", "FaxType", "3");
    s.DeleteSetting(this->app, "Settings", "BlnServer");
    s.DeleteSetting(this->app, "Settings", "BlnServer");
    s.DeleteSetting(this->app, "Missing section", "BlnServer");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "BlnServer", "gone"), "gone");
    EXPECT_EQ(s.GetSetting(this->app, "Settings", "FaxType"), "3");
}

TYPED_TEST_P(SettingsStoreContract, AnEmptyApplicationSectionOrKeyIsRefusedWithError5) {
    // Each would address a level above a key, where other programs keep their settings.
    auto& s = this->store;
    const std::string app = this->app;
    for (const auto& address : {std::tuple<std::string, std::string, std::string>{"", "Settings", "K"},
                                {app, "", "K"},
                                {app, "Settings", ""}}) {
        // Named references rather than a structured binding, which clang 14's lambdas cannot capture.
        const std::string &a = std::get<0>(address), &sec = std::get<1>(address), &key = std::get<2>(address);
        EXPECT_EQ(errorOf([&] { s.GetSetting(a, sec, key, "d"); }), err::InvalidProcedureCall);
        EXPECT_EQ(errorOf([&] { s.SaveSetting(a, sec, key, "v"); }), err::InvalidProcedureCall);
        EXPECT_EQ(errorOf([&] { s.DeleteSetting(a, sec, key); }), err::InvalidProcedureCall);
    }
    EXPECT_EQ(s.GetSetting(app, "Settings", "K", "untouched"), "untouched");
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract, AMissingKeyReadsTheDefaultWithoutWritingIt,
                            ValuesComeBackExactlyAsStored, SectionsAndApplicationsKeepTheirKeysApart,
                            NamesIgnoreLetterCaseAsTheRegistryDoes, DeletingRemovesOneKeyAndAMissingOneIsNoError,
                            AnEmptyApplicationSectionOrKeyIsRefusedWithError5);

}  // namespace telvora::testing
