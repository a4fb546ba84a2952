// The about box and System Information.
#include "dialogs/about.h"

#include "app/reports.h"
#include "base/product_info.h"

namespace telvora {
namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

// The program's path as a command line: quoted, so a folder with blanks in its name ("Program
// Files") is not taken for a program followed by arguments.
std::string commandLineOf(const std::string& path) {
    if (!path.empty() && path.front() == '"') return path;
    return "\"" + path + "\"";
}

}  // namespace

frmAbout::frmAbout(Addin& addin) : Form("frmAbout", "", {0, 0, 250, 93}), addin_(addin) {
    cmdOK.setDefault(true);
    cmdOK.setCancel(true);
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdSysInfo.onClick = [this] { cmdSysInfo_Click(); };
    lblHomePage.onClick = [this] { lblHomePage_Click(); };
}

void frmAbout::Form_Load() {
    setCaption(std::string("About ") + kAppTitle);
    lblTitle.setCaption(kAppTitle);
    const ProductVersion v = addin_.platform().addinVersion();
    lblVersion.setCaption("Version " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                          std::to_string(v.revision));
    lblCopyRight.setCaption(product::kCopyright);
    lblHomePage.setCaption(product::kHomePage);
}

void frmAbout::cmdOK_Click() { unload(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(addin_); }

void frmAbout::lblHomePage_Click() { (void)addin_.platform().shellOpen(product::kHomePage); }

bool GetKeyValue(Addin& addin, const std::string& keyName, const std::string& valueName, std::string& keyVal) {
    std::optional<RegistryValue> value;
    if (!succeeded(addin.diagnostics(), [&] { value = addin.platform().machineRegistryValue(keyName, valueName); }) || !value) {
        keyVal.clear();
        return false;
    }
    if (value->type == kRegSz) {
        keyVal = value->text;
        // Stored with or without its terminating NUL, a text reads the same.
        if (!keyVal.empty() && keyVal.back() == '\0') keyVal.pop_back();
    } else if (value->type == kRegDword) {
        keyVal = std::to_string(value->number);
    }
    return true;
}

void StartSysInfo(Addin& addin) {
    std::string path;
    bool started = false;
    if (GetKeyValue(addin, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
        started = succeeded(addin.diagnostics(), [&] { addin.platform().startProgram(commandLineOf(path)); });
    } else if (GetKeyValue(addin, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path)) {
        const std::string program = path + "\\MSINFO32.EXE";
        started = succeeded(addin.diagnostics(), [&] {
            if (addin.platform().fileExists(program)) addin.platform().startProgram(commandLineOf(program));
            else throw RuntimeError::standard(err::FileNotFound);
        });
    }
    if (!started) (void)addin.ui().messageBox(kSysInfoUnavailableMessage, MsgButtons::OK, MsgIcon::None, kAppTitle);
}

}  // namespace telvora
