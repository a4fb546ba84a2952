// The ribbon tab's controls and its customUI text.
#include "host/ribbon.h"

#include <array>

namespace telvora {
namespace {

constexpr std::array<RibbonButton, 4> kSend{{
    {"TelvoraFax", "Fax", "F", "Fax this document to the marked number", "cmdFax", "Fax", true, true},
    {"TelvoraQuickFax", "Quick Fax", "Q", "Fax this document to the selected number", "cmdQuickFax", "QuickFax", true,
     true},
    {"TelvoraFaxMerge", "Fax Merge", "M", "Fax this mail-merge document to every record of its data source",
     "ToolsFaxMerge", "FaxMerge", true, true},
    // The faxes sent can be looked at with no document open.
    {"TelvoraFaxStatus", "Fax Status", "U", "See what became of the faxes sent, send one again or cancel it",
     "cmdFaxStatus", "FaxStatus", true, false},
}};
constexpr std::array<RibbonButton, 4> kMark{{
    {"TelvoraFaxNumber", "Fax Number", "N", "Mark the selected text as the fax number", "cmdFaxnumber", "MarkNumber",
     false, true},
    {"TelvoraRecipientName", "Recipient Name", "R", "Mark the selected text as the recipient's name", "cmdFaxName",
     "MarkName", false, true},
    {"TelvoraRecipientCompany", "Recipient Company", "C", "Mark the selected text as the recipient's company",
     "cmdFaxCompany", "MarkCompany", false, true},
    {"TelvoraSubject", "Subject", "S", "Mark the selected text as the subject of the fax", "cmdFaxSubject",
     "MarkSubject", false, true},
}};
// The fax printer's setup is here as on the toolbar: where the ribbon hides the toolbar, this is
// the user's only way to it.
constexpr std::array<RibbonButton, 4> kAddin{{
    {"TelvoraSettings", "Settings", "T", "Choose the copy printer and the number of copies", "cmdSettings", "Settings",
     false, false},
    {"TelvoraPrinterSetup", "Fax Printer Setup", "P", "Choose the fax software, the fax printer and the dial-out prefix",
     "ToolsPrinter", "PrinterSetup", false, false},
    {"TelvoraHelp", "Help", "H", "Open the Telvora help", "cmdHelp", "Help", false, false},
    {"TelvoraAbout", "About", "A", "About Telvora", "cmdHelpAbout", "About", false, false},
}};
constexpr std::array<RibbonGroup, 3> kGroups{{
    {"TelvoraSendGroup", "Send", kSend},
    {"TelvoraMarkGroup", "Mark", kMark},
    {"TelvoraAddinGroup", "Telvora", kAddin},
}};

// An attribute's value between double quotes.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

void attribute(std::string& xml, const char* name, std::string_view value) {
    xml += ' ';
    xml += name;
    xml += "=\"";
    xml += escaped(value);
    xml += '"';
}

}  // namespace

std::span<const RibbonGroup> ribbonGroups() { return kGroups; }

const RibbonButton* findRibbonButton(std::string_view id) {
    for (const auto& group : kGroups) {
        for (const auto& button : group.buttons) {
            if (id == button.id) return &button;
        }
    }
    return nullptr;
}

std::string RibbonXml(std::string_view ribbonId) {
    if (ribbonId != kWordDocumentRibbon) return {};
    std::string xml = "<customUI";
    attribute(xml, "xmlns", kCustomUiNamespace);
    attribute(xml, "onLoad", ribbon_callback::OnLoad);
    xml += "><ribbon><tabs><tab id=\"TelvoraTab\" label=\"Telvora\">";
    for (const auto& group : kGroups) {
        xml += "<group";
        attribute(xml, "id", group.id);
        attribute(xml, "label", group.label);
        xml += '>';
        for (const auto& button : group.buttons) {
            xml += "<button";
            attribute(xml, "id", button.id);
            attribute(xml, "label", button.label);
            attribute(xml, "size", button.large ? "large" : "normal");
            attribute(xml, "getImage", ribbon_callback::GetImage);
            attribute(xml, "onAction", ribbon_callback::OnAction);
            if (button.needsDocument) attribute(xml, "getEnabled", ribbon_callback::GetEnabled);
            attribute(xml, "keytip", button.keytip);
            attribute(xml, "screentip", button.label);
            attribute(xml, "supertip", button.supertip);
            xml += "/>";
        }
        xml += "</group>";
    }
    xml += "</tab></tabs></ribbon></customUI>";
    return xml;
}

}  // namespace telvora
