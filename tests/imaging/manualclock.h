#pragma once

#include "sessionclock.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <vector>

// A clock that moves only when told: advance() fires every timer that falls
// due, in time order, each at its own instant.
class ManualClock : public SessionClock
{
public:
    qint64 elapsedMs() const override { return m_nNow; }
    QDateTime now() const override { return m_base.addMSecs(m_nNow); }
    std::unique_ptr<SessionTimer> createTimer(std::function<void()> onTimeout) override
    {
        auto state = std::make_shared<State>();
        state->onTimeout = std::move(onTimeout);
        m_timers.push_back(state);
        return std::make_unique<Timer>(this, state);
    }

    // Returns false when timers keep firing at one instant (a 0 ms timer
    // that nobody stops).
    bool advance(qint64 nMs)
    {
        const qint64 nTarget = m_nNow + nMs;
        for (int nFired = 0;; ++nFired) {
            if (nFired > 100000)
                return false;
            std::shared_ptr<State> next;
            for (const auto& weak : m_timers)
                if (auto t = weak.lock(); t && t->bActive && t->nDue <= nTarget && (!next || t->nDue < next->nDue))
                    next = t;
            if (!next)
                break;
            m_nNow = next->nDue;
            next->nDue += next->nInterval;
            next->onTimeout();
        }
        m_nNow = nTarget;
        return true;
    }

    int activeTimers() const
    {
        int n = 0;
        for (const auto& weak : m_timers)
            if (auto t = weak.lock(); t && t->bActive)
                ++n;
        return n;
    }

private:
    struct State
    {
        std::function<void()> onTimeout;
        bool bActive = false;
        qint64 nDue = 0;
        qint64 nInterval = 0;
    };
    class Timer : public SessionTimer
    {
    public:
        Timer(ManualClock* clock, std::shared_ptr<State> state) : m_clock(clock), m_state(std::move(state)) {}
        void start(int nMs) override
        {
            m_state->bActive = true;
            m_state->nInterval = nMs;
            m_state->nDue = m_clock->m_nNow + nMs;
        }
        void stop() override { m_state->bActive = false; }
        bool isActive() const override { return m_state->bActive; }

    private:
        ManualClock* m_clock;
        std::shared_ptr<State> m_state;
    };

    qint64 m_nNow = 0;
    QDateTime m_base = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 600));
    std::vector<std::weak_ptr<State>> m_timers;
};
