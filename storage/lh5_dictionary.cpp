#include "storage/lh5_dictionary.h"

#include <cassert>

namespace pomix::lh5 {

Dictionary::Dictionary(const std::uint8_t* text) : text_(text) {
    for (int i = 0; i < kNodeCount; ++i) {
        parent_[i] = kNil;
        next_[i] = kNil;
        prev_[i] = kNil;
        edge_[i] = 0;
        depth_[i] = 0;
        children_[i] = 0;
        recorded_[i] = 0;
    }
    for (int i = 0; i < kDicSize; ++i) {
        inTree_[i] = false;
        replacedBy_[i] = 0;
    }
    for (int i = 0; i < 256; ++i) depth_[kRootBase + i] = 1;
    for (auto& b : bucket_) b = kNil;
    for (int i = kDicSize - 1; i >= 0; --i) pool_[poolSize_++] = kInternalBase + i;
}

int Dictionary::Child(int node, std::uint8_t c) const {
    for (int k = bucket_[Hash(node, c)]; k != kNil; k = next_[k]) {
        if (parent_[k] == node && edge_[k] == c) return k;
    }
    return kNil;
}

void Dictionary::Link(int parent, std::uint8_t c, int child) {
    const unsigned h = Hash(parent, c);
    const int head = bucket_[h];
    next_[child] = head;
    prev_[child] = -1 - static_cast<int>(h);
    if (head != kNil) prev_[head] = child;
    bucket_[h] = child;
    parent_[child] = parent;
    edge_[child] = c;
    children_[parent]++;
}

void Dictionary::Unlink(int child) {
    const int p = prev_[child], n = next_[child];
    if (p >= 0) {
        next_[p] = n;
    } else {
        bucket_[-1 - p] = n;
    }
    if (n != kNil) prev_[n] = p;
    children_[parent_[child]]--;
    parent_[child] = kNil;
}

// The replacement takes the old node's place in its parent and in the hash chain.
void Dictionary::Replace(int old, int replacement) {
    const int p = prev_[old], n = next_[old];
    if (p >= 0) {
        next_[p] = replacement;
    } else {
        bucket_[-1 - p] = replacement;
    }
    if (n != kNil) prev_[n] = replacement;
    prev_[replacement] = p;
    next_[replacement] = n;
    parent_[replacement] = parent_[old];
    edge_[replacement] = edge_[old];
    parent_[old] = kNil;
}

int Dictionary::LeafOf(std::int64_t position) const {
    int leaf = static_cast<int>(position & kDicMask);
    while (!inTree_[leaf]) {
        assert(replacedBy_[leaf] >= 0);
        leaf = static_cast<int>(replacedBy_[leaf] & kDicMask);
    }
    return leaf;
}

void Dictionary::Split(int r, int depth, std::int64_t candidate, std::int64_t q) {
    assert(poolSize_ > 0);
    const int x = pool_[--poolSize_];
    depth_[x] = static_cast<std::uint16_t>(depth);
    children_[x] = 0;
    Record(x, q, false);
    Replace(r, x);
    Link(x, At(candidate)[depth], r);
    const int leaf = static_cast<int>(q & kDicMask);
    Link(x, At(q)[depth], leaf);
    inTree_[leaf] = true;
}

Match Dictionary::Insert(std::int64_t q, Match previous) {
    current_ = q;
    const int leaf = static_cast<int>(q & kDicMask);
    const std::uint8_t* s = At(q);
    int r;
    int m;
    if (previous.length >= 4) {
        // The string at q shares length - 1 bytes with the one after the previous candidate:
        // start from that leaf instead of from the root.
        m = previous.length - 1;
        r = LeafOf(previous.position + 1);
        int n = parent_[r];
        while (depth_[n] >= m) {
            r = n;
            n = parent_[n];
        }
        while (Marked(n)) {
            Record(n, q, false);
            n = parent_[n];
        }
        if (IsInternal(n)) Record(n, q, true);
    } else {
        const int root = kRootBase + s[0];
        r = Child(root, s[1]);
        if (r == kNil) {
            Link(root, s[1], leaf);
            inTree_[leaf] = true;
            return {1, 0};
        }
        m = 2;
    }
    for (;;) {
        int edgeEnd;
        std::int64_t candidate;
        if (IsLeaf(r)) {
            edgeEnd = kMaxMatch;
            candidate = Resolve(static_cast<unsigned>(r));
        } else {
            edgeEnd = depth_[r];
            candidate = Recorded(r);
        }
        const std::uint8_t* t = At(candidate);
        while (m < edgeEnd && s[m] == t[m]) ++m;
        if (m < edgeEnd) {
            Split(r, m, candidate, q);
            return {m, candidate};
        }
        if (IsLeaf(r)) {
            // A 256-byte match: the new leaf stands for both strings from now on.
            Replace(r, leaf);
            inTree_[r] = false;
            inTree_[leaf] = true;
            replacedBy_[r] = q;
            return {kMaxMatch, candidate};
        }
        Record(r, q, false);
        const int child = Child(r, s[m]);
        if (child == kNil) {
            Link(r, s[m], leaf);
            inTree_[leaf] = true;
            return {m, candidate};
        }
        r = child;
        ++m;
    }
}

void Dictionary::Remove(std::int64_t x) {
    current_ = x + kDicSize;
    const int leaf = static_cast<int>(x & kDicMask);
    if (!inTree_[leaf]) return;
    inTree_[leaf] = false;
    replacedBy_[leaf] = -1;
    const int r = parent_[leaf];
    Unlink(leaf);
    if (!IsInternal(r) || children_[r] >= 2) return;

    // r keeps one child and is about to go: carry its position up to the nodes that wait for it.
    std::int64_t s = Recorded(r);
    int n = parent_[r];
    while (Marked(n)) {
        const std::int64_t u = Recorded(n);
        if (u > s) s = u;
        Record(n, s, false);
        n = parent_[n];
    }
    if (IsInternal(n)) {
        const std::int64_t u = Recorded(n);
        if (u > s) s = u;
        Record(n, s, true);
    }
    const int last = Child(r, At(Recorded(r))[depth_[r]]);
    assert(last != kNil);
    Unlink(last);
    Replace(r, last);
    pool_[poolSize_++] = r;
}

}  // namespace pomix::lh5
