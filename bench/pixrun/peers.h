#pragma once
// Reference bi-level codecs for the benchmark. Each takes the same 8-bit grey image
// (0/255) and gives it back as such: packing to and unpacking from 1 bit per pixel
// is part of their work, as thresholding and expansion are part of pixrun's.

#include "bitmap.h"

#include <cstdint>
#include <vector>

namespace bench {

struct Codec {
    const char* name;
    bool (*encode)(const img::CBitmap& image, std::vector<uint8_t>& out);
    bool (*decode)(const std::vector<uint8_t>& in, img::CBitmap& image);
};

extern const Codec kPixrun;
extern const Codec kTiffG4;
extern const Codec kJbig;
extern const Codec kPng1;

} // namespace bench
