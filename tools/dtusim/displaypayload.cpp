#include "displaypayload.h"

#include <QtEndian>
#include <lzma.h>

namespace {

constexpr int kPayloadHeader = 16;
constexpr int kContainerHeader = 44;
constexpr int kLzmaHeader = 13;

// Reads 4-bit units low nibble first; a length is base-8 groups, least
// significant first, bit 3 set on every unit but the last.
class UnitReader
{
public:
    UnitReader(const uchar* data, int size) : m_data(data), m_units(qint64(size) * 2) {}
    bool atEnd() const { return m_pos >= m_units; }
    bool readLength(quint32& length)
    {
        length = 0;
        for (int shift = 0; shift <= 21; shift += 3) {
            if (atEnd())
                return false;
            const uchar byte = m_data[m_pos / 2];
            const uchar unit = (m_pos % 2 == 0) ? (byte & 0x0F) : (byte >> 4);
            ++m_pos;
            length |= quint32(unit & 7) << shift;
            if (!(unit & 8))
                return true;
        }
        return false;  // longer than any run an image can hold
    }

private:
    const uchar* m_data;
    qint64 m_units;
    qint64 m_pos = 0;
};

}  // namespace

bool lzmaAloneDecode(const QByteArray& in, QByteArray& out, QString& error)
{
    if (in.size() < kLzmaHeader) {
        error = "LZMA header truncated";
        return false;
    }
    const quint64 plain = qFromLittleEndian<quint64>(in.constData() + 5);
    if (plain > quint64(kMaxDecodedData)) {
        error = QString("LZMA plain size %1 too large").arg(plain);
        return false;
    }
    lzma_stream strm = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&strm, 64u << 20) != LZMA_OK) {
        error = "LZMA decoder unavailable";
        return false;
    }
    out.resize(int(plain));
    strm.next_in = reinterpret_cast<const uint8_t*>(in.constData());
    strm.avail_in = size_t(in.size());
    strm.next_out = reinterpret_cast<uint8_t*>(out.data());
    strm.avail_out = size_t(out.size());
    const lzma_ret ret = lzma_code(&strm, LZMA_FINISH);
    const bool done = ret == LZMA_STREAM_END && strm.avail_out == 0;
    const size_t unused = strm.avail_in;
    lzma_end(&strm);
    if (!done) {
        error = QString("LZMA stream damaged (code %1)").arg(int(ret));
        return false;
    }
    if (unused != 0) {
        error = QString("%1 bytes after the LZMA stream").arg(unused);
        return false;
    }
    return true;
}

QImage decodeContainer(const QByteArray& c, QString& error)
{
    if (c.size() < kContainerHeader) {
        error = "container header truncated";
        return {};
    }
    const auto* p = reinterpret_cast<const uchar*>(c.constData());
    if (c.left(2) != "KB" || qFromLittleEndian<quint16>(p + 2) != 9 || c.mid(9, 2) != "BL"
        || qFromLittleEndian<quint16>(p + 11) != 35 || c.mid(25, 3) != "REL"
        || qFromLittleEndian<quint32>(p + 28) != 1 || qFromLittleEndian<quint32>(p + 32) != 2) {
        error = "not a run-length bitmap container";
        return {};
    }
    const int width = qFromLittleEndian<quint16>(p + 17);
    const int height = qFromLittleEndian<quint16>(p + 19);
    const quint32 bits = qFromLittleEndian<quint32>(p + 21);
    if (bits % 8 != 0 || bits / 8 != quint32(c.size() - kContainerHeader)) {
        error = QString("data length %1 bits does not match %2 data bytes").arg(bits).arg(c.size() - kContainerHeader);
        return {};
    }
    if (width == 0 || height == 0) {
        error = "empty image";
        return {};
    }
    QImage image(width, height, QImage::Format_Grayscale8);
    const qint64 total = qint64(width) * height;
    qint64 done = 0;
    bool light = true;
    UnitReader units(p + kContainerHeader, c.size() - kContainerHeader);
    while (done < total) {
        quint32 run = 0;
        if (!units.readLength(run)) {
            error = QString("run data ends after %1 of %2 pixels").arg(done).arg(total);
            return {};
        }
        if (run > total - done) {
            error = QString("run of %1 passes the end of the image").arg(run);
            return {};
        }
        const uchar value = light ? 255 : 0;
        for (quint32 i = 0; i < run; ++i, ++done)
            image.scanLine(int(done / width))[done % width] = value;
        light = !light;
    }
    return image;
}

DecodedPayload decodeDisplayPayload(const QByteArray& payload)
{
    DecodedPayload out;
    if (payload.size() < kPayloadHeader) {
        out.error = "payload header truncated";
        return out;
    }
    const auto* p = reinterpret_cast<const uchar*>(payload.constData());
    out.imageType = qFromLittleEndian<quint16>(p);
    out.compression = p[2];
    const quint32 dataLength = qFromLittleEndian<quint32>(p + 12);
    if (p[3] != kPayloadHeader || dataLength != quint32(payload.size() - kPayloadHeader)) {
        out.error = QString("header length %1 / data length %2 do not match a %3-byte payload")
                        .arg(p[3]).arg(dataLength).arg(payload.size());
        return out;
    }
    const QByteArray data = payload.mid(kPayloadHeader);
    if (out.compression == 1) {
        if (!lzmaAloneDecode(data, out.data, out.error))
            return out;
    } else if (out.compression == 0) {
        out.data = data;
    } else {
        out.error = QString("unknown compression %1").arg(out.compression);
        return out;
    }
    if (out.imageType == 2)
        out.image = decodeContainer(out.data, out.error);
    else
        out.image = QImage::fromData(out.data);
    if (out.image.isNull()) {
        if (out.error.isEmpty())
            out.error = QString("image type %1 does not load").arg(out.imageType);
        return out;
    }
    out.ok = true;
    return out;
}
