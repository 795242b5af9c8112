#include "jxrcontainer.h"

#include "streamformat.h"

#include <array>
#include <cstring>

namespace img {

namespace {

// Directory tags that decoding reads; every other entry (metadata) is dropped.
enum Tag : uint16_t {
    kPixelFormat = 0xBC01,
    kTransformation = 0xBC02,
    kImageWidth = 0xBC80,
    kImageHeight = 0xBC81,
    kImageOffset = 0xBCC0,
    kImageByteCount = 0xBCC1,
    kAlphaOffset = 0xBCC2,
    kAlphaByteCount = 0xBCC3,
};
constexpr uint16_t kTypeByte = 1;
constexpr uint16_t kTypeLong = 4;
constexpr uint32_t kOrientations = 8; // rotations and flips, 0..7
constexpr size_t kEntrySize = 12;

// Bytes per element of the directory's value types (BYTE .. DOUBLE); 0: unknown.
size_t typeSize(uint16_t type)
{
    static constexpr std::array<uint8_t, 13> sizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < sizes.size() ? sizes[type] : 0;
}

struct Entry {
    bool present = false;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t value = 0;
    size_t at = 0; // where the entry is in the file
};

struct Directory {
    Entry pixelFormat, transformation, width, height, imageOffset, imageByteCount, alphaOffset,
        alphaByteCount;

    Entry* slot(uint16_t tag)
    {
        switch (tag) {
        case kPixelFormat: return &pixelFormat;
        case kTransformation: return &transformation;
        case kImageWidth: return &width;
        case kImageHeight: return &height;
        case kImageOffset: return &imageOffset;
        case kImageByteCount: return &imageByteCount;
        case kAlphaOffset: return &alphaOffset;
        case kAlphaByteCount: return &alphaByteCount;
        default: return nullptr;
        }
    }
};

const char* readDirectory(const uint8_t* data, size_t size, Directory& dir)
{
    using pixrun::getU16;
    using pixrun::getU32;
    if (size < 8 || data[0] != 'I' || data[1] != 'I' || data[2] != 0xBC || data[3] > 1)
        return "not a JPEG XR file";
    const uint32_t at = getU32(data + 4);
    if (at < 8 || at > size || size - at < 2)
        return "directory outside the file";
    const uint16_t count = getU16(data + at);
    if (count == 0 || (size - at - 2) / kEntrySize < count)
        return "directory empty or cut short";
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = data + at + 2 + size_t(i) * kEntrySize;
        Entry entry{true, getU16(e + 2), getU32(e + 4), getU32(e + 8), size_t(e - data)};
        const size_t unit = typeSize(entry.type);
        if (unit == 0)
            return "directory entry of unknown type";
        // Values over four bytes live elsewhere in the file: they must be inside it.
        const uint64_t bytes = uint64_t(entry.count) * unit;
        if (bytes > 4 && (entry.value > size || size - entry.value < bytes))
            return "directory entry points outside the file";
        if (Entry* s = dir.slot(getU16(e))) {
            if (s->present)
                return "directory entry repeated";
            *s = entry;
        }
    }
    return nullptr;
}

// A single whole-number value, as jxrlib reads it (the raw 32-bit field).
bool single(const Entry& e)
{
    return e.count == 1 && (e.type == 1 || e.type == 3 || e.type == 4);
}

bool span(const Entry& offset, const Entry& count, size_t size)
{
    return single(offset) && single(count) && count.value > 0 && offset.value >= 8
        && offset.value <= size && size - offset.value >= count.value;
}

// jxrlib's own writer stores where the alpha plane ends as its byte count; the
// plane runs to the end of the file, so that is its length.
bool alphaCountOverruns(const Directory& dir, size_t size)
{
    const Entry& offset = dir.alphaOffset;
    const Entry& count = dir.alphaByteCount;
    return offset.present && count.present && single(offset) && single(count) && offset.value >= 8
        && offset.value < size && count.value > size - offset.value;
}

const char* checkDirectory(Directory& dir, size_t size)
{
    if (!dir.pixelFormat.present || (dir.pixelFormat.type != kTypeByte && dir.pixelFormat.type != 7)
        || dir.pixelFormat.count != 16)
        return "missing or malformed pixel format";
    if (dir.transformation.present
        && (!single(dir.transformation) || dir.transformation.value >= kOrientations))
        return "unknown orientation";
    if (!single(dir.width) || !single(dir.height))
        return "image size missing";
    if (!dir.imageOffset.present || !dir.imageByteCount.present
        || !span(dir.imageOffset, dir.imageByteCount, size))
        return "image data missing or outside the file";
    if (alphaCountOverruns(dir, size))
        dir.alphaByteCount.value = uint32_t(size - dir.alphaOffset.value);
    if (dir.alphaOffset.present != dir.alphaByteCount.present
        || (dir.alphaOffset.present && !span(dir.alphaOffset, dir.alphaByteCount, size)))
        return "alpha data outside the file";
    return nullptr;
}

uint32_t bigEndian(const uint8_t* p, size_t bytes)
{
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

// The codestream header: signature, overlap mode, the image size (jxrlib allocates
// from it; it must match the directory's) and, where the header has its fixed
// layout, the colour format of the image plane against the output's.
const char* checkCodestream(const uint8_t* p, size_t bytes, const Directory& dir,
                            uint64_t maxPixels)
{
    static const uint8_t signature[8] = {'W', 'M', 'P', 'H', 'O', 'T', 'O', 0};
    if (bytes < 20 || std::memcmp(p, signature, 8) != 0)
        return "codestream signature missing";
    if ((p[9] & 3) == 3)
        return "reserved overlap mode";
    const bool shortHeader = p[10] & 0x80;
    const size_t field = shortHeader ? 2 : 4;
    const uint64_t width = uint64_t(bigEndian(p + 12, field)) + 1;
    const uint64_t height = uint64_t(bigEndian(p + 12 + field, field)) + 1;
    if (width > maxPixels || height > maxPixels || width * height > maxPixels)
        return "image too large";
    const bool tiling = p[9] & 0x80;
    const bool windowing = p[10] & 0x20;
    if (windowing)
        return nullptr; // the directory holds the size inside the margins
    if (width != dir.width.value || height != dir.height.value)
        return "image size differs from the directory's";
    const size_t plane = 12 + 2 * field;
    if (tiling || bytes <= plane)
        return nullptr;
    const unsigned outputFormat = p[11] >> 4;
    const unsigned planeFormat = p[plane] >> 5;
    constexpr unsigned kGrey = 0;
    if (planeFormat == 5 || planeFormat == 7 || ((outputFormat == kGrey) != (planeFormat == kGrey)))
        return "colour format of the image plane does not fit the output";
    return nullptr;
}

void putU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    putU16(out, uint16_t(v));
    putU16(out, uint16_t(v >> 16));
}

} // namespace

