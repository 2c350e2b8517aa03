// file_io.cpp — capped whole-file reads and the write-to-temporary-then-rename save.
#include "file_io.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "export/open_file.h"

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

// Writes bytes from the file's start, whatever its descriptor's position.
bool WriteAllAt(int fd, std::string_view bytes) {
    for (off_t at = 0; !bytes.empty();) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
    return true;
}

constexpr const char* kKept = ". An existing file of that name was left as it was.";
constexpr const char* kFolderTakesNoNewFiles = "Its folder takes no new files, so it";
constexpr const char* kToKeepTheFile = "To keep its owner, links and attributes, it";
constexpr const char* kNoNewFile = "No new file could be made beside it, so it";

// A list or value that the system copies into a buffer of the size it first reports; asked again should it
// grow in between. False with errno set when it cannot be had.
template <class Get> bool ReadSized(const Get& get, std::string& out) {
    for (int tries = 0; tries < 8; ++tries) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return false;
        out.resize(static_cast<std::size_t>(size));
        const ssize_t n = size == 0 ? 0 : get(out.data(), out.size());
        if (n >= 0) {
            out.resize(static_cast<std::size_t>(n));
            return true;
        }
        if (errno != ERANGE) return false;
    }
    return false;
}

// The names of the file's extended attributes; false when they cannot be listed. A file system without
// them has none.
bool AttributeNames(int fd, std::vector<std::string>& names) {
    names.clear();
    std::string list;
    if (!ReadSized([fd](char* buffer, std::size_t size) { return ::flistxattr(fd, buffer, size); }, list))
        return errno == ENOTSUP || errno == ENOSYS;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find('\0', at), list.size());
        names.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return true;
}

