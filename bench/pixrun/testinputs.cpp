#include "testinputs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace bench {

namespace {

struct Random {
    uint32_t state;
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int n) { return int(next() % uint32_t(n)); }
};

void fill(img::CBitmap& image, int32_t x0, int32_t y0, int32_t w, int32_t h, uint8_t v)
{
    for (int32_t y = std::max(0, y0); y < std::min(image.height(), y0 + h); ++y)
        for (int32_t x = std::max(0, x0); x < std::min(image.width(), x0 + w); ++x)
            image.row(y)[x] = v;
}

// A line of glyph-like marks: strokes and dots of one x-height.
void textLine(img::CBitmap& image, Random& random, int32_t x0, int32_t x1, int32_t baseline,
              int32_t size)
{
    int32_t x = x0;
    while (x < x1 - size) {
        const int32_t letters = 2 + random.below(8);
        for (int32_t i = 0; i < letters && x < x1 - size; ++i) {
            const int32_t w = size / 2 + random.below(size / 2 + 1);
            const int32_t stroke = std::max(1, size / 7);
            fill(image, x, baseline - size, stroke, size, 0);               // stem
            if (random.below(2))
                fill(image, x, baseline - size, w, stroke, 0);              // top bar
            if (random.below(2))
                fill(image, x, baseline - stroke, w, stroke, 0);            // foot
            if (random.below(3) == 0)
                fill(image, x + w - stroke, baseline - size, stroke, size, 0);
            if (random.below(4) == 0)
                fill(image, x, baseline - size * 3 / 2, stroke, size / 2, 0); // ascender
            x += w + stroke + 1;
        }
        x += size; // word gap
    }
}

} // namespace

img::CBitmap ditheredPhoto(int32_t width, int32_t height)
{
    // A smooth synthetic scene (gradients, discs, waves) with Floyd-Steinberg dither.
    std::vector<float> grey(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const float u = float(x) / float(width), v = float(y) / float(height);
            float g = 0.35f + 0.4f * u * (1.0f - v) + 0.15f * std::sin(9.0f * u + 5.0f * v);
            const float dx = u - 0.6f, dy = v - 0.35f;
            if (dx * dx + dy * dy < 0.04f)
                g = 0.85f - 2.0f * (dx * dx + dy * dy);
            const float ex = u - 0.3f, ey = v - 0.7f;
            if (ex * ex * 2 + ey * ey < 0.03f)
                g = 0.15f + 0.3f * ex;
            grey[size_t(y) * size_t(width) + size_t(x)] = 255.0f * std::min(1.0f, std::max(0.0f, g));
        }
    }
    img::CBitmap image;
    image.create(width, height, 8);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            float& old = grey[size_t(y) * size_t(width) + size_t(x)];
            const float value = old > 127.5f ? 255.0f : 0.0f;
            const float error = old - value;
            image.row(y)[x] = uint8_t(value);
            auto spread = [&](int32_t dx, int32_t dy, float weight) {
                if (x + dx >= 0 && x + dx < width && y + dy < height)
                    grey[size_t(y + dy) * size_t(width) + size_t(x + dx)] += error * weight;
            };
            spread(1, 0, 7.0f / 16);
            spread(-1, 1, 3.0f / 16);
            spread(0, 1, 5.0f / 16);
            spread(1, 1, 1.0f / 16);
        }
    }
    return image;
}

img::CBitmap label(int32_t width, int32_t height)
{
    img::CBitmap image;
    image.create(width, height, 8);
    fill(image, 0, 0, width, height, 255);
    Random random{12345};
    fill(image, 0, 0, width, height / 6, 0);                           // title band
    fill(image, 8, 8, width / 2, height / 6 - 16, 255);
    fill(image, 4, height / 6 + 4, width - 8, 2, 0);                   // rule
    for (int32_t line = 0; line < 9; ++line)
        textLine(image, random, 10, width - 10, height / 6 + 40 + line * 24, 14);
    for (int32_t i = 0; i < 40; ++i)                                    // barcode
        fill(image, 20 + i * 5, height - 90, 1 + random.below(3), 60, 0);
    fill(image, width - 70, height - 90, 60, 60, 0);                   // flat block
    return image;
}

img::CBitmap textPage(int32_t width, int32_t height)
{
    img::CBitmap image;
    image.create(width, height, 8);
    fill(image, 0, 0, width, height, 255);
    Random random{777};
    const int32_t margin = width / 10;
    textLine(image, random, margin, width - margin, margin + 60, 60);   // heading
    for (int32_t y = margin + 160; y < height - margin; y += 50) {
        if (random.below(12) == 0)
            continue;                                                    // paragraph gap
        textLine(image, random, margin, width - margin - random.below(width / 4), y, 30);
    }
    return image;
}

} // namespace bench
