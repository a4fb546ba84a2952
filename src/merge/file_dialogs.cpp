// The open and save dialogs of the fax merge.
#include "merge/file_dialogs.h"

#include "base/text.h"

namespace telvora {
namespace {

// The pairs a filter text holds, read as the dialog reads it: up to the first empty text.
std::vector<FileFilter> filterPairs(const std::string& filter) {
    std::vector<std::string> texts;
    std::size_t at = 0;
    while (at < filter.size()) {
        const std::size_t end = filter.find('\0', at);
        std::string text = filter.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (text.empty()) break;
        texts.push_back(std::move(text));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    std::vector<FileFilter> pairs;
    for (std::size_t i = 0; i < texts.size(); i += 2)
        pairs.push_back({texts[i], i + 1 < texts.size() ? texts[i + 1] : std::string("*.*")});
    return pairs;
}

}  // namespace

std::string BuildFilter(const std::vector<std::string>& texts) {
    if (texts.empty()) return "";
    std::string filter;
    for (const auto& text : texts) {
        filter += text;
        filter += '\0';
    }
    if (texts.size() % 2 != 0) {
        filter += "*.*";
        filter += '\0';
    }
    filter += '\0';
    return filter;
}

std::string ShowFileDialog(Addin& addin, const std::string& initialFolder, const std::string& title,
                           const std::string& filter, const std::string& defaultExtension, bool open) {
    FileDialogRequest request;
    request.title = title;
    request.initialFolder = initialFolder;
    request.defaultExtension = defaultExtension;
    request.filters = filterPairs(BuildFilter({filter}));
    Platform& platform = addin.platform();
    const auto chosen = open ? platform.openFileDialog(request) : platform.saveFileDialog(request);
    return chosen ? trimBlanks(*chosen) : std::string();
}

}  // namespace telvora
