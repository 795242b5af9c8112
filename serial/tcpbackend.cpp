#include "tcpbackend.h"
#include "seriallog.h"

#include <QThread>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// Acknowledge what arrived at once. A server that sends an answer in
// several small segments (ser2net without its character delay) and keeps
// Nagle's algorithm on would otherwise hold each later segment until our
// delayed acknowledgement, some 40 ms. Linux clears the flag again after a
// while, so it is set after every read.
void acknowledgeNow(QTcpSocket& socket)
{
#ifdef Q_OS_LINUX
    const int nOne = 1;
    setsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &nOne, sizeof nOne);
#else
    Q_UNUSED(socket);
#endif
}

}  // namespace

TcpBackend::TcpBackend(QObject* parent)
    : PortBackend(parent)
{
    m_param.baudRate = 9600;
    m_param.dataBits = 8;
    m_param.stopBits = 1;
    m_clock.start();
    connect(&m_socket, &QTcpSocket::readyRead, this, &PortBackend::readyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpBackend::onSocketError);
}

bool TcpBackend::open()
{
    m_addr = parseNetPort(m_strName);
    if (!m_addr.isValid()) {
        m_strError = QStringLiteral("not a host:port address: %1").arg(m_strName);
        return false;
    }
    m_telnet = TelnetComPort();
    m_bSettingsSent = false;
    m_bLosing = false;
    m_socket.connectToHost(m_addr.strHost, m_addr.nPort);
    if (!m_socket.waitForConnected(kConnectTimeoutMs)) {
        m_strError = m_socket.error() == QAbstractSocket::SocketTimeoutError
            ? QStringLiteral("no answer from %1:%2").arg(m_addr.strHost).arg(m_addr.nPort)
            : m_socket.errorString();
        m_socket.abort();
        return false;
    }
    // Small writes are frames waiting for an answer: no Nagle delay.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_bOpen = true;
    m_lineFreeMs = 0;
    if (m_addr.protocol == NetPortAddress::Rfc2217)
        m_socket.write(m_telnet.start());
    return true;
}

void TcpBackend::close()
{
    if (!m_bOpen)
        return;
    m_bOpen = false;
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        // The server flushes the device when its client leaves: let what is
        // written reach the far line and cross it first.
        flush(kConnectTimeoutMs);
        const double fWaitMs = m_lineFreeMs + kDrainMarginMs - double(m_clock.elapsed());
        if (m_lineFreeMs > 0 && fWaitMs > 0)
            QThread::msleep(ulong(std::min(fWaitMs, double(kMaxDrainMs))));
        m_socket.disconnectFromHost();
        if (m_socket.state() != QAbstractSocket::UnconnectedState)
            m_socket.waitForDisconnected(kDrainMarginMs);
    }
    m_socket.abort();
}

double TcpBackend::charTimeMs() const
{
    const int nStop = m_param.stopBits == 1 ? 1 : 2;  // 1.5 rounds up
    const int nBits = 1 + m_param.dataBits + (m_param.parity != 0 ? 1 : 0) + nStop;
    return m_param.baudRate > 0 ? 1000.0 * nBits / m_param.baudRate : 0;
}

bool TcpBackend::setBaudRate(qint32 nBaud)
{
    if (nBaud <= 0)
        return false;
    m_param.baudRate = nBaud;
    sendComPort(TelnetComPort::setBaudRate(quint32(nBaud)));
    return true;
}

bool TcpBackend::setDataBits(qint32 nBits)
{
    if (nBits < 5 || nBits > 8)
        return false;
    m_param.dataBits = nBits;
    sendComPort(TelnetComPort::setByte(TelnetComPort::SetDataSize, quint8(nBits)));
    return true;
}

bool TcpBackend::setStopBits(qint32 nStop)
{
    if (nStop < 1 || nStop > 3)
        return false;
    m_param.stopBits = nStop;
    sendComPort(TelnetComPort::setByte(TelnetComPort::SetStopSize, quint8(nStop)));
    return true;
}

bool TcpBackend::setParity(qint32 nParity)
{
    const int nValue = TelnetComPort::parityCode(nParity);
    if (nValue < 0)
        return false;
    m_param.parity = nParity;
    sendComPort(TelnetComPort::setByte(TelnetComPort::SetParity, quint8(nValue)));
    return true;
}

bool TcpBackend::setFlowControl(qint32 nFlow)
{
    const int nValue = TelnetComPort::flowCode(nFlow);
    if (nValue < 0)
        return false;
    m_param.flowControl = nFlow;
    sendComPort(TelnetComPort::setByte(TelnetComPort::SetControl, quint8(nValue)));
    return true;
}

void TcpBackend::sendComPort(const QByteArray& command)
{
    // Before the server agrees, sendSettings carries the latest values.
    if (m_bOpen && m_bSettingsSent)
        m_socket.write(command);
}

void TcpBackend::sendSettings()
{
    m_bSettingsSent = true;
    m_socket.write(TelnetComPort::settingsCommands(m_param)
                   + TelnetComPort::modemLineCommands(m_bDtr, m_bRts, m_param.flowControl));
}

void TcpBackend::setModemLines(bool bDtr, bool bRts)
{
    m_bDtr = bDtr;
    m_bRts = bRts;
    sendComPort(TelnetComPort::modemLineCommands(bDtr, bRts, m_param.flowControl));
}

qint64 TcpBackend::write(const QByteArray& data)
{
    if (!m_bOpen)
        return -1;
    const QByteArray wire = m_addr.protocol == NetPortAddress::Rfc2217 ? TelnetComPort::escape(data) : data;
    if (m_socket.write(wire) != wire.size())
        return -1;
    // Hand it to the kernel now rather than on the next event loop turn:
    // every packet waits for its acknowledgement.
    m_socket.flush();
    const double fNow = double(m_clock.elapsed());
    m_lineFreeMs = std::max(m_lineFreeMs, fNow) + data.size() * charTimeMs();
    return data.size();
}

QByteArray TcpBackend::readAll()
{
    const QByteArray in = m_socket.readAll();
    acknowledgeNow(m_socket);
    if (m_addr.protocol != NetPortAddress::Rfc2217)
        return in;
    QByteArray reply;
    QList<TelnetComPort::Message> messages;
    const QByteArray data = m_telnet.feed(in, &reply, &messages);
    if (!reply.isEmpty())
        m_socket.write(reply);
    if (!m_bSettingsSent && m_telnet.comPortActive())
        sendSettings();
    for (const TelnetComPort::Message& m : qAsConst(messages)) {
        // Line and modem state reports only matter to someone reading the log.
        qCDebug(lcSerial, "com-port %d: %s", m.command, m.value.toHex(' ').constData());
    }
    return data;
}

void TcpBackend::onSocketError()
{
    m_strError = m_socket.errorString();
    if (!m_bOpen || m_bLosing)
        return;
    m_bLosing = true;
    emit lost(m_strError);
}
