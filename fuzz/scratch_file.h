// A scratch file for targets that must go through the disk. It lives in memory (/dev/shm)
// where there is one: rewriting a truncated file on a journaling disk forces a write-back on
// every close, which slows a run a hundredfold.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace pomix::fuzz {

// The path of the scratch file; it is removed when the fuzzer exits.
inline const std::string& ScratchPath(const std::string& name) {
    struct Scratch {
        std::string path;
        ~Scratch() { std::remove(path.c_str()); }
    };
    static const Scratch scratch{(::access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/") + name +
                                 "." + std::to_string(::getpid())};
    return scratch.path;
}

}  // namespace pomix::fuzz
