#include "planes.h"

#include "streamformat.h"

#include <cstring>

namespace pixrun {

namespace {

// Packs bits continuously across rows; the final partial byte ends up in the low
// bits, exactly as the stream wants it.
class BitPacker {
public:
    explicit BitPacker(uint8_t* out) : m_out(out) {}
    void put(uint32_t bit)
    {
        m_acc = (m_acc << 1) | bit;
        if (++m_count == 8) {
            *m_out++ = uint8_t(m_acc);
            m_acc = 0;
            m_count = 0;
        }
    }
    void putByte(uint8_t byte) { *m_out++ = byte; } // only while aligned
    bool aligned() const { return m_count == 0; }
    void finish()
    {
        if (m_count)
            *m_out++ = uint8_t(m_acc);
    }

private:
    uint8_t* m_out;
    uint32_t m_acc = 0;
    int m_count = 0;
};

// Top bits of 8 consecutive grey values, first value in the most significant bit.
inline uint8_t packEightGrey(const uint8_t* p)
{
    uint64_t x;
    std::memcpy(&x, p, 8);
    if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) {
        // Gathers bit 7 of byte i into bit i of the top byte, then reverses the byte.
        const uint8_t lsbFirst = uint8_t(((x & 0x8080808080808080ULL) * 0x0002040810204081ULL) >> 56);
        static const struct Reverse {
            uint8_t v[256];
            constexpr Reverse() : v()
            {
                for (int i = 0; i < 256; ++i) {
                    int r = 0;
                    for (int b = 0; b < 8; ++b)
                        r |= ((i >> b) & 1) << (7 - b);
                    v[i] = uint8_t(r);
                }
            }
        } kReverse;
        return kReverse.v[lsbFirst];
    } else {
        uint8_t byte = 0;
        for (int i = 0; i < 8; ++i)
            byte = uint8_t((byte << 1) | (p[i] >> 7));
        return byte;
    }
}

inline uint32_t blackBit(const uint8_t* px) { return uint32_t(px[2] >> 7) ^ 1u; }
inline uint32_t redBit(const uint8_t* px)
{
    return uint8_t(px[2] - (px[1] >> 1) - (px[0] >> 1)) >> 7;
}

struct ExpandTable {
    uint64_t v[256];
    ExpandTable()
    {
        for (int i = 0; i < 256; ++i) {
            uint8_t bytes[8];
            for (int b = 0; b < 8; ++b)
                bytes[b] = ((i >> (7 - b)) & 1) ? 0xFF : 0x00;
            std::memcpy(&v[i], bytes, 8);
        }
    }
};

// Calls fn(x, y, bit) for every pixel of the packed plane; y is the plane's row.
template <typename Fn>
void forEachBit(const uint8_t* plane, int32_t width, int32_t height, Fn fn)
{
    const uint64_t total = uint64_t(width) * uint64_t(height);
    const uint64_t fullBits = total & ~uint64_t(7);
    const unsigned tailBits = unsigned(total & 7);
    uint64_t i = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x, ++i) {
            const uint8_t byte = plane[i >> 3];
            const unsigned shift = i < fullBits ? 7 - unsigned(i & 7)
                                                : tailBits - 1 - unsigned(i & 7);
            fn(x, y, (byte >> shift) & 1u);
        }
    }
}

} // namespace

size_t packedPlaneSize(const img::CBitmap& image)
{
    return size_t((uint64_t(image.width()) * uint64_t(image.height()) + 7) / 8);
}

void packGreyPlane(const img::CBitmap& image, uint8_t* out, StreamRows rows)
{
    BitPacker packer(out);
    const int32_t width = image.width();
    for (int32_t y = 0; y < image.height(); ++y) {
        const uint8_t* px = image.row(bitmapRow(y, image.height(), rows));
        int32_t x = 0;
        if (packer.aligned())
            for (; x + 8 <= width; x += 8)
                packer.putByte(packEightGrey(px + x));
        for (; x < width; ++x)
            packer.put(px[x] >> 7);
    }
    packer.finish();
}

