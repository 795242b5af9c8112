#include "portrecovery.h"
#include "netportaddress.h"

#include <QFileInfo>

QString findReturnedPort(const QString& strSystem, const QString& strSerial, const QList<PortEntry>& ports)
{
    // Nothing lists a network port: trying to connect is the only look.
    if (isNetPortName(strSystem))
        return strSystem;
    if (!strSerial.isEmpty()) {
        for (const PortEntry& entry : ports) {
            if (entry.strSerial == strSerial)
                return entry.strSystem;
        }
    }
    for (const PortEntry& entry : ports) {
        if (entry.strSystem.compare(strSystem, Qt::CaseInsensitive) == 0)
            return entry.strSystem;
    }
    // Paths the platform does not list (pseudo-terminals, links to devices).
    if (QFileInfo(strSystem).isAbsolute() && QFileInfo::exists(strSystem))
        return strSystem;
    return {};
}

PortRecovery::PortRecovery(QObject* parent)
    : QObject(parent)
    , m_finder([](const QString& strSystem, const QString& strSerial) {
        return findReturnedPort(strSystem, strSerial, platformPorts());
    })
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &PortRecovery::look);
}

void PortRecovery::start(const QString& strSystem, const QString& strSerial)
{
    m_strSystem = strSystem;
    m_strSerial = strSerial;
    m_since.start();
    m_poll.start();
}

void PortRecovery::stop()
{
    m_poll.stop();
}

void PortRecovery::look()
{
    // Checked first: a port that is there but keeps refusing to open must
    // not keep the search alive for ever.
    if (m_since.elapsed() >= m_nWindowMs) {
        stop();
        emit gaveUp();
        return;
    }
    const QString strFound = m_finder(m_strSystem, m_strSerial);
    if (!strFound.isEmpty())
        emit portBack(strFound);
}
