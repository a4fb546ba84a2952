// Safe names and whole files.
#include "sim/output/output_files.h"

#include <cstdio>
#include <fstream>
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
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) ec = std::make_error_code(std::errc::io_error);
    }
    if (!ec) fs::rename(partial, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw RuntimeError(err::PathFileAccess, "Path/File access error: \"" + file.string() + "\" cannot be written (" +
                                                    ec.message() + ").");
    }
}

fs::path nextFree(const fs::path& folder, const std::string& stem, const std::string& extension) {
    for (int n = 1;; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", n);
        const fs::path candidate = folder / (stem + "-" + number + extension);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
}

}  // namespace telvora::sim::output
