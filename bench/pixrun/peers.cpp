#include "peers.h"

#include "rlecodec.h"
#include "tiffmemory.h"

extern "C" {
#include <jbig.h>
}
#include <png.h>

#include <csetjmp>
#include <cstring>

namespace bench {

namespace {

// Rows padded to whole bytes, first pixel in the top bit; `setForBlack` picks the sense.
std::vector<uint8_t> packRows(const img::CBitmap& image, bool setForBlack, size_t& rowBytes)
{
    rowBytes = (size_t(image.width()) + 7) / 8;
    std::vector<uint8_t> packed(rowBytes * size_t(image.height()), 0);
    for (int32_t y = 0; y < image.height(); ++y) {
        const uint8_t* src = image.row(y);
        uint8_t* dst = packed.data() + size_t(y) * rowBytes;
        for (int32_t x = 0; x < image.width(); ++x)
            if ((src[x] < 128) == setForBlack)
                dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    return packed;
}

void unpackRow(const uint8_t* src, uint8_t* dst, int32_t width, bool setForBlack)
{
    const uint8_t set = setForBlack ? 0 : 255;
    for (int32_t x = 0; x < width; ++x)
        dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? set : uint8_t(255 - set);
}

bool pixrunEncode(const img::CBitmap& image, std::vector<uint8_t>& out)
{
    out.clear();
    return pixrun::encodeGrey(out, image);
}

bool pixrunDecode(const std::vector<uint8_t>& in, img::CBitmap& image)
{
    return pixrun::decodeStream(in.data(), in.size(), image);
}

bool g4Encode(const img::CBitmap& image, std::vector<uint8_t>& out)
{
    size_t rowBytes = 0;
    std::vector<uint8_t> packed = packRows(image, true, rowBytes);
    img::TiffMemory memory(out);
    TIFF* tiff = memory.open();
    if (!tiff)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(image.height()));
    const bool ok = TIFFWriteEncodedStrip(tiff, 0, packed.data(), tmsize_t(packed.size())) >= 0;
    return memory.close() && ok;
}

bool g4Decode(const std::vector<uint8_t>& in, img::CBitmap& image)
{
    img::TiffMemory memory(in.data(), in.size());
    TIFF* tiff = memory.open();
    if (!tiff)
        return false;
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    const size_t rowBytes = (size_t(width) + 7) / 8;
    std::vector<uint8_t> packed(rowBytes * height);
    if (TIFFReadEncodedStrip(tiff, 0, packed.data(), tmsize_t(packed.size())) < 0
        || !image.create(int32_t(width), int32_t(height), 8))
        return false;
    for (uint32_t y = 0; y < height; ++y)
        unpackRow(packed.data() + y * rowBytes, image.row(int32_t(y)), int32_t(width), true);
    return true;
}

void jbigSink(unsigned char* data, size_t length, void* file)
{
    auto* out = static_cast<std::vector<uint8_t>*>(file);
    out->insert(out->end(), data, data + length);
}

bool jbigEncode(const img::CBitmap& image, std::vector<uint8_t>& out)
{
    out.clear();
    size_t rowBytes = 0;
    std::vector<uint8_t> packed = packRows(image, true, rowBytes);
    unsigned char* planes[1] = {packed.data()};
    jbg_enc_state state;
    jbg_enc_init(&state, unsigned(image.width()), unsigned(image.height()), 1, planes, jbigSink, &out);
    jbg_enc_out(&state);
    jbg_enc_free(&state);
    return !out.empty();
}

bool jbigDecode(const std::vector<uint8_t>& in, img::CBitmap& image)
{
    jbg_dec_state state;
    jbg_dec_init(&state);
    size_t used = 0;
    const int result = jbg_dec_in(&state, const_cast<unsigned char*>(in.data()), in.size(), &used);
    bool ok = result == JBG_EOK;
    if (ok) {
        const int32_t width = int32_t(jbg_dec_getwidth(&state));
        const int32_t height = int32_t(jbg_dec_getheight(&state));
        const uint8_t* packed = jbg_dec_getimage(&state, 0);
        const size_t rowBytes = (size_t(width) + 7) / 8;
        ok = image.create(width, height, 8);
        for (int32_t y = 0; ok && y < height; ++y)
            unpackRow(packed + size_t(y) * rowBytes, image.row(y), width, true);
    }
    jbg_dec_free(&state);
    return ok;
}

void pngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void pngFlush(png_structp) {}

struct PngSource {
    const std::vector<uint8_t>* data;
    size_t pos;
};

void pngRead(png_structp png, png_bytep data, png_size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->data->size() - source->pos < length)
        png_error(png, "truncated");
    std::memcpy(data, source->data->data() + source->pos, length);
    source->pos += length;
}

bool png1Encode(const img::CBitmap& image, std::vector<uint8_t>& out)
{
    out.clear();
    size_t rowBytes = 0;
    const std::vector<uint8_t> packed = packRows(image, false, rowBytes);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 1,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < image.height(); ++y)
        png_write_row(png, packed.data() + size_t(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool png1Decode(const std::vector<uint8_t>& in, img::CBitmap& image)
{
    PngSource source{&in, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, pngRead);
    png_read_info(png, info);
    const int32_t width = int32_t(png_get_image_width(png, info));
    const int32_t height = int32_t(png_get_image_height(png, info));
    row.resize(png_get_rowbytes(png, info));
    image.create(width, height, 8);
    for (int32_t y = 0; y < height; ++y) {
        png_read_row(png, row.data(), nullptr);
        unpackRow(row.data(), image.row(y), width, false);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

const Codec kPixrun = {"pixrun", pixrunEncode, pixrunDecode};
const Codec kTiffG4 = {"tiff-g4", g4Encode, g4Decode};
const Codec kJbig = {"jbig-kit", jbigEncode, jbigDecode};
const Codec kPng1 = {"png-1bit", png1Encode, png1Decode};

} // namespace bench
