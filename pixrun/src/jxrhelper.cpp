// Supervises one JPEG XR helper process: spawn, feed, collect, reap. The helper is
// untrusted once it has seen the file, so everything it answers is checked.
#include "jxrhelper.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace img {

namespace {

using Clock = std::chrono::steady_clock;

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Collects the reply as it arrives, straight into the image once the header has
// said what comes; never takes more memory than a valid image needs.
class ReplyReader {
public:
    explicit ReplyReader(CBitmap& out) : m_out(out) {}

    // Where the next bytes go and how many may come; 0 when nothing more is wanted.
    uint8_t* room(size_t& n)
    {
        if (m_filled < helperreply::kHeaderSize) {
            n = helperreply::kHeaderSize - m_filled;
            return m_header + m_filled;
        }
        n = m_body - m_bodyFilled;
        return n ? target() + m_bodyFilled : m_overflow;
    }

    // False when the reply breaks its own header.
    bool took(size_t n)
    {
        if (m_filled < helperreply::kHeaderSize) {
            m_filled += n;
            return m_filled < helperreply::kHeaderSize || parseHeader();
        }
        if (m_bodyFilled == m_body) {
            m_problem = "answered more than it announced";
            return false;
        }
        m_bodyFilled += n;
        return true;
    }

    bool complete() const { return m_filled == helperreply::kHeaderSize && m_bodyFilled == m_body; }
    bool decoded() const { return complete() && m_status == 0; }
    std::string message() const { return m_message; }
    const std::string& problem() const { return m_problem; }

private:
    uint8_t* target()
    {
        return m_status == 0 ? m_out.bits() : reinterpret_cast<uint8_t*>(&m_message[0]);
    }

    bool parseHeader()
    {
        const uint8_t* h = m_header;
        m_status = le32(h + 4);
        if (le32(h) != helperreply::kMagic || m_status > 1) {
            m_problem = "gave an unreadable answer";
            return false;
        }
        if (m_status == 1) {
            const uint32_t length = le32(h + 8);
            if (length > helperreply::kMaxMessage) {
                m_problem = "gave an unreadable answer";
                return false;
            }
            m_message.assign(length, '\0');
            m_body = length;
            return true;
        }
        const uint32_t width = le32(h + 8), height = le32(h + 12), depth = le32(h + 16);
        if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || depth > 32
            || !m_out.create(int32_t(width), int32_t(height), uint16_t(depth))) {
            m_problem = "announced an impossible image";
            return false;
        }
        m_body = m_out.stride() * size_t(height);
        return true;
    }

    CBitmap& m_out;
    uint8_t m_header[helperreply::kHeaderSize] = {};
    uint8_t m_overflow[1] = {};
    size_t m_filled = 0;
    uint32_t m_status = 0;
    size_t m_body = 0;
    size_t m_bodyFilled = 0;
    std::string m_message;
    std::string m_problem;
};

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return int(std::clamp<long long>(left.count(), 0, 1 << 30));
}

// Waits for the helper's end until the deadline, then kills it. Returns false when
// the status is unknown because somebody else reaped the child (SIGCHLD ignored).
bool reap(pid_t pid, Clock::time_point deadline, int& status, bool& killed)
{
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
        if (r == 0 && Clock::now() >= deadline && !killed) {
            kill(pid, SIGKILL);
            killed = true;
        }
        if (r == 0 && killed) {
            while (waitpid(pid, &status, 0) < 0)
                if (errno != EINTR)
                    return false;
            return true;
        }
        if (r == 0)
            poll(nullptr, 0, std::min(5, remainingMs(deadline)));
    }
}

