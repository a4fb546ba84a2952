// The command surface and its method table.
#include "host/buttons.h"

#include <array>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "core/settings.h"
#include "dialogs/about.h"
#include "dialogs/printer_setup.h"
#include "dialogs/settings_dialog.h"
#include "fields/marking.h"
#include "app/reports.h"
#include "host/running_word.h"

namespace telvora {
namespace {

// A command whose work has not landed in this build: it fails loudly, never pretends to succeed.
[[noreturn]] void notAvailable(const char* command) {
    throw RuntimeError::notAvailableYet(std::string("The command ") + command);
}

using R = Buttons::ResultKind;

constexpr std::array<Buttons::Method, 22> kMethods{{
    {"getAppName", 0, R::Text, [](Buttons& b, std::span<std::string>) { return b.getAppName(); }},
    {"getSectionName", 0, R::Text, [](Buttons& b, std::span<std::string>) { return b.getSectionName(); }},
    {"cmdSettings", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdSettings(); return Variant(); }},
    {"cmdHelp", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdHelp(); return Variant(); }},
    {"cmdHelpAbout", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdHelpAbout(); return Variant(); }},
    {"ToolsPrinter", 0, R::None, [](Buttons& b, std::span<std::string>) { b.ToolsPrinter(); return Variant(); }},
    {"ToolsFaxMerge", 0, R::None, [](Buttons& b, std::span<std::string>) { b.ToolsFaxMerge(); return Variant(); }},
    {"WinFaxDOMerge", 1, R::None, [](Buttons& b, std::span<std::string> a) { b.WinFaxDOMerge(a[0]); return Variant(); }},
    {"MergeFax", 0, R::None, [](Buttons& b, std::span<std::string>) { b.MergeFax(); return Variant(); }},
    {"CheckValidity", 0, R::Boolean, [](Buttons& b, std::span<std::string>) { return Variant(b.CheckValidity()); }},
    {"SendAllFax", 0, R::None, [](Buttons& b, std::span<std::string>) { b.SendAllFax(); return Variant(); }},
    {"SendFax", 2, R::None, [](Buttons& b, std::span<std::string> a) { b.SendFax(a[0], a[1]); return Variant(); }},
    {"RequiredFieldCheck", 1, R::Boolean,
     [](Buttons& b, std::span<std::string> a) { return Variant(b.RequiredFieldCheck(a[0])); }},
    {"IsDataLinked", 0, R::Boolean, [](Buttons& b, std::span<std::string>) { return Variant(b.IsDataLinked()); }},
    {"LoadData", 0, R::None, [](Buttons& b, std::span<std::string>) { b.LoadData(); return Variant(); }},
    {"cmdFax", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdFax(); return Variant(); }},
    {"cmdFaxCompany", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdFaxCompany(); return Variant(); }},
    {"cmdFaxName", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdFaxName(); return Variant(); }},
    {"cmdFaxSubject", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdFaxSubject(); return Variant(); }},
    {"cmdFaxnumber", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdFaxnumber(); return Variant(); }},
    {"cmdQuickFax", 0, R::None, [](Buttons& b, std::span<std::string>) { b.cmdQuickFax(); return Variant(); }},
    {"WinFaxSendFax", 1, R::None, [](Buttons& b, std::span<std::string> a) { b.WinFaxSendFax(a[0]); return Variant(); }},
}};

// A marking command works on the Word the add-in is connected to, or on the running Word when the
// template calls it without the add-in's connection.
void markField(Addin& addin, FaxField field) {
    const RunningWordForCommand word(addin);
    MarkFieldCommand(addin, field);
}

class ButtonsObject final : public AutomationObject {
public:
    explicit ButtonsObject(Addin& addin) : buttons_(addin) {}

