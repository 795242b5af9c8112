// Frame cutting throughput, fed in 1024-byte chunks as the port delivers them:
//   (a) back-to-back 1045-byte frames,
//   (b) noise rich in 0xAA/0xEE with one valid frame per 64 KiB,
// and, for scale, the plain search on a small slice of the same noise.
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "dtuframe.h"
#include "framecutter.h"
#include "referencesearch.h"

namespace {

constexpr int kChunk = 1024;

double cpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Result
{
    double fMBps = 0;
    qint64 nFrames = 0;
    int nMaxBuffer = 0;
};

Result cutStream(const QByteArray& stream, int nRepeat)
{
    Result r;
    FrameCutter cutter;
    // CPU time of this process: other jobs on a shared machine do not count.
    const double fStart = cpuSeconds();
    for (int n = 0; n < nRepeat; ++n) {
        for (int nPos = 0; nPos < stream.size(); nPos += kChunk) {
            cutter.append(stream.mid(nPos, kChunk));
            r.nFrames += cutter.cutAll().size();
            r.nMaxBuffer = std::max(r.nMaxBuffer, cutter.size());
        }
    }
    const double fSeconds = cpuSeconds() - fStart;
    r.fMBps = double(stream.size()) * nRepeat / 1e6 / fSeconds;
    return r;
}

// Tails and other bytes but no head: no frame can ever end, so the buffer
// runs into its bound and stays there.
QByteArray headlessNoise(int nSize)
{
    QRandomGenerator rng(43);
    QByteArray out(nSize, '\0');
    for (char& c : out)
        c = char(rng.bounded(2) ? dtu::kTail : rng.bounded(dtu::kHead));
    return out;
}

QByteArray noise(int nSize)
{
    QRandomGenerator rng(42);
    const QByteArray frame = encodeFrame(0x1234, 0xA0, QByteArray(24, '\x5A'));
    QByteArray out(nSize, '\0');
    for (char& c : out) {
        const quint32 nPick = rng.bounded(3);
        c = char(nPick == 0 ? dtu::kHead : nPick == 1 ? dtu::kTail : rng.bounded(256));
    }
    for (int nPos = 65536 - frame.size(); nPos + frame.size() <= nSize; nPos += 65536)
        out.replace(nPos, frame.size(), frame);
    return out;
}

}  // namespace

int main()
{
    QByteArray frames;
    const QByteArray frame = encodeFrame(7, 0xA0, QByteArray(1034, '\x33'));
    while (frames.size() < 32 * 1024 * 1024)
        frames += frame;
    const Result a = cutStream(frames, 4);
    std::printf("(a) back-to-back %d-byte frames: %.0f MB/s, %lld frames (expected %lld), max buffer %d\n",
                frame.size(), a.fMBps, a.nFrames, 4LL * (frames.size() / frame.size()), a.nMaxBuffer);

    const QByteArray junk = noise(64 * 1024 * 1024);
    const Result b = cutStream(junk, 2);
    std::printf("(b) 0xAA/0xEE-rich noise, one frame per 64 KiB: %.0f MB/s, %lld frames cut, max buffer %d (bound %d)\n",
                b.fMBps, b.nFrames, b.nMaxBuffer, FrameCutter::kWindow);

    const Result c = cutStream(headlessNoise(64 * 1024 * 1024), 2);
    std::printf("(c) noise with tails but no head: %.0f MB/s, %lld frames, max buffer %d (bound %d)\n",
                c.fMBps, c.nFrames, c.nMaxBuffer, FrameCutter::kWindow);

    // The plain search re-sums every candidate: show what it costs on 16 KiB.
    QByteArray slice = junk.left(16 * 1024);
    const double fRefStart = cpuSeconds();
    qint64 nRefFrames = 0;
    QByteArray model;
    for (int nPos = 0; nPos < slice.size(); nPos += kChunk) {
        model += slice.mid(nPos, kChunk);
        nRefFrames += referenceCutAll(&model).size();
    }
    const double fRef = double(slice.size()) / 1e6 / (cpuSeconds() - fRefStart);
    std::printf("    plain search on the first 16 KiB of (b): %.3f MB/s, %lld frames\n", fRef, nRefFrames);
    return 0;
}
