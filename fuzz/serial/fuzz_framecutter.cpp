// Input: one byte choosing the chunk sizes, then the byte stream. The stream
// goes through FrameCutter chunk by chunk; below kCompareLimit the plain
// search runs beside it and both must cut the same frames and keep the same
// bytes. Above it only the invariants are checked, as the plain search is
// too slow there.
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "dtuframe.h"
#include "framecutter.h"
#include "referencesearch.h"

namespace {

constexpr size_t kCompareLimit = 1024;

void check(bool bOk)
{
    if (!bOk)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int nChunk = 1 + data[0] % 64;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), int(size - 1));
    const bool bCompare = size <= kCompareLimit;

    FrameCutter cutter;
    QByteArray model;
    for (int nPos = 0; nPos < stream.size(); nPos += nChunk) {
        const QByteArray chunk = stream.mid(nPos, nChunk);
        cutter.append(chunk);
        const QList<QByteArray> frames = cutter.cutAll();
        for (const QByteArray& frame : frames) {
            check(frame.size() >= 3 && quint8(frame.at(0)) == dtu::kHead
                  && quint8(frame.at(frame.size() - 1)) == dtu::kTail);
            check(verifySum(frame.constData(), 0, frame.size() - 1));
        }
        check(cutter.size() <= FrameCutter::kWindow);
        if (bCompare) {
            model.append(chunk);
            check(referenceCutAll(&model) == frames);
            check(cutter.buffer() == model);
        }
    }
    return 0;
}
