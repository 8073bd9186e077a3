#pragma once

#include <QString>
#include <QTime>

// The system clock: today's date as "MM-dd-yyyy", the time of day, and a steady count of
// milliseconds that measures the time between two moments (no date or clock change moves it).
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QString today() const = 0;
    virtual QTime timeOfDay() const = 0;
    virtual qint64 milliseconds() const = 0;
};
