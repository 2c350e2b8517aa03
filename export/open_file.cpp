// open_file.cpp — non-blocking opens that wait out leases.
#include "open_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace korvel {

int OpenWaitingOutLeases(const char* path, int flags, mode_t mode) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::minutes(5);
    for (auto pause = std::chrono::milliseconds(1);; pause = std::min(2 * pause, std::chrono::milliseconds(50))) {
        const int fd = ::open(path, flags | O_NONBLOCK, mode);
        if (fd >= 0) {
            (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        // Only a regular file's answer means a lease: a device may answer so for reasons of its own.
        struct stat st {};
        if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || Clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            return -1;
        }
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace korvel
