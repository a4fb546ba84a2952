// Documents on the simulated machine's drive: Word's open and save by Windows path.
#include "sim/docx/docx.h"
#include "sim/word/csv_data_source.h"

namespace telvora::sim::docx {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Whether Windows reads the path from a drive's root ("C:\...", "\...") rather than a folder.
bool isRooted(const std::string& path) {
    return (!path.empty() && isSeparator(path.front())) || (path.size() >= 2 && path[1] == ':');
}

// The folder part of a Windows path, with its last separator; "" for a bare file name.
std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

DocumentModel openDocx(const MachinePaths& drive, const std::string& windowsPath) {
    const auto file = drive.toHost(windowsPath, "Microsoft Word");
    const std::string folder = folderOf(windowsPath);
    const DataSourceOpener open = [&drive, &folder](const std::string& path, std::optional<char> delimiter) {
        // A data file named without a folder lies beside the document, as Word looks for it.
        const std::string name = isRooted(path) ? path : folder + path;
        return readDataSourceFile(drive.toHost(name, "Microsoft Word"), name, delimiter);
    };
    return readDocx(file, fileNameOf(windowsPath), windowsPath, open);
}

void saveDocx(const DocumentModel& document, const MachinePaths& drive, const std::string& windowsPath) {
    writeDocx(document, drive.toHost(windowsPath, "Microsoft Word"), windowsPath);
}

}  // namespace telvora::sim::docx
