// PNG through libpng's simplified API, which reports errors through the image
// structure instead of long jumps.
#include "imagefile.h"

#include <png.h>

#include <cstring>

namespace img {

namespace {

struct PngImage {
    png_image image;
    PngImage()
    {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image); }
};

} // namespace

bool readPng(const uint8_t* data, size_t size, CBitmap& out, std::string& error)
{
    out.reset();
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data, size)) {
        error = std::string("PNG: ") + png.image.message;
        return false;
    }
    if (uint64_t(png.image.width) * png.image.height > kMaxPixels || png.image.width > 0x7FFFFFFF
        || png.image.height > 0x7FFFFFFF) {
        error = "PNG: image too large";
        return false;
    }
    const int32_t width = int32_t(png.image.width);
    const int32_t height = int32_t(png.image.height);
    const png_uint_32 natural = png.image.format;

    uint16_t depth = 24;
    std::vector<uint8_t> colormap;
    std::vector<uint8_t> indices;
    if (natural & PNG_FORMAT_FLAG_COLORMAP) {
        // Read the indices with an RGBA colour map to decide between grey, BGRA and BGR.
        png.image.format = PNG_FORMAT_RGBA_COLORMAP;
        colormap.resize(PNG_IMAGE_COLORMAP_SIZE(png.image));
        indices.resize(size_t(width) * size_t(height));
        if (!png_image_finish_read(&png.image, nullptr, indices.data(), width, colormap.data())) {
            error = std::string("PNG: ") + png.image.message;
            return false;
        }
        bool grey = true, alpha = false;
        for (size_t i = 0; i + 3 < colormap.size(); i += 4) {
            grey = grey && colormap[i] == colormap[i + 1] && colormap[i + 1] == colormap[i + 2];
            alpha = alpha || colormap[i + 3] != 0xFF;
        }
        depth = alpha ? 32 : grey ? 8 : 24;
        if (!out.create(width, height, depth)) {
            error = "PNG: out of memory";
            return false;
        }
        const size_t entries = colormap.size() / 4;
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* src = indices.data() + size_t(y) * size_t(width);
            uint8_t* dst = out.row(y);
            for (int32_t x = 0; x < width; ++x) {
                const size_t index = src[x] < entries ? src[x] : 0;
                const uint8_t* rgba = colormap.data() + index * 4;
                if (depth == 8) {
                    dst[x] = rgba[0];
                } else {
                    uint8_t* px = dst + size_t(x) * (depth / 8);
                    px[0] = rgba[2];
                    px[1] = rgba[1];
                    px[2] = rgba[0];
                    if (depth == 32)
                        px[3] = rgba[3];
                }
            }
        }
        return true;
    }

    if (natural & PNG_FORMAT_FLAG_ALPHA) {
        depth = 32;
        png.image.format = PNG_FORMAT_BGRA;
    } else if (!(natural & PNG_FORMAT_FLAG_COLOR)) {
        depth = 8;
        png.image.format = PNG_FORMAT_GRAY;
    } else {
        png.image.format = PNG_FORMAT_BGR;
    }
    if (!out.create(width, height, depth)) {
        error = "PNG: out of memory";
        return false;
    }
    if (!png_image_finish_read(&png.image, nullptr, out.bits(), png_int_32(out.stride()), nullptr)) {
        error = std::string("PNG: ") + png.image.message;
        out.reset();
        return false;
    }
    return true;
}

bool writePng(const CBitmap& image, pixrun::OutBuffer& out, std::string& error)
{
    PngImage png;
    png.image.width = png_uint_32(image.width());
    png.image.height = png_uint_32(image.height());
    switch (image.bitsPerPixel()) {
    case 8:
        png.image.format = PNG_FORMAT_GRAY;
        break;
    case 24:
        png.image.format = PNG_FORMAT_BGR;
        break;
    case 32:
        png.image.format = PNG_FORMAT_BGRA;
        break;
    default:
        error = "PNG: unsupported bit depth";
        return false;
    }
    // Written once into a block of the largest size it can take, then cut to size.
    const png_int_32 stride = png_int_32(image.stride());
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png.image);
    if (!out.allocate(size)) {
        error = "PNG: out of memory";
        return false;
    }
    if (!png_image_write_to_memory(&png.image, out.data(), &size, 0, image.bits(), stride, nullptr)) {
        error = std::string("PNG: ") + png.image.message;
        out.clear();
        return false;
    }
    out.shrink(size);
    return true;
}

} // namespace img
