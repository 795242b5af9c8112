// pixrun command-line tool: encode an image file to a stream, decode a stream to an
// image file, or describe a stream.
#include "pixrun.h"

#include "fileio.h"
#include "imagefile.h"
#include "rlecodec.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

int usage()
{
    std::fprintf(stderr,
                 "usage: pixrun encode IMAGE STREAM   image file (bmp, jpg, jxr, png, tif) to stream\n"
                 "       pixrun decode STREAM IMAGE   stream to image file, format from the extension\n"
                 "       pixrun info STREAM           header, planes, sizes and symbol counts\n");
    return kUsage;
}

int info(const char* path)
{
    std::vector<uint8_t> data;
    if (!pixrun::readWholeFile(path, data)) {
        std::fprintf(stderr, "pixrun: cannot read %s\n", path);
        return kFailed;
    }
    img::CBitmap image;
    pixrun::StreamInfo s;
    if (!pixrun::decodeStream(data.data(), data.size(), image, &s)) {
        std::fprintf(stderr, "pixrun: %s is not a readable pixrun stream\n", path);
        return kFailed;
    }
    std::printf("file size     %zu bytes\n", data.size());
    std::printf("image         %u x %u, %u plane(s)\n", s.width, s.height, s.planeCount);
    std::printf("data offset   %u (code table %u bytes, %d codes, longest %d bits)\n", s.dataOffset,
                unsigned(s.dataOffset - 20), s.codeCount, s.maxCodeLength);
    std::printf("raw size      %u bytes\n", s.rawSize);
    std::printf("total size    %u bytes (header field)\n", s.totalSize);
    for (size_t i = 0; i < s.planes.size(); ++i) {
        const pixrun::PlaneInfo& p = s.planes[i];
        std::printf("plane %zu       type %u (%s), %u x %u, %u bytes%s, %llu literals, "
                    "%llu run codes, %s\n",
                    i, p.type, p.type == 0 ? "black" : p.type == 3 ? "red" : "unknown", p.width,
                    p.height, p.bitLength,
                    p.bytesAvailable < p.bitLength ? " (truncated)" : "",
                    static_cast<unsigned long long>(p.literals),
                    static_cast<unsigned long long>(p.runCodes),
                    p.ended ? "complete" : "no end symbol");
    }
    if (s.planes.size() < s.planeCount)
        std::printf("missing       %zu plane(s)\n", size_t(s.planeCount) - s.planes.size());
    return kOk;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "info" && argc == 3)
        return info(argv[2]);
    if (command == "encode" && argc == 4) {
        if (RleEncode(argv[2], argv[3]))
            return kOk;
        std::fprintf(stderr, "pixrun: cannot encode %s to %s (unreadable image or unwritable "
                             "destination)\n",
                     argv[2], argv[3]);
        return kFailed;
    }
    if (command == "decode" && argc == 4) {
        if (img::formatFromPath(argv[3]) == img::FileFormat::Unknown) {
            std::fprintf(stderr, "pixrun: %s: extension must be bmp, jpg, jpeg, jxr, wdp, hdp, "
                                 "png, tif or tiff\n",
                         argv[3]);
            return kUsage;
        }
        if (RleDecode(argv[2], argv[3]))
            return kOk;
        std::fprintf(stderr, "pixrun: cannot decode %s to %s (unreadable stream or unwritable "
                             "destination)\n",
                     argv[2], argv[3]);
        return kFailed;
    }
    return usage();
}
