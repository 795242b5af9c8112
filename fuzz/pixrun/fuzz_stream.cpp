// Stream decoder: any input decodes or is refused without touching memory it does
// not own; what decodes re-encodes to a stream that decodes to the same pixels.
#include "rlecodec.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    pixrun::DecodeLimits limits;
    limits.maxPixels = uint64_t(1) << 22;
    img::CBitmap image;
    if (!pixrun::decodeStream(data, size, image, nullptr, limits))
        return 0;
    std::vector<uint8_t> stream;
    const bool encoded = image.bitsPerPixel() == 8 ? pixrun::encodeGrey(stream, image)
                                                   : pixrun::encodeColour(stream, image);
    img::CBitmap again;
    if (!encoded || !pixrun::decodeStream(stream.data(), stream.size(), again, nullptr, limits)
        || again.bitsPerPixel() != image.bitsPerPixel()
        || std::memcmp(again.bits(), image.bits(), image.stride() * size_t(image.height())) != 0)
        std::abort();
    return 0;
}
