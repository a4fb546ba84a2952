// The command surface and its method table.
#include "host/buttons.h"

#include <array>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "core/settings.h"
#include "dialogs/about.h"
#include "dialogs/settings_dialog.h"
#include "fields/marking.h"
#include "app/reports.h"
#include "send/winfax_send.h"
#include "host/running_word.h"
#include "merge/field_selection.h"
#include "merge/merge_run.h"
#include "send/fax_commands.h"
#include "send/fax_status.h"
#include "send/send_fax.h"

namespace telvora {
namespace {

using R = Buttons::ResultKind;

constexpr std::array<Buttons::Method, 23> kMethods{{
    {"getAppName", 0, R::Text, {}, [](Buttons& b, std::span<std::string>) { return b.getAppName(); }},
    {"getSectionName", 0, R::Text, {}, [](Buttons& b, std::span<std::string>) { return b.getSectionName(); }},
    {"cmdSettings", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdSettings(); return Variant(); }},
    {"cmdHelp", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdHelp(); return Variant(); }},
    {"cmdHelpAbout", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdHelpAbout(); return Variant(); }},
    {"ToolsPrinter", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.ToolsPrinter(); return Variant(); }},
    {"ToolsFaxMerge", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.ToolsFaxMerge(); return Variant(); }},
    {"WinFaxDOMerge", 1, R::None, {"strSendCaption"}, [](Buttons& b, std::span<std::string> a) { b.WinFaxDOMerge(a[0]); return Variant(); }},
    {"MergeFax", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.MergeFax(); return Variant(); }},
    {"CheckValidity", 0, R::Boolean, {}, [](Buttons& b, std::span<std::string>) { return Variant(b.CheckValidity()); }},
    {"SendAllFax", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.SendAllFax(); return Variant(); }},
    {"SendFax", 2, R::None, {"strSendCaption", "strDeliveryNote"}, [](Buttons& b, std::span<std::string> a) { b.SendFax(a[0], a[1]); return Variant(); }},
    {"RequiredFieldCheck", 1, R::Boolean, {"strField"},
     [](Buttons& b, std::span<std::string> a) { return Variant(b.RequiredFieldCheck(a[0])); }},
    {"IsDataLinked", 0, R::Boolean, {}, [](Buttons& b, std::span<std::string>) { return Variant(b.IsDataLinked()); }},
    {"LoadData", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.LoadData(); return Variant(); }},
    {"cmdFax", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdFax(); return Variant(); }},
    {"cmdFaxCompany", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdFaxCompany(); return Variant(); }},
    {"cmdFaxName", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdFaxName(); return Variant(); }},
    {"cmdFaxSubject", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdFaxSubject(); return Variant(); }},
    {"cmdFaxnumber", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdFaxnumber(); return Variant(); }},
    {"cmdQuickFax", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdQuickFax(); return Variant(); }},
    {"WinFaxSendFax", 1, R::None, {"strSendCaption"}, [](Buttons& b, std::span<std::string> a) { b.WinFaxSendFax(a[0]); return Variant(); }},
    {"cmdFaxStatus", 0, R::None, {}, [](Buttons& b, std::span<std::string>) { b.cmdFaxStatus(); return Variant(); }},
}};

// The merge steps called on their own see the field choice as a merge run first loads it: nothing
// chosen yet. The dialog lives for the one call, as it lives for one run.
struct FieldChoice {
    explicit FieldChoice(Addin& addin) : log(addin.diagnostics()), dialog(addin) { dialog.load(); }
    ~FieldChoice() { ignoreErrors(log, [&] { (void)dialog.unload(); }); }
    FieldChoice(const FieldChoice&) = delete;
    FieldChoice& operator=(const FieldChoice&) = delete;
    Diagnostics& log;
    frmGetFields dialog;
};

// A command on the document works on the Word the add-in is connected to, or on the running Word
// when the template calls it without the add-in's connection.
template <class Command>
void onWord(Addin& addin, Command&& command) {
    const RunningWordForCommand word(addin);
    command();
}

// What every record's fax shares when a merge step is called on its own: the subject of the command
// surface's fax, the filing copies of the freshly loaded field choice.
FaxJob sharedByEveryRecord(const Addin& addin, frmGetFields& dialog) {
    FaxJob each;
    each.subject = addin.session.job.subject;
    each.filing = dialog.filing();
    return each;
}

void markField(Addin& addin, FaxField field) {
    onWord(addin, [&] { MarkFieldCommand(addin, field); });
}

class ButtonsObject final : public AutomationObject {
public:
    explicit ButtonsObject(Addin& addin) : buttons_(addin) {}

