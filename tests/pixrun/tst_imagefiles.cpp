// Image file readers and writers: pixel formats chosen per source, and BMP parsing of
// hostile headers.
#include "imagefile.h"
#include "streamformat.h"
#include "testimages.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstring>

using namespace img;

namespace {

std::vector<uint8_t> save(const CBitmap& image, FileFormat format)
{
    std::vector<uint8_t> out;
    CEncoder encoder;
    EXPECT_TRUE(encoder.save(image, format, out)) << encoder.error();
    return out;
}

CBitmap load(const std::vector<uint8_t>& data)
{
    CBitmap image;
    CDecoder decoder;
    EXPECT_TRUE(decoder.load(data.data(), data.size(), image)) << decoder.error();
    return image;
}

// Paletted PNG written by libpng from a colour map (RGB entries).
std::vector<uint8_t> palettePng(const std::vector<uint8_t>& rgbMap, bool withAlpha)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = 4;
    png.height = 2;
    png.format = withAlpha ? PNG_FORMAT_RGBA_COLORMAP : PNG_FORMAT_RGB_COLORMAP;
    png.colormap_entries = png_uint_32(rgbMap.size() / (withAlpha ? 4 : 3));
    const uint8_t indices[8] = {0, 1, 0, 1, 1, 0, 1, 0};
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&png, nullptr, &size, 0, indices, 4, rgbMap.data());
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&png, out.data(), &size, 0, indices, 4, rgbMap.data()));
    out.resize(size);
    return out;
}

struct FormatCase {
    FileFormat format;
    const char* name;
    bool lossy;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class EveryFormat : public ::testing::TestWithParam<FormatCase> {};

} // namespace

