// The library's C interface, through the shared library itself.
#include "pixrun.h"

#include "imagefile.h"
#include "rlecodec.h"
#include "streamformat.h"
#include "testimages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

struct Format {
    const char* extension;
    bool lossy;
};

const Format kFormats[] = {{"bmp", false}, {"png", false}, {"tif", false}, {"tiff", false},
                           {"jpg", true},  {"JPEG", true}, {"jxr", true},  {"wdp", true},
                           {"HDP", true}};

std::vector<uint8_t> fileOf(const img::CBitmap& image, const std::string& extension)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(img::CEncoder().save(image, img::formatFromName(extension), out));
    return out;
}

img::CBitmap imageOf(const std::vector<uint8_t>& data)
{
    img::CBitmap image;
    EXPECT_TRUE(img::CDecoder().load(data.data(), data.size(), image));
    return image;
}

std::vector<uint8_t> takeBuffer(unsigned char* buffer, int size)
{
    std::vector<uint8_t> out(buffer, buffer + size);
    EXPECT_TRUE(FreeBuffer(buffer));
    return out;
}

std::vector<uint8_t> encodeFromData(const std::vector<uint8_t>& file)
{
    unsigned char* buffer = nullptr;
    int size = 0;
    EXPECT_TRUE(RleEncodeFromData(file.data(), int(file.size()), &buffer, &size));
    return buffer ? takeBuffer(buffer, size) : std::vector<uint8_t>{};
}

std::vector<uint8_t> decodeToData(const char* format, const std::vector<uint8_t>& stream)
{
    unsigned char* buffer = nullptr;
    int size = 0;
    EXPECT_TRUE(RleDecodeToData(format, stream.data(), unsigned(stream.size()), &buffer, &size))
        << format;
    return buffer ? takeBuffer(buffer, size) : std::vector<uint8_t>{};
}

img::CBitmap photo()
{
    return pixtest::colourImage(64, 48, 24, [](int32_t x, int32_t y) { return (x / 16 + y / 16) % 3; },
                                true);
}

img::CBitmap page()
{
    return pixtest::greyImage(64, 48, [](int32_t x, int32_t y) { return (x / 8 + y / 8) % 2; });
}

// The same BMP file with its rows stored top row first.
std::vector<uint8_t> topDownBmp(const std::vector<uint8_t>& bmp, const img::CBitmap& image)
{
    std::vector<uint8_t> out = bmp;
    const size_t offset = pixrun::getU32(bmp.data() + 10), stride = image.stride();
    const int32_t height = image.height();
    pixrun::putU32(out.data() + 22, uint32_t(-height));
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(out.data() + offset + size_t(y) * stride,
                    bmp.data() + offset + size_t(height - 1 - y) * stride, stride);
    return out;
}

class Exports : public ::testing::Test {
protected:
    pixtest::TempDir m_temp;
    const std::string& m_dir = m_temp.path();
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
};

} // namespace

TEST_F(Exports, everyFormatRoundTripsFromDiskAndFromMemory)
{
    for (const Format& f : kFormats) {
        const img::CBitmap sources[2] = {photo(), page()};
        for (const img::CBitmap& sourceImage : sources) {
            const img::CBitmap* source = &sourceImage;
            const std::vector<uint8_t> file = fileOf(*source, f.extension);
            const std::string in = path(std::string("in.") + f.extension);
            const std::string stream = path("image.rle");
            const std::string out = path(std::string("out.") + f.extension);
            ASSERT_TRUE(img::CEncoder().save(*source, img::formatFromName(f.extension), in));
            ASSERT_TRUE(RleEncode(in.c_str(), stream.c_str())) << f.extension;
            ASSERT_TRUE(RleDecode(stream.c_str(), out.c_str())) << f.extension;
            const img::CBitmap fromDisk = imageOf(pixtest::readFile(out));

            const std::vector<uint8_t> memoryStream = encodeFromData(file);
            EXPECT_EQ(memoryStream, pixtest::readFile(stream)) << f.extension;
            const img::CBitmap fromMemory = imageOf(decodeToData(f.extension, memoryStream));

            const bool grey = source->bitsPerPixel() == 8;
            EXPECT_EQ(memoryStream.at(10), grey ? 1 : 2) << f.extension;
            for (const img::CBitmap* back : {&fromDisk, &fromMemory}) {
                EXPECT_EQ(back->bitsPerPixel(), grey ? 8 : 24) << f.extension;
                if (grey) {
                    EXPECT_EQ(pixtest::greyClasses(*back), pixtest::greyClasses(*source)) << f.extension;
                } else {
                    EXPECT_EQ(pixtest::nearestClasses(*back), pixtest::nearestClasses(*source)) << f.extension;
                }
            }
        }
    }
}

