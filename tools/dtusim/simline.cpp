#include "simline.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

void makeRaw(int fd)
{
    termios tio {};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
}

}  // namespace

SimLine::SimLine(QObject* parent)
    : QObject(parent)
    , m_pump(new QTimer(this))
{
    m_pump->setInterval(1);
    connect(m_pump, &QTimer::timeout, this, &SimLine::pump);
    m_clock.start();
}

SimLine::~SimLine()
{
    cut();
    if (m_peerFd >= 0)
        ::close(m_peerFd);
    if (!m_link.isEmpty())
        QFile::remove(m_link);
}

bool SimLine::openPty(const QString& linkPath, QString& error)
{
    char name[256] = {};
    if (openpty(&m_fd, &m_peerFd, name, nullptr, nullptr) != 0) {
        error = QString("openpty: %1").arg(qt_error_string(errno));
        return false;
    }
    makeRaw(m_fd);
    makeRaw(m_peerFd);
    m_path = QString::fromLocal8Bit(name);
    if (!linkPath.isEmpty()) {
        QFile::remove(linkPath);
        if (!QFile::link(m_path, linkPath)) {
            error = QString("cannot link %1 to %2").arg(linkPath, m_path);
            return false;
        }
        m_link = linkPath;
    }
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimLine::onReadable);
    return true;
}

bool SimLine::openDevice(const QString& path, QString& error)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        error = QString("%1: %2").arg(path, qt_error_string(errno));
        return false;
    }
    makeRaw(m_fd);
    m_path = path;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimLine::onReadable);
    return true;
}

bool SimLine::listenTcp(quint16 nPort, QString& error)
{
    m_server = new QTcpServer(this);
    if (!m_server->listen(QHostAddress::LocalHost, nPort)) {
        error = QString("tcp port %1: %2").arg(nPort).arg(m_server->errorString());
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &SimLine::onTcpClient);
    return true;
}

quint16 SimLine::tcpPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

void SimLine::onTcpClient()
{
    while (QTcpSocket* next = m_server->nextPendingConnection()) {
        // A newcomer takes the line, as on a shared device server.
        if (m_client)
            m_client->deleteLater();
        m_client = next;
        next->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(next, &QTcpSocket::readyRead, this, [this, next] {
            m_in.append(next->readAll());
            pump();
        });
        connect(next, &QTcpSocket::disconnected, this, [this, next] {
            if (m_client == next)
                m_client = nullptr;
            next->deleteLater();
        });
    }
}

qint64 SimLine::writeOut(const char* data, qint64 nSize)
{
    if (m_client)
        return m_client->write(data, nSize);
    const ssize_t n = ::write(m_fd, data, size_t(nSize));
    return n < 0 && errno == EAGAIN ? 0 : qint64(n);
}

void SimLine::send(const QByteArray& bytes, int nDelayMs)
{
    if (m_fd < 0 || bytes.isEmpty())
        return;
    m_out.enqueue({ bytes, m_clock.elapsed() + nDelayMs });
    pump();
}

void SimLine::cut()
{
    if (m_fd < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    m_pump->stop();
    if (QTcpSocket* client = m_client) {
        m_client = nullptr;
        client->abort();
        client->deleteLater();
    }
    delete m_server;
    m_server = nullptr;
    ::close(m_fd);
    m_fd = -1;
    // Closing only our side leaves the program's reads blocked on a pty
    // whose device end we still hold: drop that too so it sees the hang-up.
    if (m_peerFd >= 0) {
        ::close(m_peerFd);
        m_peerFd = -1;
    }
    m_out.clear();
    m_in.clear();
    emit lineCut();
}

void SimLine::onReadable()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n > 0) {
            m_in.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;  // EAGAIN, or EIO while nobody has the other side open
    }
    pump();
}

qint64 SimLine::allowance(Pace& pace, qint64 nWanted)
{
    if (m_nRate <= 0)
        return nWanted;
    const double now = double(m_clock.nsecsElapsed()) / 1e6;
    if (pace.idle) {
        pace.idle = false;
        pace.credit = 0;
        pace.lastMs = now;
    }
    // While busy, catch up on at most 20 ms a late pump tick missed.
    const double maxCredit = 8 + m_nRate / 50.0;
    pace.credit = qMin(maxCredit, pace.credit + (now - pace.lastMs) * m_nRate / 1000.0);
    pace.lastMs = now;
    const qint64 allowed = qMin<qint64>(qint64(pace.credit), nWanted);
    pace.credit -= double(allowed);
    return allowed;
}

void SimLine::pump()
{
    if (m_fd < 0)
        return;
    if (!m_in.isEmpty()) {
        const qint64 allowed = allowance(m_paceIn, m_in.size());
        if (allowed > 0) {
            const QByteArray part = m_in.left(int(allowed));
            m_in.remove(0, int(allowed));
            m_nBytesIn += part.size();
            emit bytesArrived(part);
        }
        if (m_in.isEmpty())
            m_paceIn.idle = true;
    }

    while (m_fd >= 0 && !m_out.isEmpty() && m_out.head().notBeforeMs <= m_clock.elapsed()) {
        Chunk& chunk = m_out.head();
        const qint64 allowed = allowance(m_paceOut, chunk.bytes.size());
        if (allowed == 0)
            break;
        const qint64 n = writeOut(chunk.bytes.constData(), allowed);
        if (n <= 0)
            break;  // the pty buffer is full; try again on the next tick
        m_nBytesOut += n;
        chunk.bytes.remove(0, int(n));
        if (chunk.bytes.isEmpty())
            m_out.dequeue();
    }
    if (m_out.isEmpty() || m_out.head().notBeforeMs > m_clock.elapsed())
        m_paceOut.idle = true;

    const bool busy = !m_out.isEmpty() || !m_in.isEmpty();
    if (busy && !m_pump->isActive())
        m_pump->start();
    else if (!busy)
        m_pump->stop();
}
