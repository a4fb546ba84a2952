// The in-memory word processor behind the Word port: open documents, printers and prints, command
// bars, the add-ins list and the window-activation event, with what a test needs to set it up and
// to see what the add-in did to it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/word.h"
#include "sim/machine/machine_paths.h"
#include "sim/word/printer_driver.h"
#include "sim/word/word_model.h"

namespace telvora::sim {

struct Session;

struct PrintRecord {
    enum class Kind {
        Application,  // the application's "PrintOut" with named arguments
        Document,     // a document's own foreground print with Word's defaults
        File          // the application printing a file given by name
    };
    Kind kind = Kind::Application;
    std::string document;  // the printed document's name; "" for a file print
    std::string printer;   // the active printer at that moment
    NamedArgs arguments;
    std::string fileName;      // the file a file print named
    std::string fileContents;  // its bytes at the moment of printing, when it could be read
    // The real file the print produced: the file a print to a file wrote, or what the printer's
    // driver keeps of a print on paper.
    std::optional<std::filesystem::path> output;

    // The named argument of that name (letter case ignored), if the print passed it.
    std::optional<Variant> argument(const std::string& name) const;
};

// A command bar control as a test describes it.
struct MenuControl {
    std::string tag;
    std::string caption;
    bool popup = false;
    std::vector<MenuControl> children;
};
MenuControl button(std::string tag, std::string caption = "");
MenuControl popup(std::string tag, std::vector<MenuControl> children, std::string caption = "");

struct AddInInfo {
    std::string name;  // the file name, as Word lists it
    std::string path;
    bool installed = false;
};

struct WordProcessorOptions {
    // The drive of the machine Word runs on: a print to a file writes there, a file printed by name
    // and a template added as an add-in are found there, each through the machine's one mapping
    // of Windows paths. Without a drive, each of these raises 75: there is nowhere to look.
    std::optional<MachinePaths> drive;
    // What the application reports as the folder it runs from.
    std::string programFolder = "C:\\Program Files\\Microsoft Office\\Office";
    // Closed documents, the record of every print and every status bar text are kept for a test
    // to look at afterwards; a long run (a merge of thousands of records) lets each go when done.
    bool keepHistory = true;
};

class WordProcessor final : public word::Application {
public:
    explicit WordProcessor(WordProcessorOptions options = {});
    ~WordProcessor() override;

    std::shared_ptr<word::Document> activeDocument() override;
    std::shared_ptr<word::Selection> selection() override;
    std::shared_ptr<word::Documents> documents() override;
    std::shared_ptr<word::CommandBars> commandBars() override;
    std::shared_ptr<word::AddIns> addIns() override;
    std::string activePrinter() override;
    void setActivePrinter(const std::string& deviceName) override;
    void PrintOut(const word::PrintOutArgs& args) override;
    void printFile(const std::string& path) override;
    std::string path() override;
    void setStatusBar(const std::string& text) override;
    std::string statusBarText() override { return statusBar(); }
    void onWindowActivate(WindowActivateHandler handler) override;

    // Documents. Opening makes the document the active one, as the user opening it in Word does.
    std::shared_ptr<word::Document> open(DocumentModel document);
    // The live document of that name, open or (while the history is kept) closed, for looking at
    // what was done to it; raises when there is no such document.
    std::shared_ptr<DocumentModel> document(const std::string& name) const;
    // Names of the open documents, in the order they were opened.
    std::vector<std::string> documentNames() const;
    // The user brings the document's window to the front: it becomes active and the
    // window-activation event is raised, even when it was active already.
    void activateWindow(const std::string& documentName);
    bool hasWindowActivateHandler() const;

    // Printers. The first one installed is the active printer until another is chosen; a printer
    // installed without a driver prints files as plain text.
    void installPrinter(std::string deviceName, std::shared_ptr<PrinterDriver> driver = nullptr);
    const std::vector<PrintRecord>& prints() const;
    // Sees each print as the printer takes it (a print to a file once the file is written), before
    // it is recorded: the machine's other programs learn of prints made to their printers, and a
    // run-time error raised here fails the print as a printer that jams or goes away does.
    using PrintHandler = std::function<void(const PrintRecord&)>;
    void onPrint(PrintHandler handler);
    // Told each text the status bar shows, as it is shown ("" when it is cleared).
    using StatusBarHandler = std::function<void(const std::string&)>;
    void onStatusBar(StatusBarHandler handler);

    // Command bars: the built-in controls are what a reset brings back; customisations are
    // controls added afterwards (menu entries of other programs), which a reset removes.
    void addCommandBar(std::string name, std::vector<MenuControl> builtIn, bool visible = true);
    void customizeCommandBar(const std::string& name, std::vector<MenuControl> controls);
    // The tags of the bar's controls in order, a pop-up's children as "popup/child".
    std::vector<std::string> controlTags(const std::string& barName) const;
    bool commandBarVisible(const std::string& barName) const;

    // Every text put on the status bar, in order ("" where it was given back to Word; the last one
    // alone without the history), and what it shows now.
    const std::vector<std::string>& statusBarTexts() const;
    std::string statusBar() const;

    void addAddIn(const std::string& path, bool installed);
    std::vector<AddInInfo> addInList() const;

private:
    std::shared_ptr<Session> session_;
};

}  // namespace telvora::sim
