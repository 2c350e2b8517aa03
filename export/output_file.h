// output_file.h — a checked binary output file for the writers: every failing call raises an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace korvel {

// Creates (or truncates) a file for writing and reports every failure of create, write, seek and close with
// the file's name and the system's reason. A path that names something other than a regular file (a named
// pipe, a device) is refused without waiting and left as it is. The destructor closes a file that was not closed explicitly
// (after an error, where a partly written file stays).
class OutputFile {
public:
    explicit OutputFile(const std::string& fileName);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const void* data, std::size_t count);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Moves the write position to an absolute byte offset.
    void Seek(int64_t offset);
    // Flushes and closes; a failing close (a full disk shows up here) raises an error.
    void Close();

private:
    [[noreturn]] void Fail(const char* what, int error) const;

    std::string name_;
    std::FILE* file_ = nullptr;
};

}  // namespace korvel
