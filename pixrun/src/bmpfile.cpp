// BMP: uncompressed 1, 4, 8 (palette), 16, 24 and 32 bits per pixel, BI_RGB and
// BI_BITFIELDS, rows bottom-up or top-down. Every offset and size is checked against
// the file before use.
#include "imagefile.h"

#include "streamformat.h"

#include <cstring>

namespace img {

namespace {

using pixrun::getU16;
using pixrun::getU32;
using pixrun::putU16;
using pixrun::putU32;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr size_t kFileHeader = 14;

struct Channel {
    uint32_t mask = 0;
    unsigned shift = 0;
    unsigned bits = 0;

    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1u))
            ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u))
            ++bits;
    }
    uint8_t value(uint32_t pixel, uint8_t absent) const
    {
        if (!bits)
            return absent;
        const uint32_t v = (pixel & mask) >> shift & ((bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1));
        if (bits >= 8)
            return uint8_t(v >> (bits - 8));
        return uint8_t(v * 255u / ((1u << bits) - 1));
    }
};

int32_t getI32(const uint8_t* p) { return int32_t(getU32(p)); }

struct Channels {
    Channel red, green, blue, alpha;
};

// One row of palette indices or bit-field pixels into 8-bit grey, BGR or BGRA.
void convertRow(const uint8_t* src, uint8_t* dst, int64_t width, unsigned bpp, uint16_t depth,
                const uint8_t (*palette)[3], const Channels& c)
{
    const size_t outStep = depth / 8;
    for (int64_t x = 0; x < width; ++x, dst += outStep) {
        if (bpp <= 8) {
            const size_t bitPos = size_t(x) * bpp;
            const unsigned index = (src[bitPos / 8] >> (8 - bpp - bitPos % 8)) & ((1u << bpp) - 1);
            if (depth == 8)
                dst[0] = palette[index][0];
            else
                std::memcpy(dst, palette[index], 3);
        } else if (bpp == 24) {
            std::memcpy(dst, src + x * 3, 3);
        } else {
            const uint32_t pixel = bpp == 16 ? getU16(src + x * 2) : getU32(src + x * 4);
            dst[0] = c.blue.value(pixel, 0);
            dst[1] = c.green.value(pixel, 0);
            dst[2] = c.red.value(pixel, 0);
            if (depth == 32)
                dst[3] = c.alpha.value(pixel, 0xFF);
        }
    }
}


// An uncompressed BMP's pixel rows and how to read them; every offset and size
// checked against the file.
struct Layout {
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    unsigned bpp = 0;
    uint16_t depth = 0; // of the bitmap it becomes
    const uint8_t* pixels = nullptr;
    size_t rowBytes = 0;
    uint32_t masks[4] = {};
    uint8_t palette[256][3] = {}; // B, G, R; indices past the palette read as black

    bool standardMasks() const
    {
        return masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
    }
    bool identityGrey() const
    {
        for (int i = 0; i < 256; ++i)
            if (palette[i][0] != i)
                return false;
        return true;
    }
    // Rows stored exactly as the bitmap holds them (stride included): 8-bit grey with
    // the identity palette, 24-bit, 32-bit with the usual alpha mask.
    bool rowsAsBitmap() const
    {
        return (depth == 8 && bpp == 8 && identityGrey()) || bpp == 24
            || (bpp == 32 && depth == 32 && standardMasks() && masks[3] == 0xFF000000);
    }
};

