#pragma once
// Checks a JPEG XR file's container and codestream header before jxrlib sees it.
// jxrlib trusts the file: it asserts on out-of-range values, reads metadata of any
// size the file claims and sizes its buffers from the codestream header. The checked
// copy keeps the image data and only the directory entries decoding needs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace img {

// On success `out` is the file with a new, minimal directory appended and the header
// pointing at it, and `pixelFormat` the pixel format identifier as stored (16 bytes);
// on failure `error` says what is wrong and `out` is empty.
bool checkJpegXrFile(const uint8_t* data, size_t size, uint64_t maxPixels,
                     std::vector<uint8_t>& out, uint8_t (&pixelFormat)[16], std::string& error);

// Sets the alpha plane's byte count of a file jxrlib wrote to the plane's length
// (jxrlib stores where it ends), so that other readers accept the file.
void repairJpegXrAlphaCount(std::vector<uint8_t>& file);

} // namespace img
