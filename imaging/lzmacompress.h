#pragma once

#include <cstddef>
#include <memory>

// Status codes of the compressor, numbered as the classic LZMA tools number
// them so that logs and callers read the same values.
namespace lzmastatus {
constexpr int kOk = 0;
constexpr int kErrorMem = 2;
constexpr int kErrorUnsupported = 4;
constexpr int kErrorParam = 5;
constexpr int kErrorOutputEof = 7;
constexpr int kErrorFail = 11;
}  // namespace lzmastatus

// .lzma layout written into the destination: properties byte 0x5D (lc 3,
// lp 0, pb 2), u32 dictionary size 4096, u64 plain size, then the raw LZMA1
// stream without an end marker.
constexpr size_t kLzmaHeaderSize = 13;
constexpr unsigned kLzmaDictSize = 4096;

// One LZMA1 encoder kept across calls: re-initialising an existing stream
// reuses its match-finder memory instead of allocating and faulting in
// fresh pages for every payload.
class LzmaEncoder
{
public:
    LzmaEncoder();
    ~LzmaEncoder();
    LzmaEncoder(const LzmaEncoder&) = delete;
    LzmaEncoder& operator=(const LzmaEncoder&) = delete;

    // nDestLen: capacity on entry, bytes written (13 + stream) on return.
    // Returns a status code; kErrorOutputEof when the result does not fit.
    int compress(unsigned char* dest, size_t* nDestLen, const unsigned char* src, size_t nSrcLen);

    // liblzma 5.4.0 is the first release that can leave out the end marker.
    static bool runtimeSupported();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Compresses with the calling thread's encoder (see LzmaEncoder::compress).
int lzmaCompress(unsigned char* dest, size_t* nDestLen, const unsigned char* src, size_t nSrcLen);
