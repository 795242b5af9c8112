#pragma once
// JPEG XR images are decoded in a helper process. jxrlib's entropy decoder is not
// safe on damaged data (wild reads, state leaked on failure), and the container
// checks cannot see into the entropy-coded bytes, so a crash, a runaway loop or a
// huge allocation has to end in a process of its own, never in the caller's.

#include "bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace img {

struct HelperLimits {
    int timeoutMs = 20000;                    // wall clock; then the helper is killed
    uint64_t memoryBytes = uint64_t(3) << 30; // address space the helper may use at most
};

// Starts `helper`, feeds it the file on its standard input and takes the pixels back
// from its standard output. A helper that crashes, overruns a limit, or answers
// anything but a complete, consistent reply gives false and the reason in `error`.
// Thread-safe; the caller's signal handling is left alone.
bool decodeInHelper(const std::string& helper, const uint8_t* data, size_t size,
                    const HelperLimits& limits, CBitmap& out, std::string& error);

// The installed helper beside the library (libexec), else the build tree's copy.
std::string jpegXrHelperPath();

// The decoding itself, run inside the helper. `allowPixels`, when given, is asked
// with the image's pixel count before any pixel memory is taken.
bool decodeJpegXrInProcess(const uint8_t* data, size_t size, CBitmap& out, std::string& error,
                           const std::function<bool(uint64_t pixels)>& allowPixels = {});

// The reply on the helper's standard output, little-endian u32 fields:
//   magic, status (0 decoded), then width, height, bits per pixel and the pixel
//   rows at CBitmap's stride; or, for status 1, the length of a message and its text.
namespace helperreply {
constexpr uint32_t kMagic = 0x524A5850; // "PXJR"
constexpr size_t kHeaderSize = 20;
constexpr uint32_t kMaxMessage = 1024;
} // namespace helperreply

} // namespace img
