// Reading and writing the ZIP package of a .docx through libzip.
#include "sim/docx/package.h"

#include <zip.h>

#include <pugixml.hpp>

#include <fstream>
#include <random>
#include <system_error>

#include "base/text.h"
#include "sim/word/word_model.h"

namespace telvora::sim::docx {
namespace fs = std::filesystem;
namespace {

struct ZipFileCloser {
    void operator()(zip_file_t* f) const noexcept { zip_fclose(f); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// Whether the file starts with `signature`: a Word 97-2003 document (an OLE compound file) or the
// first entry of a ZIP package whose directory at the end is gone.
bool startsWith(const fs::path& file, std::string_view signature) {
    std::ifstream in(file, std::ios::binary);
    std::string head(signature.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    return in.gcount() == static_cast<std::streamsize>(head.size()) && head == signature;
}

std::string localName(const char* qualified) {
    const std::string_view name(qualified);
    const auto colon = name.find(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

}  // namespace

RuntimeError damaged(const std::string& file, const std::string& what) {
    return RuntimeError(kFileCorrupted, "The file \"" + file + "\" appears to be corrupted: " + what, "Microsoft Word");
}

struct PackageReader::Archive {
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip) zip_discard(zip);
    }
};

PackageReader::PackageReader(const fs::path& file, std::string displayName)
    : archive_(std::make_unique<Archive>()), displayName_(std::move(displayName)) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw wordError(wderr::FileNotFound, "This file could not be found. (" + displayName_ + ")");
    int code = 0;
    archive_->zip = zip_open(file.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive_->zip) {
        if (code == ZIP_ER_NOZIP && startsWith(file, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
            throw damaged(displayName_, "it is a Word 97-2003 document (.doc); only .docx documents are read.");
        if (code == ZIP_ER_NOZIP && startsWith(file, std::string_view("PK\x03\x04", 4)))
            throw damaged(displayName_, "its ZIP package is cut short or its directory is damaged.");
        if (code == ZIP_ER_NOZIP) throw damaged(displayName_, "it is not a .docx document (no ZIP package).");
        if (code == ZIP_ER_OPEN || code == ZIP_ER_READ)
            throw RuntimeError(err::PathFileAccess, "Path/File access error: \"" + displayName_ + "\" cannot be read.",
                               "Microsoft Word");
        throw damaged(displayName_, "its ZIP package is damaged (" + zipErrorText(code) + ").");
    }
}

PackageReader::~PackageReader() = default;

bool PackageReader::has(const std::string& partName) const {
    return zip_name_locate(archive_->zip, partName.c_str(), ZIP_FL_NOCASE) >= 0;
}

std::string PackageReader::read(const std::string& partName) const {
    const zip_int64_t index = zip_name_locate(archive_->zip, partName.c_str(), ZIP_FL_NOCASE);
    if (index < 0) throw damaged(displayName_, "the part " + partName + " is missing.");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_->zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        throw damaged(displayName_, "the part " + partName + " cannot be read.");
    if (stat.size > bytesLeft_)
        throw damaged(displayName_, "its parts unpack to more than " + std::to_string(kMaxUnpackedBytes >> 20) + " MB.");
    bytesLeft_ -= static_cast<std::size_t>(stat.size);
    ZipFile entry(zip_fopen_index(archive_->zip, static_cast<zip_uint64_t>(index), 0));
    if (!entry)
        throw damaged(displayName_, "the part " + partName + " cannot be read (" +
                                        zip_error_strerror(zip_get_error(archive_->zip)) + ").");
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    zip_uint64_t done = 0;
    while (done < stat.size) {
        const zip_int64_t n = zip_fread(entry.get(), bytes.data() + done, stat.size - done);
        if (n < 0)
            throw damaged(displayName_, "the part " + partName + " is damaged (" +
                                            zip_error_strerror(zip_file_get_error(entry.get())) + ").");
        if (n == 0) break;
        done += static_cast<zip_uint64_t>(n);
    }
    if (done != stat.size) throw damaged(displayName_, "the part " + partName + " is cut short.");
    // One more read reaches the end, where the checksum is compared.
    char extra;
    if (zip_fread(entry.get(), &extra, 1) != 0)
        throw damaged(displayName_, "the part " + partName + " is damaged (" +
                                        zip_error_strerror(zip_file_get_error(entry.get())) + ").");
    return bytes;
}

void PackageReader::chargeCharacters(std::size_t count) {
    if (count > charactersLeft_)
        throw damaged(displayName_, "its text is longer than " + std::to_string(kMaxCharacters) + " characters.");
    charactersLeft_ -= count;
}

std::map<std::string, Relationship> PackageReader::relationships(const std::string& sourcePart) const {
    const auto slash = sourcePart.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? sourcePart : sourcePart.substr(slash + 1);
    const std::string relsPart = folder + "_rels/" + file + ".rels";
    std::map<std::string, Relationship> out;
    if (!has(relsPart)) return out;
    const std::string bytes = read(relsPart);
    pugi::xml_document doc;
    const auto parsed = doc.load_buffer(bytes.data(), bytes.size());
    if (!parsed) throw damaged(displayName_, relsPart + ": " + parsed.description() + ".");
    for (const auto& node : doc.document_element().children()) {
        if (localName(node.name()) != "Relationship") continue;
        Relationship r;
        r.id = node.attribute("Id").value();
        r.type = node.attribute("Type").value();
        r.external = equalsIgnoringCase(node.attribute("TargetMode").value(), "External");
        const std::string target = node.attribute("Target").value();
        if (r.external) {
            r.target = target;
        } else {
            const auto resolved = resolvePartName(sourcePart, target);
            if (!resolved) throw damaged(displayName_, relsPart + ": the target \"" + target + "\" leads out of the package.");
            r.target = *resolved;
        }
        out[r.id] = std::move(r);
    }
    return out;
}

std::optional<std::string> resolvePartName(const std::string& sourcePart, const std::string& target) {
    std::vector<std::string> segments;
    std::string path;
    if (!target.empty() && target.front() == '/') {
        path = target.substr(1);
    } else {
        const auto slash = sourcePart.rfind('/');
        path = (slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1)) + target;
    }
    std::string segment;
    const auto take = [&]() -> bool {
        if (segment == "..") {
            if (segments.empty()) return false;
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        segment.clear();
        return true;
    };
    for (const char c : path) {
        if (c == '/' || c == '\\') {
            if (!take()) return std::nullopt;
        } else {
            segment += c;
        }
    }
    if (!take() || segments.empty()) return std::nullopt;
    std::string out;
    for (const auto& s : segments) out += (out.empty() ? "" : "/") + s;
    return out;
}

void PackageWriter::add(std::string partName, std::string bytes) {
    parts_.emplace_back(std::move(partName), std::move(bytes));
}

void PackageWriter::write(const fs::path& file, const std::string& displayName) const {
    const auto refuse = [&](const std::string& why) {
        return RuntimeError(err::PathFileAccess, "Path/File access error: \"" + displayName + "\" cannot be written (" + why + ").",
                            "Microsoft Word");
    };
    // Written beside the file first, under a name of its own, and put in place whole.
    std::random_device random;
    const fs::path partial = file.parent_path() / (file.filename().string() + "." + std::to_string(random() % 1000000) + ".partial");
    int code = 0;
    zip_t* zip = zip_open(partial.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) throw refuse(zipErrorText(code));
    const auto abandon = [&](const std::string& why) {
        zip_discard(zip);
        std::error_code ec;
        fs::remove(partial, ec);
        return refuse(why);
    };
    for (const auto& [name, bytes] : parts_) {
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        if (!source) throw abandon(zip_error_strerror(zip_get_error(zip)));
        const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            throw abandon(zip_error_strerror(zip_get_error(zip)));
        }
    }
    if (zip_close(zip) != 0) throw abandon(zip_error_strerror(zip_get_error(zip)));
    std::error_code ec;
    fs::rename(partial, file, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(partial, ec);
        throw refuse(why);
    }
}

}  // namespace telvora::sim::docx
