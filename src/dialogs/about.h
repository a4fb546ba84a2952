// The about box: the product's title, version, ownership notice and home page, and the way to the
// Windows System Information program.
#pragma once

#include <string>

#include "app/addin.h"
#include "forms/form.h"

namespace telvora {

class frmAbout final : public Form {
public:
    explicit frmAbout(Addin& addin);

    Control& picIcon = add(ControlKind::Picture, "picIcon", "", {7, 7, 21, 20});
    Control& lblTitle = add(ControlKind::Label, "lblTitle", "", {35, 7, 208, 10});
    Control& lblVersion = add(ControlKind::Label, "lblVersion", "", {35, 20, 208, 8});
    Control& lblCopyRight = add(ControlKind::Label, "lblCopyRight", "", {35, 32, 208, 16});
    Control& lblHomePage = add(ControlKind::LinkLabel, "lblHomePage", "", {35, 52, 208, 8});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "OK", {127, 72, 50, 14});
    Control& cmdSysInfo = add(ControlKind::Button, "cmdSysInfo", "&System Info...", {183, 72, 60, 14});

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblHomePage_Click();

protected:
    void Form_Load() override;

private:
    Addin& addin_;
};

// Starts the System Information program found through the machine's registry, or tells the user
// that it is not available.
void StartSysInfo(Addin& addin);

inline constexpr const char* kSysInfoUnavailableMessage = "System Information Is Unavailable At This Time";

// Reads one value under HKEY_LOCAL_MACHINE as text: a string as stored (without a terminating NUL),
// a 32-bit number as its decimal text; a value of another type leaves `keyVal` as it was. Answers
// False, with `keyVal` emptied, when the key or value cannot be read.
bool GetKeyValue(Addin& addin, const std::string& keyName, const std::string& valueName, std::string& keyVal);

}  // namespace telvora
