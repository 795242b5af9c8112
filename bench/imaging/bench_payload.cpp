// Payload preparation for a full-size display image: scale, grey, dither,
// container, LZMA. Prints the median over many runs and the sizes produced.
#include "lzmacompress.h"
#include "payload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QImage photoLike(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = (x * x / 7 + y * 3 + (x ^ y) % 64) & 0xFF;
            img.setPixel(x, y, qRgb(v, (v + y) & 0xFF, (x * 2) & 0xFF));
        }
    return img;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTemporaryDir dir;
    const QImage source = photoLike(480, 832);

    PayloadOptions opt;
    opt.bRle = true;
    opt.nCompress = kCompressLzma;
    opt.nFileSize = 123456;
    opt.strSavePath = dir.filePath("data.bin");

    std::vector<double> total, lzmaOnly;
    QByteArray payload;
    int containerSize = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const QImage scaled = scaledForDisplay(source);
        if (buildPayload(payload, scaled, opt) != 0) {
            std::fprintf(stderr, "payload failed\n");
            return 1;
        }
        total.push_back(t.nsecsElapsed() / 1e6);

        const QByteArray container = buildContainer(scaled);
        containerSize = container.size();
        QByteArray dst(container.size() + int(kLzmaHeaderSize), '\0');
        size_t n = size_t(dst.size());
        t.restart();
        lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &n,
                     reinterpret_cast<const unsigned char*>(container.constData()), size_t(container.size()));
        lzmaOnly.push_back(t.nsecsElapsed() / 1e6);
    }

    // A fresh encoder per call, for comparison with the kept one.
    std::vector<double> fresh;
    const QByteArray container = buildContainer(scaledForDisplay(source));
    for (int i = 0; i < runs; ++i) {
        QByteArray dst(container.size() + int(kLzmaHeaderSize), '\0');
        size_t n = size_t(dst.size());
        QElapsedTimer t;
        t.start();
        LzmaEncoder encoder;
        encoder.compress(reinterpret_cast<unsigned char*>(dst.data()), &n,
                         reinterpret_cast<const unsigned char*>(container.constData()), size_t(container.size()));
        fresh.push_back(t.nsecsElapsed() / 1e6);
    }

    std::printf("runs %d, image 480x832 scaled to %dx%d\n", runs, scaledForDisplay(source).width(),
                scaledForDisplay(source).height());
    std::printf("payload preparation median %.3f ms\n", median(total));
    std::printf("container %d bytes, compressed payload %d bytes (stream with header %d)\n", containerSize,
                payload.size(), payload.size() - kPayloadHeaderSize);
    std::printf("lzma only: kept encoder median %.3f ms, fresh encoder median %.3f ms\n", median(lzmaOnly),
                median(fresh));
    return 0;
}
