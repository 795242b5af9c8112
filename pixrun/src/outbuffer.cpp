#include "outbuffer.h"

#include <cstdlib>
#include <cstring>

namespace pixrun {

OutBuffer::~OutBuffer() { std::free(m_data); }

uint8_t* OutBuffer::allocate(size_t size)
{
    clear();
    m_data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    m_nSize = m_data ? size : 0;
    return m_data;
}

uint8_t* OutBuffer::allocateZeroed(size_t size)
{
    clear();
    m_data = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    m_nSize = m_data ? size : 0;
    return m_data;
}

void OutBuffer::shrink(size_t size)
{
    if (size >= m_nSize)
        return;
    // A failed realloc keeps the larger block, which still holds the bytes.
    if (void* smaller = std::realloc(m_data, size ? size : 1))
        m_data = static_cast<uint8_t*>(smaller);
    m_nSize = size;
}

bool OutBuffer::assign(const uint8_t* data, size_t size)
{
    if (!allocate(size))
        return false;
    if (size)
        std::memcpy(m_data, data, size);
    return true;
}

void OutBuffer::adopt(uint8_t* data, size_t size)
{
    clear();
    m_data = data;
    m_nSize = data ? size : 0;
}

void OutBuffer::clear() { std::free(release()); }

uint8_t* OutBuffer::release()
{
    m_nSize = 0;
    uint8_t* data = m_data;
    m_data = nullptr;
    return data;
}

} // namespace pixrun
