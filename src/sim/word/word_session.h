// The state the simulated word processor's objects share, and the factories of its object-model
// classes. Internal to the simulator: the port objects hold the session, so a reference a command
// keeps stays valid as an automation reference would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/word.h"
#include "sim/word/word_processor.h"

namespace telvora::sim {

struct ControlNode {
    std::string tag;
    std::string caption;
    bool popup = false;
    std::vector<std::shared_ptr<ControlNode>> children;
    std::weak_ptr<ControlNode> parent;  // empty for a control directly on its bar
    bool attached = true;               // false once deleted or dropped by a reset
};

struct CommandBarState {
    std::string name;
    bool visible = true;
    std::vector<MenuControl> builtIn;
    std::vector<std::shared_ptr<ControlNode>> controls;
};

struct AddInState {
    std::string name;
    std::string path;
    bool installed = false;
};

struct Session : std::enable_shared_from_this<Session> {
    explicit Session(WordProcessorOptions o) : options(std::move(o)) {}

    WordProcessorOptions options;
    std::vector<std::shared_ptr<DocumentModel>> open;        // in opening order
    std::vector<std::shared_ptr<DocumentModel>> recent;      // most recently active first
    std::vector<std::shared_ptr<DocumentModel>> everOpened;  // for inspection after closing
    struct Printer {
        std::string name;
        std::shared_ptr<PrinterDriver> driver;
    };
    std::vector<Printer> printers;
    std::string activePrinter;
    std::vector<PrintRecord> prints;
    WordProcessor::PrintHandler onPrint;
    WordProcessor::StatusBarHandler onStatusBar;
    int mergedDocuments = 0;
    std::vector<std::string> statusBarTexts;
    word::Application::WindowActivateHandler onActivate;
    std::vector<std::shared_ptr<CommandBarState>> bars;
    std::vector<std::shared_ptr<AddInState>> addIns;

    std::shared_ptr<DocumentModel> active() const { return recent.empty() ? nullptr : recent.front(); }
    void addDocument(std::shared_ptr<DocumentModel> document);
    // Brings the document's window to the front and raises the window-activation event when the
    // active window changed (or `always`).
    void activate(const std::shared_ptr<DocumentModel>& document, bool always);
    void close(const std::shared_ptr<DocumentModel>& document);
    // Records a print made by the document; the printer's driver takes the print first (a print to
    // a file is written by it), so a failed print leaves no record.
    void print(const std::shared_ptr<DocumentModel>& document, PrintRecord::Kind kind, const NamedArgs& args);
    // The real file that stands for a path the add-in names, on the machine's drive; raises 75
    // for a path that leads out of the machine, or when Word was given no drive.
    std::filesystem::path realPath(const std::string& path) const;
    // The driver the printer was installed with; nothing for one installed without.
    std::shared_ptr<PrinterDriver> driverOf(const std::string& printer) const;
};

std::shared_ptr<word::Document> makeDocument(const std::shared_ptr<Session>& session,
                                             const std::shared_ptr<DocumentModel>& model);
std::shared_ptr<word::Window> makeWindow(const std::shared_ptr<DocumentModel>& model);
std::shared_ptr<word::Selection> makeSelection(const std::shared_ptr<DocumentModel>& model);
std::shared_ptr<word::CommandBars> makeCommandBars(const std::shared_ptr<Session>& session);
std::shared_ptr<word::AddIns> makeAddIns(const std::shared_ptr<Session>& session);
std::shared_ptr<ControlNode> buildControl(const MenuControl& control);

// Raises "object has been deleted" for a document that was closed.
void checkOpen(const DocumentModel& model);

}  // namespace telvora::sim
