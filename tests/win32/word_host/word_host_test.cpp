// Telvora.dll inside a Word-like host, as Word runs it: registered with regsvr32, found among
// Word's add-ins and connected, started by a window activation, called by the template's macros
// from inside the host and from another process, and let go of cleanly when Word unloads it. (A
// macro finding no Word running is the native tests' and the automation binding's.)
#include <gtest/gtest.h>

#include "sim/word/document_builder.h"
#include "support.h"
#include "win32/automation.h"
#include "win32/class_ids.h"
#include "win32/event_sink.h"
#include "word_host/shared_fax_office.h"
#include "word_host/word_host.h"

namespace telvora::win32 {
namespace {

using host::WordHost;
using sim::DocumentBuilder;

std::shared_ptr<sim::WordProcessor> wordWithMenus() {
    auto word = std::make_shared<sim::WordProcessor>();
    word->addCommandBar("Help", {sim::button("HelpContents")});
    word->addCommandBar("Tools", {sim::button("Options")});
    word->addCommandBar("Telvora", {sim::button("FaxNumber")}, false);
    word->customizeCommandBar("Help", {sim::button("About Telvora"), sim::button("UserHelpMacro")});
    return word;
}

sim::DocumentModel letter() { return DocumentBuilder("Letter.doc").text("Fax 555 1234").select(4, 12).build(); }

class WordHostTest : public ::testing::Test, protected host::FaxReadyMachine {
protected:
    std::string styleAt(int position) const {
        return word->document("Letter.doc")->styleNameAt(sim::StoryKind::Main, position);
    }
    std::shared_ptr<sim::WordProcessor> word = wordWithMenus();
    WordHost host{word};
};

TEST_F(WordHostTest, WordLoadsTheAddinWhichOnlySubscribesUntilTheFirstWindow) {
    EXPECT_EQ(host.loadAddins(), (std::vector<std::wstring>{L"Telvora.Pagewire"}));
    EXPECT_EQ(host.sinks(), 1u);
    EXPECT_EQ(host.counters().advises, 1);
    EXPECT_TRUE(host.served().calls().empty()) << "connecting calls nothing of Word's";

    ASSERT_TRUE(faxPrinter.installed());
    word->open(letter());
    EXPECT_TRUE(messages.texts().empty());
    // The start-up ran over COM (its steps are the native tests'): the old menu entry is gone.
    EXPECT_EQ(word->controlTags("Help"), (std::vector<std::string>{"HelpContents"}));
    EXPECT_TRUE(word->commandBarVisible("Telvora"));
    ASSERT_EQ(host.addIns().entries().size(), 1u);
    EXPECT_EQ(host.addIns().entries()[0].path, templateFile.path());
    EXPECT_TRUE(host.addIns().entries()[0].installed);

    // Later windows find the add-in started.
    host.served().clearRecords();
    word->open(DocumentBuilder("Memo.doc").build());
    EXPECT_TRUE(host.served().calls().empty());
}

TEST_F(WordHostTest, AMarkingMacroInAnotherProcessFindsTheRunningWord) {
    // The COM add-in is not connected here: the script's process reaches Word as the running one.
    host::WordClassRegistration wordClass;
    word->open(letter());
    const long referencesBefore = host.counters().references;
    const long objectsBefore = host.counters().objects;
    host.registerRunning();
    wchar_t scripts[4096] = {};
    ASSERT_NE(0u, ::GetEnvironmentVariableW(L"TELVORA_TEST_SCRIPTS", scripts, 4096));
    std::string output;
    const int code = test::runProgram(L"cscript.exe //nologo \"" + std::wstring(scripts) + L"\\mark.vbs\"", &output);
    EXPECT_NE(output.find("marked"), std::string::npos) << output;
    EXPECT_EQ(code, 0) << output;
    EXPECT_EQ(styleAt(4), "tlvFaxNumber");
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(host.counters().objects, objectsBefore) << "the script's process let go of Word's objects";
    host.revokeRunning();
    EXPECT_EQ(host.counters().references, referencesBefore) << "the script's process let go of Word";
}

// A marking macro inside Word reaches the document through the connected add-in; unloading lets go
// of everything the add-in took.
TEST_F(WordHostTest, AMarkingMacroChangesTheHostsDocumentAndUnloadingLetsGoOfEveryReferenceTheAddinTook) {
    const long references = host.counters().references;
    const long objects = host.counters().objects;
    host.loadAddins();
    word->open(letter());
    // A macro's late-bound call: the object by its programmatic identifier, the method by name.
    (void)Win32Automation().create("Telvora.Buttons")->call("cmdFaxName");
    EXPECT_EQ(styleAt(4), "tlvRecipientName");
    EXPECT_EQ(styleAt(11), "tlvRecipientName");
    EXPECT_EQ(styleAt(3), "");
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_GT(host.counters().references, references);
    host.unloadAddins();
    EXPECT_EQ(host.counters().references, references);
    EXPECT_EQ(host.counters().objects, objects);
    EXPECT_EQ(host.sinks(), 0u);
    EXPECT_EQ(host.counters().unadvises, 1);

    ::CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"Telvora.dll")) << "the DLL stayed loaded";
    // Word goes on after the add-in left.
    word->activateWindow("Letter.doc");
    EXPECT_EQ(styleAt(0), "");
}

// The binding's own event sink on the host's connection point: window activations arrive while it
// is subscribed, and a sink dropped while subscribed takes its subscription with it.
TEST_F(WordHostTest, TheEventSinkDeliversWindowActivationsWhileSubscribed) {
    std::vector<std::string> seen;
    {
        ConnectionPointEvents events(ComPtr<IDispatch>::addRef(host.application()), kDiidApplicationEvents2,
                                     "Microsoft Word");
        events.subscribe([&](MemberId event, const Args& args) {
            seen.push_back(std::to_string(event) + ":" + std::to_string(args.size()));
            if (args.size() == 2) seen.push_back(args[0].toObject()->get("Name").toString());
        });
        EXPECT_EQ(host.sinks(), 1u);
        word->open(letter());
        events.unsubscribe();
        EXPECT_EQ(host.sinks(), 0u);
        word->open(DocumentBuilder("Memo.doc").build());
        events.subscribe([&](MemberId, const Args&) { seen.push_back("again"); });
        word->activateWindow("Letter.doc");
    }
    EXPECT_EQ(host.sinks(), 0u);
    word->activateWindow("Memo.doc");
    EXPECT_EQ(seen, (std::vector<std::string>{"10:2", "Letter.doc", "again"}));
}

}  // namespace
}  // namespace telvora::win32
