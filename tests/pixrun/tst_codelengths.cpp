// Code construction: the stream's own lengths, and the limit for counts whose
// construction the table cannot hold.
#include "huffman.h"
#include "planes.h"
#include "rlecodec.h"
#include "testimages.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pixrun;

namespace {

int maxLength(const CodeLengths& lengths) { return *std::max_element(lengths.begin(), lengths.end()); }

double kraft(const CodeLengths& lengths)
{
    double sum = 0;
    for (int len : lengths)
        if (len)
            sum += 1.0 / double(uint64_t(1) << len);
    return sum;
}

// Grey image of width 8 whose packed plane is exactly `bytes`.
img::CBitmap imageOfBytes(const std::vector<uint8_t>& bytes)
{
    return pixtest::greyImage(8, int32_t(bytes.size()), [&](int32_t x, int32_t y) {
        return (bytes[size_t(y)] >> (7 - x)) & 1;
    });
}

// 20 literal values with Fibonacci counts, never two equal bytes in a row.
std::vector<uint8_t> fibonacciBytes()
{
    std::vector<uint64_t> remaining;
    uint64_t a = 1, b = 1;
    for (int i = 0; i < 20; ++i) {
        remaining.push_back(a);
        const uint64_t next = a + b;
        a = b;
        b = next;
    }
    std::vector<uint8_t> bytes;
    int previous = -1;
    for (;;) {
        int pick = -1;
        for (int s = 0; s < 20; ++s)
            if (s != previous && remaining[size_t(s)] && (pick < 0 || remaining[size_t(s)] > remaining[size_t(pick)]))
                pick = s;
        if (pick < 0)
            break;
        --remaining[size_t(pick)];
        bytes.push_back(uint8_t(pick * 11 + 3));
        previous = pick;
    }
    return bytes;
}

// 255 distinct bytes once each between runs of three zero bytes: 256 symbols of
// count 1 (with the end symbol) beside two frequent ones.
std::vector<uint8_t> crowdedBytes()
{
    std::vector<uint8_t> bytes{0, 0, 0};
    for (int v = 1; v < 256; ++v) {
        bytes.push_back(uint8_t(v));
        bytes.insert(bytes.end(), 3, 0);
    }
    return bytes;
}

SymbolCounts countsOf(const std::vector<uint8_t>& bytes)
{
    std::vector<uint32_t> symbols;
    runLengthCode(bytes.data(), bytes.size(), symbols);
    SymbolCounts counts{};
    for (uint32_t s : symbols)
        ++counts[symbolOf(s)];
    return counts;
}

} // namespace

TEST(CodeLengths, everyCodeIsOneBitLongerThanAMinimalCode)
{
    SymbolCounts counts{};
    counts[10] = 5;
    counts[20] = 3;
    counts[256] = 1;
    counts[257] = 1;
    const CodeLengths lengths = buildCodeLengths(counts);
    // Minimal code: 10 -> 1, 20 -> 2, 256 and 257 -> 3.
    EXPECT_EQ(lengths[10], 2);
    EXPECT_EQ(lengths[20], 3);
    EXPECT_EQ(lengths[256], 4);
    EXPECT_EQ(lengths[257], 4);
    EXPECT_DOUBLE_EQ(kraft(lengths), 0.5);
}

TEST(CodeLengths, loneSymbolGetsLengthOne)
{
    SymbolCounts counts{};
    counts[256] = 1;
    EXPECT_EQ(buildCodeLengths(counts)[256], 1);
}

TEST(CodeLengths, parentGoesInFrontOfEqualCounts)
{
    // a(1) b(1) merge to 2, placed before c(2): then 2+c -> 4, before d(4).
    SymbolCounts counts{};
    counts[0] = 1;
    counts[1] = 1;
    counts[2] = 2;
    counts[3] = 4;
    const CodeLengths lengths = buildCodeLengths(counts);
    EXPECT_EQ(lengths[0], 4);
    EXPECT_EQ(lengths[1], 4);
    EXPECT_EQ(lengths[2], 3);
    EXPECT_EQ(lengths[3], 2);
}

TEST(CodeLengths, canonicalCodesFollowLengthThenSymbolOrder)
{
    CodeLengths lengths{};
    lengths[5] = 2;
    lengths[1] = 2;
    lengths[300 - 100] = 3;
    lengths[7] = 5;
    const CanonicalCode code = assignCanonicalCodes(lengths);
    EXPECT_EQ(code.code[1], 0b00);
    EXPECT_EQ(code.code[5], 0b01);
    EXPECT_EQ(code.code[200], 0b100);
    EXPECT_EQ(code.code[7], 0b10100);
}

struct Distribution {
    const char* name;
    std::vector<uint8_t> (*bytes)();
};

void PrintTo(const Distribution& d, std::ostream* os) { *os << d.name; }

class OverlongCodes : public ::testing::TestWithParam<Distribution> {};

TEST_P(OverlongCodes, limitedLengthsFitTheTableAndStillRoundTrip)
{
    const std::vector<uint8_t> bytes = GetParam().bytes();
    const SymbolCounts counts = countsOf(bytes);
    ASSERT_FALSE(lengthsFitTable(buildCodeLengths(counts))) << "distribution must trigger the limit";

    const CodeLengths limited = streamCodeLengths(counts);
    EXPECT_TRUE(lengthsFitTable(limited));
    EXPECT_LE(maxLength(limited), kMaxCodeLength);
    EXPECT_LE(kraft(limited), 1.0);
    for (int s = 0; s < kSymbolCount; ++s)
        EXPECT_EQ(limited[size_t(s)] > 0, counts[size_t(s)] > 0) << s;

    const img::CBitmap image = imageOfBytes(bytes);
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encodeGrey(stream, image));
    img::CBitmap decoded;
    StreamInfo info;
    ASSERT_TRUE(decodeStream(stream.data(), stream.size(), decoded, &info));
    EXPECT_LE(info.maxCodeLength, kMaxCodeLength);
    EXPECT_TRUE(info.planes.at(0).ended);
    EXPECT_EQ(pixtest::greyClasses(decoded), pixtest::greyClasses(image));
}

INSTANTIATE_TEST_SUITE_P(Distributions, OverlongCodes,
                         ::testing::Values(Distribution{"fibonacci", fibonacciBytes},
                                           Distribution{"crowded", crowdedBytes}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(CodeLengths, storableConstructionIsLeftUnchanged)
{
    const std::vector<uint8_t> bytes = {1, 2, 2, 3, 3, 3, 3, 4, 5, 1, 1, 9};
    const SymbolCounts counts = countsOf(bytes);
    EXPECT_EQ(streamCodeLengths(counts), buildCodeLengths(counts));
}
