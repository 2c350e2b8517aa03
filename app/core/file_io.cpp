// file_io.cpp — capped whole-file reads and the write-to-temporary-then-rename save.
#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace korvel {

namespace {

std::string Reason(int error) { return error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string(); }

std::string Quoted(const std::string& path) { return "The file \"" + DisplayName(path) + "\""; }

FileError NotRegular(const std::string& path) { return FileError(Quoted(path) + " is not a regular file."); }

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

// Follows the links that the path's last name goes through to the file a save replaces, also when that
// file does not exist yet: the link stays and its file is written, as an export does. 0, or the system's
// error (ELOOP for a loop, after as many links as the system itself follows).
int FollowLinks(std::string& path) {
    namespace fs = std::filesystem;
    for (int links = 0; links < 40; ++links) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode)) return 0;
        std::error_code ec;
        const fs::path to = fs::read_symlink(path, ec);
        if (ec) return ec.value();
        // Not normalised: the system resolves ".." after the folders' own links, and so must we.
        path = (fs::path(path).parent_path() / to).string();
    }
    return ELOOP;
}

// A hidden name in the target's folder, unique to this process and call, so the rename never crosses file
// systems and two saves never share a temporary file. The target's name is cut short where the whole would
// pass the folder's limit on a name, so the temporary's name is legal whenever the target's is.
std::string TemporaryName(const std::filesystem::path& folder, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    const std::string suffix = ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = 255;
    const std::size_t room = static_cast<std::size_t>(nameMax) - 1 - suffix.size();
    std::string base = name;
    if (base.size() > room) {
        base.resize(room);
        // Not in the middle of a UTF-8 character, so a file manager can show the name.
        while (!base.empty() && (static_cast<unsigned char>(name[base.size()]) & 0xC0) == 0x80) base.pop_back();
    }
    return "." + base + suffix;
}

}  // namespace

std::string DisplayName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

std::string ReadWholeFile(const std::string& path, std::size_t cap) {
    const std::string quoted = Quoted(path);
    // A named pipe or a device is refused before it is opened: opening a pipe waits for a writer that may
    // never come.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) throw NotRegular(path);
    Descriptor d;
    // Without waiting, should the path have become a pipe since: fstat below refuses it.
    d.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (d.fd < 0) throw FileError(quoted + " cannot be opened" + Reason(errno) + ".");
    if (::fstat(d.fd, &st) != 0) throw FileError(quoted + " cannot be read" + Reason(errno) + ".");
    if (!S_ISREG(st.st_mode)) throw NotRegular(path);
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
    const std::string fail = Quoted(path) + " could not be saved";
    const std::string kept = ". An existing file of that name was left as it was.";
    std::string target = path;
    if (const int error = FollowLinks(target); error != 0) throw FileError(fail + Reason(error) + kept);

    // The target itself is asked first: a rename needs leave of the folder only, and would replace a pipe,
    // a device or a file the user may not write. The descriptor also serves a write in place.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throw FileError(fail + Reason(EISDIR) + kept);
    if (exists && !S_ISREG(old.st_mode)) throw NotRegular(path);
    Descriptor existing;
    if (exists) {
        existing.fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (existing.fd < 0 && errno == ENXIO) throw NotRegular(path);  // became a pipe with no reader since
        if (existing.fd < 0) throw FileError(fail + Reason(errno) + kept);
        if (::fstat(existing.fd, &old) != 0 || !S_ISREG(old.st_mode)) throw NotRegular(path);
    }

    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    const std::string temp = (folder / TemporaryName(folder, fs::path(target).filename().string())).string();
    Descriptor d;
    d.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (d.fd < 0 && (errno == EACCES || errno == EPERM) && existing.fd >= 0) {
        // A folder that takes no new files, holding a file the user may write: the file is written in place.
        if (::ftruncate(existing.fd, 0) != 0) throw FileError(fail + Reason(errno) + kept);
        const int fd = std::exchange(existing.fd, -1);
        int error = WriteAll(fd, bytes) && ::fsync(fd) == 0 ? 0 : errno;
        if (::close(fd) != 0 && error == 0) error = errno;
        if (error != 0)
            throw FileError(fail + Reason(error) +
                            ". Its folder takes no new files, so it was being written in place and may be incomplete.");
        return;
    }
    if (d.fd < 0) throw FileError(fail + Reason(errno) + kept);
    const auto abandon = [&](int error) {
        if (d.fd >= 0) ::close(d.fd);
        d.fd = -1;
        ::unlink(temp.c_str());
        throw FileError(fail + Reason(error) + kept);
    };
    // Keep the permissions the user gave the old file (best effort: the owner may differ).
    if (exists) (void)::fchmod(d.fd, old.st_mode & 07777);
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
