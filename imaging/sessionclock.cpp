#include "sessionclock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class QtSessionTimer : public SessionTimer
{
public:
    explicit QtSessionTimer(std::function<void()> onTimeout)
    {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTimeout));
    }
    void start(int nMs) override { m_timer.start(nMs); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemClock : public SessionClock
{
public:
    SystemClock() { m_clock.start(); }
    qint64 elapsedMs() const override { return m_clock.elapsed(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    std::unique_ptr<SessionTimer> createTimer(std::function<void()> onTimeout) override
    {
        return std::make_unique<QtSessionTimer>(std::move(onTimeout));
    }

private:
    QElapsedTimer m_clock;
};

}  // namespace

SessionClock& systemClock()
{
    static SystemClock clock;
    return clock;
}
