// The simulated application: printers and prints, command bars, the add-ins list and the
// window-activation event.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/error_number.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

using telvora::testing::errorOf;

// A printer driver that writes a marker and remembers what it was given.
class RecordingDriver final : public PrinterDriver {
public:
    void printToFile(const PrintJob& job, const std::filesystem::path& file) override {
        printers.push_back(job.printer);
        std::ofstream(file, std::ios::binary) << "FAX:" << job.document.text(StoryKind::Main);
    }
    std::vector<std::string> printers;
};

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class WordPrinting : public ::testing::Test {
protected:
    // The machine's drive C: is a scratch folder of its own; its C:\Temp is `folder`.
    WordPrinting() : folder(scratch.path() / "Temp") {
        std::filesystem::create_directories(folder);
        wp = std::make_unique<WordProcessor>(WordProcessorOptions{MachinePaths(scratch.path()), "C:\\Office"});
        wp->installPrinter("Office Laser");
        wp->installPrinter("Fax", driver);
        wp->open(DocumentBuilder("Letter.doc").text("Hello\rWorld").build());
    }

    telvora::testing::ScratchFolder scratch;
    std::filesystem::path folder;
    std::shared_ptr<RecordingDriver> driver = std::make_shared<RecordingDriver>();
    std::unique_ptr<WordProcessor> wp;
};

TEST_F(WordPrinting, EachPrintIsRecordedWithItsArgumentsAndThePrinterOfThatMoment) {
    EXPECT_EQ(wp->activePrinter(), "Office Laser");
    wp->setActivePrinter("Fax");
    wp->PrintOut({{"Copies", std::int32_t{3}}, {"PrintToFile", false}, {"Range", std::int32_t{0}},
                  {"Background", false}});
    wp->setActivePrinter("Office Laser");
    wp->activeDocument()->PrintOut();

    const auto& prints = wp->prints();
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_EQ(prints[0].printer, "Fax");
    EXPECT_EQ(prints[0].document, "Letter.doc");
    EXPECT_EQ(prints[0].argument("copies"), Variant(std::int32_t{3}));
    EXPECT_FALSE(prints[0].output.has_value());
    EXPECT_EQ(prints[1].kind, PrintRecord::Kind::Document);
    EXPECT_EQ(prints[1].printer, "Office Laser");
}

TEST_F(WordPrinting, APrintToAFileIsWrittenByTheActivePrintersDriver) {
    wp->setActivePrinter("Fax");
    wp->PrintOut({{"PrintToFile", true}, {"OutputFileName", "C:\\Temp\\Pagewire.tif"}, {"Background", false}});
    EXPECT_EQ(readAll(folder / "Pagewire.tif"), "FAX:Hello\rWorld\r");
    EXPECT_EQ(driver->printers, std::vector<std::string>{"Fax"});
    EXPECT_EQ(wp->prints().at(0).output, folder / "Pagewire.tif");

    wp->setActivePrinter("Office Laser");
    wp->PrintOut({{"PrintToFile", true}, {"OutputFileName", "C:\\Temp\\Copy.prn"}});
    EXPECT_EQ(readAll(folder / "Copy.prn"), "Hello\r\nWorld\r\n");
}

TEST_F(WordPrinting, APrintToAFileOutsideTheMachineOrWithoutANameIsRefused) {
    for (const char* outside : {"C:\\Temp\\..", "C:\\..\\..\\Pagewire.tif", "D:\\Pagewire.tif", "\\\\fax\\out\\x.tif"}) {
        try {
            wp->PrintOut({{"PrintToFile", true}, {"OutputFileName", outside}});
            ADD_FAILURE() << outside << " was printed to";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::PathFileAccess) << outside;
            EXPECT_EQ(e.source(), "Microsoft Word");
            EXPECT_NE(e.description().find(outside), std::string::npos) << e.description();
        }
    }
    EXPECT_THROW(wp->PrintOut({{"PrintToFile", true}}), RuntimeError);
    EXPECT_TRUE(wp->prints().empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.path().parent_path() / "Pagewire.tif"));

    WordProcessor noDrive;
    noDrive.installPrinter("Fax");
    noDrive.open(DocumentBuilder("Letter.doc").build());
    EXPECT_EQ(errorOf([&] { noDrive.PrintOut({{"PrintToFile", true}, {"OutputFileName", "C:\\Temp\\x.tif"}}); }),
              err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { noDrive.printFile("C:\\Temp\\Telvora.rtf"); }), err::PathFileAccess);
}

TEST_F(WordPrinting, AMisspelledArgumentNameFailsInsteadOfBeingIgnored) {
    try {
        wp->PrintOut({{"PrintTofile", false}, {"Copys", std::int32_t{2}}});
        FAIL() << "the print succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 448);
    }
    EXPECT_TRUE(wp->prints().empty());
}

TEST_F(WordPrinting, SettingAPrinterThatIsNotInstalledFailsAndKeepsTheActivePrinter) {
    try {
        wp->setActivePrinter("Missing Printer");
        FAIL() << "the printer was accepted";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 5216);
    }
    EXPECT_EQ(wp->activePrinter(), "Office Laser");
}

