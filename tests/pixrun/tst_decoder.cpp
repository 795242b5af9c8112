// Decoder behaviour beyond the worked examples: every width, the sense of one-plane
// streams, and damaged or hostile input.
#include "rlecodec.h"
#include "streamformat.h"
#include "testimages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

using namespace pixrun;

namespace {

std::vector<uint8_t> encodeGreyImage(const img::CBitmap& image)
{
    std::vector<uint8_t> stream;
    EXPECT_TRUE(encodeGrey(stream, image));
    return stream;
}

} // namespace

class EveryWidth : public ::testing::TestWithParam<int> {};

TEST_P(EveryWidth, greyAndColourImagesComeBackForWidthsOffTheByteGrid)
{
    const int32_t width = GetParam();
    for (int32_t height : {1, 3, 7}) {
        const img::CBitmap grey = pixtest::greyImage(width, height, [](int32_t x, int32_t y) {
            return (x * 7 + y * 3) % 5 < 2;
        });
        const std::vector<uint8_t> stream = encodeGreyImage(grey);
        img::CBitmap decoded;
        ASSERT_TRUE(decodeStream(stream.data(), stream.size(), decoded));
        EXPECT_EQ(pixtest::greyClasses(decoded), pixtest::greyClasses(grey)) << width << "x" << height;

        const img::CBitmap colour = pixtest::colourImage(width, height, 24, [](int32_t x, int32_t y) {
            return (x + 2 * y) % 3;
        });
        std::vector<uint8_t> colourStream;
        ASSERT_TRUE(encodeColour(colourStream, colour));
        ASSERT_TRUE(decodeStream(colourStream.data(), colourStream.size(), decoded));
        EXPECT_EQ(pixtest::colourClasses(decoded), pixtest::colourClasses(colour)) << width << "x" << height;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, EveryWidth, ::testing::Range(1, 18));

TEST(Decoder, oneBitPlaneKeepsWhiteWhiteAndBlackBlack)
{
    const img::CBitmap image = pixtest::greyImage(16, 2, [](int32_t x, int32_t) { return x < 4; });
    const std::vector<uint8_t> stream = encodeGreyImage(image);
    img::CBitmap decoded;
    ASSERT_TRUE(decodeStream(stream.data(), stream.size(), decoded));
    ASSERT_EQ(decoded.bitsPerPixel(), 8);
    EXPECT_EQ(decoded.row(0)[0], 255);
    EXPECT_EQ(decoded.row(1)[3], 255);
    EXPECT_EQ(decoded.row(0)[4], 0);
    EXPECT_EQ(decoded.row(1)[15], 0);
}

TEST(Decoder, twoPlaneStreamPaintsBlackWhiteAndRed)
{
    const img::CBitmap image = pixtest::colourImage(8, 1, 24, [](int32_t x, int32_t) { return x % 3; });
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encodeColour(stream, image));
    img::CBitmap decoded;
    ASSERT_TRUE(decodeStream(stream.data(), stream.size(), decoded));
    const uint8_t* px = decoded.row(0);
    EXPECT_EQ(std::vector<uint8_t>(px, px + 9),
              (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0, 0, 255}));
}

TEST(Decoder, foreignOrAbsurdHeadersAreRefused)
{
    const img::CBitmap image = pixtest::noiseImage(32, 8, 3);
    const std::vector<uint8_t> good = encodeGreyImage(image);
    auto refused = [](std::vector<uint8_t> s, const char* why) {
        img::CBitmap out;
        EXPECT_FALSE(decodeStream(s.data(), s.size(), out)) << why;
        EXPECT_TRUE(out.isNull()) << why;
    };
    auto with = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> s = good;
        std::copy(bytes.begin(), bytes.end(), s.begin() + long(at));
        return s;
    };
    refused({}, "empty");
    refused(std::vector<uint8_t>(good.begin(), good.begin() + 19), "short header");
    refused(with(0, {3, 0}), "format tag");
    refused(with(4, {19, 0}), "data offset below the header");
    refused(with(4, {0xFF, 0xFF}), "data offset past the end");
    refused(with(4, {30, 0}), "table cut short");
    refused(with(6, {0xFF, 0xFF, 0xFF, 0xFF}), "65535 x 65535 pixels");
    refused(with(6, {0, 0}), "zero width");
    refused(with(10, {0}), "no planes");
    refused(with(10, {3}), "three planes");
    refused(with(20, {1}), "codes of length 0");
    refused(with(21, {3}), "three codes of length one");
}

TEST(Decoder, truncatedOrOverlongPlanesKeepWhatDecoded)
{
    const img::CBitmap image = pixtest::noiseImage(64, 64, 5);
    const std::vector<uint8_t> good = encodeGreyImage(image);
    const size_t planeStart = getU16(good.data() + 4);
    for (size_t cut : {planeStart, planeStart + 10, planeStart + 16, planeStart + 40, good.size() - 1}) {
        img::CBitmap out;
        StreamInfo info;
        ASSERT_TRUE(decodeStream(good.data(), cut, out, &info)) << cut;
        EXPECT_EQ(out.width(), 64);
        if (!info.planes.empty()) {
            EXPECT_FALSE(info.planes[0].ended);
        }
    }
    std::vector<uint8_t> huge = good;
    putU32(huge.data() + planeStart + 12, 0xFFFFFFFFu); // bitLength beyond the data
    putU16(huge.data() + planeStart + 2, 0xFFFF);         // header size beyond the data
    img::CBitmap out;
    EXPECT_TRUE(decodeStream(huge.data(), huge.size(), out));
}

