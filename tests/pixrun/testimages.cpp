#include "testimages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace pixtest {

img::CBitmap greyImage(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& fn)
{
    img::CBitmap image;
    image.create(width, height, 8);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.row(y)[x] = fn(x, y) ? 255 : 0;
    return image;
}

img::CBitmap colourImage(int32_t width, int32_t height, uint16_t bpp,
                         const std::function<int(int32_t, int32_t)>& fn, bool softShades)
{
    img::CBitmap image;
    image.create(width, height, bpp);
    const size_t step = bpp / 8;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* px = image.row(y) + size_t(x) * step;
            const int kind = fn(x, y);
            const uint8_t white = softShades ? 200 : 255;
            px[0] = kind == 0 ? white : 0;
            px[1] = kind == 0 ? white : 0;
            px[2] = kind == 1 ? (softShades ? 60 : 0) : 255;
            if (step == 4)
                px[3] = 255;
        }
    }
    return image;
}

img::CBitmap noiseImage(int32_t width, int32_t height, uint32_t seed)
{
    uint32_t state = seed * 2654435761u + 1;
    std::vector<bool> bits(size_t(width) * size_t(height));
    for (size_t i = 0; i < bits.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bits[i] = (state & 7) < 3;
    }
    return greyImage(width, height, [&](int32_t x, int32_t y) {
        return bits[size_t(y) * size_t(width) + size_t(x)];
    });
}

std::vector<int> greyClasses(const img::CBitmap& image)
{
    std::vector<int> out;
    for (int32_t y = 0; y < image.height(); ++y)
        for (int32_t x = 0; x < image.width(); ++x)
            out.push_back(image.row(y)[x] > 127 ? 1 : 0);
    return out;
}

std::vector<int> colourClasses(const img::CBitmap& image)
{
    std::vector<int> out;
    const size_t step = image.bitsPerPixel() / 8;
    for (int32_t y = 0; y < image.height(); ++y) {
        for (int32_t x = 0; x < image.width(); ++x) {
            const uint8_t* px = image.row(y) + size_t(x) * step;
            if (step == 1) {
                out.push_back(px[0] > 127 ? 0 : 1);
                continue;
            }
            const bool red = uint8_t(px[2] - (px[1] >> 1) - (px[0] >> 1)) > 127;
            out.push_back(red ? 2 : px[2] < 128 ? 1 : 0);
        }
    }
    return out;
}

std::vector<int> nearestClasses(const img::CBitmap& image)
{
    if (image.bitsPerPixel() == 8)
        return greyClasses(image);
    static const int kColours[3][3] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 255}};
    std::vector<int> out;
    const size_t step = image.bitsPerPixel() / 8;
    for (int32_t y = 0; y < image.height(); ++y) {
        for (int32_t x = 0; x < image.width(); ++x) {
            const uint8_t* px = image.row(y) + size_t(x) * step;
            int best = 0, bestDistance = 1 << 30;
            for (int k = 0; k < 3; ++k) {
                int d = 0;
                for (int c = 0; c < 3; ++c)
                    d += (px[c] - kColours[k][c]) * (px[c] - kColours[k][c]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
            out.push_back(best);
        }
    }
    return out;
}

int firstJpegQuantiserMax(const std::vector<uint8_t>& jpeg)
{
    // Walk the markers up to the first DQT: FF DB, length, precision/id, 64 entries.
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] == 0xDB) {
            if (length < 67 || at + 5 + 64 > jpeg.size() || (jpeg[at + 4] >> 4) != 0)
                return -1;
            return *std::max_element(jpeg.begin() + long(at + 5), jpeg.begin() + long(at + 5 + 64));
        }
        at += 2 + length;
    }
    return -1;
}

int tiffCompression(const std::vector<uint8_t>& tiff)
{
    auto u16 = [&](size_t i) { return unsigned(tiff[i] | tiff[i + 1] << 8); };
    if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || u16(2) != 42)
        return -1;
    const size_t ifd = u16(4) | size_t(u16(6)) << 16;
    if (ifd + 2 > tiff.size())
        return -1;
    const size_t count = u16(ifd);
    for (size_t i = 0; i < count && ifd + 2 + i * 12 + 12 <= tiff.size(); ++i) {
        const size_t entry = ifd + 2 + i * 12;
        if (u16(entry) == 259) // Compression, a SHORT held in the entry itself
            return int(u16(entry + 8));
    }
    return -1;
}

bool samePixels(const img::CBitmap& a, const img::CBitmap& b)
{
    if (a.width() != b.width() || a.height() != b.height() || a.bitsPerPixel() != b.bitsPerPixel())
        return false;
    const size_t rowBytes = size_t(a.width()) * a.bitsPerPixel() / 8;
    for (int32_t y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), rowBytes) != 0)
            return false;
    return true;
}

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pixrun-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create " + pattern);
    m_strPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_strPath, ignored);
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace pixtest
