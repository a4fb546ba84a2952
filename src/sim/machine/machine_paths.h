// The simulated machine's drive C: as a folder of the host, and the one mapping from the Windows
// paths the add-in and Word name to the host files that stand for them. Whatever would lead out of
// that folder is refused, so a test can never write, read or delete a file of the host by naming it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/product.h"

namespace telvora::sim {

class MachinePaths {
public:
    // `root` is an existing folder of the host; it stands for "C:\".
    explicit MachinePaths(std::filesystem::path root);

    const std::filesystem::path& root() const noexcept { return root_; }

    // The host file standing for a Windows path: "C:\Temp\x.tif", "c:/Temp/x.tif", "\Temp\x.tif" and
    // "Temp\x.tif" (the machine's current folder is the root of C:) all name root/Temp/x.tif.
    // Raises 75 (Path/File access error), with `source` and a description naming the path, for a
    // path the machine does not have: an empty one, one that climbs with "..", one on another drive,
    // a network or device path, a name Windows does not allow (a reserved character, a device name
    // such as "CON" or "nul.txt", a trailing dot or blank), and one that a symbolic link of the host
    // leads out of the root.
    std::filesystem::path toHost(const std::string& windowsPath, const std::string& source = kAppTitle) const;

private:
    // The host path below the root that `segments` lead to, every symbolic link on the way followed
    // as the host would follow it; nothing when it ends outside the root.
    bool resolve(const std::vector<std::string>& segments, std::filesystem::path& out) const;

    std::filesystem::path root_;
    std::filesystem::path canonicalRoot_;
};

}  // namespace telvora::sim
