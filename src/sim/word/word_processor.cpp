// The simulated application: documents and their activation, printers and the prints made.
#include "sim/word/word_processor.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "sim/word/word_session.h"

namespace telvora::sim {
namespace {

// The named arguments Word's "PrintOut" takes; any other name is a macro's mistake.
constexpr std::array<const char*, 19> kPrintOutArguments = {
    "Background", "Append", "Range", "OutputFileName", "From", "To", "Item", "Copies", "Pages", "PageType",
    "PrintToFile", "Collate", "FileName", "ActivePrinterMacGX", "ManualDuplexPrint", "PrintZoomColumn",
    "PrintZoomRow", "PrintZoomPaperWidth", "PrintZoomPaperHeight"};

const Variant* findArgument(const NamedArgs& args, std::string_view name) {
    for (const auto& a : args)
        if (equalsIgnoringCase(a.name, name)) return &a.value;
    return nullptr;
}

class DocumentsImpl final : public word::Documents {
public:
    explicit DocumentsImpl(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    std::int32_t count() override { return static_cast<std::int32_t>(session_->open.size()); }
    void activate(const std::string& name) override {
        for (const auto& doc : session_->open) {
            if (equalsIgnoringCase(doc->name, name)) {
                session_->activate(doc, false);
                return;
            }
        }
        throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
    }

private:
    std::shared_ptr<Session> session_;
};

}  // namespace

std::optional<Variant> PrintRecord::argument(const std::string& name) const {
    if (const auto* v = findArgument(arguments, name)) return *v;
    return std::nullopt;
}

MenuControl button(std::string tag, std::string caption) {
    return MenuControl{std::move(tag), std::move(caption), false, {}};
}

MenuControl popup(std::string tag, std::vector<MenuControl> children, std::string caption) {
    return MenuControl{std::move(tag), std::move(caption), true, std::move(children)};
}

void Session::addDocument(std::shared_ptr<DocumentModel> document) {
    open.push_back(document);
    if (options.keepHistory) everOpened.push_back(document);
    activate(document, false);
}

void Session::activate(const std::shared_ptr<DocumentModel>& document, bool always) {
    const bool changed = active() != document;
    std::erase(recent, document);
    recent.insert(recent.begin(), document);
    if ((changed || always) && onActivate) {
        // A copy: the handler may subscribe anew while it runs.
        const auto handler = onActivate;
        handler(makeDocument(shared_from_this(), document), makeWindow(document));
    }
}

void Session::close(const std::shared_ptr<DocumentModel>& document) {
    const bool wasActive = active() == document;
    document->closed = true;
    std::erase(open, document);
    std::erase(recent, document);
    if (wasActive && !recent.empty()) activate(recent.front(), true);
}

std::filesystem::path Session::realPath(const std::string& path) const {
    if (!options.drive)
        throw wordError(err::PathFileAccess, "Path/File access error: the simulated word processor was given no "
                                             "drive to find \"" + path + "\" on.");
    return options.drive->toHost(path, "Microsoft Word");
}

std::shared_ptr<PrinterDriver> Session::driverOf(const std::string& printer) const {
    for (const auto& p : printers)
        if (p.name == printer) return p.driver;
    return nullptr;
}

void Session::print(const std::shared_ptr<DocumentModel>& document, PrintRecord::Kind kind, const NamedArgs& args) {
    if (activePrinter.empty()) throw wordError(wderr::PrinterError, "There is a printer error.");
    PrintRecord record;
    record.kind = kind;
    record.document = document->name;
    record.printer = activePrinter;
    record.arguments = args;
    for (const auto& a : args) {
        const bool known = std::any_of(kPrintOutArguments.begin(), kPrintOutArguments.end(),
                                       [&](const char* n) { return equalsIgnoringCase(n, a.name); });
        if (!known) throw wordError(err::NamedArgumentNotFound, "Named argument not found: " + a.name);
    }
    const auto* toFile = findArgument(args, "PrintToFile");
    if (toFile && toFile->toBool()) {
        const auto* output = findArgument(args, "OutputFileName");
        const std::string outputName = output ? output->toString() : std::string();
        if (outputName.empty())
            throw wordError(wderr::CommandNotAvailable,
                            "A print to a file needs \"OutputFileName\": there is no user to ask for one.");
        if (const auto* append = findArgument(args, "Append"); append && append->toBool())
            throw wordError(wderr::CommandNotAvailable,
                            "The simulated word processor does not append prints to a file.");
        const auto file = realPath(outputName);
        const auto driver = driverOf(activePrinter);
        (driver ? driver : std::make_shared<PlainTextDriver>())->printToFile(PrintJob{activePrinter, *document, args}, file);
        record.output = file;
    } else if (const auto driver = driverOf(activePrinter)) {
        record.output = driver->print(PrintJob{activePrinter, *document, args});
    }
    if (onPrint) onPrint(record);
    if (options.keepHistory) prints.push_back(std::move(record));
}

WordProcessor::WordProcessor(WordProcessorOptions options)
    : session_(std::make_shared<Session>(std::move(options))) {}

WordProcessor::~WordProcessor() = default;

std::shared_ptr<word::Document> WordProcessor::activeDocument() {
    const auto doc = session_->active();
    if (!doc) throw RuntimeError::objectNotSet("Microsoft Word");
    return makeDocument(session_, doc);
}

std::shared_ptr<word::Selection> WordProcessor::selection() {
    const auto doc = session_->active();
    if (!doc) throw RuntimeError::objectNotSet("Microsoft Word");
    return makeSelection(doc);
}

std::shared_ptr<word::Documents> WordProcessor::documents() { return std::make_shared<DocumentsImpl>(session_); }

std::shared_ptr<word::CommandBars> WordProcessor::commandBars() { return makeCommandBars(session_); }

std::shared_ptr<word::AddIns> WordProcessor::addIns() { return makeAddIns(session_); }

std::string WordProcessor::activePrinter() { return session_->activePrinter; }

void WordProcessor::setActivePrinter(const std::string& deviceName) {
    for (const auto& p : session_->printers) {
        if (equalsIgnoringCase(p.name, deviceName)) {
            session_->activePrinter = p.name;
            return;
        }
    }
    throw wordError(wderr::PrinterError, "There is a printer error.");
}

void WordProcessor::PrintOut(const word::PrintOutArgs& args) {
    const auto doc = session_->active();
    if (!doc) throw RuntimeError::objectNotSet("Microsoft Word");
    session_->print(doc, PrintRecord::Kind::Application, args);
}

void WordProcessor::printFile(const std::string& path) {
    if (session_->activePrinter.empty()) throw wordError(wderr::PrinterError, "There is a printer error.");
    PrintRecord record;
    record.kind = PrintRecord::Kind::File;
    record.printer = session_->activePrinter;
    record.fileName = path;
    std::ifstream in(session_->realPath(path), std::ios::binary);
    if (!in) throw wordError(wderr::FileNotFound, "This file could not be found. (" + path + ")");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    record.fileContents = bytes.str();
    if (session_->options.keepHistory) session_->prints.push_back(std::move(record));
}

std::string WordProcessor::path() { return session_->options.programFolder; }

void WordProcessor::setStatusBar(const std::string& text) {
    // Without the history only what it shows now is kept.
    if (!session_->options.keepHistory) session_->statusBarTexts.clear();
    session_->statusBarTexts.push_back(text);
    if (session_->onStatusBar) session_->onStatusBar(text);
}
const std::vector<std::string>& WordProcessor::statusBarTexts() const { return session_->statusBarTexts; }
std::string WordProcessor::statusBar() const {
    return session_->statusBarTexts.empty() ? std::string() : session_->statusBarTexts.back();
}

void WordProcessor::onWindowActivate(WindowActivateHandler handler) { session_->onActivate = std::move(handler); }

std::shared_ptr<word::Document> WordProcessor::open(DocumentModel document) {
    for (const auto& doc : session_->open)
        if (equalsIgnoringCase(doc->name, document.name))
            throw wordError(wderr::CommandNotAvailable, "A document named \"" + document.name + "\" is already open.");
    auto model = std::make_shared<DocumentModel>(std::move(document));
    model->closed = false;
    session_->addDocument(model);
    return makeDocument(session_, model);
}

std::shared_ptr<DocumentModel> WordProcessor::document(const std::string& name) const {
    for (auto it = session_->everOpened.rbegin(); it != session_->everOpened.rend(); ++it)
        if (equalsIgnoringCase((*it)->name, name)) return *it;
    for (const auto& open : session_->open)
        if (equalsIgnoringCase(open->name, name)) return open;
    throw RuntimeError(err::CollectionMemberMissing, "No document named \"" + name + "\" was opened.");
}

std::vector<std::string> WordProcessor::documentNames() const {
    std::vector<std::string> names;
    for (const auto& doc : session_->open) names.push_back(doc->name);
    return names;
}

void WordProcessor::activateWindow(const std::string& documentName) {
    for (const auto& doc : session_->open) {
        if (equalsIgnoringCase(doc->name, documentName)) {
            session_->activate(doc, true);
            return;
        }
    }
    throw RuntimeError(err::CollectionMemberMissing, "No open document is named \"" + documentName + "\".");
}

bool WordProcessor::hasWindowActivateHandler() const { return static_cast<bool>(session_->onActivate); }

void WordProcessor::installPrinter(std::string deviceName, std::shared_ptr<PrinterDriver> driver) {
    if (session_->activePrinter.empty()) session_->activePrinter = deviceName;
    session_->printers.push_back({std::move(deviceName), std::move(driver)});
}

const std::vector<PrintRecord>& WordProcessor::prints() const { return session_->prints; }

void WordProcessor::onPrint(PrintHandler handler) { session_->onPrint = std::move(handler); }
void WordProcessor::onStatusBar(StatusBarHandler handler) { session_->onStatusBar = std::move(handler); }

}  // namespace telvora::sim
