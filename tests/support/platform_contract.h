// What both platforms promise where they share behaviour (the simulated machine, Windows): files in
// the temporary folder, environment variables. A test program instantiates the suite with a binding
// type that offers:
//
//     Platform& platform();
//     void setEnvironment(const std::string& name, const std::string& value);  // for this test only
//
//     INSTANTIATE_TYPED_TEST_SUITE_P(Sim, PlatformContract, SimPlatformBinding);
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <vector>
#include <string>

#include "base/errors.h"
#include "ports/platform.h"
#include "support/error_number.h"

namespace telvora::testing {

template <class Binding>
class PlatformContract : public ::testing::Test {
protected:
    // A file name in the temporary folder that no other test or run uses.
    std::string scratchFile(const std::string& stem) {
        std::random_device random;
        return platform.tempFolder() + "telvora-" + stem + "-" + std::to_string(random()) + ".tmp";
    }

    Binding binding;
    Platform& platform = binding.platform();
};

TYPED_TEST_SUITE_P(PlatformContract);

TYPED_TEST_P(PlatformContract, TheTemporaryFolderEndsWithASeparator) {
    // The add-in appends file names to it directly.
    const std::string folder = this->platform.tempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.back() == '\\' || folder.back() == '/') << folder;
}

TYPED_TEST_P(PlatformContract, AFileIsWrittenReadAndDeletedByteForByteAndOnceGoneReadingItRaises53) {
    auto& p = this->platform;
    const std::string path = this->scratchFile("\xC3\x9Cn\xC3\xAF" "code");
    const std::string bytes = std::string("line 1\r\nline 2\0tail\xFF", 20) + std::string(200000, 'z');
    p.writeFile(path, bytes);
    EXPECT_TRUE(p.fileExists(path));
    EXPECT_EQ(p.readFile(path), bytes);
    // Writing again replaces the whole file: nothing of the longer content stays behind.
    p.writeFile(path, "short");
    EXPECT_EQ(p.readFile(path), "short");
    p.deleteFile(path);
    EXPECT_FALSE(p.fileExists(path));
    // Gone, it is deleted again without an error, and reading it raises 53.
    EXPECT_EQ(errorOf([&] { p.deleteFile(path); }), 0);
    EXPECT_EQ(errorOf([&] { (void)p.readFile(path); }), err::FileNotFound);
}

TYPED_TEST_P(PlatformContract, EnvironmentVariablesAreFoundWithoutRegardToCase) {
    this->binding.setEnvironment("TELVORA_Contract_Name", "PC 1");
    EXPECT_EQ(this->platform.environment("telvora_contract_name"), "PC 1");
    EXPECT_EQ(this->platform.environment("TELVORA_CONTRACT_NAME"), "PC 1");
    EXPECT_EQ(this->platform.environment("TELVORA_CONTRACT_NEVER_SET"), "");
}

TYPED_TEST_P(PlatformContract, AFoldersFilesAreListedByTheEndOfTheirNamesAlone) {
    auto& p = this->platform;
    // An ending no other file of the temporary folder has; a longer one must not count (Windows
    // matches "*.cov" against short names too, which would find "x.cove").
    std::random_device random;
    const std::string ending = ".cv" + std::to_string(random() % 100000);
    const std::string folder = p.tempFolder();
    const std::vector<std::string> names = {"b-telvora" + ending, "A-telvora" + ending, "c-telvora" + ending + "x"};
    for (const auto& name : names) p.writeFile(folder + name, "cover");
    std::string upper = ending;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(p.filesWithExtension(folder, upper), (std::vector<std::string>{names[1], names[0]}));
    for (const auto& name : names) p.deleteFile(folder + name);
    EXPECT_TRUE(p.filesWithExtension(folder + "telvora-no-such-folder", ending).empty());
}

REGISTER_TYPED_TEST_SUITE_P(PlatformContract, TheTemporaryFolderEndsWithASeparator,
                            AFileIsWrittenReadAndDeletedByteForByteAndOnceGoneReadingItRaises53,
                            EnvironmentVariablesAreFoundWithoutRegardToCase,
                            AFoldersFilesAreListedByTheEndOfTheirNamesAlone);

}  // namespace telvora::testing
