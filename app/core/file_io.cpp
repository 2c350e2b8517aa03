// file_io.cpp — capped whole-file reads and the write-to-temporary-then-rename save.
#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace korvel {

namespace {

std::string Reason(int error) { return error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string(); }

// Closes a descriptor when it goes out of scope unless released.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string DisplayName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

std::string ReadWholeFile(const std::string& path, std::size_t cap) {
    const std::string quoted = "The file \"" + DisplayName(path) + "\"";
    Descriptor d;
    d.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (d.fd < 0) throw FileError(quoted + " cannot be opened" + Reason(errno) + ".");
    struct stat st {};
    if (::fstat(d.fd, &st) != 0) throw FileError(quoted + " cannot be read" + Reason(errno) + ".");
    if (!S_ISREG(st.st_mode)) throw FileError(quoted + " is not a regular file.");
    // The size is checked while reading too: a file may grow after fstat.
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(d.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(quoted + " cannot be read" + Reason(errno) + ".");
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > cap)
            throw FileError(quoted + " is larger than " + std::to_string(cap / 1024) +
                            " KiB, far more than this kind of file holds; it was not read.");
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    const std::string fail = "The file \"" + DisplayName(path) + "\" could not be saved";
    const std::string kept = ". An existing file of that name was left as it was.";

    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // A hidden name in the same folder, unique to this process and call, so the rename never crosses
    // file systems and two saves never share a temporary file.
    static std::atomic<unsigned> counter{0};
    const std::string tempName = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1));
    const std::string temp = (folder / tempName).string();

    Descriptor d;
    d.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (d.fd < 0) throw FileError(fail + Reason(errno) + kept);
    const auto abandon = [&](int error) {
        if (d.fd >= 0) ::close(d.fd);
        d.fd = -1;
        ::unlink(temp.c_str());
        throw FileError(fail + Reason(error) + kept);
    };
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) abandon(EISDIR);
        // Keep the permissions the user gave the old file (best effort: the owner may differ).
        (void)::fchmod(d.fd, old.st_mode & 07777);
    }
    if (!WriteAll(d.fd, bytes)) abandon(errno);
    if (::fsync(d.fd) != 0) abandon(errno);
    const int fd = d.fd;
    d.fd = -1;
    if (::close(fd) != 0) abandon(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) abandon(errno);
    // Make the rename itself durable; a failure here no longer puts the data at risk.
    Descriptor dir;
    dir.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd >= 0) (void)::fsync(dir.fd);
}

}  // namespace korvel
