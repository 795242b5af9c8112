#pragma once
// The benchmark's four bi-level inputs, generated deterministically as 8-bit grey
// images of 0 and 255.

#include "bitmap.h"

#include <string>

namespace bench {

struct Input {
    std::string name;
    img::CBitmap image;
};

img::CBitmap ditheredPhoto(int32_t width, int32_t height);
img::CBitmap label(int32_t width, int32_t height);
img::CBitmap textPage(int32_t width, int32_t height);

} // namespace bench
