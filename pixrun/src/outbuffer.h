#pragma once
// One malloc block of exactly the size of what is written into it: the form in which
// the C interface hands streams and image files to its caller.

#include "rlecodec.h"

#include <cstddef>
#include <cstdint>

namespace pixrun {

class OutBuffer final : public StreamBuffer {
public:
    OutBuffer() = default;
    ~OutBuffer();
    OutBuffer(const OutBuffer&) = delete;
    OutBuffer& operator=(const OutBuffer&) = delete;

    // Replaces the block by one of `size` bytes (at least one is allocated);
    // nullptr when that fails.
    uint8_t* allocate(size_t size) override;
    // The same with every byte zero.
    uint8_t* allocateZeroed(size_t size);
    // Keeps only the first `size` bytes (no more than size()).
    void shrink(size_t size);
    // Copies `size` bytes into a new block.
    bool assign(const uint8_t* data, size_t size);
    // Takes over a malloc block of at least `size` bytes.
    void adopt(uint8_t* data, size_t size);

    uint8_t* data() const { return m_data; }
    size_t size() const { return m_nSize; }
    void clear();
    // Hands the block over; the buffer is empty afterwards.
    uint8_t* release();

private:
    uint8_t* m_data = nullptr;
    size_t m_nSize = 0;
};

} // namespace pixrun