    Variant get(const std::string& member, const Args& args) override { return call(member, args, {}); }
    void put(const std::string&, const Variant&) override { throw RuntimeError::standard(err::MemberNotFound); }
    Variant call(const std::string& member, const Args& args, const NamedArgs& named) override {
        const int index = Buttons::findMethod(member);
        if (index < 0) throw RuntimeError::standard(err::MemberNotFound);
        if (!named.empty()) throw RuntimeError::standard(err::NamedArgumentNotFound);
        const auto& method = Buttons::methods()[static_cast<std::size_t>(index)];
        if (args.size() < method.argCount) throw RuntimeError(449, "Argument not optional");
        if (args.size() > method.argCount)
            throw RuntimeError(450, "Wrong number of arguments or invalid property assignment");
        std::vector<std::string> texts;
        for (const auto& a : args) texts.push_back(a.toString());
        return buttons_.invoke(static_cast<std::size_t>(index), texts);
    }

private:
    Buttons buttons_;
};

}  // namespace

std::shared_ptr<AutomationObject> makeButtonsObject(Addin& addin) { return std::make_shared<ButtonsObject>(addin); }

std::span<const Buttons::Method> Buttons::methods() { return kMethods; }

int Buttons::findMethod(std::string_view name) {
    for (std::size_t i = 0; i < kMethods.size(); ++i) {
        if (equalsIgnoringCase(kMethods[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

Variant Buttons::invoke(std::size_t index, std::span<std::string> args) {
    if (index >= kMethods.size() || args.size() != kMethods[index].argCount)
        throw RuntimeError::standard(err::InvalidProcedureCall);
    return kMethods[index].invoke(*this, args);
}

Variant Buttons::getAppName() { return Variant(kAppName); }
Variant Buttons::getSectionName() { return Variant(kSectionName); }

void Buttons::cmdSettings() {
    trapAndReport(
        [&] {
            frmSettings form(addin_);
            form.run(addin_.ui());
        },
        [&](const RuntimeError& e) { ReportCommandError(addin_, e); });
}

void Buttons::cmdHelp() {
    trapAndReport([&] { ShowHelpTopic(addin_, topic::Help); },
                  [&](const RuntimeError& e) { ReportCommandError(addin_, e); });
}

void Buttons::cmdHelpAbout() {
    trapAndReport(
        [&] {
            frmAbout form(addin_);
            form.showModal(addin_.ui());
        },
        [&](const RuntimeError& e) { ReportCommandError(addin_, e); });
}

void Buttons::ToolsPrinter() {
    trapAndReport(
        [&] {
            frmPrinter form(addin_);
            form.showModal(addin_.ui());
            // The dialog stores everything else it offers; the fax printer is stored here.
            const std::string chosen = form.SelectedPrinter;
            if (!chosen.empty() && chosen != kCancelledPrinter) addin_.settings().save(keys::Printer, chosen);
            form.unload();
        },
        [&](const RuntimeError& e) { ReportCommandError(addin_, e); });
}
void Buttons::ToolsFaxMerge() { notAvailable("ToolsFaxMerge"); }
void Buttons::WinFaxDOMerge(std::string&) { notAvailable("WinFaxDOMerge"); }
void Buttons::MergeFax() { notAvailable("MergeFax"); }
bool Buttons::CheckValidity() { notAvailable("CheckValidity"); }
void Buttons::SendAllFax() { notAvailable("SendAllFax"); }
void Buttons::SendFax(std::string&, std::string&) { notAvailable("SendFax"); }

bool Buttons::RequiredFieldCheck(std::string& text) {
    bool present = false;
    trapAndReport([&] { present = !trimBlanks(text).empty(); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
    return present;
}

bool Buttons::IsDataLinked() { notAvailable("IsDataLinked"); }
void Buttons::LoadData() { notAvailable("LoadData"); }
void Buttons::cmdFax() { notAvailable("cmdFax"); }
void Buttons::cmdFaxCompany() { markField(addin_, FaxField::Company); }
void Buttons::cmdFaxName() { markField(addin_, FaxField::Name); }
void Buttons::cmdFaxSubject() { markField(addin_, FaxField::Subject); }
void Buttons::cmdFaxnumber() { markField(addin_, FaxField::Number); }
void Buttons::cmdQuickFax() { notAvailable("cmdQuickFax"); }
void Buttons::WinFaxSendFax(std::string&) { notAvailable("WinFaxSendFax"); }

}  // namespace telvora
