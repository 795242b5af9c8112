// pixrun command-line tool: encode an image file to a stream, decode a stream to an
// image file, or describe a stream. It uses the shared library only.
#include "pixrun.h"
#include "toolreport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Documented in the help text.
enum ExitCode {
    kOk = 0,
    kUnreadable = 1,
    kUsage = 2,
    kMissing = 3,
    kUnwritable = 4,
    kDamaged = 5,
};

const char kHelp[] =
    "usage: pixrun encode IMAGE STREAM   image file (bmp, jpg, jxr, png, tif) to stream\n"
    "       pixrun decode STREAM IMAGE   stream to image file, format from the extension\n"
    "                                    (bmp, jpg, jpeg, jxr, wdp, hdp, png, tif, tiff)\n"
    "       pixrun info STREAM           header, planes, sizes and symbol counts\n"
    "       pixrun --help | --version\n"
    "\n"
    "exit status: 0 done; 1 the input cannot be read; 2 bad usage or unknown format;\n"
    "3 the input file does not exist; 4 the output cannot be written; 5 the stream is\n"
    "truncated or damaged (the image is written with what decoded)\n";

int usage()
{
    std::fputs(kHelp, stderr);
    return kUsage;
}

// Turns the library's report of a failed or doubtful call into a message and status.
int failure(const char* what)
{
    const PixrunReport& r = *PixrunLastReport();
    switch (r.problem) {
    case PIXRUN_SOURCE_MISSING:
        std::fprintf(stderr, "pixrun: %s: no such file\n", what);
        return kMissing;
    case PIXRUN_DESTINATION_UNWRITABLE:
        std::fprintf(stderr, "pixrun: cannot write %s\n", r.reason);
        return kUnwritable;
    case PIXRUN_STREAM_DAMAGED:
        std::fprintf(stderr, "pixrun: warning: %s is damaged (%s); the image holds what decoded\n",
                     what, r.reason);
        return kDamaged;
    case PIXRUN_UNKNOWN_FORMAT:
        std::fprintf(stderr, "pixrun: %s\n", r.reason);
        return usage();
    default:
        std::fprintf(stderr, "pixrun: cannot read %s: %s\n", what, r.reason);
        return kUnreadable;
    }
}

int info(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pixrun: %s: %s\n", path, std::strerror(errno));
        return errno == ENOENT ? kMissing : kUnreadable;
    }
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), {});
    std::vector<char> text(4096);
    if (!PixrunDescribeStream(data.data(), unsigned(data.size()), text.data(), int(text.size()))) {
        std::fprintf(stderr, "pixrun: cannot read %s: not a pixrun stream, or its header or code "
                             "table is damaged\n",
                     path);
        return kUnreadable;
    }
    std::fputs(text.data(), stdout);
    return kOk;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return kOk;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("pixrun %s\n", PIXRUN_VERSION_TEXT);
        return kOk;
    }
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "info" && argc == 3)
        return info(argv[2]);
    if (command == "encode" && argc == 4)
        return RleEncode(argv[2], argv[3]) ? kOk : failure(argv[2]);
    if (command == "decode" && argc == 4) {
        const bool decoded = RleDecode(argv[2], argv[3]);
        return decoded && PixrunLastReport()->problem == PIXRUN_OK ? kOk : failure(argv[2]);
    }
    return usage();
}
