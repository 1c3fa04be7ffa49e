// Two pieces of work on two threads: the long loops of a large file's load that the user waits
// for, and a sync's two collections.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace pomix {

// Runs aside on a thread of its own while here runs on this one, and returns when both have
// ended; both on this thread, one after the other, when no thread can be made. A failure is
// raised once both have ended: here's first, else aside's.
template <class Aside, class Here>
void SideBySide(Aside aside, Here here) {
    std::exception_ptr asideFailed;
    const auto runAside = [&aside, &asideFailed] {
        try {
            aside();
        } catch (...) {
            asideFailed = std::current_exception();
        }
    };
    std::thread other;
    try {
        other = std::thread(runAside);
    } catch (const std::system_error&) {
        runAside();
    }
    std::exception_ptr hereFailed;
    try {
        here();
    } catch (...) {
        hereFailed = std::current_exception();
    }
    if (other.joinable()) other.join();
    if (hereFailed) std::rethrow_exception(hereFailed);
    if (asideFailed) std::rethrow_exception(asideFailed);
}

}  // namespace pomix
