#include "kvbitmap.h"
#include "imaginglog.h"

#include <QDataStream>

#include <fstream>
#include <ostream>

namespace kv8 {

namespace {

constexpr quint16 kFileHeaderLength = 9;
constexpr quint16 kBlockHeaderLength = 35;
constexpr quint8 kLightThreshold = 127;  // 127..255 light, 0..126 dark

struct DataStreamSink
{
    QDataStream& s;
    void put8(quint8 v) { s << v; }
    void put16(quint16 v) { s << v; }
    void put32(quint32 v) { s << v; }
    void putBytes(const quint8* p, size_t n) { s.writeRawData(reinterpret_cast<const char*>(p), int(n)); }
};

struct OStreamSink
{
    std::ostream& s;
    void put8(quint8 v) { s.put(char(v)); }
    void put16(quint16 v)
    {
        put8(quint8(v));
        put8(quint8(v >> 8));
    }
    void put32(quint32 v)
    {
        put16(quint16(v));
        put16(quint16(v >> 16));
    }
    void putBytes(const quint8* p, size_t n) { s.write(reinterpret_cast<const char*>(p), std::streamsize(n)); }
};

}  // namespace

KvBitmap::KvBitmap(quint16 nWidth, quint16 nHeight, quint8 nBlockCount)
    : m_width(nWidth)
    , m_height(nHeight)
    , m_blockCount(nBlockCount)
{
}

KvBitmap::~KvBitmap()
{
    clear();
}

void KvBitmap::addImage(const QImage& image)
{
    m_images.append(image);
}

void KvBitmap::addImage(QImage&& image)
{
    m_images.append(std::move(image));
}

void KvBitmap::clear()
{
    m_images.clear();
}

template <class Sink>
void KvBitmap::writeFields(Sink& sink) const
{
    const QImage first = m_images.isEmpty() ? QImage() : m_images.first();
    const std::vector<quint8> runs = encodeRuns(first);

    sink.put8('K');
    sink.put8('B');
    sink.put16(kFileHeaderLength);
    sink.put16(m_width);
    sink.put16(m_height);
    sink.put8(m_blockCount);

    sink.put8('B');
    sink.put8('L');
    sink.put16(kBlockHeaderLength);
    sink.put16(0);
    sink.put16(0);
    sink.put16(quint16(first.width()));
    sink.put16(quint16(first.height()));
    sink.put32(quint32(runs.size() * 8));
    sink.put8('R');
    sink.put8('E');
    sink.put8('L');
    sink.put32(1);  // bit depth
    sink.put32(2);  // palette entries
    static const quint8 palette[8] = { 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00 };
    sink.putBytes(palette, sizeof palette);
    sink.putBytes(runs.data(), runs.size());

    quint8 head[8] = {};
    for (size_t i = 0; i < 8 && i < runs.size(); ++i)
        head[i] = runs[i];
    qCDebug(lcPayload, "%02x %02x %02x %02x %02x %02x %02x %02x", head[0], head[1], head[2], head[3], head[4], head[5],
           head[6], head[7]);
}

void KvBitmap::writeTo(QByteArray& out) const
{
    QDataStream stream(&out, QIODevice::ReadWrite);
    stream.setByteOrder(QDataStream::LittleEndian);
    DataStreamSink sink { stream };
    writeFields(sink);
}

void KvBitmap::writeTo(std::ostream& out) const
{
    OStreamSink sink { out };
    writeFields(sink);
}

void KvBitmap::save(const char* path) const
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        writeTo(file);
}

std::vector<quint8> KvBitmap::encodeRuns(const QImage& image)
{
    std::vector<quint8> out;
    if (image.isNull() || image.format() != QImage::Format_Grayscale8)
        return out;

    const int w = image.width();
    const int h = image.height();
    bool bNewByte = true;
    int x = 0;
    int y = 0;
    // Counts pixels of one kind from (x, y) on, wrapping at row ends.
    auto countRun = [&](bool bLight) {
        quint32 n = 0;
        while (y < h) {
            const uchar* row = image.constScanLine(y);
            while (x < w && (row[x] >= kLightThreshold) == bLight) {
                ++x;
                ++n;
            }
            if (x < w)
                break;
            x = 0;
            ++y;
        }
        return n;
    };
    while (w > 0 && y < h) {
        putRunLength(out, countRun(true), bNewByte);
        putRunLength(out, countRun(false), bNewByte);
    }
    return out;
}

void KvBitmap::putRunLength(std::vector<quint8>& out, quint32 nLength, bool& bNewByte)
{
    // Lengths above 0x1FFFFF take more than 7 units; the displays stop there,
    // but the pages never produce such runs (240 x 416 pixels at most).
    while (nLength >= 8) {
        putNibble(out, quint8((nLength & 7) | 8), bNewByte);
        nLength >>= 3;
    }
    putNibble(out, quint8(nLength), bNewByte);
}

void KvBitmap::putNibble(std::vector<quint8>& out, quint8 nUnit, bool& bNewByte)
{
    if (bNewByte)
        out.push_back(quint8(nUnit & 0x0F));
    else
        out.back() = quint8(out.back() | ((nUnit & 0x0F) << 4));
    bNewByte = !bNewByte;
}

}  // namespace kv8