bool checkJpegXrFile(const uint8_t* data, size_t size, uint64_t maxPixels,
                     std::vector<uint8_t>& out, uint8_t (&pixelFormat)[16], std::string& error)
{
    out.clear();
    Directory dir;
    const char* failure = readDirectory(data, size, dir);
    if (!failure)
        failure = checkDirectory(dir, size);
    if (!failure)
        failure = checkCodestream(data + dir.imageOffset.value, dir.imageByteCount.value, dir,
                                  maxPixels);
    if (!failure && size > UINT32_MAX - 128)
        failure = "file too large";
    if (failure) {
        error = failure;
        return false;
    }
    std::memcpy(pixelFormat, data + dir.pixelFormat.value, 16);

    // The same bytes with a directory of the needed entries, in tag order, at the end,
    // followed by the pixel format: where the file keeps it may overlap the header,
    // which the copy changes.
    struct Kept { uint16_t tag; const Entry* entry; };
    const Kept kept[] = {{kPixelFormat, &dir.pixelFormat}, {kTransformation, &dir.transformation},
                         {kImageWidth, &dir.width},         {kImageHeight, &dir.height},
                         {kImageOffset, &dir.imageOffset},  {kImageByteCount, &dir.imageByteCount},
                         {kAlphaOffset, &dir.alphaOffset},  {kAlphaByteCount, &dir.alphaByteCount}};
    try {
        out.reserve(size + 2 + sizeof kept / sizeof kept[0] * kEntrySize + 6 + sizeof pixelFormat);
        out.assign(data, data + size);
        if (out.size() % 2)
            out.push_back(0);
        const uint32_t at = uint32_t(out.size());
        for (size_t i = 0; i < 4; ++i)
            out[4 + i] = uint8_t(at >> (8 * i));
        uint16_t count = 0;
        for (const Kept& k : kept)
            count = uint16_t(count + (k.entry->present ? 1 : 0));
        putU16(out, count);
        for (const Kept& k : kept) {
            if (!k.entry->present)
                continue;
            const bool guid = k.tag == kPixelFormat;
            putU16(out, k.tag);
            putU16(out, guid ? kTypeByte : kTypeLong);
            putU32(out, guid ? 16 : 1);
            putU32(out, guid ? at + 2 + count * uint32_t(kEntrySize) + 4 : k.entry->value);
        }
        putU32(out, 0); // no further directory
        out.insert(out.end(), pixelFormat, pixelFormat + sizeof pixelFormat);
    } catch (...) {
        out.clear();
        error = "out of memory";
        return false;
    }
    return true;
}

void repairJpegXrAlphaCount(std::vector<uint8_t>& file)
{
    Directory dir;
    if (readDirectory(file.data(), file.size(), dir) || !alphaCountOverruns(dir, file.size()))
        return;
    const uint32_t count = uint32_t(file.size() - dir.alphaOffset.value);
    for (size_t i = 0; i < 4; ++i)
        file[dir.alphaByteCount.at + 8 + i] = uint8_t(count >> (8 * i));
}

} // namespace img
