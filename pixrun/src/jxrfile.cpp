// JPEG XR through jxrlib's glue layer. Reading runs in the helper process (see
// jxrhelper.h); writing our own pixels stays here. jxrlib has no growable memory
// stream, so the encoder writes through a stream of ours backed by a byte vector.
#include "imagefile.h"
#include "jxrcontainer.h"
#include "jxrhelper.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

// After the standard headers: jxrlib defines min and max as macros.
#include <JXRGlue.h>
#undef min
#undef max

namespace img {

namespace {

// A WMPStream over a std::vector. jxrlib closes (frees) the stream itself when the
// encoder is released; `closed` tells the owner that this happened.
struct VectorStream {
    WMPStream base; // first member: jxrlib sees only this
    std::vector<uint8_t>* sink;
    size_t pos;
    bool* closed;
};

VectorStream* self(WMPStream* stream) { return reinterpret_cast<VectorStream*>(stream); }

ERR vsClose(WMPStream** stream)
{
    if (stream && *stream) {
        VectorStream* vs = self(*stream);
        *vs->closed = true;
        delete vs;
        *stream = nullptr;
    }
    return WMP_errSuccess;
}

Bool vsEos(WMPStream* stream) { return self(stream)->pos >= self(stream)->sink->size(); }

ERR vsRead(WMPStream* stream, void* buffer, size_t size)
{
    VectorStream* vs = self(stream);
    if (vs->pos > vs->sink->size() || vs->sink->size() - vs->pos < size)
        return WMP_errFileIO;
    std::memcpy(buffer, vs->sink->data() + vs->pos, size);
    vs->pos += size;
    return WMP_errSuccess;
}

ERR vsWrite(WMPStream* stream, const void* buffer, size_t size)
{
    VectorStream* vs = self(stream);
    try {
        if (vs->sink->size() < vs->pos + size)
            vs->sink->resize(vs->pos + size);
    } catch (...) {
        return WMP_errOutOfMemory;
    }
    if (size)
        std::memcpy(vs->sink->data() + vs->pos, buffer, size);
    vs->pos += size;
    return WMP_errSuccess;
}

ERR vsSetPos(WMPStream* stream, size_t pos)
{
    self(stream)->pos = pos;
    return WMP_errSuccess;
}

ERR vsGetPos(WMPStream* stream, size_t* pos)
{
    *pos = self(stream)->pos;
    return WMP_errSuccess;
}

WMPStream* createVectorStream(std::vector<uint8_t>& sink, bool* closed)
{
    auto* vs = new (std::nothrow) VectorStream{};
    if (!vs)
        return nullptr;
    vs->sink = &sink;
    vs->closed = closed;
    vs->base.fMem = FALSE;
    vs->base.Close = vsClose;
    vs->base.EOS = vsEos;
    vs->base.Read = vsRead;
    vs->base.Write = vsWrite;
    vs->base.SetPos = vsSetPos;
    vs->base.GetPos = vsGetPos;
    return &vs->base;
}

bool sameFormat(const PKPixelFormatGUID& a, const PKPixelFormatGUID& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Our quality scale (1 lossless) onto jxrlib's quantiser index (1 lossless, larger
// coarser).
U8 quantiserFor(float quality)
{
    const float q = std::clamp(quality, 0.0f, 1.0f);
    return U8(std::lround(1.0f + (1.0f - q) * 120.0f));
}

} // namespace

bool readJpegXr(const uint8_t* data, size_t size, CBitmap& out, std::string& error)
{
    return decodeInHelper(jpegXrHelperPath(), data, size, HelperLimits{}, out, error);
}

bool decodeJpegXrInProcess(const uint8_t* data, size_t size, CBitmap& out, std::string& error,
                           const std::function<bool(uint64_t pixels)>& allowPixels)
{
    out.reset();
    WMPStream* stream = nullptr;
    PKImageDecode* decoder = nullptr;
    PKFormatConverter* converter = nullptr;
    const char* failure = nullptr;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> checked;
    uint8_t storedFormat[16];
    std::string containerError;
    do {
        if (!checkJpegXrFile(data, size, kMaxPixels, checked, storedFormat, containerError)) {
            failure = containerError.c_str();
            break;
        }
        // jxrlib reads the identifier field by field, little-endian: on this
        // little-endian platform that is the stored byte order.
        PKPixelFormatGUID declared;
        static_assert(sizeof declared == sizeof storedFormat, "pixel format identifier size");
        std::memcpy(&declared, storedFormat, sizeof declared);
        PKPixelInfo declaredInfo{};
        declaredInfo.pGUIDPixFmt = &declared;
        if (PixelFormatLookup(&declaredInfo, LOOKUP_FORWARD) < 0) {
            failure = "unknown pixel format";
            break;
        }
        if (CreateWS_Memory(&stream, checked.data(), checked.size()) < 0
            || PKImageDecode_Create_WMP(&decoder) < 0) {
            failure = "cannot create decoder";
            break;
        }
        if (decoder->Initialize(decoder, stream) < 0) {
            failure = "not a readable JPEG XR image";
            break;
        }
        PKPixelFormatGUID source;
        I32 width = 0, height = 0;
        if (decoder->GetPixelFormat(decoder, &source) < 0 || decoder->GetSize(decoder, &width, &height) < 0
            || width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxPixels) {
            failure = "missing or excessive image size";
            break;
        }
        if (allowPixels && !allowPixels(uint64_t(width) * uint64_t(height))) {
            failure = "cannot set the memory limit";
            break;
        }
        PKPixelInfo info{};
        info.pGUIDPixFmt = &source;
        const bool alpha = PixelFormatLookup(&info, LOOKUP_FORWARD) >= 0
            && (info.grBit & PK_pixfmtHasAlpha);
        uint16_t depth = 24;
        PKPixelFormatGUID target = GUID_PKPixelFormat24bppBGR;
        if (sameFormat(source, GUID_PKPixelFormat8bppGray)) {
            depth = 8;
            target = GUID_PKPixelFormat8bppGray;
        } else if (alpha) {
            depth = 32;
            target = GUID_PKPixelFormat32bppBGRA;
        }
        if (PKCodecFactory_CreateFormatConverter(&converter) < 0
            || converter->Initialize(converter, decoder, nullptr, target) < 0) {
            failure = "unsupported pixel format";
            break;
        }
        // jxrlib may touch whole 16-line macroblock rows: give it room beyond the image.
        const size_t stride = (size_t(width + 16) * depth / 8 + 3) & ~size_t(3);
        const size_t rows = (size_t(height) + 31) & ~size_t(15);
        try {
            pixels.assign(stride * rows, 0);
        } catch (...) {
            failure = "out of memory";
            break;
        }
        const PKRect rect = {0, 0, width, height};
        if (converter->Copy(converter, &rect, pixels.data(), U32(stride)) < 0) {
            failure = "damaged image data";
            break;
        }
        if (!out.create(width, height, depth)) {
            failure = "out of memory";
            break;
        }
        for (I32 y = 0; y < height; ++y)
            std::memcpy(out.row(y), pixels.data() + size_t(y) * stride, size_t(width) * depth / 8);
    } while (false);
    if (converter)
        converter->Release(&converter);
    if (decoder)
        decoder->Release(&decoder);
    if (stream)
        stream->Close(&stream);
    if (failure) {
        out.reset();
        error = std::string("JPEG XR: ") + failure;
        return false;
    }
    return true;
}

bool writeJpegXr(const CBitmap& image, float quality, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    const unsigned bpp = image.bitsPerPixel();
    if (bpp != 8 && bpp != 24 && bpp != 32) {
        error = "JPEG XR: unsupported bit depth";
        return false;
    }
    bool closed = false;
    WMPStream* stream = createVectorStream(out, &closed);
    PKImageEncode* encoder = nullptr;
    const char* failure = nullptr;
    do {
        if (!stream || PKImageEncode_Create_WMP(&encoder) < 0) {
            failure = "cannot create encoder";
            break;
        }
        CWMIStrCodecParam params{};
        params.bVerbose = FALSE;
        params.cfColorFormat = bpp == 8 ? Y_ONLY : YUV_444;
        params.bdBitDepth = BD_LONG;
        params.bfBitstreamFormat = SPATIAL;
        params.bProgressiveMode = FALSE;
        params.olOverlap = OL_ONE;
        params.cNumOfSliceMinus1H = 0;
        params.cNumOfSliceMinus1V = 0;
        params.sbSubband = SB_ALL;
        params.uAlphaMode = bpp == 32 ? 2 : 0;
        params.uiDefaultQPIndex = quantiserFor(quality);
        params.uiDefaultQPIndexAlpha = params.uiDefaultQPIndex;
        const PKPixelFormatGUID format = bpp == 8 ? GUID_PKPixelFormat8bppGray
            : bpp == 24                          ? GUID_PKPixelFormat24bppBGR
                                                 : GUID_PKPixelFormat32bppBGRA;
        if (encoder->Initialize(encoder, stream, &params, sizeof params) < 0
            || encoder->SetPixelFormat(encoder, format) < 0
            || encoder->SetSize(encoder, image.width(), image.height()) < 0
            || encoder->SetResolution(encoder, 96.0f, 96.0f) < 0) {
            failure = "encoder refused the image";
            break;
        }
        if (encoder->WritePixels(encoder, U32(image.height()), const_cast<U8*>(image.bits()),
                                 U32(image.stride()))
            < 0) {
            failure = "cannot encode";
            break;
        }
    } while (false);
    if (encoder)
        encoder->Release(&encoder);
    if (stream && !closed)
        stream->Close(&stream);
    if (failure) {
        out.clear();
        error = std::string("JPEG XR: ") + failure;
        return false;
    }
    repairJpegXrAlphaCount(out);
    return true;
}

} // namespace img
