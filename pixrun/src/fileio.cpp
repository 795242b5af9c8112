#include "fileio.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace pixrun {

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out)
{
    out.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long length = ok ? std::ftell(file) : -1;
    ok = length >= 0 && uint64_t(length) <= kMaxInputFileSize && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(size_t(length));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    if (!ok)
        out.clear();
    return ok;
}

bool writeWholeFile(const std::string& path, const uint8_t* data, size_t size)
{
    static std::atomic<unsigned> s_counter{0};
    const std::string temp = path + ".part" + std::to_string(getpid()) + "-"
        + std::to_string(s_counter.fetch_add(1));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    for (size_t done = 0; ok && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0)
            done += size_t(n);
        else if (!(n < 0 && errno == EINTR))
            ok = false;
    }
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        std::remove(temp.c_str());
    return ok;
}

} // namespace pixrun
