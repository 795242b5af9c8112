// pixrun against libtiff CCITT G4, JBIG-KIT and 1-bit PNG on four bi-level inputs:
// median encode and decode throughput, ratios and sizes from one run. The row
// "exports" goes through the C interface as its users do: a BMP file in memory to a
// stream (RleEncodeFromData), the stream to a BMP file in memory (RleDecodeToData),
// each with its FreeBuffer; the other rows work on pixels without file formats.
//
//   bench_pixrun                    the table
//   bench_pixrun --reps N           repetitions for the small inputs (large: N / 20 + 3)
//   bench_pixrun --once CODEC N     N encode+decode rounds of the small dithered photo,
//                                   for valgrind --tool=callgrind (CODEC none = baseline)
#include "imagefile.h"
#include "peers.h"
#include "pixrun.h"
#include "testinputs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace bench;

namespace {

const Codec* const kCodecs[] = {&kPixrun, &kTiffG4, &kJbig, &kPng1};

bool samePixels(const img::CBitmap& a, const img::CBitmap& b)
{
    if (a.width() != b.width() || a.height() != b.height() || a.bitsPerPixel() != b.bitsPerPixel())
        return false;
    for (int32_t y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), size_t(a.width())) != 0)
            return false;
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    double encodeSeconds;
    double decodeSeconds;
    size_t size;
};

Result measure(const Codec& codec, const img::CBitmap& image, int reps)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> enc, dec;
    std::vector<uint8_t> stream;
    img::CBitmap decoded;
    for (int i = 0; i < reps; ++i) {
        const auto t0 = Clock::now();
        if (!codec.encode(image, stream)) {
            std::fprintf(stderr, "%s: encode failed\n", codec.name);
            std::exit(1);
        }
        const auto t1 = Clock::now();
        if (!codec.decode(stream, decoded)) {
            std::fprintf(stderr, "%s: decode failed\n", codec.name);
            std::exit(1);
        }
        const auto t2 = Clock::now();
        enc.push_back(std::chrono::duration<double>(t1 - t0).count());
        dec.push_back(std::chrono::duration<double>(t2 - t1).count());
    }
    if (!samePixels(image, decoded)) {
        std::fprintf(stderr, "%s: decoded pixels differ\n", codec.name);
        std::exit(1);
    }
    return {median(enc), median(dec), stream.size()};
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "exports: %s failed\n", what);
    std::exit(1);
}

Result measureExports(const img::CBitmap& image, int reps)
{
    using Clock = std::chrono::steady_clock;
    std::vector<uint8_t> bmp;
    if (!img::CEncoder().save(image, img::FileFormat::Bmp, bmp))
        fail("writing the input BMP");
    std::vector<double> enc, dec;
    std::vector<uint8_t> stream, decodedBmp;
    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    for (int i = 0; i < reps; ++i) {
        unsigned char *streamOut = nullptr, *bmpOut = nullptr;
        int streamSize = 0, bmpSize = 0;
        const auto t0 = Clock::now();
        if (!RleEncodeFromData(bmp.data(), int(bmp.size()), &streamOut, &streamSize))
            fail("RleEncodeFromData");
        const auto t1 = Clock::now();
        if (!RleDecodeToData("BMP", streamOut, unsigned(streamSize), &bmpOut, &bmpSize))
            fail("RleDecodeToData");
        const auto t2 = Clock::now();
        if (i == reps - 1) { // kept for the checks, outside the timed calls
            stream.assign(streamOut, streamOut + streamSize);
            decodedBmp.assign(bmpOut, bmpOut + bmpSize);
        }
        const auto t3 = Clock::now();
        FreeBuffer(streamOut);
        const auto t4 = Clock::now();
        FreeBuffer(bmpOut);
        const auto t5 = Clock::now();
        enc.push_back(seconds(t1 - t0) + seconds(t4 - t3));
        dec.push_back(seconds(t2 - t1) + seconds(t5 - t4));
    }
    img::CBitmap decoded;
    if (!img::CDecoder().load(decodedBmp.data(), decodedBmp.size(), decoded)
        || !samePixels(image, decoded))
        fail("round trip");
    return {median(enc), median(dec), stream.size()};
}

} // namespace

int main(int argc, char** argv)
{
    int reps = 201;
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0) {
        const img::CBitmap photo = ditheredPhoto(240, 416);
        const int rounds = std::atoi(argv[3]);
        for (const Codec* codec : kCodecs) {
            if (std::strcmp(codec->name, argv[2]) != 0)
                continue;
            std::vector<uint8_t> stream;
            img::CBitmap decoded;
            for (int i = 0; i < rounds; ++i)
                if (!codec->encode(photo, stream) || !codec->decode(stream, decoded))
                    return 1;
            std::printf("%s: %d rounds, %zu bytes\n", codec->name, rounds, stream.size());
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--reps") == 0)
        reps = std::max(1, std::atoi(argv[2]));

    Input inputs[] = {{"dithered photo 240x416", ditheredPhoto(240, 416)},
                      {"label 240x416", label(240, 416)},
                      {"text page 2480x3508", textPage(2480, 3508)},
                      {"dithered photo 2480x3508", ditheredPhoto(2480, 3508)}};
    std::printf("median of %d (small) / %d (large) runs; MP/s = megapixels per second; "
                "ratio = peer time / pixrun time\n\n",
                reps, reps / 20 + 3);
    for (const Input& input : inputs) {
        const double mp = double(input.image.width()) * input.image.height() / 1e6;
        const int n = input.image.width() > 1000 ? reps / 20 + 3 : reps;
        std::printf("%s (%.2f MP)\n", input.name.c_str(), mp);
        std::printf("  %-9s %10s %10s %9s %9s %10s %9s\n", "codec", "enc MP/s", "dec MP/s",
                    "enc ratio", "dec ratio", "bytes", "vs pixrun");
        Result base{};
        Result peers[4] = {};
        auto row = [&](const char* name, const Result& r) {
            std::printf("  %-9s %10.1f %10.1f %9.2f %9.2f %10zu %8.2fx\n", name,
                        mp / r.encodeSeconds, mp / r.decodeSeconds, r.encodeSeconds / base.encodeSeconds,
                        r.decodeSeconds / base.decodeSeconds, r.size, double(r.size) / double(base.size));
        };
        for (size_t c = 0; c < 4; ++c) {
            peers[c] = measure(*kCodecs[c], input.image, n);
            if (kCodecs[c] == &kPixrun)
                base = peers[c];
            row(kCodecs[c]->name, peers[c]);
        }
        const Result api = measureExports(input.image, n);
        row("exports", api);
        std::printf("  exports vs core: enc %.2fx, dec %.2fx the time; peer time / exports time:",
                    api.encodeSeconds / base.encodeSeconds, api.decodeSeconds / base.decodeSeconds);
        for (size_t c = 1; c < 4; ++c)
            std::printf(" %s enc %.2f dec %.2f%s", kCodecs[c]->name,
                        peers[c].encodeSeconds / api.encodeSeconds,
                        peers[c].decodeSeconds / api.decodeSeconds, c < 3 ? ";" : "");
        std::printf("\n\n");
    }
    return 0;
}
