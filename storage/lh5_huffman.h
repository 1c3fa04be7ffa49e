// Private to the lh5 encoder: building a length-limited Huffman code from symbol counts.
#pragma once

#include <cstdint>

#include "storage/lh5_format.h"

namespace pomix::lh5 {

// Builds the code of n symbols (n up to kNC) from their counts. lengths and codes receive one
// entry per symbol. Returns the root: a node number of n or more when two or more symbols
// occur, else the only symbol (0 when none occurs), whose length stays 0.
// The ties of the heap and the order in which leaves leave it decide which symbols get the
// longer codes; the written bytes depend on following this order exactly.
class HuffmanBuilder {
public:
    int Build(int n, const std::uint32_t* counts, std::uint8_t* lengths, std::uint16_t* codes);
    // The count at the root of the last code built: the sum of all counts.
    std::uint32_t RootCount() const { return rootCount_; }

private:
    void SiftDown(int i);
    void MakeLengths(int root, std::uint8_t* lengths);

    int n_ = 0;
    int heapSize_ = 0;
    int heap_[kNC + 1] = {};
    std::uint32_t freq_[2 * kNC] = {};
    std::uint16_t left_[2 * kNC] = {};
    std::uint16_t right_[2 * kNC] = {};
    std::uint16_t leafOrder_[kNC] = {};
    int leafCount_ = 0;
    std::uint32_t rootCount_ = 0;
};

}  // namespace pomix::lh5
