#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QtGlobal>

#include <iosfwd>
#include <vector>

namespace kv8 {

// The e-paper display's bitmap container, little-endian:
//   "KB" | u16 9 | u16 width | u16 height | u8 block count
//   "BL" | u16 35 | u16 x 0 | u16 y 0 | u16 w | u16 h | u32 run bits | "REL"
//   | u32 depth 1 | u32 palette 2 | FF FF FF 00 | 00 00 00 00 | run data
// Run data: alternating light/dark run lengths starting with light, each a
// base-8 number in 4-bit units (low group first, bit 3 = more follow), two
// units per byte, low nibble first. Runs carry over row ends.
class KvBitmap
{
public:
    static constexpr int kHeaderSize = 44;

    KvBitmap() = default;
    KvBitmap(quint16 nWidth, quint16 nHeight, quint8 nBlockCount);
    virtual ~KvBitmap();

    void addImage(const QImage& image);
    void addImage(QImage&& image);
    void clear();

    // Only the first image is written; the count field is copied as given.
    void writeTo(QByteArray& out) const;
    void writeTo(std::ostream& out) const;
    // Silently does nothing when the file cannot be created.
    void save(const char* path) const;

    // Empty for a null image or one that is not 8-bit grayscale.
    static std::vector<quint8> encodeRuns(const QImage& image);
    // bNewByte: the next unit opens a new byte (true at the start of an image).
    static void putRunLength(std::vector<quint8>& out, quint32 nLength, bool& bNewByte);
    static void putNibble(std::vector<quint8>& out, quint8 nUnit, bool& bNewByte);

    quint16 m_width = 0;
    quint16 m_height = 0;
    quint8 m_blockCount = 0;
    QList<QImage> m_images;

private:
    template <class Sink>
    void writeFields(Sink& sink) const;
};

}  // namespace kv8
