// Safe names and whole files.
#include "sim/output/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

#include "base/errors.h"

namespace telvora::sim::output {
namespace fs = std::filesystem;

std::string safeName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const bool refused = static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        out += refused ? '_' : c;
    }
    // Windows drops trailing dots and blanks from a name; they would make two names one.
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.back() = '_';
    if (out.find_first_not_of('.') == std::string::npos) out = "_";
    return out;
}

WholeFile::WholeFile(fs::path file) : file_(std::move(file)) {
    std::random_device random;
    partial_ = file_.parent_path() / (file_.filename().string() + "." + std::to_string(random() % 1000000) + ".partial");
    // Made new: never opened through a link someone left under that name.
    descriptor_ = ::open(partial_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor_ < 0) fail(std::error_code(errno, std::generic_category()));
}

WholeFile::~WholeFile() {
    if (descriptor_ < 0) return;
    ::close(descriptor_);
    std::error_code ignored;
    fs::remove(partial_, ignored);
}

void WholeFile::write(std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ::ssize_t n = ::write(descriptor_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) fail(std::error_code(errno, std::generic_category()));
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

void WholeFile::commit() {
    const int descriptor = std::exchange(descriptor_, -1);
    std::error_code ec;
    if (::close(descriptor) != 0) ec = std::error_code(errno, std::generic_category());
    // Renamed over whatever stands there, a link included, instead of writing where it points.
    if (!ec) fs::rename(partial_, file_, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial_, ignored);
        fail(ec);
    }
}

void WholeFile::fail(std::error_code ec) {
    throw RuntimeError(err::PathFileAccess,
                       "Path/File access error: \"" + file_.string() + "\" cannot be written (" + ec.message() + ").");
}

void writeWhole(const fs::path& file, const std::string& bytes) {
    WholeFile whole(file);
    whole.write(bytes);
    whole.commit();
}

fs::path nextFree(const fs::path& folder, const std::string& stem, const std::string& extension, int& next) {
    for (next = std::max(next, 1);; ++next) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", next);
        fs::path candidate = folder / (stem + "-" + number + extension);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) {
            ++next;
            return candidate;
        }
    }
}

}  // namespace telvora::sim::output
