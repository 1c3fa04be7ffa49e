// Private to the lh5 encoder: the match finder.
#pragma once

#include <cstdint>

#include "storage/lh5_format.h"

namespace pomix::lh5 {

struct Match {
    int length = 0;
    std::int64_t position = 0;  // offset in the input of the earlier string
};

// A suffix tree (a trie with path compression) over the strings that start at the last 8192
// input positions, each taken to at most kMaxMatch bytes. Children are found by hashing the
// pair (node, byte). Node numbers: one leaf per window slot (position mod 8192), then 256 roots
// (one per first byte, depth 1), then the pool of internal nodes.
//
// Positions recorded on internal nodes are kept as window slots and read back as the position
// with that slot in the 8192 positions before the current one. A recorded position may carry a
// mark: newer positions below the node may not have been carried up through it yet.
class Dictionary {
public:
    // text points at the encoder's text buffer, whose byte 0 holds input offset base.
    explicit Dictionary(const std::uint8_t* text);

    void SetBase(std::int64_t base) { base_ = base; }
    // Enters the string at q, given the match found at q - 1 (cut to the input left); returns
    // the longest match of q among the strings in the tree.
    Match Insert(std::int64_t q, Match previous);
    // Takes the string at x (= q - 8192) out of the tree, just before Insert(q).
    void Remove(std::int64_t x);

private:
    static constexpr int kRootBase = kDicSize;
    static constexpr int kInternalBase = kDicSize + 256;
    static constexpr int kNodeCount = kInternalBase + kDicSize;
    static constexpr int kNil = -1;
    static constexpr int kHashBits = 15;
    static constexpr std::uint16_t kMark = 0x8000;

    static bool IsLeaf(int node) { return node < kRootBase; }
    static bool IsInternal(int node) { return node >= kInternalBase; }
    static unsigned Hash(int node, std::uint8_t c) {
        return ((static_cast<unsigned>(node) << 8 | c) * 0x9E3779B1u) >> (32 - kHashBits);
    }

    const std::uint8_t* At(std::int64_t position) const { return text_ + (position - base_); }
    // The position of window slot s among the 8192 positions before the current one.
    std::int64_t Resolve(unsigned slot) const {
        return current_ - kDicSize + ((static_cast<std::int64_t>(slot) - current_) & kDicMask);
    }
    std::int64_t Recorded(int node) const { return Resolve(recorded_[node] & kDicMask); }
    bool Marked(int node) const { return (recorded_[node] & kMark) != 0; }
    void Record(int node, std::int64_t position, bool mark) {
        recorded_[node] = static_cast<std::uint16_t>((position & kDicMask) | (mark ? kMark : 0));
    }

    int Child(int node, std::uint8_t c) const;
    void Link(int parent, std::uint8_t c, int child);
    void Unlink(int child);
    void Replace(int old, int replacement);
    void Split(int r, int depth, std::int64_t candidate, std::int64_t q);
    int LeafOf(std::int64_t position) const;

    const std::uint8_t* text_;
    std::int64_t base_ = 0;
    std::int64_t current_ = 0;

    std::int32_t parent_[kNodeCount];
    std::int32_t next_[kNodeCount];  // hash chain
    std::int32_t prev_[kNodeCount];  // hash chain; -1 - bucket at the head of a chain
    std::uint8_t edge_[kNodeCount];  // the byte under which the node hangs
    std::uint16_t depth_[kNodeCount];
    std::uint16_t children_[kNodeCount];
    std::uint16_t recorded_[kNodeCount];
    bool inTree_[kDicSize];
    std::int64_t replacedBy_[kDicSize];
    std::int32_t bucket_[1 << kHashBits];
    std::int32_t pool_[kDicSize];
    int poolSize_ = 0;
};

}  // namespace pomix::lh5
