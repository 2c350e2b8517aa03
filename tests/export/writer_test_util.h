// writer_test_util.h — small helpers of the writer tests: writing a file, finding and running a tool.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "step_file.h"

namespace korvel::test {

// The folder a TempDir of the writer tests lives in.
inline std::filesystem::path FolderOf(const TempDir& dir) { return std::filesystem::path(dir.File("")).parent_path(); }

inline void WriteWholeFile(const std::string& fileName, const std::string& text) {
    std::ofstream out(fileName, std::ios::binary);
    out << text;
}

// True when an executable of that name is on PATH.
inline bool ToolOnPath(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns what it printed on stdout and stderr, with its exit status.
struct CommandResult {
    int status = -1;
    std::string output;
};
inline CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return r;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
    r.status = ::pclose(pipe);
    return r;
}

}  // namespace korvel::test
