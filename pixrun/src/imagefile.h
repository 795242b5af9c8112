#pragma once
// Image file input and output: one reader and writer per format, chosen by content
// when reading and by name when writing.

#include "bitmap.h"
#include "outbuffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace img {

enum class FileFormat { Unknown, Bmp, Jpeg, JpegXr, Png, Tiff };

// "BMP", "JPG", "JPEG", "WDP", "HDP", "JXR", "PNG", "TIF", "TIFF", in any case.
FileFormat formatFromName(const std::string& name);
// The text after the last '.' of the file name, as formatFromName.
FileFormat formatFromPath(const std::string& path);
// By the file's signature bytes.
FileFormat sniffFormat(const uint8_t* data, size_t size);

// What the writers are told beyond the pixels. The member defaults are the options
// of files written to a path; libraryDefaults() sets none and leaves every choice to
// the image libraries, as decoding to memory does.
struct EncoderOptions {
    int jpegQuality = 95;        // 1..100; 0 keeps libjpeg's default (75)
    float jpegXrQuality = 0.9f;  // 0..1, 1 lossless
    bool tiffDeflate = true;     // false: uncompressed, libtiff's default

    // JPEG at libjpeg's default quality, JPEG XR lossless (jxrlib's default),
    // uncompressed TIFF.
    static EncoderOptions libraryDefaults() { return {0, 1.0f, false}; }
};

// Reads an image. The pixel format follows the source: grey stays 8-bit grey, a
// palette of greys becomes 8-bit grey, a source with alpha becomes 32-bit BGRA,
// anything else 24-bit BGR. Sizes above kMaxPixels are refused.
class CDecoder {
public:
    bool load(const uint8_t* data, size_t size, CBitmap& out);
    bool load(const std::string& path, CBitmap& out);
    const std::string& error() const { return m_strError; }

private:
    std::string m_strError;
};

// Writes an image; 8-bit images are written as grey.
class CEncoder {
public:
    explicit CEncoder(EncoderOptions options = {}) : m_options(options) {}
    // Into one block of the file's size; BMP, PNG and JPEG are written there directly.
    bool save(const CBitmap& image, FileFormat format, pixrun::OutBuffer& out);
    bool save(const CBitmap& image, FileFormat format, std::vector<uint8_t>& out);
    // The destination is replaced only once the whole file has been written.
    bool save(const CBitmap& image, FileFormat format, const std::string& path);
    const std::string& error() const { return m_strError; }

private:
    EncoderOptions m_options;
    std::string m_strError;
};

// Per-format codecs; readers get the whole file in memory. Each returns false and
// sets `error` on failure, leaving `out` empty.
bool readBmp(const uint8_t* data, size_t size, CBitmap& out, std::string& error);
// A BMP whose rows are stored as a bitmap holds them (8-bit grey with the identity
// palette, 24-bit, 32-bit BGRA) as an image over the file's own bytes, which must
// outlive it and are only read; `bottomUp` tells whether its row 0 is the picture's
// bottom row. False for any other file.
bool viewBmp(const uint8_t* data, size_t size, CBitmap& view, bool& bottomUp);
bool readPng(const uint8_t* data, size_t size, CBitmap& out, std::string& error);
bool readJpeg(const uint8_t* data, size_t size, CBitmap& out, std::string& error);
bool readTiff(const uint8_t* data, size_t size, CBitmap& out, std::string& error);
bool readJpegXr(const uint8_t* data, size_t size, CBitmap& out, std::string& error);
bool writeBmp(const CBitmap& image, pixrun::OutBuffer& out, std::string& error);
// The size of the BMP file of an 8-, 24- or 32-bit image, 0 for any other image; its
// pixel rows, bottom row first, start at bmpPixelOffset with the bitmap's stride.
size_t bmpFileSize(int32_t width, int32_t height, uint16_t bitsPerPixel);
size_t bmpPixelOffset(uint16_t bitsPerPixel);
// Writes the bytes in front of the pixels.
void writeBmpHeader(int32_t width, int32_t height, uint16_t bitsPerPixel, uint8_t* file);
bool writePng(const CBitmap& image, pixrun::OutBuffer& out, std::string& error);
// quality 1..100, or 0 for libjpeg's default.
bool writeJpeg(const CBitmap& image, int quality, pixrun::OutBuffer& out, std::string& error);
bool writeTiff(const CBitmap& image, bool deflate, std::vector<uint8_t>& out, std::string& error);
bool writeJpegXr(const CBitmap& image, float quality, std::vector<uint8_t>& out,
                 std::string& error);

} // namespace img
