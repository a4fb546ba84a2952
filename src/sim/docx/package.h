// The ZIP package a .docx is: its parts read with libzip, each with a size limit, its
// relationships resolved to part names, and a new package written whole or not at all.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"

namespace telvora::sim::docx {

// Word's error for a file it cannot make sense of, naming the file (as the user knows it) and
// what is wrong with it.
inline constexpr std::int32_t kFileCorrupted = 5792;
RuntimeError damaged(const std::string& file, const std::string& what);

// What reading one package may cost, all its parts together: the bytes they unpack to and the
// characters of text they put into the document. A real letter is far below both; a crafted
// archive of a few kilobytes must not fill the memory or take minutes.
inline constexpr std::size_t kMaxUnpackedBytes = 32u << 20;
inline constexpr std::size_t kMaxCharacters = 2u << 20;

struct Relationship {
    std::string id;
    std::string type;    // the full relationship type URI
    std::string target;  // a part name ("word/styles.xml"), or the target as written when external
    bool external = false;
};

class PackageReader {
public:
    // Opens the package; `displayName` names the file in every error. Raises 5174 when the file is
    // not there and kFileCorrupted when it is no ZIP package (naming a Word 97-2003 document as such).
    PackageReader(const std::filesystem::path& file, std::string displayName);
    ~PackageReader();
    PackageReader(const PackageReader&) = delete;
    PackageReader& operator=(const PackageReader&) = delete;

    const std::string& displayName() const noexcept { return displayName_; }
    // Part names compare without regard to letter case, as the packaging rules say.
    bool has(const std::string& partName) const;
    // The part's bytes; raises kFileCorrupted when it is missing, fails its checksum or takes the
    // package past kMaxUnpackedBytes.
    std::string read(const std::string& partName) const;
    // Counts `count` characters of text read from the package; raises kFileCorrupted past
    // kMaxCharacters.
    void chargeCharacters(std::size_t count);
    // The relationships of a part ("" for the package's own), keyed by id; none when it has no
    // relationships part.
    std::map<std::string, Relationship> relationships(const std::string& sourcePart) const;

private:
    struct Archive;
    std::unique_ptr<Archive> archive_;
    std::string displayName_;
    // Reading a part is not a change to the package, but it spends what the package may cost.
    mutable std::size_t bytesLeft_ = kMaxUnpackedBytes;
    std::size_t charactersLeft_ = kMaxCharacters;
};

// A package built part by part and written in one go: the file is replaced only once the whole
// package is on the disk, so a failed write leaves what was there before.
class PackageWriter {
public:
    void add(std::string partName, std::string bytes);
    // Raises 75 naming `displayName` when the file cannot be written.
    void write(const std::filesystem::path& file, const std::string& displayName) const;

private:
    std::vector<std::pair<std::string, std::string>> parts_;
};

// The part a relative reference of `sourcePart` leads to ("word/document.xml" + "media/a.png" is
// "word/media/a.png"; a leading "/" starts at the package root); nothing when it climbs out.
std::optional<std::string> resolvePartName(const std::string& sourcePart, const std::string& target);

}  // namespace telvora::sim::docx
