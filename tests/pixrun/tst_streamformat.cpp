// The stream byte for byte: the worked examples of the format.
#include "planes.h"
#include "rlecodec.h"
#include "streamformat.h"
#include "testimages.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace pixrun;

namespace {

uint32_t piece(uint16_t code, uint16_t extra) { return uint32_t(code) | (uint32_t(extra) << 16); }

std::vector<uint32_t> symbolsOfRun(size_t length, uint8_t value = 0x5A)
{
    std::vector<uint8_t> bytes(length, value);
    std::vector<uint32_t> out;
    runLengthCode(bytes.data(), bytes.size(), out);
    return out;
}

} // namespace

TEST(StreamFormat, allWhiteSixteenByOneGreyImageGivesTheWholeKnownStream)
{
    const img::CBitmap image = pixtest::greyImage(16, 1, [](int32_t, int32_t) { return true; });
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encodeGrey(stream, image));
    const std::vector<uint8_t> expected = {
        0x02, 0x00, 0x01, 0x01, 41, 0x00, 16, 0x00, 1, 0x00, 0x01, 0x02, 16, 0, 0, 0, 58, 0, 0, 0,
        // code table: counts of lengths 0..16, then symbols 255 and 256
        0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x81, 0x80, 0x82,
        // plane header and bit stream 00 00 01 padded
        0x00, 0x00, 16, 0x00, 0, 0, 0, 0, 16, 0x00, 1, 0x00, 1, 0, 0, 0, 0x04};
    EXPECT_EQ(stream, expected);
}

struct RunCase {
    size_t length;
    std::vector<uint32_t> pieces; // after the literal, before the end symbol
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << "run of " << c.length; }

class RunLengths : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunLengths, runBecomesLiteralFollowedByItsLengthPieces)
{
    const RunCase& c = GetParam();
    std::vector<uint32_t> expected{0x5A};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    expected.push_back(kEndOfPlane);
    EXPECT_EQ(symbolsOfRun(c.length), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, RunLengths,
    ::testing::Values(RunCase{1, {}}, RunCase{2, {0x5A}}, RunCase{3, {piece(257, 0)}},
                      RunCase{4, {piece(258, 0)}}, RunCase{6, {piece(259, 1)}},
                      RunCase{1281, {piece(275, 256)}},
                      RunCase{32768, {piece(284, 8191)}},
                      RunCase{32769, {piece(284, 8189), piece(257, 0)}},
                      RunCase{32770, {piece(284, 8190), piece(257, 0)}},
                      RunCase{32771, {piece(284, 8191), piece(257, 0)}},
                      RunCase{65536, {piece(284, 8191), piece(284, 8191)}}));

TEST(StreamFormat, runsLongerThanOneCodeDecodeToTheirFullLength)
{
    // 1281 rows of white bytes, then the long runs; extra value 256 must not end a plane.
    for (int32_t rows : {1281, 32769, 65533}) {
        const img::CBitmap image = pixtest::greyImage(8, rows + 2, [rows](int32_t x, int32_t y) {
            return y < rows || (y == rows && x == 3);
        });
        std::vector<uint8_t> stream;
        ASSERT_TRUE(encodeGrey(stream, image));
        img::CBitmap decoded;
        StreamInfo info;
        ASSERT_TRUE(decodeStream(stream.data(), stream.size(), decoded, &info));
        EXPECT_TRUE(info.planes.at(0).ended);
        EXPECT_EQ(pixtest::greyClasses(decoded), pixtest::greyClasses(image)) << rows;
    }
}

TEST(StreamFormat, colourPixelsSetTheirBitsInBlackAndRedPlanes)
{
    // white, black, red, blue (R - G/2 - B/2 wraps to 129), grey 100, then three white
    const uint8_t bgr[8][3] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 255}, {255, 0, 0},
                               {100, 100, 100}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}};
    img::CBitmap image;
    ASSERT_TRUE(image.create(8, 1, 24));
    for (int x = 0; x < 8; ++x)
        std::memcpy(image.row(0) + x * 3, bgr[x], 3);
    uint8_t black = 0, red = 0;
    packColourPlanes(image, &black, &red);
    EXPECT_EQ(black, 0b01011000);
    EXPECT_EQ(red, 0b00110000);
}

TEST(StreamFormat, partialLastByteKeepsItsBitsInTheLowOrderPositions)
{
    // 3 x 3 = 9 bits: one full byte, then the ninth bit alone in bit 0.
    const img::CBitmap image = pixtest::greyImage(3, 3, [](int32_t x, int32_t y) {
        return (x + y) % 2 == 0;
    });
    uint8_t packed[2] = {};
    packGreyPlane(image, packed);
    EXPECT_EQ(packed[0], 0b10101010);
    EXPECT_EQ(packed[1], 0b1);
}

TEST(StreamFormat, tableSymbolsReadTheSameWithTheSecondByteTopBitClear)
{
    const img::CBitmap image = pixtest::greyImage(16, 1, [](int32_t x, int32_t) { return x < 8; });
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encodeGrey(stream, image));
    std::vector<uint8_t> cleared = stream;
    int changed = 0;
    for (size_t i = 20 + 17; i < getU16(stream.data() + 4); ++i) {
        if (stream[i] & 0x80) {
            cleared[i + 1] &= 0x7F; // the second byte of a two-byte symbol
            ++i;
            ++changed;
        }
    }
    ASSERT_GT(changed, 0);
    img::CBitmap a, b;
    ASSERT_TRUE(decodeStream(stream.data(), stream.size(), a));
    ASSERT_TRUE(decodeStream(cleared.data(), cleared.size(), b));
    EXPECT_EQ(pixtest::greyClasses(a), pixtest::greyClasses(b));
    EXPECT_EQ(pixtest::greyClasses(a), pixtest::greyClasses(image));
}

TEST(StreamFormat, colourStreamHasBlackThenRedPlaneAndTotalSizeOfTheStream)
{
    const img::CBitmap image = pixtest::colourImage(24, 5, 32, [](int32_t x, int32_t y) {
        return (x / 3 + y) % 3;
    });
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encodeColour(stream, image));
    EXPECT_EQ(stream[10], 2);
    EXPECT_EQ(stream[11], 2);
    EXPECT_EQ(getU32(stream.data() + 12), 24u * 4 * 5); // rawSize from the 32-bit rows
    EXPECT_EQ(getU32(stream.data() + 16), stream.size());
    StreamInfo info;
    img::CBitmap decoded;
    ASSERT_TRUE(decodeStream(stream.data(), stream.size(), decoded, &info));
    ASSERT_EQ(info.planes.size(), 2u);
    EXPECT_EQ(info.planes[0].type, kPlaneBlack);
    EXPECT_EQ(info.planes[1].type, kPlaneRed);
    EXPECT_EQ(decoded.bitsPerPixel(), 24);
    EXPECT_EQ(pixtest::colourClasses(decoded), pixtest::colourClasses(image));
}

TEST(StreamFormat, encodersRefuseUnsuitableImages)
{
    std::vector<uint8_t> stream;
    img::CBitmap empty, grey, wide;
    EXPECT_FALSE(encodeGrey(stream, empty));
    EXPECT_FALSE(encodeColour(stream, empty));
    ASSERT_TRUE(grey.create(4, 4, 8));
    EXPECT_FALSE(encodeColour(stream, grey));
    ASSERT_TRUE(wide.create(70000, 1, 8)); // the header holds 16-bit sizes
    EXPECT_FALSE(encodeGrey(stream, wide));
    EXPECT_TRUE(stream.empty());
}