bool parseBmp(const uint8_t* data, size_t size, Layout& layout, std::string& error)
{
    auto fail = [&error](const char* why) {
        error = std::string("BMP: ") + why;
        return false;
    };
    if (size < kFileHeader + 12 || data[0] != 'B' || data[1] != 'M')
        return fail("truncated header");
    const uint32_t pixelOffset = getU32(data + 10);
    const uint32_t infoSize = getU32(data + 14);
    const uint8_t* info = data + kFileHeader;
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108
        && infoSize != 124)
        return fail("unsupported header size");
    if (size - kFileHeader < infoSize)
        return fail("truncated header");

    int64_t width, height;
    unsigned bpp;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    size_t paletteEntrySize = 4;
    if (infoSize == 12) {
        width = getU16(info + 4);
        height = int16_t(getU16(info + 6));
        bpp = getU16(info + 10);
        paletteEntrySize = 3;
    } else {
        width = getI32(info + 4);
        height = getI32(info + 8);
        bpp = getU16(info + 14);
        compression = getU32(info + 16);
        colorsUsed = getU32(info + 32);
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        return fail("empty image");
    if (uint64_t(width) * uint64_t(height) > kMaxPixels)
        return fail("image too large");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return fail("unsupported bit depth");
    if (compression != kBiRgb && compression != kBiBitfields && compression != kBiAlphaBitfields)
        return fail("compressed BMP is not supported");
    if (compression != kBiRgb && bpp != 16 && bpp != 32)
        return fail("bit fields need 16 or 32 bits per pixel");

    // Channel masks: from the header (52+ bytes) or the 12/16 bytes after a 40-byte one.
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t afterInfo = kFileHeader + infoSize;
    if (compression != kBiRgb) {
        const size_t count = compression == kBiAlphaBitfields ? 4 : 3;
        if (infoSize == 40) {
            if (size - afterInfo < count * 4)
                return fail("truncated bit fields");
            for (size_t i = 0; i < count; ++i)
                masks[i] = getU32(data + afterInfo + i * 4);
            afterInfo += count * 4;
        } else {
            for (size_t i = 0; i < 4 && 40 + i * 4 + 4 <= infoSize; ++i)
                masks[i] = getU32(info + 40 + i * 4);
        }
    } else if (bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bpp == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
        if (infoSize >= 56)
            masks[3] = getU32(info + 52);
    }

    uint8_t palette[256][3] = {}; // B, G, R; indices past the palette read as black
    bool greyPalette = true;
    if (bpp <= 8) {
        const size_t maxEntries = size_t(1) << bpp;
        size_t entries = colorsUsed ? colorsUsed : maxEntries;
        if (entries > maxEntries)
            entries = maxEntries;
        if (afterInfo > size || (size - afterInfo) / paletteEntrySize < entries)
            return fail("truncated palette");
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + afterInfo + i * paletteEntrySize;
            std::memcpy(palette[i], e, 3);
            greyPalette = greyPalette && e[0] == e[1] && e[1] == e[2];
        }
        for (size_t i = entries; i < maxEntries; ++i)
            std::memset(palette[i], 0, 3);
    }

    const uint64_t rowBytes = ((uint64_t(width) * bpp + 31) / 32) * 4;
    if (pixelOffset > size || (size - pixelOffset) / rowBytes < uint64_t(height))
        return fail("truncated pixel data");

    const Channel alpha(masks[3]);
    const bool hasAlpha = alpha.bits > 0 && (bpp == 16 || bpp == 32);
    layout.depth = bpp <= 8 && greyPalette ? 8 : hasAlpha ? 32 : 24;
    layout.width = int32_t(width);
    layout.height = int32_t(height);
    layout.topDown = topDown;
    layout.bpp = bpp;
    layout.pixels = data + pixelOffset;
    layout.rowBytes = size_t(rowBytes);
    std::memcpy(layout.masks, masks, sizeof masks);
    std::memcpy(layout.palette, palette, sizeof palette);
    return true;

}

} // namespace

bool readBmp(const uint8_t* data, size_t size, CBitmap& out, std::string& error)
{
    out.reset();
    Layout layout;
    if (!parseBmp(data, size, layout, error))
        return false;
    if (!out.create(layout.width, layout.height, layout.depth)) {
        error = "BMP: out of memory";
        return false;
    }
    // Rows stored as the bitmap holds them are copied whole, the others converted.
    const Channels channels{Channel(layout.masks[0]), Channel(layout.masks[1]),
                            Channel(layout.masks[2]), Channel(layout.masks[3])};
    const size_t rowCopy = layout.rowsAsBitmap() ? size_t(layout.width) * layout.bpp / 8 : 0;
    const int32_t width = layout.width;
    uint8_t grey[256];
    for (int i = 0; i < 256; ++i)
        grey[i] = layout.palette[i][0];
    for (int32_t y = 0; y < layout.height; ++y) {
        const uint8_t* src = layout.pixels + layout.rowBytes * size_t(y);
        uint8_t* dst = out.row(layout.topDown ? y : layout.height - 1 - y);
        if (rowCopy) {
            std::memcpy(dst, src, rowCopy);
        } else if (layout.depth == 8 && layout.bpp == 8) {
            for (int32_t x = 0; x < width; ++x)
                dst[x] = grey[src[x]];
        } else if (layout.bpp == 32 && layout.depth == 24 && layout.standardMasks()) {
            for (int32_t x = 0; x < width; ++x, dst += 3)
                std::memcpy(dst, src + size_t(x) * 4, 3);
        } else {
            convertRow(src, dst, width, layout.bpp, layout.depth, layout.palette, channels);
        }
    }
    return true;
}

