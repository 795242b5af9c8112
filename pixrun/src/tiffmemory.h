#pragma once
// libtiff over a memory buffer (read-only source or growable destination), with
// errors collected per handle instead of printed.

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace img {

class TiffMemory {
public:
    // Reading: the bytes must outlive the handle.
    TiffMemory(const uint8_t* data, size_t size) : m_source(data), m_size(size) {}
    // Writing into `sink`, which receives the file when the handle is closed.
    explicit TiffMemory(std::vector<uint8_t>& sink) : m_sink(&sink) { sink.clear(); }
    ~TiffMemory();
    TiffMemory(const TiffMemory&) = delete;
    TiffMemory& operator=(const TiffMemory&) = delete;

    TIFF* open(); // nullptr on failure; see error()
    // Flushes and closes; false if libtiff reported a failure while writing.
    bool close();
    const std::string& error() const { return m_strError; }

private:
    static tmsize_t read(thandle_t, void*, tmsize_t);
    static tmsize_t write(thandle_t, void*, tmsize_t);
    static toff_t seek(thandle_t, toff_t, int);
    static int closeProc(thandle_t);
    static toff_t sizeProc(thandle_t);
    static int onError(TIFF*, void*, const char*, const char*, va_list);
    static int onWarning(TIFF*, void*, const char*, const char*, va_list);

    const uint8_t* m_source = nullptr;
    size_t m_size = 0;
    std::vector<uint8_t>* m_sink = nullptr;
    uint64_t m_pos = 0;
    TIFF* m_tiff = nullptr;
    std::string m_strError;
    bool m_bFailed = false;
};

} // namespace img
