#pragma once
// Waiting for a socket to become readable or writable, bounded by a timeout.

namespace nsSocket {

enum class WaitResult { Ready, TimedOut, Interrupted };

// Polls `fd` for `events` (POLLIN / POLLOUT) for at most timeoutSeconds. The wait is cut
// into short slices; between slices a message in the calling thread's queue ends it as
// Interrupted, so a stop request does not have to sit out the whole timeout. A poll
// error counts as ready: the following send or receive then fails on its own.
WaitResult WaitForSocket(int fd, short events, int timeoutSeconds);

// The same with the bound in milliseconds.
WaitResult WaitForSocketMs(int fd, short events, int timeoutMs);

}  // namespace nsSocket
