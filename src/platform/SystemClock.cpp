#include "SystemClock.h"

#include <QDate>

QString SystemClock::today() const
{
    return QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy"));
}

QTime SystemClock::timeOfDay() const
{
    return QTime::currentTime();
}
