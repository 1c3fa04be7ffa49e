// Inputs for the compressor's tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "storage/stream.h"

namespace pomix::testing {

// Inputs of several kinds: prose-like text with repeats, random bytes, long runs, and records.
inline Bytes Generate(const std::string& kind, std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size);
    static const char* const kWords[] = {
        "the ",  "quick ", "brown ", "fox ", "jumps ",
        "over ", "lazy ",  "dog ",   "and ", "\xcf\xf0\xe8\xe2\xe5\xf2 ",
        ".\r\n"};
    while (out.size() < size) {
        if (kind == "text") {
            const char* w = kWords[rng() % std::size(kWords)];
            out.insert(out.end(), w, w + std::strlen(w));
        } else if (kind == "random") {
            out.push_back(static_cast<std::uint8_t>(rng()));
        } else if (kind == "runs") {
            out.insert(out.end(), 1 + rng() % 700, static_cast<std::uint8_t>(rng() % 3));
        } else {  // records: counters and a few repeated names
            const std::uint32_t n = static_cast<std::uint32_t>(out.size() / 16);
            const std::uint8_t rec[16] = {static_cast<std::uint8_t>(n),
                                          static_cast<std::uint8_t>(n >> 8),
                                          0,
                                          0,
                                          'N',
                                          'a',
                                          'm',
                                          'e',
                                          static_cast<std::uint8_t>('0' + rng() % 4)};
            out.insert(out.end(), rec, rec + 16);
        }
    }
    out.resize(size);
    return out;
}

// Pieces of every kind one after the other, so that a stretch of the input may begin in any.
inline Bytes Mixed(std::size_t size, unsigned seed) {
    static const char* const kKinds[] = {"text", "random", "runs", "records"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const Bytes piece =
            Generate(kKinds[rng() % 4], 500 + rng() % 20000, static_cast<unsigned>(rng()));
        out.insert(out.end(), piece.begin(), piece.end());
    }
    out.resize(size);
    return out;
}

}  // namespace pomix::testing
