#include "planes.h"
#include "rlecodec.h"
#include "streamformat.h"

#include <algorithm>
#include <cstring>

namespace pixrun {

namespace {

// Canonical decoder: a lookup table for codes up to kPrimaryBits, a walk over the
// longer lengths (first code and count per length) for the rest.
class CodeTable {
public:
    static constexpr int kPrimaryBits = 11;

    // Parses the table; false when it is truncated, names a symbol above 285, has
    // codes of length 0 or more codes than the lengths can hold.
    bool parse(const uint8_t* table, size_t size)
    {
        if (size < 17 || table[0] != 0)
            return false;
        size_t pos = 17;
        int total = 0;
        for (int len = 1; len <= kMaxCodeLength; ++len) {
            m_count[len] = table[len];
            m_offset[len] = total;
            for (int i = 0; i < m_count[len]; ++i) {
                if (pos >= size)
                    return false;
                int symbol = table[pos++];
                if (symbol & 0x80) {
                    if (pos >= size)
                        return false;
                    symbol = (symbol & 0x7F) | ((table[pos++] * 128) & 0x3FFF);
                }
                if (symbol >= kSymbolCount)
                    return false;
                m_symbols[total++] = uint16_t(symbol);
            }
        }
        m_codeCount = total;
        uint32_t code = 0;
        m_maxLength = 0;
        for (int len = 1; len <= kMaxCodeLength; ++len) {
            code <<= 1;
            m_first[len] = code;
            code += uint32_t(m_count[len]);
            if (code > (1u << len))
                return false; // over-subscribed: not a prefix code
            if (m_count[len])
                m_maxLength = len;
        }
        std::fill(std::begin(m_primary), std::end(m_primary), 0u);
        for (int len = 1; len <= std::min(m_maxLength, kPrimaryBits); ++len) {
            for (int i = 0; i < m_count[len]; ++i) {
                const uint32_t entry = (uint32_t(m_symbols[m_offset[len] + i]) << 8) | uint32_t(len);
                const uint32_t first = (m_first[len] + uint32_t(i)) << (kPrimaryBits - len);
                const uint32_t span = 1u << (kPrimaryBits - len);
                for (uint32_t k = 0; k < span; ++k)
                    m_primary[first + k] = entry;
            }
        }
        return true;
    }

    int codeCount() const { return m_codeCount; }
    int maxLength() const { return m_maxLength; }

    // Entry for the next kPrimaryBits of input: symbol << 8 | length, or 0.
    uint32_t primary(uint32_t bits) const { return m_primary[bits]; }

    // Symbol and length of a code longer than kPrimaryBits; the input is
    // MSB-aligned in 64 bits of which `available` are real. Length 0: no code.
    uint32_t slow(uint64_t window, int available) const
    {
        for (int len = kPrimaryBits + 1; len <= m_maxLength && len <= available; ++len) {
            const uint32_t index = uint32_t(window >> (64 - len)) - m_first[len];
            if (index < uint32_t(m_count[len]))
                return (uint32_t(m_symbols[m_offset[len] + int(index)]) << 8) | uint32_t(len);
        }
        return 0;
    }

private:
    int m_count[kMaxCodeLength + 1] = {};
    int m_offset[kMaxCodeLength + 1] = {};
    uint32_t m_first[kMaxCodeLength + 1] = {};
    uint16_t m_symbols[kMaxCodeLength * 255] = {};
    uint32_t m_primary[1u << kPrimaryBits] = {};
    int m_codeCount = 0;
    int m_maxLength = 0;
};

// MSB-first bit reader; `m_count` bits of m_window are real, the rest zero or the
// stream's next bits.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : m_p(data), m_end(data + size) {}

