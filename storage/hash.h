// The 64-bit FNV-1a hash of a run of bytes: a check sum for the files the program writes and
// a stable identifier for what it exports, the same on every machine and in every version.
#pragma once

#include <cstdint>
#include <string_view>

namespace pomix {

constexpr std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace pomix
