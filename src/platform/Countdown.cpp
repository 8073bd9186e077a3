#include "Countdown.h"

#include "Clock.h"

Countdown::Countdown(const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Countdown::check);
}

void Countdown::start(qint64 milliseconds)
{
    m_span = qMax<qint64>(milliseconds, 0);
    m_startedAt = m_clock.milliseconds();
    if (isRunning())
        m_timer.start(std::chrono::milliseconds(m_span));
    else
        m_timer.stop();
}

void Countdown::restart()
{
    m_startedAt = m_clock.milliseconds();
}

void Countdown::stop()
{
    start(0);
}

void Countdown::check()
{
    if (!isRunning())
        return;
    const qint64 left = m_startedAt + m_span - m_clock.milliseconds();
    if (left > 0) {
        m_timer.start(std::chrono::milliseconds(left));
        return;
    }
    stop();
    emit expired();
}
