#include "huffman.h"
#include "planes.h"
#include "rlecodec.h"
#include "streamformat.h"

#include <cstring>
#include <memory>

namespace pixrun {

namespace {

// MSB-first bit writer into a buffer sized exactly for the plane.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : m_out(out) {}
    void put(uint32_t value, unsigned bits)
    {
        m_acc = (m_acc << bits) | value;
        m_count += bits;
        if (m_count >= 32) {
            m_count -= 32;
            const uint32_t word = uint32_t(m_acc >> m_count);
            m_out[0] = uint8_t(word >> 24);
            m_out[1] = uint8_t(word >> 16);
            m_out[2] = uint8_t(word >> 8);
            m_out[3] = uint8_t(word);
            m_out += 4;
        }
    }
    void finish()
    {
        while (m_count >= 8) {
            m_count -= 8;
            *m_out++ = uint8_t(m_acc >> m_count);
        }
        if (m_count)
            *m_out++ = uint8_t(m_acc << (8 - m_count));
        m_count = 0;
    }

private:
    uint8_t* m_out;
    uint64_t m_acc = 0;
    unsigned m_count = 0;
};

struct Plane {
    uint16_t type;
    std::vector<uint32_t> symbols;
};

uint64_t planeBits(const Plane& plane, const CanonicalCode& code)
{
    uint64_t bits = 0;
    for (uint32_t item : plane.symbols) {
        const uint16_t symbol = symbolOf(item);
        bits += code.length[symbol];
        if (symbol > kEndOfPlane)
            bits += kLengthCodes[symbol - kFirstLengthCode].extraBits;
    }
    return bits;
}

bool writeStream(StreamBuffer& out, const img::CBitmap& src, const Plane* planes, int planeCount)
{
    SymbolCounts counts{};
    for (int p = 0; p < planeCount; ++p)
        for (uint32_t item : planes[p].symbols)
            ++counts[symbolOf(item)];
    const CodeLengths lengths = streamCodeLengths(counts);
    const CanonicalCode code = assignCanonicalCodes(lengths);

    std::vector<uint8_t> table(17, 0);
    for (int s = 0; s < kSymbolCount; ++s)
        if (lengths[size_t(s)])
            ++table[size_t(lengths[size_t(s)])];
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        for (int s = 0; s < kSymbolCount; ++s) {
            if (lengths[size_t(s)] != len)
                continue;
            if (s < 128) {
                table.push_back(uint8_t(s));
            } else {
                table.push_back(uint8_t((s & 0xFF) | 0x80));
                table.push_back(uint8_t((s >> 7) | 0x80));
            }
        }
    }

    uint64_t bitLengths[2] = {};
    uint64_t streamBytes = 0;
    for (int p = 0; p < planeCount; ++p) {
        bitLengths[p] = (planeBits(planes[p], code) + 7) / 8;
        streamBytes += bitLengths[p];
    }
    const uint16_t dataOffset = uint16_t(kFileHeaderSize + table.size());
    const uint32_t rawSize =
        uint32_t(img::CBitmap::strideFor(src.width(), src.bitsPerPixel()) * size_t(src.height()));
    const uint32_t totalSize =
        uint32_t(dataOffset + kPlaneHeaderSize * size_t(planeCount) + streamBytes);

    uint8_t* p = out.allocate(dataOffset + kPlaneHeaderSize * size_t(planeCount) + size_t(streamBytes));
    if (!p)
        return false;
    putU16(p, kFormatTag);
    p[2] = 1;
    p[3] = 1;
    putU16(p + 4, dataOffset);
    putU16(p + 6, uint32_t(src.width()));
    putU16(p + 8, uint32_t(src.height()));
    p[10] = uint8_t(planeCount);
    p[11] = 2;
    putU32(p + 12, rawSize);
    putU32(p + 16, totalSize);
    std::memcpy(p + kFileHeaderSize, table.data(), table.size());
    p += dataOffset;

    for (int i = 0; i < planeCount; ++i) {
        putU16(p, planes[i].type);
        putU16(p + 2, kPlaneHeaderSize);
        putU32(p + 4, 0);
        putU16(p + 8, uint32_t(src.width()));
        putU16(p + 10, uint32_t(src.height()));
        putU32(p + 12, uint32_t(bitLengths[i]));
        p += kPlaneHeaderSize;
        BitWriter writer(p);
        for (uint32_t item : planes[i].symbols) {
            const uint16_t symbol = symbolOf(item);
            writer.put(code.code[symbol], code.length[symbol]);
            if (symbol > kEndOfPlane) {
                const unsigned extraBits = kLengthCodes[symbol - kFirstLengthCode].extraBits;
                if (extraBits)
                    writer.put(extraOf(item), extraBits);
            }
        }
        writer.finish();
        p += bitLengths[i];
    }
    return true;
}

class VectorTail final : public StreamBuffer {
public:
    explicit VectorTail(std::vector<uint8_t>& out) : m_out(out) {}
    uint8_t* allocate(size_t size) override
    {
        const size_t start = m_out.size();
        m_out.resize(start + size);
        return m_out.data() + start;
    }

private:
    std::vector<uint8_t>& m_out;
};

bool fitsStream(const img::CBitmap& src)
{
    return !src.isNull() && src.width() <= 0xFFFF && src.height() <= 0xFFFF;
}

} // namespace

bool encodeGrey(StreamBuffer& out, const img::CBitmap& src, StreamRows rows)
{
    if (!fitsStream(src) || src.bitsPerPixel() != 8)
        return false;
    const size_t size = packedPlaneSize(src);
    const std::unique_ptr<uint8_t[]> packed(new uint8_t[size]); // every byte gets written
    packGreyPlane(src, packed.get(), rows);
    Plane plane{kPlaneBlack, {}};
    // Never more symbols than bytes, plus the end symbol: the only allocation.
    plane.symbols.reserve(size + 1);
    runLengthCode(packed.get(), size, plane.symbols);
    return writeStream(out, src, &plane, 1);
}

bool encodeColour(StreamBuffer& out, const img::CBitmap& src, StreamRows rows)
{
    if (!fitsStream(src) || src.bitsPerPixel() < 24)
        return false;
    const size_t size = packedPlaneSize(src);
    const std::unique_ptr<uint8_t[]> packed(new uint8_t[2 * size]); // both planes, all written
    uint8_t* black = packed.get();
    uint8_t* red = black + size;
    packColourPlanes(src, black, red, rows);
    Plane planes[2] = {{kPlaneBlack, {}}, {kPlaneRed, {}}};
    for (Plane& plane : planes)
        plane.symbols.reserve(size + 1);
    runLengthCode(black, size, planes[0].symbols);
    runLengthCode(red, size, planes[1].symbols);
    return writeStream(out, src, planes, 2);
}

bool encodeGrey(std::vector<uint8_t>& out, const img::CBitmap& src, StreamRows rows)
{
    VectorTail tail(out);
    return encodeGrey(tail, src, rows);
}

bool encodeColour(std::vector<uint8_t>& out, const img::CBitmap& src, StreamRows rows)
{
    VectorTail tail(out);
    return encodeColour(tail, src, rows);
}

} // namespace pixrun
