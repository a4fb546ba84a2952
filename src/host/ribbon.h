// The add-in's tab on Word's ribbon (Word 2007 and later): the controls, grouped as the user finds
// them, the command behind each (the one the toolbar's button runs), which of them need a document,
// the image each shows, and the customUI text Word asks the connection for.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace telvora {

// The ribbon of Word's document windows: the only one the add-in puts a tab on.
inline constexpr const char* kWordDocumentRibbon = "Microsoft.Word.Document";
// The customUI schema Word 2007 reads (later versions read it too).
inline constexpr const char* kCustomUiNamespace = "http://schemas.microsoft.com/office/2006/01/customui";

// The callbacks the customUI names; Word calls them by these names on the connection object.
namespace ribbon_callback {
inline constexpr const char* OnLoad = "TelvoraRibbonLoad";
inline constexpr const char* OnAction = "TelvoraRibbonAction";
inline constexpr const char* GetImage = "TelvoraRibbonImage";
inline constexpr const char* GetEnabled = "TelvoraRibbonEnabled";
}  // namespace ribbon_callback

struct RibbonButton {
    const char* id;        // the control's identifier, which Word hands back to every callback
    const char* label;
    const char* keytip;    // the letter that picks the button from the keyboard, as "&" does on the toolbar
    const char* supertip;  // the toolbar button's tooltip
    const char* command;   // the command method the toolbar's macro calls (a Buttons method without arguments)
    const char* image;     // the picture's name: the add-in carries it at 16 and at 32 pixels
    bool large;            // a 32-pixel button with its label beneath
    bool needsDocument;    // greyed while no document is open
};

struct RibbonGroup {
    const char* id;
    const char* label;
    std::span<const RibbonButton> buttons;
};

std::span<const RibbonGroup> ribbonGroups();
// The button with that identifier; null for one the tab does not have.
const RibbonButton* findRibbonButton(std::string_view id);

// The customUI Word is answered with for the ribbon `ribbonId`: the add-in's tab for document
// windows, "" (nothing to add) for any other.
std::string RibbonXml(std::string_view ribbonId);

}  // namespace telvora