    void refill()
    {
        if (m_end - m_p >= 8) {
            uint64_t next = 0;
            for (int i = 0; i < 8; ++i)
                next = (next << 8) | m_p[i];
            m_window |= next >> m_count;
            m_p += (63 - m_count) >> 3;
            m_count |= 56;
        } else {
            while (m_count <= 56 && m_p < m_end) {
                m_window |= uint64_t(*m_p++) << (56 - m_count);
                m_count += 8;
            }
        }
    }
    uint64_t window() const { return m_window; }
    int available() const { return int(m_count); }
    void consume(int bits)
    {
        m_window <<= bits;
        m_count -= unsigned(bits);
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
    uint64_t m_window = 0;
    unsigned m_count = 0;
};

void decodePlane(const CodeTable& table, const uint8_t* bits, size_t size, uint8_t* out,
                 size_t outSize, PlaneInfo& info)
{
    BitReader reader(bits, size);
    size_t pos = 0;
    int literal = -1;
    bool firstPiece = true;
    for (;;) {
        reader.refill();
        const int available = reader.available();
        if (available == 0)
            break;
        uint32_t entry = table.primary(uint32_t(reader.window() >> (64 - CodeTable::kPrimaryBits)));
        if (entry == 0)
            entry = table.slow(reader.window(), available);
        const int length = int(entry & 0xFF);
        if (length == 0 || length > available)
            break;
        reader.consume(length);
        const uint32_t symbol = entry >> 8;
        if (symbol < kEndOfPlane) {
            ++info.literals;
            literal = int(symbol);
            firstPiece = true;
            if (pos < outSize)
                out[pos++] = uint8_t(symbol);
            continue;
        }
        if (symbol == kEndOfPlane) {
            info.ended = true;
            break;
        }
        const LengthCode& lc = kLengthCodes[symbol - kFirstLengthCode];
        if (lc.extraBits > reader.available())
            break;
        uint32_t piece = lc.base;
        if (lc.extraBits) {
            piece += uint32_t(reader.window() >> (64 - lc.extraBits));
            reader.consume(lc.extraBits);
        }
        ++info.runCodes;
        if (literal < 0)
            continue; // a length with no literal before it has nothing to repeat
        // The literal was written once already; the pieces add up to the whole run.
        const size_t copies = piece - (firstPiece ? 1u : 0u);
        firstPiece = false;
        const size_t n = std::min(copies, outSize - pos);
        std::memset(out + pos, literal, n);
        pos += n;
    }
}

} // namespace

bool decodeStream(const uint8_t* data, size_t size, ImageBuffer& dst, StreamInfo* info,
                  const DecodeLimits& limits, StreamRows rows)
{
    if (!data || size < kFileHeaderSize || getU16(data) != kFormatTag)
        return false;
    StreamInfo header;
    header.dataOffset = getU16(data + 4);
    header.width = getU16(data + 6);
    header.height = getU16(data + 8);
    header.planeCount = data[10];
    header.rawSize = getU32(data + 12);
    header.totalSize = getU32(data + 16);
    if (header.dataOffset < kFileHeaderSize || header.dataOffset > size)
        return false;
    CodeTable table;
    if (!table.parse(data + kFileHeaderSize, header.dataOffset - kFileHeaderSize))
        return false;
    header.codeCount = table.codeCount();
    header.maxCodeLength = table.maxLength();
    const uint64_t pixels = uint64_t(header.width) * header.height;
    if (pixels == 0 || pixels > limits.maxPixels || pixels > img::kMaxPixels)
        return false;
    if (header.planeCount != 1 && header.planeCount != 2)
        return false;

    img::CBitmap* target = dst.allocate(header.width, header.height, header.planeCount == 1 ? 8 : 24);
    if (!target)
        return false;
    img::CBitmap& image = *target;
    std::vector<uint8_t> plane;
    try {
        plane.resize(packedPlaneSize(image));
    } catch (...) {
        return false;
    }
    size_t pos = header.dataOffset;
    for (int p = 0; p < header.planeCount; ++p) {
        if (size - pos < kPlaneHeaderSize)
            break; // a truncated stream keeps what decoded so far
        PlaneInfo pi;
        pi.type = getU16(data + pos);
        const uint16_t headerSize = getU16(data + pos + 2);
        pi.width = getU16(data + pos + 8);
        pi.height = getU16(data + pos + 10);
        pi.bitLength = getU32(data + pos + 12);
        pos += kPlaneHeaderSize;
        if (headerSize > kPlaneHeaderSize)
            pos += std::min<size_t>(headerSize - kPlaneHeaderSize, size - pos);
        pi.bytesAvailable = uint32_t(std::min<size_t>(pi.bitLength, size - pos));

        std::fill(plane.begin(), plane.end(), uint8_t(0));
        decodePlane(table, data + pos, pi.bytesAvailable, plane.data(), plane.size(), pi);
        pos += pi.bytesAvailable;

        if (header.planeCount == 1) {
            unpackGreyPlane(plane.data(), image, rows);
        } else if (pi.type == kPlaneBlack) {
            unpackBlackPlane(plane.data(), image, rows);
        } else if (pi.type == kPlaneRed) {
            unpackRedPlane(plane.data(), image, rows);
        }
        header.planes.push_back(pi);
    }
    if (info)
        *info = std::move(header);
    return true;
}

img::CBitmap* NewImage::allocate(int32_t width, int32_t height, uint16_t bitsPerPixel)
{
    return image.create(width, height, bitsPerPixel) ? &image : nullptr;
}

bool decodeStream(const uint8_t* data, size_t size, img::CBitmap& dst, StreamInfo* info,
                  const DecodeLimits& limits, StreamRows rows)
{
    // The destination is replaced only when the stream decodes.
    NewImage target;
    if (!decodeStream(data, size, target, info, limits, rows))
        return false;
    dst = std::move(target.image);
    return true;
}

} // namespace pixrun
