#pragma once

#include <QStringList>

// Records of every field filled, their service names in no order.
inline QStringList makeRecords(int count)
{
    QStringList records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        records.append(QStringLiteral("Service %1 of the list:!user%1@mail.example:!p4ss-%1-word:!"
                                      "note %1, \"quoted\":!https://s%1.example/login")
                           .arg((i * 7919) % count));
    }
    return records;
}
