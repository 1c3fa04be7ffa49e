#include "storage/lh5_dictionary.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <vector>

namespace pomix::lh5 {

namespace {

// The first offset from m on (at most end) where the two strings differ.
inline int CommonLength(const std::uint8_t* a, const std::uint8_t* b, int m, int end) {
    while (m + 8 <= end) {
        std::uint64_t x, y;
        std::memcpy(&x, a + m, 8);
        std::memcpy(&y, b + m, 8);
        if (x != y) return m + std::countr_zero(x ^ y) / 8;
        m += 8;
    }
    while (m < end && a[m] == b[m]) ++m;
    return m;
}

}  // namespace

Dictionary::Dictionary(const std::uint8_t* text) : text_(text) {
    Clear();
}

void Dictionary::Clear() {
    for (auto& node : nodes_) node = Node{kNil, 0, 0, 0, 0, 0, {0, 0}, {kNil, kNil}};
    for (auto& r : replacedBy_) r = -1;
    for (int i = 0; i < 256; ++i) nodes_[kRootBase + i].depth = 1;
    for (auto& e : table_) e = kNil;
    for (auto& c : rootChildren_) c = kNil;
    poolSize_ = 0;
    for (int i = kDicSize - 1; i >= 0; --i) pool_[poolSize_++] = kInternalBase + i;
    base_ = 0;
    here_ = 0;
}

void Dictionary::CopyFrom(const Dictionary& other) {
    base_ = other.base_;
    here_ = other.here_;
    std::memcpy(nodes_, other.nodes_, sizeof nodes_);
    std::memcpy(rootChildren_, other.rootChildren_, sizeof rootChildren_);
    std::memcpy(replacedBy_, other.replacedBy_, sizeof replacedBy_);
    std::memcpy(table_, other.table_, sizeof table_);
    std::memcpy(pool_, other.pool_, sizeof pool_);
    poolSize_ = other.poolSize_;
}

// The leaf that a search for the string at leaf's slot would start from, or kNil.
int Dictionary::ReplacementOf(int leaf) const {
    while (leaf >= 0 && nodes_[leaf].parent == kNil) leaf = replacedBy_[leaf];
    return leaf < 0 ? kNil : leaf;
}

// Every node above a leaf has two children or more, so walking up from all the leaves meets
// every node; a node is identified by the leaves below it and its depth. The walk pairs the
// nodes of the two trees and stops where it meets a pair already checked.
bool Dictionary::SameState(const Dictionary& other) const {
    std::vector<std::int16_t> mine(kNodeCount, kNil), theirs(kNodeCount, kNil);
    for (int leaf = 0; leaf < kDicSize; ++leaf) {
        int a = nodes_[leaf].parent;
        int b = other.nodes_[leaf].parent;
        if ((a == kNil) != (b == kNil)) return false;
        if (a == kNil) {
            if (ReplacementOf(leaf) != other.ReplacementOf(leaf)) return false;
            continue;
        }
        while (IsInternal(a) && IsInternal(b)) {
            if (mine[a] != kNil || theirs[b] != kNil) {
                if (mine[a] != b || theirs[b] != a) return false;
                break;
            }
            mine[a] = static_cast<std::int16_t>(b);
            theirs[b] = static_cast<std::int16_t>(a);
            const Node& x = nodes_[a];
            const Node& y = other.nodes_[b];
            if (x.depth != y.depth || x.recorded != y.recorded) return false;
            a = x.parent;
            b = y.parent;
        }
        if (IsInternal(a) != IsInternal(b)) return false;
        if (!IsInternal(a) && a != b) return false;  // different roots
    }
    return true;
}

inline int Dictionary::Child(int node, std::uint8_t c) const {
    if (!IsInternal(node)) return rootChildren_[(node - kRootBase) << 8 | c];
    const Node& n = nodes_[node];
    if (n.kidEdge[0] == c && n.kid[0] != kNil) return n.kid[0];
    if (n.kidEdge[1] == c && n.kid[1] != kNil) return n.kid[1];
    if (n.hashed == 0) return kNil;
    for (unsigned i = Home(Key(node, c));; i = (i + 1) & kHashMask) {
        const int k = table_[i];
        if (k == kNil || (nodes_[k].parent == node && nodes_[k].edge == c)) return k;
    }
}

inline void Dictionary::Link(int parent, std::uint8_t c, int child) {
    Node& n = nodes_[child];
    n.parent = static_cast<std::int16_t>(parent);
    n.edge = c;
    if (!IsInternal(parent)) {
        rootChildren_[(parent - kRootBase) << 8 | c] = static_cast<std::int16_t>(child);
        n.slot = kUnderRoot;
        return;
    }
    Node& p = nodes_[parent];
    for (int k = 0; k < 2; ++k) {
        if (p.kid[k] == kNil) {
            p.kid[k] = static_cast<std::int16_t>(child);
            p.kidEdge[k] = c;
            n.slot = static_cast<std::uint16_t>(kInline + k);
            return;
        }
    }
    p.hashed++;
    unsigned i = Home(Key(parent, c));
    while (table_[i] != kNil) i = (i + 1) & kHashMask;
    table_[i] = static_cast<std::int16_t>(child);
    n.slot = static_cast<std::uint16_t>(i);
}

// The place that holds the number of child under its parent.
inline std::int16_t& Dictionary::PlaceOf(int child) {
    const Node& n = nodes_[child];
    if (n.slot < kInline) return table_[n.slot];
    if (n.slot == kUnderRoot) return rootChildren_[(n.parent - kRootBase) << 8 | n.edge];
    return nodes_[n.parent].kid[n.slot - kInline];
}

// Linear probing: entries after the freed one that could not sit at their home entry move up.
inline void Dictionary::Unlink(int child) {
    Node& n = nodes_[child];
    const int parent = n.parent;
    n.parent = kNil;
    if (n.slot >= kInline) {
        if (n.slot == kUnderRoot) {
            rootChildren_[(parent - kRootBase) << 8 | n.edge] = kNil;
        } else {
            nodes_[parent].kid[n.slot - kInline] = kNil;
        }
        return;
    }
    nodes_[parent].hashed--;
    unsigned hole = n.slot;
    for (unsigned j = (hole + 1) & kHashMask; table_[j] != kNil; j = (j + 1) & kHashMask) {
        const Node& e = nodes_[table_[j]];
        const unsigned home = Home(Key(e.parent, e.edge));
        const bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
        if (stays) continue;
        table_[hole] = table_[j];
        nodes_[table_[hole]].slot = static_cast<std::uint16_t>(hole);
        hole = j;
    }
    table_[hole] = kNil;
}

// The replacement takes the old node's place under its parent, for the same byte.
inline void Dictionary::Replace(int old, int replacement) {
    PlaceOf(old) = static_cast<std::int16_t>(replacement);
    Node& n = nodes_[replacement];
    Node& o = nodes_[old];
    n.slot = o.slot;
    n.parent = o.parent;
    n.edge = o.edge;
    o.parent = kNil;
}

// The leaf standing for the string at position, or kNil when that string has left the window.
int Dictionary::LeafOf(std::int64_t position) const {
    int leaf = static_cast<int>(position & kDicMask);
    while (nodes_[leaf].parent == kNil) {
        leaf = replacedBy_[leaf];
        if (leaf < 0) return kNil;
    }
    return leaf;
}

// x takes r's place; r and the leaf at here hang under it in its own record.
inline void Dictionary::Split(int r, int depth, int candidate, int here) {
    assert(poolSize_ > 0);
    const int x = pool_[--poolSize_];
    Replace(r, x);
    const int leaf = here & kDicMask;
    Node& n = nodes_[x];
    n.depth = static_cast<std::uint8_t>(depth);
    n.hashed = 0;
    Record(x, here, 0);
    n.kid[0] = static_cast<std::int16_t>(r);
    n.kidEdge[0] = At(candidate)[depth];
    n.kid[1] = static_cast<std::int16_t>(leaf);
    n.kidEdge[1] = At(here)[depth];
    Node& a = nodes_[r];
    a.parent = static_cast<std::int16_t>(x);
    a.edge = n.kidEdge[0];
    a.slot = kInline;
    Node& b = nodes_[leaf];
    b.parent = static_cast<std::int16_t>(x);
    b.edge = n.kidEdge[1];
    b.slot = kInline + 1;
}

inline Match Dictionary::Insert(std::int64_t q, Match previous) {
    here_ = static_cast<int>(q - base_);
    const int here = here_;
    const int leaf = here & kDicMask;
    const std::uint8_t* s = At(here);
    // The string at q shares length - 1 bytes with the one after the previous candidate: the
    // search starts from that leaf instead of from the root. (That leaf could only be gone if
    // the candidate lay a whole window back, which the tree never offers; the root then serves.)
    int r = previous.length >= 4 ? LeafOf(previous.position + 1) : kNil;
    int m;
    if (r != kNil) {
        m = previous.length - 1;
        int n = nodes_[r].parent;
        while (nodes_[n].depth >= m) {
            r = n;
            n = nodes_[n].parent;
        }
        while (Marked(n)) {
            Record(n, here, 0);
            n = nodes_[n].parent;
        }
        if (IsInternal(n)) Record(n, here, kMark);
    } else {
        const int root = kRootBase + s[0];
        r = Child(root, s[1]);
        if (r == kNil) {
            Link(root, s[1], leaf);
            return {1, 0};
        }
        m = 2;
    }
    for (;;) {
        int edgeEnd;
        int candidate;
        if (IsLeaf(r)) {
            edgeEnd = kMaxMatch;
            candidate = Resolve(static_cast<unsigned>(r));
        } else {
            edgeEnd = nodes_[r].depth;
            candidate = Recorded(r);
        }
        m = CommonLength(s, At(candidate), m, edgeEnd);
        if (m < edgeEnd) {
            Split(r, m, candidate, here);
            return {m, q - (here - candidate)};
        }
        if (IsLeaf(r)) {
            // A 256-byte match: the new leaf stands for both strings from now on.
            Replace(r, leaf);
            replacedBy_[r] = static_cast<std::int16_t>(leaf);
            return {kMaxMatch, q - (here - candidate)};
        }
        Record(r, here, 0);
        const int child = Child(r, s[m]);
        if (child == kNil) {
            Link(r, s[m], leaf);
            return {m, q - (here - candidate)};
        }
        r = child;
        ++m;
    }
}

inline void Dictionary::Remove(std::int64_t x) {
    const int leaf = static_cast<int>(x & kDicMask);
    if (nodes_[leaf].parent == kNil) return;  // replaced by a newer leaf
    replacedBy_[leaf] = -1;
    const int r = nodes_[leaf].parent;
    Unlink(leaf);
    if (!IsInternal(r)) return;
    const Node& rn = nodes_[r];
    // It had two children or more. kNil is the only negative number in the places of its
    // record: with no child in the table it keeps two when both places are taken (the two
    // cannot be free), with one there when either is.
    if (rn.hashed == 0 ? (rn.kid[0] ^ rn.kid[1]) >= 0
                       : rn.hashed > 1 || (rn.kid[0] & rn.kid[1]) >= 0)
        return;
    here_ = static_cast<int>(x + kDicSize - base_);

    // r keeps one child and is about to go: carry its position up to the nodes that wait for it.
    int s = Recorded(r);
    int n = nodes_[r].parent;
    while (Marked(n)) {
        const int u = Recorded(n);
        if (u > s) s = u;
        Record(n, s, 0);
        n = nodes_[n].parent;
    }
    if (IsInternal(n)) {
        const int u = Recorded(n);
        if (u > s) s = u;
        Record(n, s, kMark);
    }
    const int last = Child(r, At(Recorded(r))[nodes_[r].depth]);
    assert(last != kNil);
    Unlink(last);
    Replace(r, last);
    pool_[poolSize_++] = r;
}

Match Dictionary::Steps(std::int64_t q, int count, Match previous, std::int64_t left,
                        Found* found) {
    for (int i = 0; i < count; ++i, --left) {
        if (q + i >= kDicSize) Remove(q + i - kDicSize);
        previous = Insert(q + i, previous);
        if (previous.length > left) previous.length = static_cast<int>(left);
        if (found != nullptr) {
            found[i] = Found{static_cast<std::uint16_t>(previous.length),
                             static_cast<std::uint16_t>(q + i - previous.position)};
        }
    }
    return previous;
}

}  // namespace pomix::lh5
