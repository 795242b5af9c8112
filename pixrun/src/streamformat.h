#pragma once
// Constants of the pixrun stream: symbols, length codes and fixed header bytes.
// All multi-byte fields of the stream are little-endian.

#include <cstddef>
#include <cstdint>

namespace pixrun {

constexpr int kSymbolCount = 286;      // 0..255 literals, 256 end of plane, 257..285 lengths
constexpr uint16_t kEndOfPlane = 256;
constexpr uint16_t kFirstLengthCode = 257;
constexpr int kMaxCodeLength = 16;     // the code table counts lengths 0..16
constexpr int kMaxCodesPerLength = 255;
constexpr uint16_t kFormatTag = 2;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kPlaneHeaderSize = 16;
constexpr uint16_t kPlaneBlack = 0;
constexpr uint16_t kPlaneRed = 3;

struct LengthCode {
    uint16_t base;
    uint8_t extraBits;
};

// Indexed by symbol - 257. The encoder never emits 285; the decoder accepts it.
constexpr LengthCode kLengthCodes[29] = {
    {3, 0},     {4, 0},     {5, 1},     {7, 1},     {9, 2},      {13, 2},     {17, 3},
    {25, 3},    {33, 4},    {49, 4},    {65, 5},    {97, 5},     {129, 6},    {193, 6},
    {257, 7},   {385, 7},   {513, 8},   {769, 8},   {1025, 9},   {1537, 9},   {2049, 10},
    {3073, 10}, {4097, 11}, {6145, 11}, {8193, 12}, {12289, 12}, {16385, 13}, {24577, 13},
    {32769, 0}};

inline void putU16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v)
{
    putU16(p, v);
    putU16(p + 2, v >> 16);
}
inline uint16_t getU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t getU32(const uint8_t* p) { return getU16(p) | (uint32_t(getU16(p + 2)) << 16); }

} // namespace pixrun
