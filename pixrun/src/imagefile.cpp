#include "imagefile.h"

#include "fileio.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace img {

FileFormat formatFromName(const std::string& name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (upper == "BMP")
        return FileFormat::Bmp;
    if (upper == "JPG" || upper == "JPEG")
        return FileFormat::Jpeg;
    if (upper == "WDP" || upper == "HDP" || upper == "JXR")
        return FileFormat::JpegXr;
    if (upper == "PNG")
        return FileFormat::Png;
    if (upper == "TIF" || upper == "TIFF")
        return FileFormat::Tiff;
    return FileFormat::Unknown;
}

FileFormat formatFromPath(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileFormat::Unknown;
    return formatFromName(path.substr(dot + 1));
}

FileFormat sniffFormat(const uint8_t* data, size_t size)
{
    auto starts = [&](const char* magic, size_t n) {
        return size >= n && std::memcmp(data, magic, n) == 0;
    };
    if (starts("BM", 2))
        return FileFormat::Bmp;
    if (starts("\x89PNG\r\n\x1a\n", 8))
        return FileFormat::Png;
    if (starts("\xFF\xD8\xFF", 3))
        return FileFormat::Jpeg;
    if (starts("II\xBC", 3))
        return FileFormat::JpegXr;
    if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4))
        return FileFormat::Tiff;
    return FileFormat::Unknown;
}

bool CDecoder::load(const uint8_t* data, size_t size, CBitmap& out)
{
    out.reset();
    m_strError.clear();
    if (!data || size == 0) {
        m_strError = "no image data";
        return false;
    }
    switch (sniffFormat(data, size)) {
    case FileFormat::Bmp:
        return readBmp(data, size, out, m_strError);
    case FileFormat::Png:
        return readPng(data, size, out, m_strError);
    case FileFormat::Jpeg:
        return readJpeg(data, size, out, m_strError);
    case FileFormat::Tiff:
        return readTiff(data, size, out, m_strError);
    case FileFormat::JpegXr:
        return readJpegXr(data, size, out, m_strError);
    case FileFormat::Unknown:
        break;
    }
    m_strError = "not a BMP, JPEG, JPEG XR, PNG or TIFF image";
    return false;
}

bool CDecoder::load(const std::string& path, CBitmap& out)
{
    std::vector<uint8_t> data;
    int error = 0;
    if (!pixrun::readWholeFile(path, data, &error)) {
        out.reset();
        m_strError = path + ": " + std::strerror(error);
        return false;
    }
    return load(data.data(), data.size(), out);
}

bool CEncoder::save(const CBitmap& image, FileFormat format, pixrun::OutBuffer& out)
{
    out.clear();
    m_strError.clear();
    if (image.isNull()) {
        m_strError = "empty image";
        return false;
    }
    bool ok = false;
    std::vector<uint8_t> data; // for the libraries that write into their own memory
    switch (format) {
    case FileFormat::Bmp:
        ok = writeBmp(image, out, m_strError);
        break;
    case FileFormat::Png:
        ok = writePng(image, out, m_strError);
        break;
    case FileFormat::Jpeg:
        ok = writeJpeg(image, m_options.jpegQuality, out, m_strError);
        break;
    case FileFormat::Tiff:
        ok = writeTiff(image, m_options.tiffDeflate, data, m_strError);
        break;
    case FileFormat::JpegXr:
        ok = writeJpegXr(image, m_options.jpegXrQuality, data, m_strError);
        break;
    case FileFormat::Unknown:
        m_strError = "unknown image format";
        break;
    }
    if (ok && !data.empty() && !out.assign(data.data(), data.size())) {
        m_strError = "out of memory";
        ok = false;
    }
    if (!ok)
        out.clear();
    return ok;
}

bool CEncoder::save(const CBitmap& image, FileFormat format, std::vector<uint8_t>& out)
{
    pixrun::OutBuffer file;
    const bool ok = save(image, format, file);
    out.assign(file.data(), file.data() + file.size());
    return ok;
}

bool CEncoder::save(const CBitmap& image, FileFormat format, const std::string& path)
{
    pixrun::OutBuffer data;
    if (!save(image, format, data))
        return false;
    int error = 0;
    if (!pixrun::writeWholeFile(path, data.data(), data.size(), &error)) {
        m_strError = path + ": " + std::strerror(error);
        return false;
    }
    return true;
}

} // namespace img
