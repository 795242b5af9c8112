#include "huffman.h"

#include <algorithm>
#include <vector>

namespace pixrun {

namespace {

struct Node {
    uint64_t count;
    int left;
    int right;
    int symbol;
};

// Symbols with a non-zero count, ascending by (count, symbol).
std::vector<int> sortedSymbols(const SymbolCounts& counts)
{
    std::vector<int> symbols;
    for (int s = 0; s < kSymbolCount; ++s)
        if (counts[size_t(s)])
            symbols.push_back(s);
    std::stable_sort(symbols.begin(), symbols.end(),
                     [&](int a, int b) { return counts[size_t(a)] < counts[size_t(b)]; });
    return symbols;
}

} // namespace

CodeLengths buildCodeLengths(const SymbolCounts& counts)
{
    CodeLengths lengths{};
    std::vector<Node> nodes;
    std::vector<int> list;
    for (int s : sortedSymbols(counts)) {
        list.push_back(int(nodes.size()));
        nodes.push_back({counts[size_t(s)], -1, -1, s});
    }
    if (list.empty())
        return lengths;
    while (list.size() > 1) {
        const int first = list[0];
        const int second = list[1];
        list.erase(list.begin(), list.begin() + 2);
        const uint64_t sum = nodes[size_t(first)].count + nodes[size_t(second)].count;
        const auto at = std::find_if(list.begin(), list.end(),
                                     [&](int n) { return nodes[size_t(n)].count >= sum; });
        list.insert(at, int(nodes.size()));
        nodes.push_back({sum, first, second, -1});
    }
    std::vector<std::pair<int, int>> stack{{list[0], 1}};
    while (!stack.empty()) {
        const auto [index, depth] = stack.back();
        stack.pop_back();
        const Node& node = nodes[size_t(index)];
        if (node.symbol >= 0) {
            lengths[size_t(node.symbol)] = depth;
        } else {
            stack.push_back({node.left, depth + 1});
            stack.push_back({node.right, depth + 1});
        }
    }
    return lengths;
}

bool lengthsFitTable(const CodeLengths& lengths)
{
    int perLength[kMaxCodeLength + 1] = {};
    for (int len : lengths) {
        if (len > kMaxCodeLength)
            return false;
        if (len > 0 && ++perLength[len] > kMaxCodesPerLength)
            return false;
    }
    return true;
}

CodeLengths limitedCodeLengths(const SymbolCounts& counts)
{
    CodeLengths lengths{};
    const std::vector<int> symbols = sortedSymbols(counts);
    const size_t n = symbols.size();
    if (n == 0)
        return lengths;
    if (n == 1) {
        lengths[size_t(symbols[0])] = 1;
        return lengths;
    }

    // Package-merge with the deepest level first: an item is a leaf (leaf >= 0) or a
    // package of items first and first + 1 of the previous level.
    struct Item {
        uint64_t weight;
        int leaf;
        int first;
    };
    constexpr int kLimit = kMaxCodeLength - 1;
    std::vector<std::vector<Item>> levels(kLimit);
    for (int level = 0; level < kLimit; ++level) {
        std::vector<Item> packages;
        if (level > 0) {
            const std::vector<Item>& prev = levels[size_t(level - 1)];
            for (size_t i = 0; i + 1 < prev.size(); i += 2)
                packages.push_back({prev[i].weight + prev[i + 1].weight, -1, int(i)});
        }
        std::vector<Item>& cur = levels[size_t(level)];
        size_t li = 0, pi = 0;
        while (li < n || pi < packages.size()) {
            const bool takeLeaf = pi == packages.size()
                || (li < n && counts[size_t(symbols[li])] <= packages[pi].weight);
            if (takeLeaf) {
                cur.push_back({counts[size_t(symbols[li])], symbols[li], -1});
                ++li;
            } else {
                cur.push_back(packages[pi++]);
            }
        }
    }
    std::vector<std::pair<int, int>> stack; // (level, index)
    for (size_t i = 0; i < 2 * n - 2; ++i)
        stack.push_back({kLimit - 1, int(i)});
    while (!stack.empty()) {
        const auto [level, index] = stack.back();
        stack.pop_back();
        const Item& item = levels[size_t(level)][size_t(index)];
        if (item.leaf >= 0) {
            ++lengths[size_t(item.leaf)];
        } else {
            stack.push_back({level - 1, item.first});
            stack.push_back({level - 1, item.first + 1});
        }
    }
    for (int s : symbols)
        ++lengths[size_t(s)]; // the stream's extra bit per code

    // Push the cheapest codes of an overfull length one bit longer; the code only
    // gets sparser, so it stays a prefix code.
    for (int len = 1; len < kMaxCodeLength; ++len) {
        std::vector<int> atLength;
        for (int s : symbols) // ascending count: cheapest first
            if (lengths[size_t(s)] == len)
                atLength.push_back(s);
        for (size_t i = 0; atLength.size() > size_t(kMaxCodesPerLength) + i; ++i)
            lengths[size_t(atLength[i])] = len + 1;
    }
    if (!lengthsFitTable(lengths)) {
        // Only reachable with hundreds of symbols crowding length 16: a flat code fits
        // any alphabet of this size (255 codes of 9 bits, the rest of 10).
        for (size_t i = 0; i < n; ++i)
            lengths[size_t(symbols[n - 1 - i])] = i < size_t(kMaxCodesPerLength) ? 9 : 10;
    }
    return lengths;
}

CodeLengths streamCodeLengths(const SymbolCounts& counts)
{
    CodeLengths lengths = buildCodeLengths(counts);
    if (!lengthsFitTable(lengths))
        lengths = limitedCodeLengths(counts);
    return lengths;
}

CanonicalCode assignCanonicalCodes(const CodeLengths& lengths)
{
    CanonicalCode result;
    uint32_t code = 0;
    int prevLength = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        for (int s = 0; s < kSymbolCount; ++s) {
            if (lengths[size_t(s)] != len)
                continue;
            code <<= (len - prevLength);
            prevLength = len;
            result.code[size_t(s)] = uint16_t(code);
            result.length[size_t(s)] = uint8_t(len);
            ++code;
        }
    }
    return result;
}

} // namespace pixrun
