#include "bitmap.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace img {

CBitmap::~CBitmap() = default;

void CBitmap::Free::operator()(uint8_t* p) const
{
    if (owned)
        std::free(p);
}

CBitmap::CBitmap(const CBitmap& other)
{
    if (other.isNull() || !create(other.m_nWidth, other.m_nHeight, other.m_nBitsPerPixel))
        return;
    std::memcpy(m_bits.get(), other.m_bits.get(), m_nStride * size_t(m_nHeight));
}

CBitmap::CBitmap(CBitmap&& other) noexcept { *this = std::move(other); }

CBitmap& CBitmap::operator=(CBitmap&& other) noexcept
{
    if (this != &other) {
        m_nWidth = std::exchange(other.m_nWidth, 0);
        m_nHeight = std::exchange(other.m_nHeight, 0);
        m_nBitsPerPixel = std::exchange(other.m_nBitsPerPixel, uint16_t(0));
        m_nStride = std::exchange(other.m_nStride, size_t(0));
        m_bits = std::move(other.m_bits);
    }
    return *this;
}

size_t CBitmap::strideFor(int32_t width, uint16_t bitsPerPixel)
{
    return ((size_t(width) * (bitsPerPixel / 8)) + 3) & ~size_t(3);
}

bool CBitmap::validSize(int32_t width, int32_t height, uint16_t bitsPerPixel)
{
    return width > 0 && height > 0
        && (bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32)
        && uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

void CBitmap::setSize(int32_t width, int32_t height, uint16_t bitsPerPixel)
{
    m_nWidth = width;
    m_nHeight = height;
    m_nBitsPerPixel = bitsPerPixel;
    m_nStride = strideFor(width, bitsPerPixel);
}

bool CBitmap::create(int32_t width, int32_t height, uint16_t bitsPerPixel)
{
    reset();
    if (!validSize(width, height, bitsPerPixel))
        return false;
    // calloc: fresh pages come zeroed from the system without a pass over them.
    m_bits.reset(static_cast<uint8_t*>(std::calloc(strideFor(width, bitsPerPixel) * size_t(height), 1)));
    if (!m_bits)
        return false;
    m_bits.get_deleter().owned = true;
    setSize(width, height, bitsPerPixel);
    return true;
}

bool CBitmap::wrap(uint8_t* bits, int32_t width, int32_t height, uint16_t bitsPerPixel)
{
    reset();
    if (!bits || !validSize(width, height, bitsPerPixel))
        return false;
    m_bits.reset(bits);
    m_bits.get_deleter().owned = false;
    setSize(width, height, bitsPerPixel);
    return true;
}

void CBitmap::reset()
{
    m_bits.reset();
    m_nWidth = m_nHeight = 0;
    m_nBitsPerPixel = 0;
    m_nStride = 0;
}

} // namespace img