TEST_F(WordPrinting, PrintingAFileByNameRecordsWhatTheFileHeldThen) {
    std::ofstream(folder / "Telvora.rtf", std::ios::binary) << "Record 2 N.\r\n";
    wp->printFile("C:\\Temp\\Telvora.rtf");
    std::filesystem::remove(folder / "Telvora.rtf");
    ASSERT_EQ(wp->prints().size(), 1u);
    EXPECT_EQ(wp->prints()[0].kind, PrintRecord::Kind::File);
    EXPECT_EQ(wp->prints()[0].fileContents, "Record 2 N.\r\n");
    EXPECT_THROW(wp->printFile("C:\\Temp\\Telvora.rtf"), RuntimeError);
    EXPECT_EQ(wp->path(), "C:\\Office");
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

TEST_F(WordCommandBars, ControlsAreFoundByTagInsidePopupsAndDeleted) {
    auto tools = wp.commandBars()->item("Tools");
    auto setup = tools->findControl("Setup");
    ASSERT_NE(setup, nullptr);
    EXPECT_FALSE(setup->isPopup());
    EXPECT_THROW(setup->controls(), RuntimeError);

    auto menu = tools->findControl("Telvora");
    ASSERT_TRUE(menu->isPopup());
    auto children = menu->controls();
    ASSERT_EQ(children->count(), 2);
    while (children->count() > 0) children->item(1)->Delete();
    menu->Delete();
    EXPECT_EQ(wp.controlTags("Tools"), (std::vector<std::string>{"Spelling", "Macro", "Macro/Macros"}));
    EXPECT_THROW(menu->Delete(), RuntimeError);
}

TEST_F(WordCommandBars, AMissingControlFailsWith91InsteadOfAnsweringNothing) {
    // A macro's FindControl answers Nothing and its next call fails with 91: the port fails at once.
    auto tools = wp.commandBars()->item("Tools");
    try {
        tools->findControl("About Telvora");
        FAIL() << "a missing control was answered";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ObjectNotSet);
        EXPECT_EQ(e.source(), "Microsoft Word");
    }
    auto macro = tools->findControl("Macro");
    EXPECT_EQ(errorOf([&] { macro->controls()->item(2); }), err::CollectionMemberMissing);
    EXPECT_EQ(errorOf([&] { macro->controls()->item(0); }), err::CollectionMemberMissing);
    tools->Reset();
    EXPECT_EQ(errorOf([&] { macro->tag(); }), 5825) << "a control dropped by the reset is gone";
}

TEST_F(WordCommandBars, ResetBringsBackTheBuiltInControlsOnly) {
    auto tools = wp.commandBars()->item("Tools");
    tools->findControl("Spelling")->Delete();
    tools->Reset();
    EXPECT_EQ(wp.controlTags("Tools"), (std::vector<std::string>{"Spelling", "Macro", "Macro/Macros"}));
}

TEST_F(WordCommandBars, AMissingBarFailsAndVisibilityIsKept) {
    try {
        wp.commandBars()->item("Formatting");
        FAIL() << "a missing bar was answered";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::CollectionMemberMissing);
    }
    auto bar = wp.commandBars()->item("telvora");
    EXPECT_FALSE(bar->visible());
    bar->setVisible(true);
    EXPECT_TRUE(wp.commandBarVisible("Telvora"));
}

TEST(WordAddIns, AnAddInIsFoundByFileNameAndAddedOnceByPathOfAFileThatIsThere) {
    telvora::testing::ScratchFolder scratch;
    std::filesystem::create_directories(scratch.path() / "Program Files" / "Telvora");
    std::ofstream(scratch.path() / "Program Files" / "Telvora" / "Telvora.dot") << "template";
    WordProcessor wp(WordProcessorOptions{MachinePaths(scratch.path())});
    wp.addAddIn("C:\\Templates\\Letters.dot", false);
    EXPECT_FALSE(wp.addIns()->item("Letters.dot")->installed());
    try {
        wp.addIns()->item("Telvora");
        FAIL() << "an absent add-in was answered";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::CollectionMemberMissing);
    }
    auto added = wp.addIns()->add("C:\\Program Files\\Telvora\\Telvora.dot");
    added->setInstalled(true);
    wp.addIns()->add("C:\\Program Files\\Telvora\\Telvora.dot");
    EXPECT_TRUE(wp.addIns()->item("Telvora.dot")->installed());
    // Its name is its file name with the extension; without it Word finds nothing.
    EXPECT_EQ(errorOf([&] { wp.addIns()->item("Telvora"); }), err::CollectionMemberMissing);
    EXPECT_EQ(wp.addInList().size(), 2u);
    EXPECT_EQ(errorOf([&] { wp.addIns()->add("C:\\Program Files\\Telvora\\Missing.dot"); }), 5174);
    EXPECT_EQ(wp.addInList().size(), 2u);
}

TEST(WordWindows, ActivatingAWindowRaisesTheEventWithItsDocumentAndEnvelopeState) {
    WordProcessor wp;
    std::vector<std::pair<std::string, bool>> seen;
    wp.onWindowActivate([&](const std::shared_ptr<word::Document>& doc, const std::shared_ptr<word::Window>& window) {
        seen.emplace_back(doc->name(), window->envelopeVisible());
    });
    wp.open(DocumentBuilder("Message.doc").emailEnvelope().build());
    wp.open(DocumentBuilder("Letter.doc").build());
    wp.documents()->activate("Letter.doc");  // already active: no new activation
    wp.activateWindow("Letter.doc");
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{
                        {"Message.doc", true}, {"Letter.doc", false}, {"Letter.doc", false}}));
    wp.onWindowActivate({});
    wp.activateWindow("Message.doc");
    EXPECT_EQ(seen.size(), 3u);
}

}  // namespace
}  // namespace telvora::sim
