// The settings as the commands read them: defaults on a fresh profile and the conversions of
// stored texts, including the ones a user or an old release may have left behind.
#include "core/settings.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/memory_settings_store.h"
#include "support/error_number.h"

namespace telvora {
namespace {

using telvora::testing::errorOf;

class SettingsTest : public ::testing::Test {
protected:
    void store(const std::string& key, const std::string& value) { memory.SaveSetting(kAppName, kSectionName, key, value); }

    testing::MemorySettingsStore memory;
    Settings settings{memory};
};

TEST_F(SettingsTest, AFreshProfileReadsDefaultsWithoutWritingThemBack) {
    EXPECT_EQ(settings.faxType(), FaxType::WindowsFax);
    EXPECT_EQ(settings.faxTypeIfSet(), std::nullopt);
    EXPECT_EQ(settings.blnServer(), std::nullopt);
    EXPECT_TRUE(settings.resetPrinter());
    EXPECT_EQ(settings.defaultPrinter(), "Don't Print");
    EXPECT_EQ(settings.defaultCopies(), 1);
    EXPECT_TRUE(settings.showToolbar());
    EXPECT_FALSE(settings.ynoSave());
    EXPECT_EQ(memory.size(), 0u) << "reading must never write a default back";
}

TEST_F(SettingsTest, FaxTypeSelectsNoSoftwareOutsideOneToThreeAndBadNumbersRaiseAsTheRuntimeWould) {
    const struct {
        const char* stored;
        int value;
        std::optional<int> ifSet;
        FaxType type;
    } cases[] = {{"3", 3, 3, FaxType::SharedFax}, {"0", 0, 0, FaxType::None}, {"7", 7, 7, FaxType::None},
                 {"", 0, std::nullopt, FaxType::None}};
    for (const auto& c : cases) {
        store(keys::FaxType, c.stored);
        EXPECT_EQ(settings.faxTypeValue(), c.value) << c.stored;
        EXPECT_EQ(settings.faxTypeIfSet(), c.ifSet) << c.stored;
        EXPECT_EQ(settings.faxType(), c.type) << c.stored;
    }
    store(keys::FaxType, "abc");
    EXPECT_EQ(errorOf([&] { settings.faxTypeValue(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([&] { settings.faxTypeIfSet(); }), err::TypeMismatch);
    store(keys::FaxType, "40000");
    EXPECT_EQ(errorOf([&] { settings.faxTypeValue(); }), err::Overflow);
    store(keys::DefaultCopies, "-40000");
    EXPECT_EQ(errorOf([&] { settings.defaultCopies(); }), err::Overflow);
    store(keys::DefaultCopies, "32767");
    EXPECT_EQ(settings.defaultCopies(), 32767);
}

TEST_F(SettingsTest, BooleanTextIsReadInAnyCaseOrAsANumber) {
    const std::pair<const char*, bool> cases[] = {
        {"true", true}, {"FALSE", false}, {"True", true}, {"1", true}, {"0", false}, {"-1", true}, {"2", true}};
    for (const auto& [text, expected] : cases) {
        store(keys::ShowToolbar, text);
        EXPECT_EQ(settings.showToolbar(), expected) << text;
        store(keys::BlnServer, text);
        EXPECT_EQ(settings.blnServer(), expected) << text;
        store(keys::YnoSave, text);
        EXPECT_EQ(settings.ynoSave(), expected) << text;
    }
    store(keys::ShowToolbar, "yes");
    EXPECT_EQ(errorOf([&] { settings.showToolbar(); }), err::TypeMismatch);
}

TEST_F(SettingsTest, ResetPrinterIsOnlyTrueForExactlyTrue) {
    for (const char* text : {"true", "TRUE", "1", "", "False"}) {
        store(keys::ResetPrinter, text);
        EXPECT_FALSE(settings.resetPrinter()) << text;
    }
    store(keys::ResetPrinter, "True");
    EXPECT_TRUE(settings.resetPrinter());
}

TEST_F(SettingsTest, WritesLandUnderTheAddinsApplicationAndSection) {
    settings.save(keys::Printer, "Fax");
    EXPECT_EQ(memory.stored("0x61645694", "Settings", "Printer"), "Fax");
    EXPECT_EQ(settings.printer(), "Fax");
    settings.remove(keys::Printer);
    EXPECT_EQ(memory.stored("0x61645694", "Settings", "Printer"), std::nullopt);
    settings.remove(keys::Printer);  // removing twice is harmless
}

}  // namespace
}  // namespace telvora
