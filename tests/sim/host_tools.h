// Running the host's own tools from a test: libtiff's and Poppler's inspectors and Debian's Python
// with python-docx, the independent checks of what the simulator writes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace telvora::testing {

// The standard output of a shell command; a command that fails fails the test with its output.
inline std::string runTool(const std::string& command) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    std::array<char, 4096> buffer;
    while (const auto n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    const int status = pclose(pipe);
    EXPECT_EQ(status, 0) << command << "\n" << out;
    return out;
}

inline std::string quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// Runs a Python script with Debian's own interpreter, which sees Debian's python3-docx.
inline std::string runPython(const std::filesystem::path& folder, const std::string& script, const std::string& arguments) {
    const auto file = folder / "check.py";
    std::ofstream(file) << script;
    return runTool("/usr/bin/python3 " + quoted(file) + " " + arguments);
}

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// How often `needle` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& needle) {
    int n = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
    return n;
}

}  // namespace telvora::testing
