#pragma once

#include <QDateTime>
#include <QtGlobal>

#include <functional>
#include <memory>

// Time as the sessions see it: a monotonic millisecond count, the wall time
// for log stamps, and repeating timers. The program uses Qt's timers of the
// calling thread; tests drive a manual clock so that the product's seconds
// pass in an instant and every step is synchronous.
class SessionTimer
{
public:
    virtual ~SessionTimer() = default;
    // (Re)starts the timer: it fires every nMs until stopped.
    virtual void start(int nMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class SessionClock
{
public:
    virtual ~SessionClock() = default;
    virtual qint64 elapsedMs() const = 0;
    virtual QDateTime now() const = 0;
    virtual std::unique_ptr<SessionTimer> createTimer(std::function<void()> onTimeout) = 0;
};

// Qt's event-loop timers and monotonic clock; one instance serves every session.
SessionClock& systemClock();
