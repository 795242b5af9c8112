#pragma once
// In-memory image of pixrun: 8-bit grey, 24-bit B,G,R or 32-bit B,G,R,A pixels, rows
// top-down, each row padded to a multiple of 4 bytes.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace img {

// Larger images are refused everywhere (readers, the stream decoder, create()).
constexpr uint64_t kMaxPixels = uint64_t(1) << 27;

class CBitmap {
public:
    CBitmap() = default;
    virtual ~CBitmap();
    CBitmap(const CBitmap& other);
    CBitmap& operator=(const CBitmap&) = delete;
    CBitmap(CBitmap&& other) noexcept;
    CBitmap& operator=(CBitmap&& other) noexcept;

    // Allocates zeroed pixels. False (and the image left empty) for a depth other than
    // 8, 24 or 32, a non-positive size, or more than kMaxPixels pixels.
    bool create(int32_t width, int32_t height, uint16_t bitsPerPixel);
    // Uses `bits` (strideFor(width, bitsPerPixel) × height bytes, owned by the caller,
    // outliving the image) as the pixels instead of allocating them: an image written
    // straight into a file buffer. False, image empty, under the same conditions.
    bool wrap(uint8_t* bits, int32_t width, int32_t height, uint16_t bitsPerPixel);
    void reset();

    bool isNull() const { return !m_bits; }
    int32_t width() const { return m_nWidth; }
    int32_t height() const { return m_nHeight; }
    uint16_t bitsPerPixel() const { return m_nBitsPerPixel; }
    size_t stride() const { return m_nStride; }
    uint8_t* bits() { return m_bits.get(); }
    const uint8_t* bits() const { return m_bits.get(); }
    uint8_t* row(int32_t y) { return m_bits.get() + size_t(y) * m_nStride; }
    const uint8_t* row(int32_t y) const { return m_bits.get() + size_t(y) * m_nStride; }

    static size_t strideFor(int32_t width, uint16_t bitsPerPixel);

private:
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    uint16_t m_nBitsPerPixel = 0;
    size_t m_nStride = 0;
    static bool validSize(int32_t width, int32_t height, uint16_t bitsPerPixel);
    void setSize(int32_t width, int32_t height, uint16_t bitsPerPixel);

    struct Free {
        bool owned; // set by create() and wrap()
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], Free> m_bits;
};

} // namespace img
