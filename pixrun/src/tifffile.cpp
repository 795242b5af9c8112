// TIFF through libtiff: any layout libtiff's RGBA reader understands comes in; grey,
// BGR and BGRA images go out, deflate-compressed.
#include "imagefile.h"

#include "tiffmemory.h"

#include <cstring>

namespace img {

namespace {

// How many bytes one byte of compressed data can become, with a margin: packed
// runs 128 from 2, LZW and Deflate about 1,400 and 1,032. 0: no bound known
// (fax codings and JPEG shrink uniform areas almost without limit).
uint64_t maxGrowth(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE:
        return 1;
    case COMPRESSION_PACKBITS:
        return 128;
    case COMPRESSION_LZW:
        return 4096;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return 2048;
    default:
        return 0;
    }
}

bool paletteIsGrey(TIFF* tiff, uint16_t bitsPerSample)
{
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (bitsPerSample > 8 || !TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue))
        return false;
    for (size_t i = 0; i < (size_t(1) << bitsPerSample); ++i)
        if (red[i] != green[i] || green[i] != blue[i])
            return false;
    return true;
}

bool hasAlpha(TIFF* tiff)
{
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds))
        return false;
    for (uint16_t i = 0; i < count; ++i)
        if (kinds[i] == EXTRASAMPLE_ASSOCALPHA || kinds[i] == EXTRASAMPLE_UNASSALPHA)
            return true;
    return false;
}

} // namespace

bool readTiff(const uint8_t* data, size_t size, CBitmap& out, std::string& error)
{
    out.reset();
    TiffMemory memory(data, size);
    TIFF* tiff = memory.open();
    if (!tiff) {
        error = "TIFF: " + (memory.error().empty() ? std::string("cannot open") : memory.error());
        return false;
    }
    uint32_t width = 0, height = 0;
    uint16_t photometric = 0, samples = 1, bits = 1;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF
        || uint64_t(width) * height > kMaxPixels) {
        error = "TIFF: missing or excessive image size";
        return false;
    }
    // A few bytes that declare a huge image are refused before a raster is
    // allocated for it: the file's bytes, grown as much as its compression
    // ever grows data, must be able to fill the image.
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    const uint64_t growth = maxGrowth(compression);
    if (growth != 0 && uint64_t(width) * height * samples * bits / 8 > uint64_t(size) * growth) {
        error = "TIFF: image data cut short";
        return false;
    }
    char why[1024] = "";
    if (!TIFFRGBAImageOK(tiff, why)) {
        error = std::string("TIFF: ") + why;
        return false;
    }
    uint16_t depth = 24;
    if (hasAlpha(tiff))
        depth = 32;
    else if ((photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE)
             && samples == 1)
        depth = 8;
    else if (photometric == PHOTOMETRIC_PALETTE && paletteIsGrey(tiff, bits))
        depth = 8;

    std::vector<uint32_t> raster;
    try {
        raster.resize(size_t(width) * height);
    } catch (...) {
        error = "TIFF: out of memory";
        return false;
    }
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
        error = "TIFF: " + (memory.error().empty() ? std::string("cannot read pixels") : memory.error());
        return false;
    }
    if (!out.create(int32_t(width), int32_t(height), depth)) {
        error = "TIFF: out of memory";
        return false;
    }
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* src = raster.data() + size_t(y) * width;
        uint8_t* dst = out.row(int32_t(y));
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t px = src[x];
            if (depth == 8) {
                dst[x] = uint8_t(TIFFGetR(px));
                continue;
            }
            uint8_t* p = dst + size_t(x) * (depth / 8);
            p[0] = uint8_t(TIFFGetB(px));
            p[1] = uint8_t(TIFFGetG(px));
            p[2] = uint8_t(TIFFGetR(px));
            if (depth == 32)
                p[3] = uint8_t(TIFFGetA(px));
        }
    }
    return true;
}

bool writeTiff(const CBitmap& image, bool deflate, std::vector<uint8_t>& out, std::string& error)
{
    const unsigned bpp = image.bitsPerPixel();
    if (bpp != 8 && bpp != 24 && bpp != 32) {
        error = "TIFF: unsupported bit depth";
        return false;
    }
    const uint16_t samples = uint16_t(bpp / 8);
    TiffMemory memory(out);
    TIFF* tiff = memory.open();
    if (!tiff) {
        error = "TIFF: cannot create";
        return false;
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, deflate ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    if (samples == 4) {
        const uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, kinds);
    }
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    std::vector<uint8_t> row(size_t(image.width()) * samples);
    bool ok = true;
    for (int32_t y = 0; ok && y < image.height(); ++y) {
        const uint8_t* src = image.row(y);
        std::memcpy(row.data(), src, row.size());
        if (samples > 1)
            for (size_t x = 0; x < row.size(); x += samples)
                std::swap(row[x], row[x + 2]); // BGR(A) to RGB(A)
        ok = TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) == 1;
    }
    ok = memory.close() && ok;
    if (!ok) {
        error = "TIFF: " + (memory.error().empty() ? std::string("write failed") : memory.error());
        out.clear();
    }
    return ok;
}

} // namespace img
