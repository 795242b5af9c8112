#include "streamtext.h"

#include "streamformat.h"

#include <cstdarg>
#include <cstdio>

namespace pixrun {

namespace {

void appendf(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

void appendf(std::string& text, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    text += line;
}

} // namespace

std::string streamDamage(const StreamInfo& info)
{
    std::string damage;
    for (size_t i = 0; i < info.planes.size(); ++i) {
        const PlaneInfo& p = info.planes[i];
        if (p.bytesAvailable < p.bitLength)
            appendf(damage, "%splane %zu has %u of its %u bytes", damage.empty() ? "" : "; ", i,
                    p.bytesAvailable, p.bitLength);
        else if (!p.ended)
            appendf(damage, "%splane %zu has no end symbol", damage.empty() ? "" : "; ", i);
    }
    if (info.planes.size() < info.planeCount)
        appendf(damage, "%s%zu of %u planes missing", damage.empty() ? "" : "; ",
                size_t(info.planeCount) - info.planes.size(), unsigned(info.planeCount));
    return damage;
}

bool describeStream(const uint8_t* data, size_t size, std::string& text)
{
    img::CBitmap image;
    StreamInfo s;
    if (!decodeStream(data, size, image, &s))
        return false;
    text.clear();
    appendf(text, "file size     %zu bytes\n", size);
    appendf(text, "image         %u x %u, %u plane(s)\n", s.width, s.height, s.planeCount);
    appendf(text, "data offset   %u (code table %u bytes, %d codes, longest %d bits)\n",
            s.dataOffset, unsigned(s.dataOffset - kFileHeaderSize), s.codeCount, s.maxCodeLength);
    appendf(text, "raw size      %u bytes\n", s.rawSize);
    appendf(text, "total size    %u bytes (header field)\n", s.totalSize);
    for (size_t i = 0; i < s.planes.size(); ++i) {
        const PlaneInfo& p = s.planes[i];
        appendf(text,
                "plane %zu       type %u (%s), %u x %u, %u bytes%s, %llu literals, "
                "%llu run codes, %s\n",
                i, p.type, p.type == kPlaneBlack ? "black" : p.type == kPlaneRed ? "red" : "unknown",
                p.width, p.height, p.bitLength, p.bytesAvailable < p.bitLength ? " (truncated)" : "",
                static_cast<unsigned long long>(p.literals),
                static_cast<unsigned long long>(p.runCodes), p.ended ? "complete" : "no end symbol");
    }
    if (s.planes.size() < s.planeCount)
        appendf(text, "missing       %zu plane(s)\n", size_t(s.planeCount) - s.planes.size());
    return true;
}

} // namespace pixrun
