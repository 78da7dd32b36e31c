#include "zip/HuffmanTree.h"

#include <algorithm>
#include <array>

#include "zip/DeflateTables.h"

namespace qv::zip::deflate {
namespace {

constexpr int kMaxNodes = 2 * kLCodes + 1;

// The tree under construction: leaves are the symbols, internal nodes are
// numbered from `symbols` on. The heap orders by weight, then by depth, so
// that among equal weights the shallower subtree is merged first and the
// tree stays flat.
struct Builder {
    std::array<std::uint32_t, kMaxNodes> weight{};
    std::array<std::uint16_t, kMaxNodes> depth{};
    std::array<std::uint16_t, kMaxNodes> parent{};
    std::array<std::uint16_t, kMaxNodes> length{};
    std::array<int, kMaxNodes + 1> heap{};  // 1-based
    int heapLength = 0;
    // Nodes in the order they left the heap (lightest first), the root last.
    std::array<int, kMaxNodes> merged{};
    int mergedCount = 0;

    bool Lighter(int a, int b) const {
        return weight[a] < weight[b] || (weight[a] == weight[b] && depth[a] <= depth[b]);
    }

    void SiftDown(int k) {
        const int node = heap[k];
        for (int child = 2 * k; child <= heapLength; k = child, child *= 2) {
            if (child < heapLength && Lighter(heap[child + 1], heap[child])) ++child;
            if (Lighter(node, heap[child])) break;
            heap[k] = heap[child];
        }
        heap[k] = node;
    }

    int PopLightest() {
        const int node = heap[1];
        heap[1] = heap[heapLength--];
        SiftDown(1);
        return node;
    }
};

}  // namespace

int BuildCodeLengths(const std::uint32_t* freq, int symbols, int maxLength, std::uint8_t* lengths) {
    Builder b;
    int maxCode = -1;
    for (int n = 0; n < symbols; ++n) {
        lengths[n] = 0;
        if (freq[n] != 0) {
            b.heap[++b.heapLength] = n;
            b.weight[n] = freq[n];
            maxCode = n;
        }
    }
    while (b.heapLength < 2) {
        const int node = maxCode < 2 ? ++maxCode : 0;
        b.heap[++b.heapLength] = node;
        b.weight[node] = 1;
    }
    for (int k = b.heapLength / 2; k >= 1; --k) b.SiftDown(k);

    int next = symbols;
    while (b.heapLength >= 2) {
        const int first = b.PopLightest();
        const int second = b.heap[1];
        b.merged[b.mergedCount++] = first;
        b.merged[b.mergedCount++] = second;
        b.weight[next] = b.weight[first] + b.weight[second];
        b.depth[next] = static_cast<std::uint16_t>(std::max(b.depth[first], b.depth[second]) + 1);
        b.parent[first] = b.parent[second] = static_cast<std::uint16_t>(next);
        b.heap[1] = next++;
        b.SiftDown(1);
    }
    b.merged[b.mergedCount++] = b.heap[1];

    // Depths from the root down; nodes deeper than the limit are counted as
    // overflow and held at the limit for now.
    std::array<int, kMaxBits + 1> count{};
    int overflow = 0;
    b.length[b.merged[b.mergedCount - 1]] = 0;
    for (int i = b.mergedCount - 2; i >= 0; --i) {
        const int node = b.merged[i];
        int bits = b.length[b.parent[node]] + 1;
        if (bits > maxLength) {
            bits = maxLength;
            ++overflow;
        }
        b.length[node] = static_cast<std::uint16_t>(bits);
        if (node < symbols) ++count[bits];
    }
    if (overflow > 0) {
        // Each step moves a leaf from the deepest non-full level down one,
        // making room there for one overflowing leaf; two overflow nodes
        // (a leaf and its former parent) are resolved per step.
        do {
            int bits = maxLength - 1;
            while (count[bits] == 0) --bits;
            --count[bits];
            count[bits + 1] += 2;
            --count[maxLength];
            overflow -= 2;
        } while (overflow > 0);
        // Hand the lengths out again, longest to the lightest leaves.
        int i = 0;
        for (int bits = maxLength; bits != 0; --bits) {
            for (int n = count[bits]; n != 0;) {
                const int node = b.merged[i++];
                if (node >= symbols) continue;
                b.length[node] = static_cast<std::uint16_t>(bits);
                --n;
            }
        }
    }
    for (int i = 0; i < b.mergedCount; ++i)
        if (b.merged[i] < symbols) lengths[b.merged[i]] = static_cast<std::uint8_t>(b.length[b.merged[i]]);
    return maxCode;
}

}  // namespace qv::zip::deflate
