#pragma once
// Code construction of the stream: code lengths from symbol counts and the canonical
// codes that both encoder and decoder derive from lengths alone.

#include "streamformat.h"

#include <array>
#include <cstdint>

namespace pixrun {

using SymbolCounts = std::array<uint64_t, kSymbolCount>;
using CodeLengths = std::array<int, kSymbolCount>; // 0: symbol not coded

// The stream's own construction: Huffman tree built from a count-sorted list (parents
// in front of equal counts), depths counted from a root of depth 1, so every code is
// one bit longer than a minimal code; a lone symbol gets length 1.
CodeLengths buildCodeLengths(const SymbolCounts& counts);

// True when the lengths can be stored: none above 16 and at most 255 per length.
bool lengthsFitTable(const CodeLengths& lengths);

// Lengths that always fit the table, for the rare counts where buildCodeLengths does
// not: an optimal code limited to 15 bits plus the usual extra bit, then overfull
// lengths pushed one bit longer (cheapest symbols first).
CodeLengths limitedCodeLengths(const SymbolCounts& counts);

// buildCodeLengths, replaced by limitedCodeLengths only when its result cannot be stored.
CodeLengths streamCodeLengths(const SymbolCounts& counts);

struct CanonicalCode {
    std::array<uint16_t, kSymbolCount> code{};
    std::array<uint8_t, kSymbolCount> length{};
};

// Codes in (length, symbol) order: start at 0, shift left whenever the length grows,
// add one after each code.
CanonicalCode assignCanonicalCodes(const CodeLengths& lengths);

} // namespace pixrun
