// Mapping the simulated machine's Windows paths to host files, and refusing the ones that lead out.
#include "sim/machine/machine_paths.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <string_view>
#include <system_error>

#include "base/errors.h"

namespace telvora::sim {
namespace fs = std::filesystem;
namespace {

// Symbolic links followed for one path before giving up, as the host gives up on a loop.
constexpr int kMaxLinks = 40;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The device names Windows keeps for itself in every folder, with or without an extension
// ("NUL.txt" is NUL too, and so is "NUL .txt"): CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9,
// and COM and LPT with the superscript digits ¹, ² and ³.
bool isDeviceName(std::string_view name) {
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    std::string upper(name);
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) return false;
    const std::string_view digit = std::string_view(upper).substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

[[noreturn]] void refuse(const std::string& path, const std::string& why, const std::string& source) {
    throw RuntimeError(err::PathFileAccess,
                       "Path/File access error: \"" + path + "\" is outside the simulated machine (" + why + ").",
                       source);
}

}  // namespace

MachinePaths::MachinePaths(fs::path root) : root_(std::move(root)) {
    std::error_code ec;
    canonicalRoot_ = fs::canonical(root_, ec);
    if (ec || !fs::is_directory(canonicalRoot_))
        throw RuntimeError(err::PathFileAccess,
                           "The simulated machine's drive needs an existing folder: " + root_.string() + ".");
}

fs::path MachinePaths::toHost(const std::string& windowsPath, const std::string& source) const {
    std::string p = windowsPath;
    if (p.empty()) refuse(p, "the path names no file", source);
    if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1]))
        refuse(windowsPath, "network and device paths are not simulated", source);
    if (p.size() >= 2 && p[1] == ':') {
        if (p[0] != 'C' && p[0] != 'c') refuse(windowsPath, "the machine has drive C: only", source);
        p.erase(0, 2);
    }

    std::vector<std::string> segments;
    std::string segment;
    const auto take = [&] {
        if (segment == "..") refuse(windowsPath, "\"..\" climbs out of the folder it names", source);
        if (segment.empty() || segment == ".") {
            segment.clear();
            return;
        }
        // Windows would drop the dot or blank and name another file than the one written.
        if (segment.back() == '.' || segment.back() == ' ')
            refuse(windowsPath, "Windows allows no name that ends in a dot or a blank", source);
        if (isDeviceName(segment)) refuse(windowsPath, "\"" + segment + "\" is a device name Windows keeps for itself", source);
        segments.push_back(segment);
        segment.clear();
    };
    for (const char c : p) {
        if (isSeparator(c)) {
            take();
            continue;
        }
        // The characters Windows allows in no name: a path holding one names no file of the machine.
        if (static_cast<unsigned char>(c) < 0x20)
            refuse(windowsPath, "Windows allows no control character in a name", source);
        if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            refuse(windowsPath, std::string("Windows allows no '") + c + "' in a name", source);
        segment += c;
    }
    take();

    fs::path host;
    if (!resolve(segments, host)) refuse(windowsPath, "a symbolic link of the host leads out of it or round in a loop", source);
    return host;
}

bool MachinePaths::resolve(const std::vector<std::string>& segments, fs::path& out) const {
    fs::path at = canonicalRoot_;
    std::deque<fs::path> rest(segments.begin(), segments.end());
    int links = 0;
    while (!rest.empty()) {
        const fs::path part = rest.front();
        rest.pop_front();
        if (part.empty() || part == ".") continue;
        if (part == "..") {  // only a link's target brings one here
            at = at.parent_path();
            continue;
        }
        const fs::path next = at / part;
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(next, ec))) {
            at = next;
            continue;
        }
        // A link, dangling or not, is followed as the host would follow it when the file is opened
        // or made, so one that points out is caught before anything is written through it.
        const fs::path target = fs::read_symlink(next, ec);
        if (ec || ++links > kMaxLinks) return false;
        if (target.is_absolute()) at = target.root_path();
        const fs::path relative = target.relative_path();
        rest.insert(rest.begin(), relative.begin(), relative.end());
    }
    const auto [inRoot, inPath] = std::mismatch(canonicalRoot_.begin(), canonicalRoot_.end(), at.begin(), at.end());
    if (inRoot != canonicalRoot_.end()) return false;
    // Named from the root as it was given, so the answer reads as the caller's own folder.
    out = root_;
    for (auto it = inPath; it != at.end(); ++it) out /= *it;
    return true;
}

}  // namespace telvora::sim