TEST_F(Exports, twoFlipsRestoreTheRowOrderOfAFourRowImage)
{
    const img::CBitmap image = pixtest::greyImage(8, 4, [](int32_t x, int32_t y) { return x == y; });
    const std::string in = path("rows.png"), stream = path("rows.rle"), out = path("rows2.png");
    ASSERT_TRUE(img::CEncoder().save(image, img::FileFormat::Png, in));
    ASSERT_TRUE(RleEncode(in.c_str(), stream.c_str()));
    ASSERT_TRUE(RleDecode(stream.c_str(), out.c_str()));
    EXPECT_EQ(pixtest::greyClasses(imageOf(pixtest::readFile(out))), pixtest::greyClasses(image));
    // Inside the stream the rows run bottom-up: the first packed byte is the last row.
    const std::vector<uint8_t> rle = pixtest::readFile(stream);
    ASSERT_GT(rle.size(), 20u);
}

TEST(Bitmap, copyKeepsTheRows)
{
    // Three different rows (white, black, red) of a 24-bit image whose rows are padded.
    const img::CBitmap image = pixtest::colourImage(3, 3, 24, [](int32_t, int32_t y) { return y; });
    const img::CBitmap copy(image);
    ASSERT_EQ(copy.stride(), image.stride());
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(0, std::memcmp(copy.row(y), image.row(y), image.stride())) << y;
}

TEST_F(Exports, lowerCaseJpegExtensionWritesQuality95Jpeg)
{
    const std::string in = path("p.png"), stream = path("p.rle"), out = path("p.jpeg");
    ASSERT_TRUE(img::CEncoder().save(page(), img::FileFormat::Png, in));
    ASSERT_TRUE(RleEncode(in.c_str(), stream.c_str()));
    ASSERT_TRUE(RleDecode(stream.c_str(), out.c_str()));
    const std::vector<uint8_t> jpeg = pixtest::readFile(out);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    // Same bytes as the library's quality-95 JPEG writer gives for the decoded image.
    const img::CBitmap decoded = imageOf(decodeToData("BMP", pixtest::readFile(stream)));
    EXPECT_EQ(jpeg, fileOf(decoded, "jpg"));
}

TEST_F(Exports, decodeToDataLeavesWriterOptionsToTheImageLibraries)
{
    const std::string in = path("o.png"), stream = path("o.rle");
    ASSERT_TRUE(img::CEncoder().save(photo(), img::FileFormat::Png, in));
    ASSERT_TRUE(RleEncode(in.c_str(), stream.c_str()));
    const std::vector<uint8_t> rle = pixtest::readFile(stream);
    const img::CBitmap decoded = imageOf(decodeToData("BMP", rle));
    ASSERT_EQ(decoded.bitsPerPixel(), 24);
    auto decodeToFile = [&](const char* name) {
        EXPECT_TRUE(RleDecode(stream.c_str(), path(name).c_str())) << name;
        return pixtest::readFile(path(name));
    };

    // JPEG: libjpeg's default quality 75 halves the standard tables; files get 95.
    const std::vector<uint8_t> jpegMemory = decodeToData("jpg", rle);
    EXPECT_EQ(pixtest::firstJpegQuantiserMax(jpegMemory), 61);
    EXPECT_EQ(pixtest::firstJpegQuantiserMax(decodeToFile("o.jpg")), 12);
    EXPECT_EQ(pixtest::nearestClasses(imageOf(jpegMemory)), pixtest::nearestClasses(decoded));

    // TIFF: uncompressed in memory (1), deflate in files (8); the same pixels.
    const std::vector<uint8_t> tiffMemory = decodeToData("TIFF", rle);
    const std::vector<uint8_t> tiffFile = decodeToFile("o.tiff");
    EXPECT_EQ(pixtest::tiffCompression(tiffMemory), 1);
    EXPECT_EQ(pixtest::tiffCompression(tiffFile), 8);
    EXPECT_TRUE(pixtest::samePixels(imageOf(tiffMemory), decoded));
    EXPECT_TRUE(pixtest::samePixels(imageOf(tiffFile), decoded));

    // JPEG XR: lossless in memory, so every pixel comes back; files are quantised.
    const std::vector<uint8_t> jxrMemory = decodeToData("JXR", rle);
    EXPECT_TRUE(pixtest::samePixels(imageOf(jxrMemory), decoded));
    EXPECT_NE(decodeToFile("o.jxr"), jxrMemory);

    // 8-bit images stay grey in every format.
    const std::vector<uint8_t> greyStream = encodeFromData(fileOf(page(), "png"));
    for (const char* name : {"bmp", "png", "jpg", "tif", "jxr"})
        EXPECT_EQ(imageOf(decodeToData(name, greyStream)).bitsPerPixel(), 8) << name;
}