TEST(Decoder, runsNeverWritePastTheImage)
{
    // A 8 x 2 image whose stream claims one literal then 65536 copies.
    std::vector<uint8_t> stream = {2, 0, 1, 1, 0, 0, 8, 0, 2, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    // lengths: 0xAA, 256 and 284 at length 2
    std::vector<uint8_t> table(17, 0);
    table[2] = 3;
    for (uint8_t b : {0xAA, 0x81, 0x80, 0x82, 0x9C, 0x82})
        table.push_back(b);
    stream.insert(stream.end(), table.begin(), table.end());
    putU16(stream.data() + 4, uint32_t(stream.size()));
    // codes: 0xAA=00, 256=01, 284=10; bits: 00 10+1111111111111 10+1111111111111 01
    const std::vector<uint8_t> bits = {0x2F, 0xFF, 0xDF, 0xFF, 0x40};
    std::vector<uint8_t> plane(16, 0);
    plane[2] = 16;
    plane[8] = 8;
    plane[10] = 2;
    putU32(plane.data() + 12, uint32_t(bits.size()));
    stream.insert(stream.end(), plane.begin(), plane.end());
    stream.insert(stream.end(), bits.begin(), bits.end());
    img::CBitmap out;
    StreamInfo info;
    ASSERT_TRUE(decodeStream(stream.data(), stream.size(), out, &info));
    EXPECT_TRUE(info.planes.at(0).ended);
    EXPECT_EQ(info.planes[0].runCodes, 2u);
    EXPECT_EQ(out.row(1)[7], 0);   // 0xAA: the last pixel of the last byte is clear: black
    EXPECT_EQ(out.row(1)[6], 255);
}

TEST(Decoder, mutatedStreamsNeverCrash)
{
    const img::CBitmap grey = pixtest::noiseImage(40, 30, 9);
    const img::CBitmap colour = pixtest::colourImage(21, 13, 24, [](int32_t x, int32_t y) {
        return (x * y) % 3;
    });
    std::vector<uint8_t> seeds[2];
    ASSERT_TRUE(encodeGrey(seeds[0], grey));
    ASSERT_TRUE(encodeColour(seeds[1], colour));
    std::mt19937 random(1234);
    DecodeLimits limits;
    limits.maxPixels = 1 << 20;
    int decoded = 0;
    for (int i = 0; i < 4000; ++i) {
        std::vector<uint8_t> s = seeds[i % 2];
        const int edits = 1 + int(random() % 8);
        for (int e = 0; e < edits; ++e)
            s[random() % s.size()] = uint8_t(random());
        if (random() % 4 == 0)
            s.resize(random() % s.size());
        img::CBitmap out;
        if (decodeStream(s.data(), s.size(), out, nullptr, limits)) {
            ++decoded;
            EXPECT_FALSE(out.isNull());
        }
    }
    EXPECT_GT(decoded, 100);
}

namespace {

img::CBitmap mirrored(const img::CBitmap& image)
{
    img::CBitmap out;
    out.create(image.width(), image.height(), image.bitsPerPixel());
    for (int32_t y = 0; y < image.height(); ++y)
        std::memcpy(out.row(y), image.row(image.height() - 1 - y), image.stride());
    return out;
}

} // namespace

TEST(Decoder, lastRowFirstCodesAndDecodesTheMirroredImage)
{
    const auto pattern = [](int32_t x, int32_t y) { return (x * 5 + y * y) % 3; };
    for (int32_t width : {8, 13}) {
        const img::CBitmap images[] = {
            pixtest::greyImage(width, 5, [&](int32_t x, int32_t y) { return pattern(x, y) == 0; }),
            pixtest::colourImage(width, 5, 24, pattern), pixtest::colourImage(width, 5, 32, pattern)};
        for (const img::CBitmap& image : images) {
            SCOPED_TRACE(std::to_string(width) + " px, " + std::to_string(image.bitsPerPixel()) + " bit");
            const bool grey = image.bitsPerPixel() == 8;
            std::vector<uint8_t> lastFirst, ofMirror;
            ASSERT_TRUE(grey ? encodeGrey(lastFirst, image, StreamRows::LastRowFirst)
                             : encodeColour(lastFirst, image, StreamRows::LastRowFirst));
            ASSERT_TRUE(grey ? encodeGrey(ofMirror, mirrored(image)) : encodeColour(ofMirror, mirrored(image)));
            EXPECT_EQ(lastFirst, ofMirror);

            img::CBitmap firstRowFirst, lastRowFirst;
            ASSERT_TRUE(decodeStream(lastFirst.data(), lastFirst.size(), firstRowFirst));
            ASSERT_TRUE(decodeStream(lastFirst.data(), lastFirst.size(), lastRowFirst, nullptr, {},
                                     StreamRows::LastRowFirst));
            EXPECT_TRUE(pixtest::samePixels(lastRowFirst, mirrored(firstRowFirst)));
        }
    }
}
