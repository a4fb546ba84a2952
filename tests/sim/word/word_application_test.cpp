// The simulated application: printers and prints, command bars and the add-ins list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/host_tools.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/error_number.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

using telvora::testing::contains;
using telvora::testing::errorOf;
using telvora::testing::readBytes;

class WordPrinting : public ::testing::Test {
protected:
    // The machine's drive C: is a scratch folder of its own; its C:\Temp is `folder`.
    WordPrinting() : folder(scratch.path() / "Temp") {
        std::filesystem::create_directories(folder);
        wp = std::make_unique<WordProcessor>(WordProcessorOptions{MachinePaths(scratch.path()), "C:\\Office"});
        wp->installPrinter("Office Laser");
        wp->installPrinter("Fax");
        wp->open(DocumentBuilder("Letter.doc").text("Hello\rWorld").build());
    }

    telvora::testing::ScratchFolder scratch;
    std::filesystem::path folder;
    std::unique_ptr<WordProcessor> wp;
};

TEST_F(WordPrinting, APrintToAFileWithoutADriverIsTheTextAndAFileByNameIsWhatItHeldThen) {
    wp->PrintOut({{"PrintToFile", true}, {"OutputFileName", "C:\\Temp\\Copy.prn"}});
    EXPECT_EQ(readBytes(folder / "Copy.prn"), "Hello\r\nWorld\r\n");
    EXPECT_EQ(wp->prints().at(0).output, folder / "Copy.prn");

    std::ofstream(folder / "Telvora.rtf", std::ios::binary) << "Record 2 N.\r\n";
    wp->printFile("C:\\Temp\\Telvora.rtf");
    std::filesystem::remove(folder / "Telvora.rtf");
    EXPECT_EQ(wp->prints().at(1).fileContents, "Record 2 N.\r\n");
    EXPECT_THROW(wp->printFile("C:\\Temp\\Telvora.rtf"), RuntimeError);
    EXPECT_EQ(wp->path(), "C:\\Office");
}

TEST_F(WordPrinting, WhatWordWouldRefuseIsRefusedAndNothingIsPrinted) {
    for (const char* outside : {"C:\\Temp\\..", "C:\\..\\..\\Pagewire.tif", "D:\\Pagewire.tif", "\\\\fax\\out\\x.tif"}) {
        const RuntimeError e =
            telvora::testing::errorRaisedBy([&] { wp->PrintOut({{"PrintToFile", true}, {"OutputFileName", outside}}); });
        EXPECT_EQ(e.number(), err::PathFileAccess) << outside;
        EXPECT_EQ(e.source(), "Microsoft Word");
        EXPECT_TRUE(contains(e.description(), outside));
    }
    EXPECT_THROW(wp->PrintOut({{"PrintToFile", true}}), RuntimeError);
    // A misspelled argument name fails instead of being ignored.
    EXPECT_EQ(errorOf([&] { wp->PrintOut({{"PrintTofile", false}, {"Copys", std::int32_t{2}}}); }), 448);
    EXPECT_TRUE(wp->prints().empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.path().parent_path() / "Pagewire.tif"));
    // A printer that is not installed is not made active.
    EXPECT_EQ(errorOf([&] { wp->setActivePrinter("Missing Printer"); }), 5216);
    EXPECT_EQ(wp->activePrinter(), "Office Laser");

    WordProcessor noDrive;
    noDrive.installPrinter("Fax");
    noDrive.open(DocumentBuilder("Letter.doc").build());
    EXPECT_EQ(errorOf([&] { noDrive.PrintOut({{"PrintToFile", true}, {"OutputFileName", "C:\\Temp\\x.tif"}}); }),
              err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { noDrive.printFile("C:\\Temp\\Telvora.rtf"); }), err::PathFileAccess);
}

class WordCommandBars : public ::testing::Test {
protected:
    WordCommandBars() {
        wp.addCommandBar("Tools", {button("Spelling"), popup("Macro", {button("Macros")})});
        wp.customizeCommandBar("Tools", {popup("Telvora", {button("Fax"), button("Setup")})});
        wp.addCommandBar("Telvora", {button("FaxNumber")}, false);
    }
    WordProcessor wp;
};

// Finding, deleting and resetting menu entries are the add-in's start-up road (its tests); here
// what a stale or wrong handle does.
TEST_F(WordCommandBars, AHandleToADeletedOrResetControlOrAPlainEntrysChildrenFails) {
    auto tools = wp.commandBars()->item("Tools");
    EXPECT_THROW(tools->findControl("Setup")->controls(), RuntimeError);
    auto menu = tools->findControl("Telvora");
    menu->Delete();
    EXPECT_THROW(menu->Delete(), RuntimeError);
    auto macro = tools->findControl("Macro");
    tools->Reset();
    EXPECT_EQ(wp.controlTags("Tools"), (std::vector<std::string>{"Spelling", "Macro", "Macro/Macros"}));
    EXPECT_EQ(errorOf([&] { macro->tag(); }), 5825) << "a control dropped by the reset is gone";
}

TEST_F(WordCommandBars, AMissingControlOrBarFailsInsteadOfAnsweringNothingAndVisibilityIsKept) {
    // A macro's FindControl answers Nothing and its next call fails with 91: the port fails at once.
    auto tools = wp.commandBars()->item("Tools");
    const RuntimeError e = telvora::testing::errorRaisedBy([&] { tools->findControl("About Telvora"); });
    EXPECT_EQ(e.number(), err::ObjectNotSet);
    EXPECT_EQ(e.source(), "Microsoft Word");
    auto macro = tools->findControl("Macro");
    EXPECT_EQ(errorOf([&] { macro->controls()->item(2); }), err::CollectionMemberMissing);
    EXPECT_EQ(errorOf([&] { macro->controls()->item(0); }), err::CollectionMemberMissing);
    EXPECT_EQ(errorOf([&] { wp.commandBars()->item("Formatting"); }), err::CollectionMemberMissing);
    auto bar = wp.commandBars()->item("telvora");
    EXPECT_FALSE(bar->visible());
    bar->setVisible(true);
    EXPECT_TRUE(wp.commandBarVisible("Telvora"));
}

// Switching on is the add-in's start-up road (its tests); here what Word refuses and keeps once.
TEST(WordAddIns, AnAddInIsFoundOnlyByItsFileNameAndAddedOnlyFromAFileThatIsThere) {
    telvora::testing::ScratchFolder scratch;
    std::filesystem::create_directories(scratch.path() / "Program Files" / "Telvora");
    std::ofstream(scratch.path() / "Program Files" / "Telvora" / "Telvora.dot") << "template";
    WordProcessor wp(WordProcessorOptions{MachinePaths(scratch.path())});
    wp.addIns()->add("C:\\Program Files\\Telvora\\Telvora.dot");
    wp.addIns()->add("C:\\Program Files\\Telvora\\Telvora.dot");
    EXPECT_EQ(wp.addInList().size(), 1u) << "added once";
    EXPECT_TRUE(wp.addIns()->item("telvora.dot")->installed());
    // Its name is its file name with the extension; without it Word finds nothing.
    EXPECT_EQ(errorOf([&] { wp.addIns()->item("Telvora"); }), err::CollectionMemberMissing);
    EXPECT_EQ(errorOf([&] { wp.addIns()->add("C:\\Program Files\\Telvora\\Missing.dot"); }), 5174);
}

}  // namespace
}  // namespace telvora::sim
