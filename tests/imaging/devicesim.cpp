#include "devicesim.h"

#include "dtuframe.h"
#include "portparam.h"


#include <QTest>
#include <QtEndian>

DeviceSim::DeviceSim()
{
    registerPortParam();
    m_worker = new WorkerSerial;
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    if (!m_pty.isValid())
        return;
    const int nState = openWorkerPort(m_worker, m_pty.portPath());
    QVERIFY2(m_worker->isOpen(), qPrintable(QStringLiteral("open %1: %2").arg(m_pty.portPath()).arg(nState)));
}

int openWorkerPort(WorkerSerial* worker, const QString& path)
{
    registerPortParam();
    PortParam p;
    p.baudRate = 115200;
    p.dataBits = 8;
    p.stopBits = 1;
    // Listen before asking: the answer may come before invokeMethod returns.
    int nState = 0;
    QObject context;
    QObject::connect(worker, &WorkerSerial::openState, &context, [&nState](int n) { nState = n; });
    QMetaObject::invokeMethod(worker, "openPort", Q_ARG(QVariant, QVariant::fromValue(p)), Q_ARG(QString, path));
    return QTest::qWaitFor([&nState] { return nState != 0; }, 5000) ? nState : 0;
}

DeviceSim::~DeviceSim()
{
    // The worker must die in its own thread, where its port lives.
    WorkerSerial* doomed = m_worker;
    QMetaObject::invokeMethod(doomed, [doomed] { delete doomed; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QByteArray DeviceSim::nextFrame(int nTimeoutMs)
{
    for (;;) {
        int need = 9;
        if (m_buffer.size() >= 9)
            need = qFromLittleEndian<quint16>(m_buffer.constData() + 7) + 11;
        if (m_buffer.size() >= need && need > 9) {
            const QByteArray frame = m_buffer.left(need);
            m_buffer.remove(0, need);
            return frame;
        }
        const QByteArray more = m_pty.read(need - m_buffer.size(), nTimeoutMs);
        if (more.isEmpty())
            return {};
        m_buffer.append(more);
    }
}

bool DeviceSim::staysSilent(int nMs)
{
    m_buffer.append(m_pty.drain(nMs));
    return m_buffer.isEmpty();
}

bool DeviceSim::answer(const QByteArray& frame)
{
    const int target = m_nDelivered + 1;
    if (!m_pty.write(frame))
        return false;
    QElapsedTimer t;
    t.start();
    while (m_nDelivered < target && t.elapsed() < 10000)
        QTest::qWait(1);
    return m_nDelivered >= target;
}

void DeviceSim::closePort()
{
    QMetaObject::invokeMethod(m_worker, "closePort", Qt::BlockingQueuedConnection);
}
