#pragma once
// Bit planes of an image and their run-length symbols.
//
// A plane is packed one bit per pixel, row after row with no fill bits between rows,
// most significant bit first; a final partial byte keeps its bits in the low-order
// positions.

#include "bitmap.h"

#include <cstdint>
#include <vector>

namespace pixrun {

size_t packedPlaneSize(const img::CBitmap& image);

// Which bitmap row a plane starts with. The exports keep images in file order and
// store them in the stream bottom row first, so the flip is only a row index.
enum class StreamRows { FirstRowFirst, LastRowFirst };

inline int32_t bitmapRow(int32_t planeRow, int32_t height, StreamRows rows)
{
    return rows == StreamRows::FirstRowFirst ? planeRow : height - 1 - planeRow;
}

// Grey image: a bit is set for a light pixel (grey value above 127).
void packGreyPlane(const img::CBitmap& image, uint8_t* out,
                   StreamRows rows = StreamRows::FirstRowFirst);
// Colour image (24 or 32 bits): black plane set where 255 - R is above 127; red plane
// set where R - G/2 - B/2, wrapped to 8 bits, is above 127.
void packColourPlanes(const img::CBitmap& image, uint8_t* black, uint8_t* red,
                      StreamRows rows = StreamRows::FirstRowFirst);

// A symbol of the run-length sequence with the extra value of a length code in the
// upper 16 bits.
inline uint16_t symbolOf(uint32_t item) { return uint16_t(item); }
inline uint16_t extraOf(uint32_t item) { return uint16_t(item >> 16); }

// Appends the symbols of the packed bytes followed by the end symbol.
void runLengthCode(const uint8_t* bytes, size_t size, std::vector<uint32_t>& out);

// Writes pixels from a packed plane into the image (every pixel of it).
// Grey image: set bit white (255), clear bit black (0).
void unpackGreyPlane(const uint8_t* plane, img::CBitmap& image,
                     StreamRows rows = StreamRows::FirstRowFirst);
// 24-bit image: black plane set bit black, clear bit white; red plane set bit red.
void unpackBlackPlane(const uint8_t* plane, img::CBitmap& image,
                      StreamRows rows = StreamRows::FirstRowFirst);
void unpackRedPlane(const uint8_t* plane, img::CBitmap& image,
                    StreamRows rows = StreamRows::FirstRowFirst);

} // namespace pixrun
