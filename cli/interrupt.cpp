#include "interrupt.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = { -1, -1 };

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &c, 1);
}

}  // namespace

InterruptNotifier* interruptNotifier()
{
    static InterruptNotifier* notifier = [] {
        auto* n = new InterruptNotifier;
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return n;
        auto* watch = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, n);
        QObject::connect(watch, &QSocketNotifier::activated, n, [n] {
            char buf[16];
            while (::read(g_pipe[0], buf, sizeof buf) > 0) {
            }
            emit n->interrupted();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        return n;
    }();
    return notifier;
}
