#pragma once

#include "Clock.h"

class SystemClock : public Clock
{
public:
    QString today() const override;
    QTime timeOfDay() const override;
    qint64 milliseconds() const override;
};