    Variant get(const std::string& member, const Args& args) override { return call(member, args, {}); }
    void put(const std::string&, const Variant&) override { throw RuntimeError::standard(err::MemberNotFound); }
    Variant call(const std::string& member, const Args& args, const NamedArgs& named) override {
        const int index = Buttons::findMethod(member);
        if (index < 0) throw RuntimeError::standard(err::MemberNotFound);
        const auto& method = Buttons::methods()[static_cast<std::size_t>(index)];
        // Positional arguments first, then each named one in the place its name gives it.
        std::vector<const Variant*> given(method.argCount, nullptr);
        if (args.size() > method.argCount) throw RuntimeError::standard(err::WrongArgumentCount);
        for (std::size_t i = 0; i < args.size(); ++i) given[i] = &args[i];
        for (const auto& n : named) {
            std::size_t place = 0;
            while (place < method.argCount && !equalsIgnoringCase(method.params[place], n.name)) ++place;
            if (place == method.argCount) throw RuntimeError::standard(err::NamedArgumentNotFound);
            if (given[place]) throw RuntimeError::standard(err::WrongArgumentCount);
            given[place] = &n.value;
        }
        std::vector<std::string> texts;
        for (const Variant* a : given) {
            if (!a) throw RuntimeError::standard(err::ArgumentNotOptional);
            texts.push_back(a->toString());
        }
        return buttons_.invoke(static_cast<std::size_t>(index), texts);
    }
    void perform(const std::string& member, const Args& args, const NamedArgs& named) override {
        (void)call(member, args, named);
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

void Buttons::cmdFaxStatus() {
    trapAndReport([&] { ShowFaxStatus(addin_); }, [&](const RuntimeError& e) { ReportCommandError(addin_, e); });
}

void Buttons::ToolsPrinter() {
    trapAndReport([&] { ChooseFaxPrinter(addin_); }, [&](const RuntimeError& e) { ReportCommandError(addin_, e); });
}
void Buttons::ToolsFaxMerge() { MergeFax(); }
// The merge steps called one by one work on the command surface's shared fax and counts, as the
// template's macros leave them; the filing copies are those of the freshly loaded field choice.
void Buttons::WinFaxDOMerge(std::string& schedule) {
    onWord(addin_, [&] {
        FieldChoice choice(addin_);
        const FaxJob each = sharedByEveryRecord(addin_, choice.dialog);
        telvora::WinFaxDOMerge(addin_, choice.dialog, each, schedule, addin_.session.merge);
    });
}
void Buttons::MergeFax() {
    onWord(addin_, [&] { telvora::MergeFax(addin_); });
}
bool Buttons::CheckValidity() {
    bool valid = false;
    onWord(addin_, [&] {
        FieldChoice choice(addin_);
        valid = telvora::CheckValidity(addin_, choice.dialog, addin_.session.job.subject, addin_.session.merge);
    });
    return valid;
}
void Buttons::SendAllFax() {
    onWord(addin_, [&] {
        FieldChoice choice(addin_);
        const FaxJob each = sharedByEveryRecord(addin_, choice.dialog);
        telvora::SendAllFax(addin_, choice.dialog, each, addin_.session.merge);
    });
}
void Buttons::SendFax(std::string& schedule, std::string& delivery) {
    onWord(addin_, [&] { (void)telvora::SendFax(addin_, addin_.session.job, schedule, delivery); });
}

bool Buttons::RequiredFieldCheck(std::string& text) {
    bool present = false;
    trapAndReport([&] { present = !trimBlanks(text).empty(); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
    return present;
}

bool Buttons::IsDataLinked() {
    bool linked = false;
    onWord(addin_, [&] { linked = telvora::IsDataLinked(addin_); });
    return linked;
}
void Buttons::LoadData() {
    onWord(addin_, [&] {
        FieldChoice choice(addin_);
        telvora::LoadData(addin_, choice.dialog);
    });
}
void Buttons::cmdFax() {
    onWord(addin_, [&] { FaxCommand(addin_); });
}
void Buttons::cmdFaxCompany() { markField(addin_, FaxField::Company); }
void Buttons::cmdFaxName() { markField(addin_, FaxField::Name); }
void Buttons::cmdFaxSubject() { markField(addin_, FaxField::Subject); }
void Buttons::cmdFaxnumber() { markField(addin_, FaxField::Number); }
void Buttons::cmdQuickFax() {
    onWord(addin_, [&] { QuickFaxCommand(addin_); });
}
void Buttons::WinFaxSendFax(std::string& schedule) {
    onWord(addin_, [&] { (void)telvora::WinFaxSendFax(addin_, addin_.session.job, schedule); });
}

}  // namespace telvora
