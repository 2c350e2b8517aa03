// output_file.cpp — a checked binary output file for the writers.
#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "export_common.h"
#include "open_file.h"

namespace korvel {

namespace {

// Closes a descriptor that is given up and hands back the error that gave it up (close may change errno).
int GiveUp(int fd, int error) {
    ::close(fd);
    return error;
}

}  // namespace

OutputFile::OutputFile(const std::string& fileName) : name_(fileName) {
    // A named pipe or a device is refused before it is opened: opening a pipe waits for a reader that may
    // never come, and an export must not write into a device. A folder is left to open, which names it.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) Fail("is not a regular file", 0);
    // Without waiting on a pipe and without truncating, should the path have become something else since:
    // only a regular file is then emptied. A file server's lease on the old file is waited out.
    const int fd = OpenWaitingOutLeases(fileName.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ENXIO) Fail("is not a regular file", 0);  // became a pipe with no reader since
    if (fd < 0) Fail("cannot be created", errno);
    if (::fstat(fd, &st) != 0) Fail("cannot be created", GiveUp(fd, errno));
    if (!S_ISREG(st.st_mode)) Fail("is not a regular file", GiveUp(fd, 0));
    if (::ftruncate(fd, 0) != 0) Fail("cannot be created", GiveUp(fd, errno));
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) Fail("cannot be created", GiveUp(fd, errno));
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
