#pragma once

#include <QString>
#include <QTime>

// The system clock: today's date as "MM-dd-yyyy" and the time of day.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QString today() const = 0;
    virtual QTime timeOfDay() const = 0;
};
