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
    fs::create_directories(root / "Users" / "User" / "Documents");
    return root;
}

// Windows-1252's characters at 0x80 to 0x9F; 0 where the code page has none.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t codePointOf(const std::string& character) {
    const auto* b = reinterpret_cast<const unsigned char*>(character.data());
    if (b[0] < 0x80) return b[0];
    const std::size_t extra = character.size() - 1;
    char32_t c = b[0] & (0x3F >> extra);
    for (std::size_t i = 1; i <= extra; ++i) c = (c << 6) | (b[i] & 0x3F);
    return c;
}

char windows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == c && c != 0) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::string SimPlatform::systemCodePageBytes(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (const std::string& character : splitCharacters(utf8)) bytes += windows1252(codePointOf(character));
    return bytes;
}

SimPlatform::SimPlatform(fs::path root) : paths_(withStandardFolders(std::move(root))) {
    variables["computername"] = "SIMPC";
}

bool SimPlatform::fails(std::string call) {
    calls.push_back(std::move(call));
    return failingCall && *failingCall == calls.size();
}

void SimPlatform::raiseIfFails(std::string call) {
    if (fails(std::move(call))) throw RuntimeError::standard(err::PathFileAccess);
}

std::optional<OsVersion> SimPlatform::osVersion() {
    if (fails("osVersion")) return std::nullopt;
    return version;
}

std::vector<std::string> SimPlatform::printers() {
    if (fails("printers")) return {};
    return installedPrinters;
}

std::string SimPlatform::tempFolder() {
    raiseIfFails("tempFolder");
    if (temporaryFolder.empty()) throw RuntimeError::standard(err::PathFileAccess);
    return temporaryFolder;
}
std::string SimPlatform::addinFolder() { return "C:\\Telvora"; }

std::string SimPlatform::environment(const std::string& name) {
    if (fails("environment " + name)) return "";
    // Environment variable names are not case-sensitive on Windows.
    for (const auto& [k, v] : variables) {
        if (equalsIgnoringCase(k, name)) return v;
    }
    return "";
}

bool SimPlatform::exists(const std::string& path) const {
    std::error_code ec;
    return fs::is_regular_file(realPath(path), ec);
}

bool SimPlatform::fileExists(const std::string& path) { return !fails("fileExists " + path) && exists(path); }

void SimPlatform::deleteFile(const std::string& path) {
    raiseIfFails("deleteFile " + path);
    std::error_code ec;
    fs::remove(realPath(path), ec);
    if (ec) throw RuntimeError::standard(err::PathFileAccess);
}

std::string SimPlatform::readFile(const std::string& path) {
    raiseIfFails("readFile " + path);
    std::ifstream in(realPath(path), std::ios::binary | std::ios::ate);
    if (!in) throw RuntimeError::standard(err::FileNotFound);
    // Read at its length in one piece: a fax image is held once, not again while it is gathered.
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) throw RuntimeError::standard(err::PathFileAccess);
    return bytes;
}

void SimPlatform::writeFile(const std::string& path, const std::string& bytes) {
    raiseIfFails("writeFile " + path);
    std::ofstream out(realPath(path), std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw RuntimeError::standard(err::PathFileAccess);
}

std::vector<std::string> SimPlatform::filesWithExtension(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    if (fails("filesWithExtension " + folder)) return names;
    std::error_code ec;
    fs::path real;
    try {
        real = realPath(folder);
    } catch (const RuntimeError&) {
        return names;  // a folder the machine does not have holds no files
    }
    for (fs::directory_iterator it(real, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string name = it->path().filename().string();
        if (name.size() > extension.size() &&
            equalsIgnoringCase(std::string_view(name).substr(name.size() - extension.size()), extension))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<RegistryValue> SimPlatform::machineRegistryValue(const std::string& keyPath,
                                                               const std::string& valueName) {
    if (fails("machineRegistryValue " + keyPath + "\\" + valueName)) return std::nullopt;
    for (const auto& [address, value] : machineRegistry) {
        if (equalsIgnoringCase(address.first, keyPath) && equalsIgnoringCase(address.second, valueName)) return value;
    }
    return std::nullopt;
}

bool SimPlatform::isProgramFile(const std::string& path) {
    const auto lastSlash = path.find_last_of('\\');
    const bool hasExtension = path.find('.', lastSlash == std::string::npos ? 0 : lastSlash) != std::string::npos;
    try {
        return exists(path) || (!hasExtension && exists(path + ".exe"));
    } catch (const RuntimeError&) {
        return false;  // a path that leads out of the machine names no program on it
    }
}

void SimPlatform::startProgram(const std::string& commandLine) {
    raiseIfFails("startProgram " + commandLine);
    bool found = false;
    if (!commandLine.empty() && commandLine.front() == '"') {
        const auto close = commandLine.find('"', 1);
        found = close != std::string::npos && isProgramFile(commandLine.substr(1, close - 1));
    } else {
        for (std::size_t end = commandLine.find(' '); !found; end = commandLine.find(' ', end + 1)) {
            found = isProgramFile(commandLine.substr(0, end));
            if (end == std::string::npos) break;
        }
    }
    if (!found) throw RuntimeError::standard(err::FileNotFound);
    programsStarted.push_back(commandLine);
}

bool SimPlatform::shellOpen(const std::string& address) {
    if (fails("shellOpen " + address)) return false;
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
    if (fails("saveFileDialog")) return std::nullopt;
    return nextFileDialogAnswer(request);
}

std::optional<std::string> SimPlatform::openFileDialog(const FileDialogRequest& request) {
    if (fails("openFileDialog")) return std::nullopt;
    return nextFileDialogAnswer(request);
}

void SimPlatform::htmlHelp(const std::string& helpFile, HelpCommand command, std::uint32_t data) {
    helpCalls.push_back({helpFile, command, data});
}

void SimPlatform::pause(std::chrono::milliseconds duration) {
    using std::chrono::duration_cast;
    using std::chrono::seconds;
    const seconds before = duration_cast<seconds>(rested);
    rested += duration;
    clock += duration_cast<seconds>(rested) - before;
}

}  // namespace telvora::sim
