// output_file.cpp — a checked binary output file for the writers.
#include "output_file.h"

#include <cerrno>
#include <cstring>

#include "export_common.h"

namespace korvel {

OutputFile::OutputFile(const std::string& fileName) : name_(fileName) {
    errno = 0;
    file_ = std::fopen(fileName.c_str(), "wb");
    if (file_ == nullptr) Fail("cannot be created", errno);
    // The writers hand over many short pieces: a large buffer keeps the system calls few.
    std::setvbuf(file_, nullptr, _IOFBF, std::size_t{1} << 20);
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::Fail(const char* what, int error) const {
    std::string message = "The file \"" + name_ + "\" " + what;
    if (error != 0) message += std::string(" (") + std::strerror(error) + ")";
    message += ".";
    throw ExportError(message);
}

void OutputFile::Write(const void* data, std::size_t count) {
    if (count == 0) return;
    errno = 0;
#if defined(__GLIBC__)
    // One thread owns the file: the stream's lock on every one of millions of short pieces is wasted.
    if (fwrite_unlocked(data, 1, count, file_) != count) Fail("cannot be written", errno);
#else
    if (std::fwrite(data, 1, count, file_) != count) Fail("cannot be written", errno);
#endif
}

void OutputFile::Seek(int64_t offset) {
    errno = 0;
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) Fail("cannot be written", errno);
}

void OutputFile::Close() {
    std::FILE* f = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(f) != 0) Fail("cannot be written", errno);
}

}  // namespace korvel
