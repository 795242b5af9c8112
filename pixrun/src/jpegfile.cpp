// JPEG through libjpeg-turbo. libjpeg reports fatal errors with longjmp, so the
// functions that call it hold no objects with destructors between setjmp and return.
#include "imagefile.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace img {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void onMessage(j_common_ptr, int) {}

// Returns nullptr on success or the error text (static or in manager.message).
const char* decodeJpeg(const uint8_t* data, size_t size, CBitmap& out, ErrorManager& errors)
{
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    JSAMPLE* volatile cmykRow = nullptr; // volatile: read after longjmp
    if (setjmp(errors.jump)) {
        std::free(cmykRow);
        jpeg_destroy_decompress(&cinfo);
        out.reset();
        return errors.message;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    uint16_t depth = 24;
    if (cinfo.num_components == 1) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        depth = 8;
    } else if (cmyk) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    if (uint64_t(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return "image too large";
    }
    jpeg_start_decompress(&cinfo);
    if (!out.create(int32_t(cinfo.output_width), int32_t(cinfo.output_height), depth)) {
        jpeg_destroy_decompress(&cinfo);
        return "out of memory";
    }
    if (cmyk) {
        cmykRow = static_cast<JSAMPLE*>(std::malloc(size_t(cinfo.output_width) * 4));
        if (!cmykRow) {
            jpeg_destroy_decompress(&cinfo);
            out.reset();
            return "out of memory";
        }
    }
    // Adobe writes inverted CMYK; plain CMYK is taken as ink coverage.
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* dst = out.row(int32_t(cinfo.output_scanline));
        JSAMPROW row = cmyk ? cmykRow : dst;
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk) {
            for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
                unsigned c = cmykRow[x * 4], m = cmykRow[x * 4 + 1], y = cmykRow[x * 4 + 2],
                         k = cmykRow[x * 4 + 3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                dst[x * 3] = uint8_t(y * k / 255);
                dst[x * 3 + 1] = uint8_t(m * k / 255);
                dst[x * 3 + 2] = uint8_t(c * k / 255);
            }
        }
    }
    std::free(cmykRow);
    cmykRow = nullptr;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return nullptr;
}

const char* encodeJpeg(const CBitmap& image, int quality, unsigned char** buffer,
                       unsigned long* size, ErrorManager& errors)
{
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return errors.message;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    const bool grey = image.bitsPerPixel() == 8;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    if (quality > 0)
        jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.row(int32_t(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return nullptr;
}

} // namespace

bool readJpeg(const uint8_t* data, size_t size, CBitmap& out, std::string& error)
{
    out.reset();
    ErrorManager errors{};
    if (const char* failure = decodeJpeg(data, size, out, errors)) {
        error = std::string("JPEG: ") + failure;
        return false;
    }
    return true;
}

bool writeJpeg(const CBitmap& image, int quality, pixrun::OutBuffer& out, std::string& error)
{
    if (image.bitsPerPixel() != 8 && image.bitsPerPixel() != 24) {
        error = "JPEG: only grey and 24-bit images can be written";
        return false;
    }
    ErrorManager errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    // libjpeg's destination grows a malloc block, which is handed on as it is.
    const char* failure = encodeJpeg(image, quality, &buffer, &size, errors);
    if (!failure)
        out.adopt(buffer, size);
    else
        std::free(buffer);
    if (failure) {
        error = std::string("JPEG: ") + failure;
        return false;
    }
    return true;
}

} // namespace img
