// file_io.h — whole-file reads with a size cap and atomic replacement of the files the application saves.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvel {

// A file that cannot be read, written or understood. what() is a complete sentence for a message box
// and names the file where one is known.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest project or parameter file the application reads; both are a few kilobytes when written here.
inline constexpr std::size_t kMaxReadFileSize = 1 << 20;

// The file's name without its folder, as messages show it.
std::string DisplayName(const std::string& path);

// The whole file. Throws FileError when it cannot be opened or read, when it is not a regular file (a named
// pipe or a device is refused without waiting), or when it is larger than cap. A file server's lease on the
// file is waited out.
std::string ReadWholeFile(const std::string& path, std::size_t cap = kMaxReadFileSize);

// Replaces the file with bytes, or creates it: the bytes go to a new file in the same folder, which is
// flushed to the disk and then renamed over the target, so a reader sees either the old or the new
// file whole. The new file is made with no permission the old one lacks, and gets the old one's owner, group,
// extended attributes (the access list among them) and mode before the rename. Symbolic links are followed
// to the file they name, which is created when it does not exist yet, and a link is never replaced. A target
// that is not a regular file, or that the user may not write, is refused. Any failure removes the new file,
// leaves the old one untouched and throws FileError.
// The old file is written in place instead, which keeps all it is, where a rename would change it or is not
// allowed: it has other hard links, its owner, group or an attribute cannot be given to a new file, its
// folder takes no new file or refuses the rename (a sticky folder). Room for the new content is reserved
// first, so a full disk or a size limit refuses the save and leaves the old file whole; only a failure after
// that may leave it incomplete, and the message says so.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korvel
