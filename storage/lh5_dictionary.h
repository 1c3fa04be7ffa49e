// Private to the lh5 encoder: the match finder.
#pragma once

#include <cstdint>

#include "storage/lh5_format.h"

namespace pomix::lh5 {

struct Match {
    int length = 0;
    std::int64_t position = 0;  // offset in the input of the earlier string
};

// A match as kept for the parse: the earlier string lies distance bytes back (1 to 8192).
struct Found {
    std::uint16_t length;
    std::uint16_t distance;
};

// A suffix tree (a trie with path compression) over the strings that start at the last 8192
// input positions, each taken to at most kMaxMatch bytes. The children of a root are found in a
// direct table by (first byte, second byte), those of an internal node by hashing the pair
// (node, byte) into an open-addressed table. Node numbers: one leaf per window slot (position
// mod 8192), then 256 roots (one per first byte, depth 1), then the pool of internal nodes.
//
// Positions recorded on internal nodes are kept as window slots and read back as the position
// with that slot in the 8192 positions before the current one. A recorded position may carry a
// mark: newer positions below the node may not have been carried up through it yet.
class Dictionary {
public:
    // text points at the encoder's text buffer, whose byte 0 holds input offset base.
    explicit Dictionary(const std::uint8_t* text);
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    // Back to an empty tree.
    void Clear();
    // Takes over other's tree; the text stays this dictionary's own.
    void CopyFrom(const Dictionary& other);

    void SetBase(std::int64_t base) { base_ = base; }
    // A step at q takes the string at q - 8192 out of the tree (when it is there) and enters
    // the string at q, given the match found at q - 1; its result is the longest match of q
    // among the strings in the tree, cut to the input left. Steps runs them at q to
    // q + count - 1, with left bytes of input from q on, stores each result in found (when
    // given) and returns the last one.
    Match Steps(std::int64_t q, int count, Match previous, std::int64_t left, Found* found);

    // Whether the two trees, at the same input position over the same text, give the same
    // results from now on: the same strings with the same shape, the same recorded positions
    // and marks, and the same replacements. Node numbers and the child table may differ.
    bool SameState(const Dictionary& other) const;

private:
    Match Insert(std::int64_t q, Match previous);
    void Remove(std::int64_t x);
    static constexpr int kRootBase = kDicSize;
    static constexpr int kInternalBase = kDicSize + 256;
    static constexpr int kNodeCount = kInternalBase + kDicSize;
    static constexpr int kNil = -1;
    // At most 8192 leaves and 8191 internal nodes hang under internal nodes, the first two
    // children of each in its own record: the table stays at most half full and in practice
    // far less, which keeps probe runs short.
    static constexpr int kHashBits = 15;
    static constexpr unsigned kHashMask = (1u << kHashBits) - 1;
    static constexpr std::uint16_t kMark = 0x8000;

    static bool IsLeaf(int node) { return node < kRootBase; }
    static bool IsInternal(int node) { return node >= kInternalBase; }
    static std::uint32_t Key(int node, std::uint8_t c) {
        return static_cast<std::uint32_t>(node) << 8 | c;
    }
    static unsigned Home(std::uint32_t key) { return (key * 0x9E3779B1u) >> (32 - kHashBits); }

    // Inside the tree positions are offsets in the text buffer, which lies at a multiple of
    // 8192 in the input, so an offset and its input position share their window slot.
    const std::uint8_t* At(int offset) const { return text_ + offset; }
    // The offset of window slot s among the 8192 positions before the current one.
    int Resolve(unsigned slot) const {
        return here_ - kDicSize + ((static_cast<int>(slot) - here_) & kDicMask);
    }
    int Recorded(int node) const { return Resolve(nodes_[node].recorded & kDicMask); }
    bool Marked(int node) const { return (nodes_[node].recorded & kMark) != 0; }
    void Record(int node, int offset, std::uint16_t mark) {
        nodes_[node].recorded = static_cast<std::uint16_t>((offset & kDicMask) | mark);
    }

    int Child(int node, std::uint8_t c) const;
    void Link(int parent, std::uint8_t c, int child);
    std::int16_t& PlaceOf(int child);
    void Unlink(int child);
    void Replace(int old, int replacement);
    void Split(int r, int depth, int candidate, int here);
    int LeafOf(std::int64_t position) const;
    int ReplacementOf(int leaf) const;

    const std::uint8_t* text_;
    std::int64_t base_ = 0;
    int here_ = 0;  // offset of the current position

    // Where a node hangs (slot): an entry of table_ (below kInline), one of the two places for
    // children in its parent's record (kInline + k), or rootChildren_ (kUnderRoot).
    static constexpr std::uint16_t kInline = 0x8000;
    static constexpr std::uint16_t kUnderRoot = 0xC000;
    struct Node {
        std::int16_t parent;  // kNil for a node out of the tree
        std::uint16_t slot;
        std::uint16_t hashed;    // children kept in table_
        std::uint16_t recorded;  // window slot of the recorded position, kMark when marked
        std::uint8_t depth;      // below 256: a string of 256 bytes ends at a leaf
        std::uint8_t edge;       // the byte under which it hangs
        // Most internal nodes have two or three children: two of them are kept here, so that
        // finding them needs no other memory than the node's own record.
        std::uint8_t kidEdge[2];
        std::int16_t kid[2];
    };
    static_assert(sizeof(Node) == 16, "four node records to a cache line");
    static_assert(kNodeCount < 0x8000, "node numbers fit in 16 bits");
    Node nodes_[kNodeCount];
    // Children of the roots, the most searched edges, by (first byte, second byte).
    std::int16_t rootChildren_[256 * 256];
    std::int16_t replacedBy_[kDicSize];  // slot of the replacing leaf, -1 once removed
    // Children of internal nodes by Home(Key(parent, byte)); kNil marks a free entry. The key
    // is checked against the child's own record, which the search reads next anyway.
    std::int16_t table_[1 << kHashBits];
    std::int32_t pool_[kDicSize];
    int poolSize_ = 0;
};

}  // namespace pomix::lh5
