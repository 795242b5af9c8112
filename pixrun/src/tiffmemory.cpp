#include "tiffmemory.h"

#include "bitmap.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace img {

TiffMemory::~TiffMemory() { close(); }

TIFF* TiffMemory::open()
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, this);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxPixels * 4 + 65536));
    m_tiff = TIFFClientOpenExt("memory", m_sink ? "w" : "rm", this, read, write, seek, closeProc,
                               sizeProc, nullptr, nullptr, options);
    TIFFOpenOptionsFree(options);
    return m_tiff;
}

bool TiffMemory::close()
{
    if (m_tiff) {
        if (m_sink && !TIFFFlush(m_tiff))
            m_bFailed = true;
        TIFFClose(m_tiff);
        m_tiff = nullptr;
    }
    return !m_bFailed;
}

tmsize_t TiffMemory::read(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* self = static_cast<TiffMemory*>(handle);
    const uint8_t* data = self->m_sink ? self->m_sink->data() : self->m_source;
    const uint64_t total = self->m_sink ? self->m_sink->size() : self->m_size;
    if (size <= 0 || self->m_pos >= total)
        return 0;
    const uint64_t n = std::min<uint64_t>(uint64_t(size), total - self->m_pos);
    std::memcpy(buffer, data + self->m_pos, size_t(n));
    self->m_pos += n;
    return tmsize_t(n);
}

tmsize_t TiffMemory::write(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* self = static_cast<TiffMemory*>(handle);
    if (!self->m_sink || size < 0)
        return -1;
    const uint64_t end = self->m_pos + uint64_t(size);
    if (end > (uint64_t(1) << 32))
        return -1; // classic TIFF offsets are 32 bits
    try {
        if (end > self->m_sink->size())
            self->m_sink->resize(size_t(end));
    } catch (...) {
        return -1;
    }
    std::memcpy(self->m_sink->data() + self->m_pos, buffer, size_t(size));
    self->m_pos = end;
    return size;
}

toff_t TiffMemory::seek(thandle_t handle, toff_t offset, int whence)
{
    auto* self = static_cast<TiffMemory*>(handle);
    const uint64_t total = self->m_sink ? self->m_sink->size() : self->m_size;
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = self->m_pos;
    else if (whence == SEEK_END)
        base = total;
    const uint64_t target = base + offset;
    if (target < base || target > (uint64_t(1) << 40))
        return toff_t(-1);
    self->m_pos = target;
    return target;
}

int TiffMemory::closeProc(thandle_t) { return 0; }

toff_t TiffMemory::sizeProc(thandle_t handle)
{
    auto* self = static_cast<TiffMemory*>(handle);
    return self->m_sink ? self->m_sink->size() : self->m_size;
}

int TiffMemory::onError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
    auto* self = static_cast<TiffMemory*>(user);
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    if (self->m_strError.empty())
        self->m_strError = std::string(module ? module : "TIFF") + ": " + text;
    self->m_bFailed = true;
    return 1;
}

int TiffMemory::onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

} // namespace img
