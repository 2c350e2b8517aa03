// open_file.h — opens a file without ever waiting on a named pipe, but waiting out a file server's lease.
#pragma once

#include <sys/types.h>

namespace korvel {

// open(path, flags | O_NONBLOCK, mode), with O_NONBLOCK taken off the descriptor again: opening a named pipe
// with no partner answers at once instead of waiting. A regular file under a lease (a file server's
// delegation or oplock) answers EWOULDBLOCK while its holder is asked to let go; that open is tried again
// until the holder has let go or the system has taken the lease away (lease-break-time, 45 s by default),
// for at most five minutes. -1 with errno set as open left it.
int OpenWaitingOutLeases(const char* path, int flags, mode_t mode = 0);

}  // namespace korvel
