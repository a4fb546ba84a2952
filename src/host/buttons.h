// The command surface: one method per command, in the order the companion template's macros and
// the late-bound interface know them. Buttons keeps no state; every call works on the add-in state.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "app/addin.h"
#include "base/variant.h"
#include "ports/automation.h"

namespace telvora {

class Buttons {
public:
    explicit Buttons(Addin& addin) : addin_(addin) {}

    Variant getAppName();
    Variant getSectionName();
    void cmdSettings();
    void cmdHelp();
    void cmdHelpAbout();
    void ToolsPrinter();
    void ToolsFaxMerge();
    void WinFaxDOMerge(std::string& text);
    void MergeFax();
    bool CheckValidity();
    void SendAllFax();
    void SendFax(std::string& schedule, std::string& delivery);
    bool RequiredFieldCheck(std::string& text);
    bool IsDataLinked();
    void LoadData();
    void cmdFax();
    void cmdFaxCompany();
    void cmdFaxName();
    void cmdFaxSubject();
    void cmdFaxnumber();
    void cmdQuickFax();
    void WinFaxSendFax(std::string& schedule);
    // The Fax Status window: the faxes sent, what became of them, resend and cancel.
    void cmdFaxStatus();

    // The method table, for late binding. Arguments are texts passed by reference: a method may
    // change them and the caller sees the change.
    enum class ResultKind { None, Text, Boolean };
    struct Method {
        const char* name;
        std::size_t argCount;
        ResultKind result;
        // The arguments' names, by which a macro may pass them (`strSendCaption:=x`).
        std::array<const char*, 2> params;
        Variant (*invoke)(Buttons&, std::span<std::string> args);
    };
    static std::span<const Method> methods();
    // The index of a method by name, compared without regard to letter case; -1 when there is none.
    static int findMethod(std::string_view name);
    // Calls a method of the table; `args` must have its argument count.
    Variant invoke(std::size_t index, std::span<std::string> args);

private:
    Addin& addin_;
};

// The command object as late binding sees it, bound to `addin`: what an automation binding without
// COM registration (the simulated machine) serves under "Telvora.Buttons". Methods are found by
// name without regard to case; arguments arrive as texts.
std::shared_ptr<AutomationObject> makeButtonsObject(Addin& addin);

}  // namespace telvora
