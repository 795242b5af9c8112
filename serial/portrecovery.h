#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

#include "portentry.h"

// Where a lost port is now: the entry with the same serial number (a USB
// adapter may come back under another name), else the same system location
// when the platform lists it or the path exists; a network port is always
// worth a reconnect attempt. Empty while it is absent.
QString findReturnedPort(const QString& strSystem, const QString& strSerial, const QList<PortEntry>& ports);

// Waits, for a limited time, for a lost port to come back, looking every
// poll interval. Reports portBack with the location to reopen, or gaveUp
// when the time is over.
class PortRecovery : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultWindowMs = 60000;
    static constexpr int kPollMs = 500;
    using Finder = std::function<QString(const QString& strSystem, const QString& strSerial)>;

    explicit PortRecovery(QObject* parent = nullptr);

    void setWindowMs(int nMs) { m_nWindowMs = nMs; }
    int windowMs() const { return m_nWindowMs; }
    void setPollMs(int nMs) { m_poll.setInterval(nMs); }
    void setFinder(Finder finder) { m_finder = std::move(finder); }

    // Starts waiting for the port (restarting the time window).
    void start(const QString& strSystem, const QString& strSerial);
    void stop();
    bool isActive() const { return m_poll.isActive(); }
    QString system() const { return m_strSystem; }

signals:
    // Reopen the port at strSystem; the search continues until stop().
    void portBack(QString strSystem);
    void gaveUp();

private:
    void look();

    QTimer m_poll;
    QElapsedTimer m_since;
    Finder m_finder;
    QString m_strSystem;
    QString m_strSerial;
    int m_nWindowMs = kDefaultWindowMs;
};
