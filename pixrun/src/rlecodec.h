#pragma once
// The pixrun stream: a 20-byte file header, one canonical code table, then per plane
// a 16-byte header and its Huffman-coded run-length bit stream.

#include "bitmap.h"
#include "planes.h"

#include <cstdint>
#include <vector>

namespace pixrun {

// Where an encoder puts a stream: asked once for exactly the stream's size, it returns
// the place to write it, or nullptr when it cannot (the encoder then fails).
class StreamBuffer {
public:
    virtual uint8_t* allocate(size_t size) = 0;

protected:
    ~StreamBuffer() = default;
};

// Writes a one-plane stream of an 8-bit grey image. False, nothing allocated, for an
// empty or non-8-bit image, or one wider or higher than 65535 pixels.
bool encodeGrey(StreamBuffer& out, const img::CBitmap& src, StreamRows rows);
// Writes a two-plane stream (black, then red) of a 24- or 32-bit image.
bool encodeColour(StreamBuffer& out, const img::CBitmap& src, StreamRows rows);
// The same, appended to a vector.
bool encodeGrey(std::vector<uint8_t>& out, const img::CBitmap& src,
                StreamRows rows = StreamRows::FirstRowFirst);
bool encodeColour(std::vector<uint8_t>& out, const img::CBitmap& src,
                  StreamRows rows = StreamRows::FirstRowFirst);

struct PlaneInfo {
    uint16_t type = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t bitLength = 0;      // as stored in the plane header
    uint32_t bytesAvailable = 0; // of those, present in the stream
    uint64_t literals = 0;
    uint64_t runCodes = 0;
    bool ended = false;          // reached its end symbol
};

struct StreamInfo {
    uint16_t dataOffset = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t planeCount = 0;
    uint32_t rawSize = 0;
    uint32_t totalSize = 0;
    int codeCount = 0;
    int maxCodeLength = 0;
    std::vector<PlaneInfo> planes;
};

struct DecodeLimits {
    uint64_t maxPixels = img::kMaxPixels;
};

// Where a decoder puts an image: asked once for a zeroed image of the stream's size
// and depth, it returns that image, or nullptr when it cannot (the decoder then fails).
class ImageBuffer {
public:
    virtual img::CBitmap* allocate(int32_t width, int32_t height, uint16_t bitsPerPixel) = 0;

protected:
    ~ImageBuffer() = default;
};

// An ImageBuffer that allocates the image itself.
class NewImage final : public ImageBuffer {
public:
    img::CBitmap image;
    img::CBitmap* allocate(int32_t width, int32_t height, uint16_t bitsPerPixel) override;
};

// Replaces dst with the decoded image: 8-bit grey for one plane (set bit white),
// 24-bit otherwise. False for a missing or foreign header, an unreadable or invalid
// code table, a zero or over-limit image size, or a plane count other than 1 or 2;
// a damaged bit stream leaves the pixels it could not reach at their initial value.
bool decodeStream(const uint8_t* data, size_t size, img::CBitmap& dst,
                  StreamInfo* info = nullptr, const DecodeLimits& limits = {},
                  StreamRows rows = StreamRows::FirstRowFirst);
// The same into the image that `dst` provides; on failure it may hold part of the image.
bool decodeStream(const uint8_t* data, size_t size, ImageBuffer& dst, StreamInfo* info,
                  const DecodeLimits& limits, StreamRows rows);

} // namespace pixrun
