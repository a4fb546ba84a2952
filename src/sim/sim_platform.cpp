// The simulated operating system.
#include "sim/sim_platform.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "base/errors.h"

namespace telvora::sim {
namespace fs = std::filesystem;

namespace {

// The root with the folders the machine's paths name from the start.
fs::path withStandardFolders(fs::path root) {
    fs::create_directories(root / "Temp");
    fs::create_directories(root / "Telvora");
    return root;
}

}  // namespace

SimPlatform::SimPlatform(fs::path root) : paths_(withStandardFolders(std::move(root))) {
    variables["computername"] = "SIMPC";
}

std::string SimPlatform::tempFolder() { return "C:\\Temp\\"; }
std::string SimPlatform::addinFolder() { return "C:\\Telvora"; }

std::string SimPlatform::environment(const std::string& name) {
    // Environment variable names are not case-sensitive on Windows.
    for (const auto& [k, v] : variables) {
        if (equalsIgnoringCase(k, name)) return v;
    }
    return "";
}

bool SimPlatform::fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(realPath(path), ec);
}

void SimPlatform::deleteFile(const std::string& path) {
    std::error_code ec;
    fs::remove(realPath(path), ec);
    if (ec) throw RuntimeError::standard(err::PathFileAccess);
}

std::string SimPlatform::readFile(const std::string& path) {
    std::ifstream in(realPath(path), std::ios::binary);
    if (!in) throw RuntimeError::standard(err::FileNotFound);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void SimPlatform::writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(realPath(path), std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw RuntimeError::standard(err::PathFileAccess);
}

std::optional<RegistryValue> SimPlatform::machineRegistryValue(const std::string& keyPath,
                                                               const std::string& valueName) {
    auto it = machineRegistry.find({keyPath, valueName});
    if (it == machineRegistry.end()) return std::nullopt;
    return it->second;
}

void SimPlatform::startProgram(const std::string& commandLine) {
    if (std::find(startablePrograms.begin(), startablePrograms.end(), commandLine) == startablePrograms.end())
        throw RuntimeError::standard(err::FileNotFound);
    programsStarted.push_back(commandLine);
}

bool SimPlatform::shellOpen(const std::string& address) {
    addressesOpened.push_back(address);
    return true;
}

std::optional<std::string> SimPlatform::nextFileDialogAnswer(const FileDialogRequest& request) {
    fileDialogsShown.push_back(request);
    if (fileDialogAnswers.empty()) return std::nullopt;
    auto answer = fileDialogAnswers.front();
    fileDialogAnswers.erase(fileDialogAnswers.begin());
    return answer;
}

std::optional<std::string> SimPlatform::saveFileDialog(const FileDialogRequest& request) {
    return nextFileDialogAnswer(request);
}

std::optional<std::string> SimPlatform::openFileDialog(const FileDialogRequest& request) {
    return nextFileDialogAnswer(request);
}

void SimPlatform::htmlHelp(const std::string& helpFile, HelpCommand command, std::uint32_t data) {
    helpCalls.push_back({helpFile, command, data});
}

}  // namespace telvora::sim
