#include "SystemClock.h"

#include <QDate>

#include <chrono>

QString SystemClock::today() const
{
    return QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy"));
}

QTime SystemClock::timeOfDay() const
{
    return QTime::currentTime();
}

qint64 SystemClock::milliseconds() const
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}
