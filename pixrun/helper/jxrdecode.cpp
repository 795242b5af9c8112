// The JPEG XR decoding helper: reads one file from standard input, writes the reply
// of jxrhelper.h to standard output. It trusts nothing it reads, so before it looks
// at the file it fences itself in: limits on time, memory, files and processes, and
// no new privileges or programs.
//
// Usage (by the library only): pixrun-jxrdecode MEMORY_BYTES CPU_SECONDS INPUT_BYTES
#include "jxrhelper.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define PIXRUN_HELPER_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PIXRUN_HELPER_SANITIZED 1
#endif
#endif

namespace {

bool setLimit(int resource, rlim_t value)
{
    const rlimit limit{value, value};
    return setrlimit(resource, &limit) == 0;
}

#if defined(__linux__)
// Refuses (EPERM) starting programs, new processes and network endpoints. Threads
// stay allowed: the sanitizers' leak check needs them.
bool denyEscapes()
{
#define PIXRUN_DENY(nr) BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, nr, 0, 1), \
                        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM)
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
#if defined(__x86_64__)
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
#elif defined(__aarch64__)
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_AARCH64, 1, 0),
#else
        BPF_JUMP(BPF_JMP | BPF_JA, 0, 0, 0),
#endif
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        PIXRUN_DENY(__NR_execve),
        PIXRUN_DENY(__NR_execveat),
#if defined(__NR_fork)
        PIXRUN_DENY(__NR_fork),
        PIXRUN_DENY(__NR_vfork),
#endif
        PIXRUN_DENY(__NR_socket),
        PIXRUN_DENY(__NR_socketpair),
        PIXRUN_DENY(__NR_connect),
        PIXRUN_DENY(__NR_bind),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
#undef PIXRUN_DENY
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
        && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}
#endif

#if !defined(PIXRUN_HELPER_SANITIZED)
// Memory for an image of `pixels`: the file, jxrlib's working rows and format
// conversion, our pixel rows and their copy, with room for the program itself.
rlim_t memoryFor(uint64_t pixels, size_t inputBytes, uint64_t cap)
{
    const uint64_t need = (uint64_t(256) << 20) + 2 * uint64_t(inputBytes) + 16 * pixels;
    return rlim_t(need < cap ? need : cap);
}
#endif

bool fenceIn(uint64_t memory, unsigned long cpuSeconds)
{
    // Descriptors the caller leaked into us (not close-on-exec) are not ours to use.
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    bool ok = setLimit(RLIMIT_CORE, 0) && setLimit(RLIMIT_FSIZE, 0) && setLimit(RLIMIT_NOFILE, 16)
        && setLimit(RLIMIT_CPU, rlim_t(cpuSeconds));
#if !defined(PIXRUN_HELPER_SANITIZED)
    // The sanitizers reserve terabytes of shadow address space; a sanitized helper
    // runs without an address space limit and relies on the time limit.
    ok = ok && setLimit(RLIMIT_AS, rlim_t(memory));
#else
    (void)memory;
#endif
#if defined(__linux__)
    ok = ok && denyEscapes();
#endif
    return ok;
}

// Reads (fd 0) or writes (fd 1) all n bytes, across partial transfers.
bool transferAll(int fd, uint8_t* at, size_t n)
{
    while (n > 0) {
        const ssize_t r = fd == 0 ? read(fd, at, n) : write(fd, at, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        at += r;
        n -= size_t(r);
    }
    return true;
}

bool writeAll(const uint8_t* at, size_t n) { return transferAll(1, const_cast<uint8_t*>(at), n); }

void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

bool replyHeader(uint32_t status, uint32_t a, uint32_t b, uint32_t c)
{
    uint8_t h[img::helperreply::kHeaderSize];
    put32(h, img::helperreply::kMagic);
    put32(h + 4, status);
    put32(h + 8, a);
    put32(h + 12, b);
    put32(h + 16, c);
    return writeAll(h, sizeof h);
}

// The caller names the format; the reply says only what went wrong.
int fail(std::string message)
{
    const std::string prefix = "JPEG XR: ";
    if (message.compare(0, prefix.size(), prefix) == 0)
        message.erase(0, prefix.size());
    message.resize(std::min<size_t>(message.size(), img::helperreply::kMaxMessage));
    replyHeader(1, uint32_t(message.size()), 0, 0);
    writeAll(reinterpret_cast<const uint8_t*>(message.data()), message.size());
    // jxrlib abandons its decoder state when a decode fails; the process end frees it.
    _exit(1);
}

bool parseNumber(const char* text, unsigned long long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return text[0] != '\0' && *end == '\0' && errno == 0;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned long long memory = 0, cpuSeconds = 0, inputBytes = 0;
    if (argc != 4 || !parseNumber(argv[1], memory) || !parseNumber(argv[2], cpuSeconds)
        || !parseNumber(argv[3], inputBytes) || inputBytes > (uint64_t(1) << 31))
        return fail("decoder helper started wrongly");
    if (!fenceIn(memory, (unsigned long)(cpuSeconds)))
        return fail("decoder helper cannot limit itself");

    std::vector<uint8_t> file;
    try {
        file.resize(size_t(inputBytes));
    } catch (...) {
        return fail("file too large for the decoder's memory limit");
    }
    if (!transferAll(0, file.data(), file.size()))
        return fail("file did not reach the decoder");

    img::CBitmap image;
    std::string error;
    const bool decoded = img::decodeJpegXrInProcess(
        file.data(), file.size(), image, error, [&](uint64_t pixels) {
#if defined(PIXRUN_HELPER_SANITIZED)
            (void)pixels;
            return true;
#else
            return setLimit(RLIMIT_AS, memoryFor(pixels, file.size(), memory));
#endif
        });
    if (!decoded)
        return fail(error);
    if (!replyHeader(0, uint32_t(image.width()), uint32_t(image.height()), image.bitsPerPixel())
        || !writeAll(image.bits(), image.stride() * size_t(image.height())))
        return 1;
    return 0;
}
