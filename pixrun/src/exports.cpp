// The library's C interface. Each call is self-contained: it reads, converts and
// writes with its own objects, so calls may run on several threads at once. Nothing
// throws across this boundary. Images are held in file row order; the stream stores
// them bottom row first, which the codec does by row index.
#include "pixrun.h"

#include "fileio.h"
#include "imagefile.h"
#include "outbuffer.h"
#include "rlecodec.h"
#include "streamtext.h"
#include "toolreport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

using pixrun::StreamRows;

thread_local PixrunReport t_report;

bool report(PixrunProblem problem, const std::string& reason)
{
    t_report.problem = problem;
    std::snprintf(t_report.reason, sizeof t_report.reason, "%s", reason.c_str());
    return false;
}

void clearReport() { report(PIXRUN_OK, std::string()); }

// The stream of an image file held in memory. Its picture's bottom row goes first:
// a BMP stored bottom-up is coded straight from the file's bytes. `imageRead` tells
// a failure after the image was read.
bool encodeFile(const uint8_t* data, size_t size, pixrun::OutBuffer& stream, bool& imageRead)
{
    imageRead = false;
    img::CBitmap image;
    bool bottomUp = false;
    StreamRows rows = StreamRows::LastRowFirst;
    if (img::viewBmp(data, size, image, bottomUp)) {
        rows = bottomUp ? StreamRows::FirstRowFirst : StreamRows::LastRowFirst;
    } else {
        img::CDecoder decoder;
        if (!decoder.load(data, size, image))
            return report(PIXRUN_SOURCE_UNREADABLE, decoder.error());
    }
    imageRead = true;
    const bool ok = image.bitsPerPixel() == 8 ? pixrun::encodeGrey(stream, image, rows)
                                              : pixrun::encodeColour(stream, image, rows);
    return ok || report(PIXRUN_SOURCE_UNREADABLE, "image too large for a stream, or out of memory");
}

bool readFile(const char* path, std::vector<uint8_t>& bytes)
{
    int error = 0;
    if (pixrun::readWholeFile(path, bytes, &error))
        return true;
    return report(error == ENOENT ? PIXRUN_SOURCE_MISSING : PIXRUN_SOURCE_UNREADABLE,
                  std::string(path) + ": " + std::strerror(error));
}

// A stream that decodes but ends early or is damaged is reported, not refused.
bool decodeImage(const uint8_t* data, size_t size, pixrun::ImageBuffer& image, StreamRows rows)
{
    pixrun::StreamInfo info;
    if (!pixrun::decodeStream(data, size, image, &info, {}, rows))
        return report(PIXRUN_SOURCE_UNREADABLE, "not a pixrun stream, or its header or code "
                                                "table is damaged");
    const std::string damage = pixrun::streamDamage(info);
    if (!damage.empty())
        report(PIXRUN_STREAM_DAMAGED, damage);
    return true;
}

// The pixel rows of a BMP file: stored bottom row first, they are in the stream's
// order, so the decoder writes the file itself, without a flip or a copy.
class BmpFileImage final : public pixrun::ImageBuffer {
public:
    explicit BmpFileImage(pixrun::OutBuffer& file) : m_file(file) {}
    img::CBitmap* allocate(int32_t width, int32_t height, uint16_t bitsPerPixel) override
    {
        const size_t size = img::bmpFileSize(width, height, bitsPerPixel);
        if (!size || !m_file.allocateZeroed(size))
            return nullptr;
        img::writeBmpHeader(width, height, bitsPerPixel, m_file.data());
        uint8_t* rows = m_file.data() + img::bmpPixelOffset(bitsPerPixel);
        return m_image.wrap(rows, width, height, bitsPerPixel) ? &m_image : nullptr;
    }

private:
    pixrun::OutBuffer& m_file;
    img::CBitmap m_image;
};

// The image file of a stream, in the given format, in one block.
bool decodeToFile(const uint8_t* data, size_t size, img::FileFormat format,
                  const img::EncoderOptions& options, pixrun::OutBuffer& file)
{
    if (format == img::FileFormat::Bmp) {
        BmpFileImage bmp(file);
        return decodeImage(data, size, bmp, StreamRows::FirstRowFirst);
    }
    pixrun::NewImage decoded; // in file row order
    img::CEncoder encoder(options);
    return decodeImage(data, size, decoded, StreamRows::LastRowFirst)
        && (encoder.save(decoded.image, format, file)
            || report(PIXRUN_DESTINATION_UNWRITABLE, encoder.error()));
}

