// What the fuzz programs share: a scratch folder of their own and a way to stop on a broken
// promise, which libFuzzer records as a crash with the input that caused it.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace telvora::fuzz {

// A folder of this process's own, made once, in memory where the machine has it, and removed when
// the run ends (a crash leaves it, with the files of the input that caused it).
inline const std::filesystem::path& scratchFolder(const char* program) {
    struct Folder {
        std::filesystem::path path;
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder{[program] {
        const std::filesystem::path shm = "/dev/shm";
        const auto base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        auto f = base / (std::string("telvora-") + program + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(f);
        return f;
    }()};
    return folder.path;
}

// The text with each byte outside printable ASCII as \xNN, so a message shows what is there.
inline std::string shown(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

[[noreturn]] inline void broken(const std::string& what) {
    std::fprintf(stderr, "broken: %s\n", what.c_str());
    std::abort();
}

}  // namespace telvora::fuzz