TEST_F(Exports, formatNamesOfDecodeToDataIgnoreCaseAndUnknownNamesFail)
{
    const std::vector<uint8_t> stream = encodeFromData(fileOf(page(), "png"));
    const std::vector<uint8_t> jpeg = decodeToData("jpeg", stream);
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(decodeToData("Tiff", stream), decodeToData("TIF", stream));

    unsigned char* buffer = reinterpret_cast<unsigned char*>(&buffer);
    int size = -7;
    EXPECT_FALSE(RleDecodeToData("gif", stream.data(), unsigned(stream.size()), &buffer, &size));
    EXPECT_FALSE(RleDecodeToData("", stream.data(), unsigned(stream.size()), &buffer, &size));
    EXPECT_EQ(buffer, reinterpret_cast<unsigned char*>(&buffer)); // untouched
    EXPECT_EQ(size, -7);
}

TEST_F(Exports, unwritableDestinationsFailAndWriteNothing)
{
    const std::string in = path("w.bmp"), stream = path("w.rle");
    ASSERT_TRUE(img::CEncoder().save(photo(), img::FileFormat::Bmp, in));
    const std::string missing = path("missing/folder/out.rle");
    EXPECT_FALSE(RleEncode(in.c_str(), missing.c_str()));
    EXPECT_FALSE(pixtest::fileExists(missing));
    EXPECT_FALSE(RleEncode(in.c_str(), m_dir.c_str())); // a directory

    ASSERT_TRUE(RleEncode(in.c_str(), stream.c_str()));
    EXPECT_FALSE(RleDecode(stream.c_str(), path("missing/out.png").c_str()));
    EXPECT_FALSE(RleDecode(stream.c_str(), path("out.gif").c_str()));
    EXPECT_FALSE(pixtest::fileExists(path("out.gif")));
    EXPECT_FALSE(RleDecode(stream.c_str(), path("noextension").c_str()));

    // A failed write leaves an existing destination as it was.
    const std::string kept = path("kept.png");
    ASSERT_TRUE(RleDecode(stream.c_str(), kept.c_str()));
    const std::vector<uint8_t> before = pixtest::readFile(kept);
    EXPECT_FALSE(RleDecode(path("no-such.rle").c_str(), kept.c_str()));
    EXPECT_EQ(pixtest::readFile(kept), before);
}