TEST_P(EveryFormat, greyAndColourImagesKeepDepthAndPixels)
{
    const FormatCase& c = GetParam();
    const CBitmap grey = pixtest::greyImage(48, 32, [](int32_t x, int32_t y) { return (x / 8 + y / 8) % 2; });
    const CBitmap back = load(save(grey, c.format));
    EXPECT_EQ(back.bitsPerPixel(), 8);
    EXPECT_EQ(pixtest::greyClasses(back), pixtest::greyClasses(grey));

    const CBitmap colour = pixtest::colourImage(48, 32, 24, [](int32_t x, int32_t y) {
        return (x / 16 + y / 16) % 3;
    });
    const CBitmap colourBack = load(save(colour, c.format));
    EXPECT_EQ(colourBack.bitsPerPixel(), 24);
    EXPECT_EQ(pixtest::nearestClasses(colourBack), pixtest::nearestClasses(colour));
    if (!c.lossy) {
        EXPECT_EQ(std::memcmp(colourBack.bits(), colour.bits(), colour.stride() * 32), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat,
                         ::testing::Values(FormatCase{FileFormat::Bmp, "bmp", false},
                                           FormatCase{FileFormat::Png, "png", false},
                                           FormatCase{FileFormat::Tiff, "tiff", false},
                                           FormatCase{FileFormat::Jpeg, "jpeg", true},
                                           FormatCase{FileFormat::JpegXr, "jxr", true}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ImageFiles, alphaGivesBgraWhereTheFormatKeepsIt)
{
    const CBitmap image = pixtest::colourImage(8, 8, 32, [](int32_t x, int32_t) { return x % 3; });
    for (FileFormat format : {FileFormat::Bmp, FileFormat::Png, FileFormat::Tiff, FileFormat::JpegXr}) {
        const CBitmap back = load(save(image, format));
        EXPECT_EQ(back.bitsPerPixel(), 32) << int(format);
        if (format == FileFormat::JpegXr)
            EXPECT_EQ(pixtest::nearestClasses(back), pixtest::nearestClasses(image));
        else
            EXPECT_EQ(std::memcmp(back.bits(), image.bits(), image.stride() * 8), 0) << int(format);
    }
}

TEST(ImageFiles, palettesOfGreysGiveGreyAndOtherPalettesColour)
{
    EXPECT_EQ(load(palettePng({0, 0, 0, 200, 200, 200}, false)).bitsPerPixel(), 8);
    EXPECT_EQ(load(palettePng({255, 0, 0, 255, 255, 255}, false)).bitsPerPixel(), 24);
    EXPECT_EQ(load(palettePng({0, 0, 0, 255, 9, 9, 9, 128}, true)).bitsPerPixel(), 32);
}

TEST(ImageFiles, formatNamesIgnoreCase)
{
    EXPECT_EQ(formatFromName("jpeg"), FileFormat::Jpeg);
    EXPECT_EQ(formatFromName("Tif"), FileFormat::Tiff);
    EXPECT_EQ(formatFromName("WDP"), FileFormat::JpegXr);
    EXPECT_EQ(formatFromName("gif"), FileFormat::Unknown);
    EXPECT_EQ(formatFromPath("/a.b/photo.PNG"), FileFormat::Png);
    EXPECT_EQ(formatFromPath("/a.png/photo"), FileFormat::Unknown);
}

TEST(ImageFiles, jpegIsWrittenWithQuality95)
{
    const CBitmap grey = pixtest::noiseImage(16, 16, 1);
    const std::vector<uint8_t> jpeg = save(grey, FileFormat::Jpeg);
    // The first quantisation table: quality 95 scales the standard one to 10%.
    EXPECT_EQ(pixtest::firstJpegQuantiserMax(jpeg), 12); // 121 * 10%, rounded
}

TEST(BmpReader, eightBitBmpIsWrittenWithTheGreyPalette)
{
    const CBitmap grey = pixtest::greyImage(5, 3, [](int32_t x, int32_t) { return x == 2; });
    const std::vector<uint8_t> bmp = save(grey, FileFormat::Bmp);
    ASSERT_EQ(bmp.size(), 14 + 40 + 1024 + 8 * 3);
    EXPECT_EQ(pixrun::getU32(bmp.data() + 10), 1078u);
    for (int i : {0, 1, 127, 255})
        EXPECT_EQ(pixrun::getU32(bmp.data() + 54 + i * 4), uint32_t(i * 0x010101)) << i;
}

TEST(BmpReader, hostileHeadersAreRefusedWithoutReadingPastTheFile)
{
    const CBitmap image = pixtest::colourImage(7, 5, 24, [](int32_t x, int32_t) { return x % 3; });
    const std::vector<uint8_t> good = save(image, FileFormat::Bmp);
    auto refused = [](std::vector<uint8_t> bytes, const char* why) {
        CBitmap out;
        std::string error;
        EXPECT_FALSE(readBmp(bytes.data(), bytes.size(), out, error)) << why;
        EXPECT_FALSE(error.empty()) << why;
        EXPECT_TRUE(out.isNull()) << why;
    };
    auto patched = [&](size_t at, uint32_t value, int bytes = 4) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < bytes; ++i)
            b[at + size_t(i)] = uint8_t(value >> (8 * i));
        return b;
    };
    refused(std::vector<uint8_t>(good.begin(), good.begin() + 30), "truncated header");
    refused(std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated pixels");
    refused(patched(10, 0xFFFFFFF0u), "pixel offset past the end");
    refused(patched(14, 41), "unknown header size");
    refused(patched(18, 0x7FFFFFFF), "absurd width");
    refused(patched(22, 0x80000000u), "most negative height");
    refused(patched(18, 0), "zero width");
    refused(patched(18, 100000), "width beyond the data");
    refused(patched(28, 7, 2), "bit depth 7");
    refused(patched(30, 1), "RLE compression");
    refused(patched(30, 3), "bit fields on 24 bits");
}

TEST(BmpReader, palettesAndBitFieldsAreDecoded)
{
    // 2 x 2, 1 bit per pixel, palette black/white, top-down.
    std::vector<uint8_t> bmp(14 + 40 + 8 + 8, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    pixrun::putU32(&bmp[10], 62);
    pixrun::putU32(&bmp[14], 40);
    pixrun::putU32(&bmp[18], 2);
    pixrun::putU32(&bmp[22], uint32_t(-2));
    pixrun::putU16(&bmp[26], 1);
    pixrun::putU16(&bmp[28], 1);
    std::memset(&bmp[58], 0xFF, 3);
    bmp[62] = 0b10000000; // row 0: white, black
    bmp[66] = 0b01000000; // row 1: black, white
    CBitmap out;
    std::string error;
    ASSERT_TRUE(readBmp(bmp.data(), bmp.size(), out, error)) << error;
    EXPECT_EQ(out.bitsPerPixel(), 8);
    EXPECT_EQ(pixtest::greyClasses(out), (std::vector<int>{1, 0, 0, 1}));

    // 16-bit 5-6-5 bit fields, one red pixel.
    std::vector<uint8_t> b16(14 + 40 + 12 + 4, 0);
    b16[0] = 'B';
    b16[1] = 'M';
    pixrun::putU32(&b16[10], 66);
    pixrun::putU32(&b16[14], 40);
    pixrun::putU32(&b16[18], 1);
    pixrun::putU32(&b16[22], 1);
    pixrun::putU16(&b16[26], 1);
    pixrun::putU16(&b16[28], 16);
    pixrun::putU32(&b16[30], 3);
    pixrun::putU32(&b16[54], 0xF800);
    pixrun::putU32(&b16[58], 0x07E0);
    pixrun::putU32(&b16[62], 0x001F);
    pixrun::putU16(&b16[66], 0xF800);
    ASSERT_TRUE(readBmp(b16.data(), b16.size(), out, error)) << error;
    EXPECT_EQ(out.bitsPerPixel(), 24);
    EXPECT_EQ(out.row(0)[0], 0);
    EXPECT_EQ(out.row(0)[2], 255);
}

TEST(ImageFiles, unknownOrDamagedDataIsRefusedWithAReason)
{
    const CBitmap grey = pixtest::noiseImage(32, 32, 2);
    for (FileFormat format : {FileFormat::Png, FileFormat::Jpeg, FileFormat::Tiff, FileFormat::JpegXr}) {
        std::vector<uint8_t> data = save(grey, format);
        data.resize(data.size() / 3);
        CBitmap out;
        CDecoder decoder;
        decoder.load(data.data(), data.size(), out); // may decode partially; must not crash
    }
    const uint8_t junk[] = "GIF89a....";
    CBitmap out;
    CDecoder decoder;
    EXPECT_FALSE(decoder.load(junk, sizeof junk, out));
    EXPECT_FALSE(decoder.error().empty());
}

namespace {

// A little-endian TIFF of one 8-bit grey strip: the directory as given, the
// strip's bytes after it.
std::vector<uint8_t> tiffFile(uint32_t width, uint32_t height, uint16_t compression,
                              const std::vector<uint8_t>& strip)
{
    const size_t stripBytes = strip.size();
    const uint16_t tags[][2] = {{256, 4}, {257, 4}, {258, 3}, {259, 3}, {262, 3}, {273, 4}, {277, 3}, {278, 4}, {279, 4}};
    const uint32_t stripAt = 8 + 2 + 9 * 12 + 4;
    const uint32_t values[] = {width, height, 8, compression, 1, stripAt, 1, height, uint32_t(stripBytes)};
    std::vector<uint8_t> b = {'I', 'I', 42, 0, 8, 0, 0, 0, 9, 0};
    auto put = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    for (int i = 0; i < 9; ++i) {
        put(tags[i][0], 2);
        put(tags[i][1], 2);
        put(1, 4);
        put(values[i], 4);
    }
    put(0, 4);
    b.insert(b.end(), strip.begin(), strip.end());
    return b;
}

} // namespace

TEST(TiffReader, imagesTheirDataCannotFillAreRefusedBeforeDecoding)
{
    // PackBits: each row of 16 is one run.
    std::vector<uint8_t> packed(8, 0x80);
    for (size_t i = 0; i < packed.size(); i += 2)
        packed[i] = uint8_t(-15);
    // Deflate makes about a thousandth of a uniform image, near its limit.
    std::vector<uint8_t> deflated(compressBound(1025 * 1024));
    uLongf deflatedSize = uLongf(deflated.size());
    const std::vector<uint8_t> blank(1025 * 1024, 0x80);
    ASSERT_EQ(compress2(deflated.data(), &deflatedSize, blank.data(), uLong(blank.size()), 9), Z_OK);
    deflated.resize(deflatedSize);
    ASSERT_LT(deflated.size() * 900, blank.size());

    // refusal: part of the message; nullptr: the image reads.
    struct Case {
        const char* name;
        uint32_t width, height;
        uint16_t compression;
        std::vector<uint8_t> strip;
        const char* refusal;
    };
    const Case cases[] = {
        {"whole", 16, 4, 1, std::vector<uint8_t>(64, 0x80), nullptr},
        {"a row short", 16, 4, 1, std::vector<uint8_t>(48, 0x80), "TIFF"},
        {"1025 x 65535 in 16 bytes", 1025, 65535, 1, std::vector<uint8_t>(16, 0x80), "cut short"},
        {"1025 x 65535 in 16 deflated bytes", 1025, 65535, 8, std::vector<uint8_t>(16, 0x80), "cut short"},
        {"packed rows", 16, 4, 32773, packed, nullptr},
        {"deflated a thousandfold", 1025, 1024, 8, deflated, nullptr},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> file = tiffFile(c.width, c.height, c.compression, c.strip);
        CBitmap image;
        std::string error;
        EXPECT_EQ(readTiff(file.data(), file.size(), image, error), !c.refusal) << c.name << ": " << error;
        if (c.refusal) {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << c.name << ": " << error;
        }
    }
}

namespace {

// A BMP of known bytes: byte c of pixel (x, y) in file row order is bmpByte(x, y, c).
uint8_t bmpByte(int32_t x, int32_t y, int c) { return uint8_t(x * 37 + y * 101 + c * 59); }

enum class Palette { None, Identity, InvertedGrey, Colour };

std::vector<uint8_t> bmpFile(int32_t width, int32_t height, uint16_t bpp, bool topDown,
                             Palette palette, bool alphaFields)
{
    const size_t infoSize = alphaFields ? 108 : 40;
    const size_t offset = 14 + infoSize + (palette == Palette::None ? 0 : 1024);
    const size_t stride = CBitmap::strideFor(width, bpp);
    std::vector<uint8_t> bmp(offset + stride * size_t(height), 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    pixrun::putU32(&bmp[10], uint32_t(offset));
    pixrun::putU32(&bmp[14], uint32_t(infoSize));
    pixrun::putU32(&bmp[18], uint32_t(width));
    pixrun::putU32(&bmp[22], uint32_t(topDown ? -height : height));
    pixrun::putU16(&bmp[26], 1);
    pixrun::putU16(&bmp[28], bpp);
    if (alphaFields) {
        pixrun::putU32(&bmp[30], 3);
        const uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        for (int i = 0; i < 4; ++i)
            pixrun::putU32(&bmp[54 + size_t(i) * 4], masks[i]);
    }
    for (int i = 0; palette != Palette::None && i < 256; ++i) {
        uint8_t* entry = &bmp[14 + infoSize + size_t(i) * 4];
        const uint8_t grey = palette == Palette::InvertedGrey ? uint8_t(255 - i) : uint8_t(i);
        entry[0] = palette == Palette::Colour ? uint8_t(i * 3) : grey;
        entry[1] = grey;
        entry[2] = grey;
    }
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < bpp / 8; ++c)
                bmp[offset + size_t(y) * stride + size_t(x) * (bpp / 8) + size_t(c)] = bmpByte(x, y, c);
    return bmp;
}

// Byte c of pixel (x, y) of the bitmap readBmp should give, top row first.
uint8_t expectedByte(int32_t x, int32_t y, int c, int32_t height, bool topDown, Palette palette)
{
    const int32_t fileRow = topDown ? y : height - 1 - y;
    const uint8_t index = bmpByte(x, fileRow, 0);
    switch (palette) {
    case Palette::None:
        return bmpByte(x, fileRow, c);
    case Palette::Identity:
        return index;
    case Palette::InvertedGrey:
        return uint8_t(255 - index);
    case Palette::Colour:
        return c == 0 ? uint8_t(index * 3) : index;
    }
    return 0;
}

} // namespace

TEST(BmpReader, everyLayoutGivesItsPixelsAndOnlyBitmapLikeRowsAreViewedInPlace)
{
    struct Case {
        const char* name;
        uint16_t bpp;
        bool topDown;
        Palette palette;
        bool alphaFields;
        uint16_t depth; // of the bitmap
        bool viewed;    // coded in place
    };
    const Case cases[] = {
        {"grey, identity palette", 8, false, Palette::Identity, false, 8, true},
        {"grey, identity palette, top-down", 8, true, Palette::Identity, false, 8, true},
        {"grey, other grey palette", 8, false, Palette::InvertedGrey, false, 8, false},
        {"colour palette", 8, false, Palette::Colour, false, 24, false},
        {"24-bit", 24, false, Palette::None, false, 24, true},
        {"24-bit, top-down", 24, true, Palette::None, false, 24, true},
        {"32-bit without alpha", 32, false, Palette::None, false, 24, false},
        {"32-bit with alpha bit fields", 32, false, Palette::None, true, 32, true},
    };
    const int32_t width = 5, height = 3; // rows with fill bytes
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bmp = bmpFile(width, height, c.bpp, c.topDown, c.palette, c.alphaFields);
        CBitmap read;
        std::string error;
        ASSERT_TRUE(readBmp(bmp.data(), bmp.size(), read, error)) << error;
        ASSERT_EQ(read.bitsPerPixel(), c.depth);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                for (int ch = 0; ch < c.depth / 8; ++ch)
                    ASSERT_EQ(read.row(y)[x * (c.depth / 8) + ch],
                              expectedByte(x, y, ch, height, c.topDown, c.palette))
                        << x << "," << y << "," << ch;

        CBitmap view;
        bool bottomUp = c.topDown;
        ASSERT_EQ(viewBmp(bmp.data(), bmp.size(), view, bottomUp), c.viewed);
        if (!c.viewed)
            continue;
        EXPECT_EQ(bottomUp, !c.topDown);
        EXPECT_EQ(view.row(0), bmp.data() + (bmp.size() - CBitmap::strideFor(width, c.bpp) * height));
        for (int32_t y = 0; y < height; ++y)
            EXPECT_EQ(std::memcmp(view.row(bottomUp ? height - 1 - y : y), read.row(y),
                                  size_t(width) * c.depth / 8),
                      0)
                << y;
    }
}
