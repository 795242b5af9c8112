#pragma once
// Deterministic test images and pixel comparisons for the pixrun tests.

#include "bitmap.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pixtest {

// Grey image whose pixels are 0 or 255 from fn(x, y) (true: white).
img::CBitmap greyImage(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& fn);
// 24- or 32-bit image of white, black and red areas chosen by fn(x, y): 0 white,
// 1 black, 2 red.
// With `softShades` white is (R 255, G 200, B 200) and black (R 60, 0, 0): lossy
// codecs' small errors then cannot push a pixel across the red plane's wrap-around.
img::CBitmap colourImage(int32_t width, int32_t height, uint16_t bpp,
                         const std::function<int(int32_t, int32_t)>& fn, bool softShades = false);
// A pseudo-random checker of 0/255 with blocks, stable for a given seed.
img::CBitmap noiseImage(int32_t width, int32_t height, uint32_t seed);

// Pixel classes after thresholding as the stream does: grey 0/1 (light), colour
// 0 white, 1 black, 2 red.
std::vector<int> greyClasses(const img::CBitmap& image);
std::vector<int> colourClasses(const img::CBitmap& image);
// Nearest of white, black and red (0, 1, 2) for colour images; grey as greyClasses.
std::vector<int> nearestClasses(const img::CBitmap& image);

// The largest entry of a JPEG file's first quantisation table (8-bit), or -1.
int firstJpegQuantiserMax(const std::vector<uint8_t>& jpeg);
// The Compression tag of a little-endian TIFF file's first directory, or -1.
int tiffCompression(const std::vector<uint8_t>& tiff);
// Same size, depth and pixels.
bool samePixels(const img::CBitmap& a, const img::CBitmap& b);

// A fresh directory under $TMPDIR (or /tmp), removed with all it holds at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_strPath; }

private:
    std::string m_strPath;
};
std::vector<uint8_t> readFile(const std::string& path);
bool fileExists(const std::string& path);

} // namespace pixtest