// Gives the new file the old one's extended attributes (its access list among them) and no others, such as
// an access list the new file took from its folder.
bool CopyAttributes(int from, int to) {
    std::vector<std::string> names, present;
    if (!AttributeNames(from, names) || !AttributeNames(to, present)) return false;
    for (const std::string& name : present)
        if (std::find(names.begin(), names.end(), name) == names.end() && ::fremovexattr(to, name.c_str()) != 0 &&
            errno != ENODATA)
            return false;
    std::string value, current;
    for (const std::string& name : names) {
        const auto get = [&name](int fd) {
            return [fd, &name](char* buffer, std::size_t size) { return ::fgetxattr(fd, name.c_str(), buffer, size); };
        };
        if (!ReadSized(get(from), value)) return false;
        // A value the new file has already (a security label the system gave it alike) is not set again:
        // that may need a right the user lacks.
        if (std::find(present.begin(), present.end(), name) != present.end() && ReadSized(get(to), current) && current == value)
            continue;
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

// Gives the new file what the old one is beyond its content: owner and group, extended attributes, then the
// mode (last: a change of owner clears the set-id bits). False when any of it is not allowed.
bool CarryOver(int from, int to, const struct stat& old) {
    struct stat now {};
    if (::fstat(to, &now) != 0) return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(to, now.st_uid != old.st_uid ? old.st_uid : static_cast<uid_t>(-1),
                 now.st_gid != old.st_gid ? old.st_gid : static_cast<gid_t>(-1)) != 0)
        return false;
    return CopyAttributes(from, to) && ::fchmod(to, old.st_mode & 07777) == 0;
}

// Writes bytes over the file's content through its descriptor, which keeps everything the file is. Room for
// the new content is reserved first, so a full disk, a quota or a file-size limit refuses the save before a
// byte of the old file changes; where the file system cannot reserve room, the write goes on and a failure
// says that the file may be incomplete. why begins the sentence that says so.
void WriteInPlace(Descriptor& file, std::string_view bytes, const std::string& fail, const char* why) {
    const int fd = std::exchange(file.fd, -1);
    const auto refuse = [&](int error) {
        ::close(fd);
        throw FileError(fail + Reason(error) + kKept);
    };
    // Reserving room past the end is not measured against the file-size limit, which a write would be.
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && bytes.size() > limit.rlim_cur)
        refuse(EFBIG);
    if (!bytes.empty()) {
        int reserved;
        do reserved = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size()));
        while (reserved != 0 && errno == EINTR);
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS) refuse(errno);
    }
    // The new content over the old, then the old tail cut off: a failure part-way keeps the rest of the old.
    int error = WriteAllAt(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0)
        throw FileError(fail + Reason(error) + ". " + why + " was being written in place and may be incomplete.");
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
    d.fd = OpenWaitingOutLeases(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
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
    std::string target = path;
    if (const int error = FollowLinks(target); error != 0) throw FileError(fail + Reason(error) + kKept);

    // The target itself is asked first: a rename needs leave of the folder only, and would replace a pipe,
    // a device or a file the user may not write. The descriptor also serves a write in place.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throw FileError(fail + Reason(EISDIR) + kKept);
    if (exists && !S_ISREG(old.st_mode)) throw NotRegular(path);
    Descriptor existing;
    const auto openExisting = [&] {
        existing.fd = OpenWaitingOutLeases(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (existing.fd < 0 && errno == ENXIO) throw NotRegular(path);  // became a pipe with no reader since
        if (existing.fd < 0) throw FileError(fail + Reason(errno) + kKept);
        if (::fstat(existing.fd, &old) != 0 || !S_ISREG(old.st_mode)) throw NotRegular(path);
    };
    if (exists) {
        openExisting();
        // A rename would leave the other names of the file with the old content.
        if (old.st_nlink > 1) return WriteInPlace(existing, bytes, fail, kToKeepTheFile);
    }

    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    const std::string temp = (folder / TemporaryName(folder, fs::path(target).filename().string())).string();
    Descriptor d;
    // With no permission that the old file lacks: a private file is never readable by others on the way.
    d.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? old.st_mode & 0600 : 0666);
    if (d.fd < 0 && (errno == EACCES || errno == EPERM) && existing.fd >= 0)
        return WriteInPlace(existing, bytes, fail, kFolderTakesNoNewFiles);
    if (d.fd < 0 && (errno == ENOSPC || errno == EDQUOT) && existing.fd >= 0)  // no file may be added; the old one may grow
        return WriteInPlace(existing, bytes, fail, kNoNewFile);
    if (d.fd < 0) throw FileError(fail + Reason(errno) + kKept);
    const auto discard = [&] {
        if (d.fd >= 0) ::close(std::exchange(d.fd, -1));
        ::unlink(temp.c_str());
    };
    const auto abandon = [&](int error) {
        discard();
        throw FileError(fail + Reason(error) + kKept);
    };
    // What the old file is, beyond its content, goes over to the new one; what cannot go over (another
    // user's file, a group the user is not in, an attribute the user may not set) is kept by writing the
    // old file in place instead.
    if (exists && !CarryOver(existing.fd, d.fd, old)) {
        discard();
        return WriteInPlace(existing, bytes, fail, kToKeepTheFile);
    }
    if (!WriteAllAt(d.fd, bytes)) abandon(errno);
    if (::fsync(d.fd) != 0) abandon(errno);
    if (::close(std::exchange(d.fd, -1)) != 0) abandon(errno);
    // A file server may refuse to rename over a file that is held open.
    if (existing.fd >= 0) ::close(std::exchange(existing.fd, -1));
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        // A sticky folder lets only the file's owner replace it, though others may write it.
        if (!exists || (error != EPERM && error != EACCES)) abandon(error);
        discard();
        openExisting();
        return WriteInPlace(existing, bytes, fail, kToKeepTheFile);
    }
    // Make the rename itself durable; a failure here no longer puts the data at risk.
    Descriptor dir;
    dir.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd >= 0) (void)::fsync(dir.fd);
}

}  // namespace korvel
