// The library's C interface. Each call is self-contained: it reads, converts and
// writes with its own objects, so calls may run on several threads at once. Nothing
// throws across this boundary.
#include "pixrun.h"

#include "bitmap.h"
#include "fileio.h"
#include "imagefile.h"
#include "rlecodec.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

bool encodeImage(const img::CBitmap& image, std::vector<uint8_t>& stream)
{
    // Stream rows run from the image file's bottom row to its top row.
    const img::CBitmap flipped = image.flippedVertically();
    if (flipped.isNull())
        return false;
    return flipped.bitsPerPixel() == 8 ? pixrun::encodeGrey(stream, flipped)
                                       : pixrun::encodeColour(stream, flipped);
}

bool decodeImage(const uint8_t* data, size_t size, img::CBitmap& image)
{
    img::CBitmap decoded;
    if (!pixrun::decodeStream(data, size, decoded))
        return false;
    image = decoded.flippedVertically(); // back to file row order
    return !image.isNull();
}

bool handOut(const std::vector<uint8_t>& bytes, unsigned char** outBuffer, int* outSize)
{
    if (bytes.empty() || bytes.size() > size_t(std::numeric_limits<int>::max()))
        return false;
    auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.size()));
    if (!buffer) {
        *outBuffer = nullptr;
        *outSize = 0;
        return false;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    *outBuffer = buffer;
    *outSize = int(bytes.size());
    return true;
}

} // namespace

extern "C" {

PIXRUN_API bool RleEncode(const char* srcPath, const char* dstPath)
{
    if (!srcPath || !dstPath)
        return false;
    try {
        img::CBitmap image;
        std::vector<uint8_t> stream;
        return img::CDecoder().load(srcPath, image) && encodeImage(image, stream)
            && pixrun::writeWholeFile(dstPath, stream.data(), stream.size());
    } catch (...) {
        return false;
    }
}

PIXRUN_API bool RleEncodeFromData(const unsigned char* data, int size, unsigned char** outBuffer,
                                  int* outSize)
{
    if (!data || size <= 0 || !outBuffer || !outSize)
        return false;
    try {
        img::CBitmap image;
        std::vector<uint8_t> stream;
        return img::CDecoder().load(data, size_t(size), image) && encodeImage(image, stream)
            && handOut(stream, outBuffer, outSize);
    } catch (...) {
        return false;
    }
}

PIXRUN_API bool RleDecode(const char* srcPath, const char* dstPath)
{
    if (!srcPath || !dstPath)
        return false;
    try {
        const img::FileFormat format = img::formatFromPath(dstPath);
        if (format == img::FileFormat::Unknown)
            return false;
        std::vector<uint8_t> stream;
        img::CBitmap image;
        return pixrun::readWholeFile(srcPath, stream)
            && decodeImage(stream.data(), stream.size(), image)
            && img::CEncoder().save(image, format, std::string(dstPath));
    } catch (...) {
        return false;
    }
}

PIXRUN_API bool RleDecodeToData(const char* format, const unsigned char* data, unsigned int count,
                                unsigned char** outBuffer, int* outSize)
{
    if (!format || !data || !outBuffer || !outSize)
        return false;
    try {
        const img::FileFormat fileFormat = img::formatFromName(format);
        if (fileFormat == img::FileFormat::Unknown)
            return false;
        img::CBitmap image;
        std::vector<uint8_t> file;
        // Memory output carries no writer options; 8-bit images are grey in every format.
        return decodeImage(data, count, image)
            && img::CEncoder(img::EncoderOptions::libraryDefaults()).save(image, fileFormat, file)
            && handOut(file, outBuffer, outSize);
    } catch (...) {
        return false;
    }
}

PIXRUN_API bool FreeBuffer(void* buffer)
{
    std::free(buffer);
    return true;
}

} // extern "C"
