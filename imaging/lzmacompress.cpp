#include "lzmacompress.h"

#include <lzma.h>

#include <cstring>

namespace {

constexpr uint32_t kMinVersion = 50040002;  // 5.4.0 stable

int statusOf(lzma_ret ret)
{
    switch (ret) {
    case LZMA_OK:
    case LZMA_STREAM_END:
        return lzmastatus::kOk;
    case LZMA_MEM_ERROR:
    case LZMA_MEMLIMIT_ERROR:
        return lzmastatus::kErrorMem;
    case LZMA_OPTIONS_ERROR:
        return lzmastatus::kErrorUnsupported;
    case LZMA_PROG_ERROR:
        return lzmastatus::kErrorParam;
    case LZMA_BUF_ERROR:
        return lzmastatus::kErrorOutputEof;
    default:
        return lzmastatus::kErrorFail;
    }
}

}  // namespace

struct LzmaEncoder::Impl
{
    lzma_stream strm = LZMA_STREAM_INIT;
    lzma_options_lzma opt {};
    lzma_filter filters[2] {};
};

LzmaEncoder::LzmaEncoder()
    : d(new Impl)
{
    lzma_options_lzma& o = d->opt;
    o.dict_size = kLzmaDictSize;
    o.lc = 3;
    o.lp = 0;
    o.pb = 2;
    o.mode = LZMA_MODE_NORMAL;
    o.nice_len = 64;
    o.mf = LZMA_MF_BT4;
    o.depth = 48;
    o.ext_flags = 0;  // no end marker: the header carries the plain size
    o.ext_size_low = UINT32_MAX;
    o.ext_size_high = UINT32_MAX;
    d->filters[0].id = LZMA_FILTER_LZMA1EXT;
    d->filters[0].options = &d->opt;
    d->filters[1].id = LZMA_VLI_UNKNOWN;
}

LzmaEncoder::~LzmaEncoder()
{
    lzma_end(&d->strm);
}

bool LzmaEncoder::runtimeSupported()
{
    return lzma_version_number() >= kMinVersion;
}

int LzmaEncoder::compress(unsigned char* dest, size_t* nDestLen, const unsigned char* src, size_t nSrcLen)
{
    if (!dest || !nDestLen || (!src && nSrcLen > 0))
        return lzmastatus::kErrorParam;
    if (!runtimeSupported())
        return lzmastatus::kErrorUnsupported;
    const size_t capacity = *nDestLen;
    *nDestLen = 0;
    if (capacity < kLzmaHeaderSize)
        return lzmastatus::kErrorOutputEof;

    // Properties byte (pb * 5 + lp) * 9 + lc, dictionary size, plain size.
    dest[0] = static_cast<unsigned char>((d->opt.pb * 5 + d->opt.lp) * 9 + d->opt.lc);
    for (int i = 0; i < 4; ++i)
        dest[1 + i] = static_cast<unsigned char>(kLzmaDictSize >> (8 * i));
    const uint64_t plain = nSrcLen;
    for (int i = 0; i < 8; ++i)
        dest[5 + i] = static_cast<unsigned char>(plain >> (8 * i));

    // Re-initialising the same stream keeps the coder and its buffers.
    lzma_ret ret = lzma_raw_encoder(&d->strm, d->filters);
    if (ret != LZMA_OK)
        return statusOf(ret);

    lzma_stream& s = d->strm;
    s.next_in = src;
    s.avail_in = nSrcLen;
    s.next_out = dest + kLzmaHeaderSize;
    s.avail_out = capacity - kLzmaHeaderSize;
    // A full buffer may still be the exact end: one more call with no room
    // either reports the end or proves the stream does not fit.
    bool bFullOnce = false;
    for (;;) {
        ret = lzma_code(&s, LZMA_FINISH);
        if (ret == LZMA_STREAM_END)
            break;
        if (ret != LZMA_OK)
            return statusOf(ret);
        if (s.avail_out == 0) {
            if (bFullOnce)
                return lzmastatus::kErrorOutputEof;
            bFullOnce = true;
        }
    }
    *nDestLen = capacity - s.avail_out;
    return lzmastatus::kOk;
}

int lzmaCompress(unsigned char* dest, size_t* nDestLen, const unsigned char* src, size_t nSrcLen)
{
    static thread_local LzmaEncoder encoder;
    return encoder.compress(dest, nDestLen, src, nSrcLen);
}
