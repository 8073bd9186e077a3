#pragma once

#include <QObject>
#include <QTimer>

class Clock;

// A time that runs out a span after its last start, measured on the clock. One single-shot
// timer wakes the program when the time may be up and the clock says whether it is, so a
// restart (every key press and mouse move, for the idle time) costs no timer call.
class Countdown : public QObject
{
    Q_OBJECT

public:
    explicit Countdown(const Clock &clock, QObject *parent = nullptr);

    // Runs for the span from now; a span of 0 or less stops it.
    void start(qint64 milliseconds);
    // The same span again from now, when running.
    void restart();
    void stop();
    bool isRunning() const { return m_span > 0; }
    // Looks at the clock: when the time is up, stops and tells; else waits for the rest.
    void check();

signals:
    void expired();

private:
    const Clock &m_clock;
    QTimer m_timer;
    qint64 m_span = 0;
    qint64 m_startedAt = 0;
};
