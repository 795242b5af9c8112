// The JPEG XR container and codestream header checks, which run before the decoder
// helper sees a file: any input is refused with a reason or passes, and the checked
// copy that passes is accepted again as it is.
#include "bitmap.h"
#include "jxrcontainer.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> checked, again;
    uint8_t format[16], formatAgain[16];
    std::string error;
    if (!img::checkJpegXrFile(data, size, img::kMaxPixels, checked, format, error)) {
        if (error.empty() || !checked.empty())
            std::abort();
        return 0;
    }
    if (!img::checkJpegXrFile(checked.data(), checked.size(), img::kMaxPixels, again, formatAgain, error)
        || std::memcmp(format, formatAgain, sizeof format) != 0)
        std::abort();
    return 0;
}