// Feeds the file and collects the reply until the helper closes its end or the
// deadline passes. Returns false on a reply that breaks its own header.
bool exchange(int fd, const uint8_t* data, size_t size, ReplyReader& reply, Clock::time_point deadline,
              bool& timedOut)
{
    size_t written = 0;
    bool writing = size > 0;
    if (!writing)
        shutdown(fd, SHUT_WR);
    for (;;) {
        pollfd p{fd, short(POLLIN | (writing ? POLLOUT : 0)), 0};
        const int ms = remainingMs(deadline);
        const int r = poll(&p, 1, ms);
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0 || ms == 0) {
            timedOut = true;
            return true;
        }
        if (r < 0)
            return true;
        if (writing && (p.revents & (POLLOUT | POLLERR))) {
            // MSG_NOSIGNAL: a helper that is gone must not raise SIGPIPE in the caller.
            const ssize_t n = send(fd, data + written, std::min<size_t>(size - written, 1 << 16),
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                written += size_t(n);
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == size) {
                writing = false;
                shutdown(fd, SHUT_WR);
            }
        }
        if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
            size_t room = 0;
            uint8_t* at = reply.room(room);
            const ssize_t n = recv(fd, at, std::max<size_t>(room, 1), MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return true;
            if (n > 0 && !reply.took(size_t(n)))
                return false;
        }
    }
}

std::string describeEnd(int status, bool known, bool killed, int timeoutMs)
{
    if (killed)
        return "decoder took longer than " + std::to_string(timeoutMs) + " ms and was stopped";
    if (!known)
        return "decoder ended without a complete answer";
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        if (sig == SIGXCPU || sig == SIGKILL)
            return "decoder ran out of time";
        return "decoder crashed on damaged data (signal " + std::to_string(sig) + ")";
    }
    if (WEXITSTATUS(status) == 0)
        return "decoder ended without a complete answer";
    return "decoder failed (exit code " + std::to_string(WEXITSTATUS(status)) + ")";
}

} // namespace

bool decodeInHelper(const std::string& helper, const uint8_t* data, size_t size,
                    const HelperLimits& limits, CBitmap& out, std::string& error)
{
    out.reset();
    auto fail = [&](const std::string& why) {
        out.reset();
        error = "JPEG XR: " + why;
        return false;
    };
    if (access(helper.c_str(), X_OK) != 0)
        return fail("decoder helper " + helper + " is missing");

    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
        return fail("cannot start the decoder");
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 0);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // Ignored signals survive exec: the helper gets the defaults back, so that its
    // limits end it instead of being ignored.
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGXCPU, SIGXFSZ, SIGCHLD, SIGSEGV, SIGBUS, SIGABRT, SIGTERM})
        sigaddset(&defaults, sig);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const std::string memory = std::to_string(limits.memoryBytes);
    const std::string cpuSeconds = std::to_string((std::max(limits.timeoutMs, 1) + 999) / 1000);
    const std::string length = std::to_string(size);
    char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(memory.c_str()),
                    const_cast<char*>(cpuSeconds.c_str()), const_cast<char*>(length.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, helper.c_str(), &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(sv[1]);
    if (spawned != 0) {
        close(sv[0]);
        return fail("cannot start the decoder helper " + helper);
    }

    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limits.timeoutMs, 0));
    ReplyReader reply(out);
    bool timedOut = false;
    const bool consistent = exchange(sv[0], data, size, reply, deadline, timedOut);
    close(sv[0]);
    int status = 0;
    bool killed = false;
    const bool known = reap(pid, timedOut ? Clock::now() : deadline, status, killed);

    if (!consistent)
        return fail("decoder " + reply.problem());
    const bool exitedCleanly = !known || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (reply.decoded() && !killed && exitedCleanly)
        return true;
    if (reply.complete() && !reply.decoded() && !killed)
        return fail(reply.message());
    return fail(describeEnd(status, known, killed, limits.timeoutMs));
}

std::string jpegXrHelperPath()
{
    // Where this code was loaded from: the shared library, or a program linking the
    // core statically.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&jpegXrHelperPath), &info) && info.dli_fname) {
        std::string dir = info.dli_fname;
        dir = dir.substr(0, dir.find_last_of('/') + 1);
        for (const char* relative : {PIXRUN_LIBEXEC_FROM_LIBDIR, "../libexec/pixrun"}) {
            const std::string candidate = dir + relative + "/" + PIXRUN_JXR_HELPER_NAME;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return PIXRUN_JXR_HELPER_BUILD_PATH;
}

} // namespace img