bool viewBmp(const uint8_t* data, size_t size, CBitmap& view, bool& bottomUp)
{
    view.reset();
    Layout layout;
    std::string error;
    if (!parseBmp(data, size, layout, error) || !layout.rowsAsBitmap())
        return false;
    bottomUp = !layout.topDown;
    // Only read through: the bitmap type has no read-only form.
    return view.wrap(const_cast<uint8_t*>(layout.pixels), layout.width, layout.height, layout.depth);
}

size_t bmpFileSize(int32_t width, int32_t height, uint16_t bitsPerPixel)
{
    if (width <= 0 || height <= 0 || (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return 0;
    const uint64_t size = bmpPixelOffset(bitsPerPixel)
        + uint64_t(CBitmap::strideFor(width, bitsPerPixel)) * uint64_t(height);
    return size > 0xFFFFFFFFu ? 0 : size_t(size);
}

size_t bmpPixelOffset(uint16_t bitsPerPixel)
{
    return kFileHeader + (bitsPerPixel == 32 ? 108 : 40) + (bitsPerPixel == 8 ? 1024 : 0);
}

void writeBmpHeader(int32_t width, int32_t height, uint16_t bpp, uint8_t* p)
{
    // 8-bit: grey palette; 32-bit: a V4 header whose masks keep the alpha channel.
    const size_t infoSize = bpp == 32 ? 108 : 40;
    const size_t offset = bmpPixelOffset(bpp);
    const size_t size = bmpFileSize(width, height, bpp);
    std::memset(p, 0, offset);
    p[0] = 'B';
    p[1] = 'M';
    putU32(p + 2, uint32_t(size));
    putU32(p + 10, uint32_t(offset));
    uint8_t* info = p + kFileHeader;
    putU32(info, uint32_t(infoSize));
    putU32(info + 4, uint32_t(width));
    putU32(info + 8, uint32_t(height)); // positive: rows bottom-up
    putU16(info + 12, 1);
    putU16(info + 14, bpp);
    putU32(info + 16, bpp == 32 ? kBiBitfields : kBiRgb);
    putU32(info + 20, uint32_t(size - offset));
    putU32(info + 24, 3780); // 96 dpi
    putU32(info + 28, 3780);
    if (bpp == 8) {
        putU32(info + 32, 256);
        for (int i = 0; i < 256; ++i)
            std::memset(p + kFileHeader + infoSize + size_t(i) * 4, i, 3);
    }
    if (bpp == 32) {
        putU32(info + 40, 0x00FF0000);
        putU32(info + 44, 0x0000FF00);
        putU32(info + 48, 0x000000FF);
        putU32(info + 52, 0xFF000000);
        putU32(info + 56, 0x73524742); // 'sRGB'
    }
}

bool writeBmp(const CBitmap& image, pixrun::OutBuffer& out, std::string& error)
{
    const size_t size =
        image.isNull() ? 0 : bmpFileSize(image.width(), image.height(), image.bitsPerPixel());
    if (!size) {
        error = image.bitsPerPixel() == 8 || image.bitsPerPixel() == 24 || image.bitsPerPixel() == 32
            ? "BMP: image too large for the format"
            : "BMP: unsupported bit depth";
        return false;
    }
    if (!out.allocate(size)) {
        error = "BMP: out of memory";
        return false;
    }
    writeBmpHeader(image.width(), image.height(), image.bitsPerPixel(), out.data());
    uint8_t* pixels = out.data() + bmpPixelOffset(image.bitsPerPixel());
    for (int32_t y = 0; y < image.height(); ++y)
        std::memcpy(pixels + size_t(y) * image.stride(), image.row(image.height() - 1 - y),
                    image.stride());
    return true;
}

} // namespace img
