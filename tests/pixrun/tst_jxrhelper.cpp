// JPEG XR files are decoded in a helper process: damaged files that crash the
// decoder come back as a clean false, good files as the pixels the decoder makes,
// and a helper that misbehaves in any way cannot hang or fool the caller.
#include "fileio.h"
#include "imagefile.h"
#include "jxrhelper.h"
#include "pixrun.h"
#include "testimages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

using namespace img;

namespace {

std::string corpusFile(const char* name)
{
    return std::string(PIXRUN_FUZZ_CORPORA) + "/pixrun_fuzz_jxr/" + name;
}

// Inputs that made the decoder read wildly (SIGSEGV) in process.
const char* const kCrashingInputs[] = {"a8331bb425345ac486cf9599a8f86e9aa4b05cc8",
                                       "c2b25e929f8b2c98792678f613f047e445b4118d",
                                       "d9d1046b36879787acd27c0eda5c7735f26abcdf"};

TEST(JpegXrHelper, crashingInputsFailCleanlyThroughEveryReadingExport)
{
    const pixtest::TempDir temp;
    const std::string& dir = temp.path();
    for (const char* name : kCrashingInputs) {
        const std::string path = corpusFile(name);
        const std::vector<uint8_t> file = pixtest::readFile(path);
        ASSERT_FALSE(file.empty()) << name;

        CBitmap image;
        std::string error;
        EXPECT_FALSE(readJpegXr(file.data(), file.size(), image, error)) << name;
        // A sanitized helper reports the wild read and exits instead of crashing.
        EXPECT_TRUE(error.find("crashed") != std::string::npos || error.find("exit code") != std::string::npos)
            << name << ": " << error;
        EXPECT_TRUE(image.isNull());

        unsigned char* out = nullptr;
        int outSize = -1;
        EXPECT_FALSE(RleEncodeFromData(file.data(), int(file.size()), &out, &outSize)) << name;
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(outSize, -1);
        const std::string stream = dir + "/out.rle";
        EXPECT_FALSE(RleEncode(path.c_str(), stream.c_str())) << name;
        EXPECT_FALSE(pixtest::fileExists(stream));
    }
}

TEST(JpegXrHelper, goodFilesGiveThePixelsOfTheDecoderItself)
{
    auto pattern = [](int32_t x, int32_t y) { return (x * 7 + y * 3) % 3; };
    const CBitmap sources[] = {pixtest::greyImage(37, 21, [](int32_t x, int32_t y) { return (x ^ y) & 4; }),
                               pixtest::colourImage(37, 21, 24, pattern)};
    for (const CBitmap& source : sources) {
        std::vector<uint8_t> file;
        std::string error;
        ASSERT_TRUE(writeJpegXr(source, 0.9f, file, error)) << error;
        CBitmap direct, isolated;
        ASSERT_TRUE(decodeJpegXrInProcess(file.data(), file.size(), direct, error)) << error;
        ASSERT_TRUE(readJpegXr(file.data(), file.size(), isolated, error)) << error;
        EXPECT_EQ(isolated.bitsPerPixel(), source.bitsPerPixel());
        EXPECT_TRUE(pixtest::samePixels(direct, isolated)) << source.bitsPerPixel();
    }
}

// Octal escapes for sh's printf: a reply header of the helper's format.
std::string header(uint32_t status, uint32_t a, uint32_t b, uint32_t c)
{
    std::string out = "PXJR";
    for (uint32_t v : {status, a, b, c})
        for (int i = 0; i < 4; ++i) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\%03o", unsigned((v >> (8 * i)) & 0xFF));
            out += esc;
        }
    return out;
}

std::string script(const std::string& dir, const std::string& name, const std::string& body)
{
    const std::string path = dir + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
}

struct Misbehaviour {
    const char* name;
    std::string body; // what the helper does, as a shell script
    const char* reason; // part of the error
};

TEST(JpegXrHelper, misbehavingHelpersAreStoppedAndReported)
{
    const pixtest::TempDir temp;
    const std::string& dir = temp.path();
    const Misbehaviour cases[] = {
        {"hangs", "exec sleep 30", "took longer than 300 ms"},
        {"spins after answering half", "printf '" + header(0, 4, 4, 8) + "'; while :; do :; done",
         "took longer than 300 ms"},
        {"crashes", "kill -SEGV $$", "crashed on damaged data (signal 11)"},
        {"exits without reading", "exit 0", "without a complete answer"},
        {"fails without a word", "exit 3", "exit code 3"},
        {"answers garbage", "printf 'hello, world, this is no image'", "unreadable answer"},
        {"announces a huge image", "printf '" + header(0, 100000, 100000, 24) + "'",
         "impossible image"},
        {"announces a depth we never use", "printf '" + header(0, 4, 4, 16) + "'",
         "impossible image"},
        {"answers more than announced", "printf '" + header(1, 2, 0, 0) + "abcdef'; exit 1",
         "more than it announced"},
        {"announces a huge message", "printf '" + header(1, 1 << 20, 0, 0) + "'; exit 1",
         "unreadable answer"},
        {"explains itself", "cat >/dev/null; printf '" + header(1, 4, 0, 0) + "oops'; exit 1",
         "JPEG XR: oops"},
        {"answers with pixels but then crashes",
         "cat >/dev/null; printf '" + header(0, 1, 1, 8) + "\\000\\000\\000\\000'; kill -SEGV $$",
         "crashed"},
        {"is missing", "", "missing"},
    };
    // More than a socket buffer, so that a helper that does not read blocks the writer.
    const std::vector<uint8_t> input(1 << 20, 0x5A);
    HelperLimits limits;
    limits.timeoutMs = 300;
    int n = 0;
    for (const Misbehaviour& c : cases) {
        const std::string helper = c.body.empty() ? dir + "/none"
                                                  : script(dir, "helper" + std::to_string(n++), c.body);
        CBitmap image;
        std::string error;
        EXPECT_FALSE(decodeInHelper(helper, input.data(), input.size(), limits, image, error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(image.isNull()) << c.name;
    }
}

TEST(JpegXrHelper, aWellFormedAnswerIsTakenWhateverTheHelper)
{
    // Guards the test above: the stub mechanism itself can produce a success.
    const pixtest::TempDir temp;
    const std::string& dir = temp.path();
    const std::string helper = script(
        dir, "good", "cat >/dev/null; printf '" + header(0, 2, 1, 8) + "\\001\\377\\000\\000'");
    const std::vector<uint8_t> input(100, 1);
    CBitmap image;
    std::string error;
    ASSERT_TRUE(decodeInHelper(helper, input.data(), input.size(), HelperLimits{}, image, error)) << error;
    ASSERT_EQ(image.width(), 2);
    ASSERT_EQ(image.height(), 1);
    EXPECT_EQ(image.row(0)[0], 1);
    EXPECT_EQ(image.row(0)[1], 255);
}

} // namespace
