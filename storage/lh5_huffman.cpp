#include "storage/lh5_huffman.h"

namespace pomix::lh5 {

int HuffmanBuilder::Build(int n, const std::uint32_t* counts, std::uint8_t* lengths,
                          std::uint16_t* codes) {
    n_ = n;
    heapSize_ = 0;
    leafCount_ = 0;
    heap_[1] = 0;
    for (int i = 0; i < n; ++i) {
        lengths[i] = 0;
        freq_[i] = counts[i];
        if (counts[i] != 0) heap_[++heapSize_] = i;
    }
    if (heapSize_ < 2) {
        const int only = heap_[1];
        codes[only] = 0;
        rootCount_ = counts[only];
        return only;
    }
    for (int i = heapSize_ / 2; i >= 1; --i) SiftDown(i);

    int next = n;
    int node = n;
    while (heapSize_ > 1) {
        const int a = heap_[1];
        if (a < n) leafOrder_[leafCount_++] = static_cast<std::uint16_t>(a);
        heap_[1] = heap_[heapSize_--];
        SiftDown(1);
        const int b = heap_[1];
        if (b < n) leafOrder_[leafCount_++] = static_cast<std::uint16_t>(b);
        node = next++;
        freq_[node] = freq_[a] + freq_[b];
        left_[node] = static_cast<std::uint16_t>(a);
        right_[node] = static_cast<std::uint16_t>(b);
        heap_[1] = node;
        SiftDown(1);
    }
    rootCount_ = freq_[node];
    MakeLengths(node, lengths);
    AssignCodes(n, lengths, codes);
    return node;
}

void HuffmanBuilder::SiftDown(int i) {
    const int k = heap_[i];
    for (int j = 2 * i; j <= heapSize_; j = 2 * i) {
        if (j < heapSize_ && freq_[heap_[j]] > freq_[heap_[j + 1]]) ++j;
        if (freq_[k] <= freq_[heap_[j]]) break;
        heap_[i] = heap_[j];
        i = j;
    }
    heap_[i] = k;
}

// Leaves deeper than the longest code are counted at it; the counts are then moved up until
// the code is complete again, and the rarest leaves (first out of the heap) get the longest codes.
void HuffmanBuilder::MakeLengths(int root, std::uint8_t* lengths) {
    std::uint32_t count[kMaxCodeBits + 1] = {};
    struct Pending {
        int node;
        int depth;
    };
    Pending stack[2 * kNC];
    int top = 0;
    stack[top++] = {root, 0};
    while (top > 0) {
        const Pending p = stack[--top];
        if (p.node < n_) {
            count[p.depth < kMaxCodeBits ? p.depth : kMaxCodeBits]++;
        } else {
            stack[top++] = {left_[p.node], p.depth + 1};
            stack[top++] = {right_[p.node], p.depth + 1};
        }
    }
    std::uint32_t total = 0;
    for (int l = kMaxCodeBits; l >= 1; --l) total += count[l] << (kMaxCodeBits - l);
    while (total != (1u << kMaxCodeBits)) {
        count[kMaxCodeBits]--;
        for (int l = kMaxCodeBits - 1; l >= 1; --l) {
            if (count[l] != 0) {
                count[l]--;
                count[l + 1] += 2;
                break;
            }
        }
        --total;
    }
    int next = 0;
    for (int l = kMaxCodeBits; l >= 1; --l) {
        for (std::uint32_t k = 0; k < count[l]; ++k) {
            lengths[leafOrder_[next++]] = static_cast<std::uint8_t>(l);
        }
    }
}

}  // namespace pomix::lh5