TEST_F(Exports, unreadableInputsFail)
{
    const std::string junk = path("junk.png");
    FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("not an image", f);
    std::fclose(f);
    EXPECT_FALSE(RleEncode(junk.c_str(), path("x.rle").c_str()));
    EXPECT_FALSE(RleEncode(path("none.png").c_str(), path("x.rle").c_str()));
    EXPECT_FALSE(RleDecode(junk.c_str(), path("x.png").c_str()));
    EXPECT_FALSE(RleEncode(nullptr, path("x.rle").c_str()));
    EXPECT_FALSE(pixtest::fileExists(path("x.rle")));

    unsigned char* buffer = nullptr;
    int size = 0;
    const unsigned char bytes[4] = {1, 2, 3, 4};
    EXPECT_FALSE(RleEncodeFromData(bytes, 4, &buffer, &size));
    EXPECT_FALSE(RleEncodeFromData(bytes, -1, &buffer, &size));
    EXPECT_FALSE(RleEncodeFromData(nullptr, 4, &buffer, &size));
    EXPECT_FALSE(RleDecodeToData("PNG", bytes, 4, &buffer, &size));
    EXPECT_FALSE(RleDecodeToData("PNG", bytes, 4, nullptr, &size));
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(Exports, theStreamDependsOnThePicturesPixelsNotOnTheFileLayout)
{
    const auto pattern = [](int32_t x, int32_t y) { return (x / 3 + y) % 3; };
    const img::CBitmap images[] = {
        pixtest::greyImage(13, 5, [&](int32_t x, int32_t y) { return pattern(x, y) == 0; }),
        pixtest::colourImage(13, 5, 24, pattern), pixtest::colourImage(13, 5, 32, pattern)};
    for (const img::CBitmap& image : images) {
        SCOPED_TRACE(image.bitsPerPixel());
        const std::vector<uint8_t> bmp = fileOf(image, "bmp");
        const std::vector<uint8_t> stream = encodeFromData(fileOf(image, "png"));
        EXPECT_EQ(encodeFromData(bmp), stream);
        EXPECT_EQ(encodeFromData(topDownBmp(bmp, image)), stream);
        EXPECT_EQ(encodeFromData(fileOf(image, "tif")), stream);
    }
}

TEST_F(Exports, decodingToBmpGivesTheBmpWritersFileOfTheDecodedImage)
{
    const auto pattern = [](int32_t x, int32_t y) { return (x + y / 2) % 3; };
    const img::CBitmap images[] = {
        pixtest::greyImage(13, 5, [&](int32_t x, int32_t y) { return pattern(x, y) == 0; }),
        pixtest::colourImage(13, 5, 24, pattern)};
    for (const img::CBitmap& image : images) {
        SCOPED_TRACE(image.bitsPerPixel());
        const std::vector<uint8_t> stream = encodeFromData(fileOf(image, "png"));
        img::CBitmap decoded;
        ASSERT_TRUE(pixrun::decodeStream(stream.data(), stream.size(), decoded, nullptr, {},
                                         pixrun::StreamRows::LastRowFirst));
        const std::vector<uint8_t> expected = fileOf(decoded, "bmp");
        EXPECT_EQ(decodeToData("BMP", stream), expected);

        const std::string rle = path("d.rle"), bmp = path("d.bmp");
        ASSERT_TRUE(img::CEncoder().save(image, img::FileFormat::Png, path("d.png")));
        ASSERT_TRUE(RleEncode(path("d.png").c_str(), rle.c_str()));
        ASSERT_TRUE(RleDecode(rle.c_str(), bmp.c_str()));
        EXPECT_EQ(pixtest::readFile(bmp), expected);
    }
}

TEST(TestFolders, areMadeUnderTmpdirAndRemovedWithTheirFiles)
{
    const pixtest::TempDir base;
    ASSERT_EQ(setenv("TMPDIR", base.path().c_str(), 1), 0);
    std::string made;
    {
        const pixtest::TempDir dir;
        made = dir.path();
        std::ofstream(made + "/file") << "x";
        ASSERT_TRUE(std::filesystem::create_directory(made + "/sub"));
    }
    unsetenv("TMPDIR");
    EXPECT_EQ(made.rfind(base.path() + "/pixrun-test-", 0), 0u) << made;
    EXPECT_FALSE(pixtest::fileExists(made));
}

TEST_F(Exports, concurrentCallsGiveTheSameResultsAsOneThread)
{
    const std::vector<uint8_t> files[3] = {fileOf(photo(), "png"), fileOf(page(), "bmp"),
                                           fileOf(photo(), "tif")};
    const char* formats[3] = {"jxr", "jpg", "png"};
    std::vector<uint8_t> expected[3];
    for (int i = 0; i < 3; ++i)
        expected[i] = decodeToData(formats[i], encodeFromData(files[i]));

    std::vector<std::thread> threads;
    std::vector<int> mismatches(6, 0);
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 15; ++round) {
                const int i = (t + round) % 3;
                unsigned char *stream = nullptr, *file = nullptr;
                int streamSize = 0, fileSize = 0;
                bool ok = RleEncodeFromData(files[i].data(), int(files[i].size()), &stream, &streamSize)
                    && RleDecodeToData(formats[i], stream, unsigned(streamSize), &file, &fileSize);
                ok = ok && std::vector<uint8_t>(file, file + fileSize) == expected[i];
                FreeBuffer(stream);
                FreeBuffer(file);
                mismatches[size_t(t)] += ok ? 0 : 1;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(mismatches, std::vector<int>(6, 0));
}