bool handOut(pixrun::OutBuffer& bytes, unsigned char** outBuffer, int* outSize)
{
    if (bytes.size() == 0 || bytes.size() > size_t(std::numeric_limits<int>::max()))
        return report(PIXRUN_DESTINATION_UNWRITABLE, "result too large for the interface");
    *outSize = int(bytes.size());
    *outBuffer = bytes.release();
    return true;
}

bool writeFile(const char* path, const pixrun::OutBuffer& bytes)
{
    int error = 0;
    if (pixrun::writeWholeFile(path, bytes.data(), bytes.size(), &error))
        return true;
    return report(PIXRUN_DESTINATION_UNWRITABLE, std::string(path) + ": " + std::strerror(error));
}

bool failedOnException()
{
    return report(PIXRUN_SOURCE_UNREADABLE, "out of memory");
}

} // namespace

extern "C" {

PIXRUN_API bool RleEncode(const char* srcPath, const char* dstPath)
{
    clearReport();
    if (!srcPath || !dstPath)
        return false;
    try {
        std::vector<uint8_t> file;
        pixrun::OutBuffer stream;
        bool imageRead = false;
        return readFile(srcPath, file) && encodeFile(file.data(), file.size(), stream, imageRead)
            && writeFile(dstPath, stream);
    } catch (...) {
        return failedOnException();
    }
}

PIXRUN_API bool RleEncodeFromData(const unsigned char* data, int size, unsigned char** outBuffer,
                                  int* outSize)
{
    clearReport();
    if (!data || size <= 0 || !outBuffer || !outSize)
        return false;
    try {
        pixrun::OutBuffer stream;
        bool imageRead = false;
        if (encodeFile(data, size_t(size), stream, imageRead) && handOut(stream, outBuffer, outSize))
            return true;
        if (!imageRead)
            return false; // not an image: the out arguments stay as they were
        *outBuffer = nullptr;
        *outSize = 0;
        return false;
    } catch (...) {
        return failedOnException();
    }
}

PIXRUN_API bool RleDecode(const char* srcPath, const char* dstPath)
{
    clearReport();
    if (!srcPath || !dstPath)
        return false;
    try {
        const img::FileFormat format = img::formatFromPath(dstPath);
        if (format == img::FileFormat::Unknown)
            return report(PIXRUN_UNKNOWN_FORMAT, "unknown image file extension");
        std::vector<uint8_t> stream;
        pixrun::OutBuffer file;
        return readFile(srcPath, stream) && decodeToFile(stream.data(), stream.size(), format, {}, file)
            && writeFile(dstPath, file);
    } catch (...) {
        return failedOnException();
    }
}

PIXRUN_API bool RleDecodeToData(const char* format, const unsigned char* data, unsigned int count,
                                unsigned char** outBuffer, int* outSize)
{
    clearReport();
    if (!format || !data || !outBuffer || !outSize)
        return false;
    try {
        const img::FileFormat fileFormat = img::formatFromName(format);
        if (fileFormat == img::FileFormat::Unknown)
            return report(PIXRUN_UNKNOWN_FORMAT, "unknown image format name");
        pixrun::OutBuffer file;
        // Memory output carries no writer options; 8-bit images are grey in every format.
        if (decodeToFile(data, count, fileFormat, img::EncoderOptions::libraryDefaults(), file)
            && handOut(file, outBuffer, outSize))
            return true;
        if (t_report.problem == PIXRUN_SOURCE_UNREADABLE)
            return false; // not a stream: the out arguments stay as they were
        *outBuffer = nullptr;
        *outSize = 0;
        return false;
    } catch (...) {
        return failedOnException();
    }
}

PIXRUN_API bool FreeBuffer(void* buffer)
{
    std::free(buffer);
    return true;
}

PIXRUN_API const PixrunReport* PixrunLastReport(void) { return &t_report; }

PIXRUN_API bool PixrunDescribeStream(const unsigned char* data, unsigned int count, char* text,
                                     int capacity)
{
    if (!data || !text || capacity <= 0)
        return false;
    try {
        std::string description;
        if (!pixrun::describeStream(data, count, description))
            return false;
        std::snprintf(text, size_t(capacity), "%s", description.c_str());
        return true;
    } catch (...) {
        return false;
    }
}

} // extern "C"
