// Safe names and whole files.
#include "sim/output/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

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

void writeWhole(const fs::path& file, const std::string& bytes) {
    std::random_device random;
    const fs::path partial = file.parent_path() / (file.filename().string() + "." + std::to_string(random() % 1000000) + ".partial");
    std::error_code ec;
    // Made new (never opened through a link someone left under that name) and then renamed over
    // the file, which replaces a link standing there instead of writing where it points.
    const int out = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        ec = std::error_code(errno, std::generic_category());
    } else {
        for (std::size_t done = 0; done < bytes.size() && !ec;) {
            const ::ssize_t n = ::write(out, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno != EINTR) ec = std::error_code(errno, std::generic_category());
            if (n > 0) done += static_cast<std::size_t>(n);
        }
        if (::close(out) != 0 && !ec) ec = std::error_code(errno, std::generic_category());
        if (!ec) fs::rename(partial, file, ec);
    }
    if (ec) {
        std::error_code ignored;
        if (out >= 0) fs::remove(partial, ignored);
        throw RuntimeError(err::PathFileAccess, "Path/File access error: \"" + file.string() + "\" cannot be written (" +
                                                    ec.message() + ").");
    }
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