void packColourPlanes(const img::CBitmap& image, uint8_t* black, uint8_t* red, StreamRows rows)
{
    BitPacker blackPacker(black);
    BitPacker redPacker(red);
    const int32_t width = image.width();
    const size_t step = image.bitsPerPixel() / 8;
    for (int32_t y = 0; y < image.height(); ++y) {
        const uint8_t* px = image.row(bitmapRow(y, image.height(), rows));
        int32_t x = 0;
        if (blackPacker.aligned()) {
            for (; x + 8 <= width; x += 8) {
                uint32_t b = 0, r = 0;
                for (int i = 0; i < 8; ++i, px += step) {
                    b = (b << 1) | blackBit(px);
                    r = (r << 1) | redBit(px);
                }
                blackPacker.putByte(uint8_t(b));
                redPacker.putByte(uint8_t(r));
            }
        }
        for (; x < width; ++x, px += step) {
            blackPacker.put(blackBit(px));
            redPacker.put(redBit(px));
        }
    }
    blackPacker.finish();
    redPacker.finish();
}

void runLengthCode(const uint8_t* bytes, size_t size, std::vector<uint32_t>& out)
{
    auto emitPiece = [&out](uint32_t length) {
        int code = 27; // index of 284, the largest base the encoder uses
        while (kLengthCodes[code].base > length)
            --code;
        out.push_back(uint32_t(kFirstLengthCode + code)
                      | ((length - kLengthCodes[code].base) << 16));
    };
    size_t i = 0;
    while (i < size) {
        const uint8_t value = bytes[i];
        size_t end = i + 1;
        while (end < size && bytes[end] == value)
            ++end;
        size_t run = end - i;
        out.push_back(value);
        if (run == 2) {
            out.push_back(value);
        } else if (run >= 3) {
            while (run > 32770) {
                emitPiece(32768);
                run -= 32768;
            }
            if (run == 32769 || run == 32770) {
                emitPiece(uint32_t(run - 3));
                emitPiece(3);
            } else {
                emitPiece(uint32_t(run));
            }
        }
        i = end;
    }
    out.push_back(kEndOfPlane);
}

void unpackGreyPlane(const uint8_t* plane, img::CBitmap& image, StreamRows rows)
{
    const int32_t width = image.width();
    if (width % 8 == 0) {
        static const ExpandTable kExpand;
        const size_t rowBytes = size_t(width) / 8;
        for (int32_t y = 0; y < image.height(); ++y) {
            const uint8_t* src = plane + size_t(y) * rowBytes;
            uint8_t* dst = image.row(bitmapRow(y, image.height(), rows));
            for (size_t i = 0; i < rowBytes; ++i, dst += 8)
                std::memcpy(dst, &kExpand.v[src[i]], 8);
        }
        return;
    }
    forEachBit(plane, width, image.height(), [&](int32_t x, int32_t y, uint32_t bit) {
        image.row(bitmapRow(y, image.height(), rows))[x] = bit ? 0xFF : 0x00;
    });
}

void unpackBlackPlane(const uint8_t* plane, img::CBitmap& image, StreamRows rows)
{
    forEachBit(plane, image.width(), image.height(), [&](int32_t x, int32_t y, uint32_t bit) {
        std::memset(image.row(bitmapRow(y, image.height(), rows)) + size_t(x) * 3,
                    bit ? 0x00 : 0xFF, 3);
    });
}

void unpackRedPlane(const uint8_t* plane, img::CBitmap& image, StreamRows rows)
{
    forEachBit(plane, image.width(), image.height(), [&](int32_t x, int32_t y, uint32_t bit) {
        if (bit) {
            uint8_t* px = image.row(bitmapRow(y, image.height(), rows)) + size_t(x) * 3;
            px[0] = 0;
            px[1] = 0;
            px[2] = 0xFF;
        }
    });
}

} // namespace pixrun
