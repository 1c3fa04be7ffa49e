// Two pieces of work on two threads, for the long loops of a large file's load that the user
// waits for.
#pragma once

#include <system_error>
#include <thread>

namespace pomix {

// Runs aside on a thread of its own while here runs on this one, and returns when both have
// ended; both on this thread, one after the other, when no thread can be made. Neither may
// throw.
template <class Aside, class Here>
void SideBySide(Aside aside, Here here) {
    std::thread other;
    try {
        other = std::thread(aside);
    } catch (const std::system_error&) {
        aside();
    }
    here();
    if (other.joinable()) other.join();
}

}  // namespace pomix
