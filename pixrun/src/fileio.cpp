#include "fileio.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace pixrun {

namespace {

bool failWith(int code, int* error)
{
    if (error)
        *error = code ? code : EIO;
    return false;
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, int* error)
{
    out.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return failWith(errno, error);
    int code = 0;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) != 0 || (length = std::ftell(file)) < 0
        || std::fseek(file, 0, SEEK_SET) != 0) {
        code = errno;
    } else if (uint64_t(length) > kMaxInputFileSize) {
        code = EFBIG;
    } else {
        out.resize(size_t(length));
        if (std::fread(out.data(), 1, out.size(), file) != out.size())
            code = std::ferror(file) ? errno : EIO;
    }
    std::fclose(file);
    if (code || length < 0) {
        out.clear();
        return failWith(code, error);
    }
    return true;
}

bool writeWholeFile(const std::string& path, const uint8_t* data, size_t size, int* error)
{
    static std::atomic<unsigned> s_counter{0};
    const std::string temp = path + ".part" + std::to_string(getpid()) + "-"
        + std::to_string(s_counter.fetch_add(1));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return failWith(errno, error);
    int code = 0;
    for (size_t done = 0; !code && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0)
            done += size_t(n);
        else if (!(n < 0 && errno == EINTR))
            code = n < 0 ? errno : EIO;
    }
    if (::close(fd) != 0 && !code)
        code = errno;
    if (!code && std::rename(temp.c_str(), path.c_str()) != 0)
        code = errno;
    if (code) {
        std::remove(temp.c_str());
        return failWith(code, error);
    }
    return true;
}

} // namespace pixrun
