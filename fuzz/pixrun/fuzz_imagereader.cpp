// One image reader, chosen at build time (PIXRUN_FUZZ_FORMAT): any input is read or
// refused safely. BMP, which is parsed by our own code, must also read back what its
// writer makes of the result, and where it takes the file's rows in place, show the
// pixels its reader gives.
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
        pixrun::OutBuffer file;
        img::CBitmap again;
        if (!img::writeBmp(image, file, error) || !img::readBmp(file.data(), file.size(), again, error)
            || again.bitsPerPixel() != image.bitsPerPixel()
            || std::memcmp(again.bits(), image.bits(), image.stride() * size_t(image.height())) != 0)
            std::abort();
        img::CBitmap view;
        bool bottomUp = false;
        if (img::viewBmp(data, size, view, bottomUp)) {
            const size_t rowBytes = size_t(image.width()) * image.bitsPerPixel() / 8;
            if (view.width() != image.width() || view.height() != image.height()
                || view.bitsPerPixel() != image.bitsPerPixel())
                std::abort();
            for (int32_t y = 0; y < image.height(); ++y)
                if (std::memcmp(view.row(bottomUp ? image.height() - 1 - y : y), image.row(y), rowBytes))
                    std::abort();
        }
    }
    return 0;
}
