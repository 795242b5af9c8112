// One image reader, chosen at build time (PIXRUN_FUZZ_FORMAT): any input is read or
// refused safely. BMP, which is parsed by our own code, must also read back what its
// writer makes of the result.
#include "imagefile.h"

#include <cstdlib>
#include <cstring>

#define PIXRUN_CAT(a, b) a##b
#define PIXRUN_READER(format) PIXRUN_CAT(reader_, format)
#define reader_bmp img::readBmp
#define reader_png img::readPng
#define reader_jpeg img::readJpeg
#define reader_tiff img::readTiff
#define reader_jxr img::readJpegXr

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    img::CBitmap image;
    std::string error;
    if (!PIXRUN_READER(PIXRUN_FUZZ_FORMAT)(data, size, image, error))
        return 0;
    if (image.isNull())
        std::abort();
    if (PIXRUN_READER(PIXRUN_FUZZ_FORMAT) == img::readBmp) {
        std::vector<uint8_t> file;
        img::CBitmap again;
        if (!img::writeBmp(image, file, error) || !img::readBmp(file.data(), file.size(), again, error)
            || again.bitsPerPixel() != image.bitsPerPixel()
            || std::memcmp(again.bits(), image.bits(), image.stride() * size_t(image.height())) != 0)
            std::abort();
    }
    return 0;
}
