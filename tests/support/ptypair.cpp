#include "ptypair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&m_controller, &m_device, name, nullptr, nullptr) != 0) {
        m_controller = m_device = -1;
        return;
    }
    termios tio {};
    tcgetattr(m_device, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_device, TCSANOW, &tio);
    tcgetattr(m_controller, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_controller, TCSANOW, &tio);
    fcntl(m_controller, F_SETFL, fcntl(m_controller, F_GETFL) | O_NONBLOCK);
    // A child process (a program under test) must not keep the line up.
    fcntl(m_controller, F_SETFD, FD_CLOEXEC);
    fcntl(m_device, F_SETFD, FD_CLOEXEC);
    m_path = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeController();
    if (m_device >= 0)
        ::close(m_device);
}

bool PtyPair::write(const QByteArray& bytes)
{
    int done = 0;
    while (m_controller >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_controller, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += int(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd p { m_controller, POLLOUT, 0 };
            ::poll(&p, 1, 10);
            QCoreApplication::processEvents();
        }
    }
    return done == bytes.size();
}

QByteArray PtyPair::read(int nBytes, int nTimeoutMs)
{
    QByteArray out;
    QElapsedTimer idle;
    idle.start();
    while (m_controller >= 0 && out.size() < nBytes && idle.elapsed() < nTimeoutMs) {
        char buf[4096];
        const ssize_t n = ::read(m_controller, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, int(n));
            idle.restart();
            continue;
        }
        QTest::qWait(2);
    }
    return out;
}

QByteArray PtyPair::drain(int nMs)
{
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (m_controller >= 0 && t.elapsed() < nMs) {
        char buf[4096];
        const ssize_t n = ::read(m_controller, buf, sizeof buf);
        if (n > 0)
            out.append(buf, int(n));
        else
            QTest::qWait(2);
    }
    return out;
}

void PtyPair::closeController()
{
    if (m_controller >= 0) {
        ::close(m_controller);
        m_controller = -1;
    }
}
