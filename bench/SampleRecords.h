#pragma once

#include "vault/DataFolder.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>

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

// The arguments of a benchmark: [--floor FLOOR] [count ...], 32,767 and 100,000 by default.
struct BenchArguments
{
    QString floor;
    QList<int> counts;
};
inline BenchArguments benchArguments(QStringList arguments)
{
    BenchArguments parsed;
    if (arguments.size() > 1 && arguments.first() == QLatin1String("--floor")) {
        parsed.floor = arguments.at(1);
        arguments = arguments.mid(2);
    }
    for (const QString &argument : std::as_const(arguments))
        parsed.counts.append(argument.toInt());
    if (parsed.counts.isEmpty())
        parsed.counts = {32767, 100000};
    return parsed;
}

// The milliseconds of the least rewrite of a file: writing, syncing and renaming the same
// bytes in the same folder, as every whole-file write does; the median of five.
inline double writeMilliseconds(const QString &folder, const QByteArray &bytes)
{
    const DataFolder data(folder);
    const QString name = QStringLiteral("bench.write");
    QList<double> times;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        data.write(name, bytes);
        times.append(timer.nsecsElapsed() / 1e6);
    }
    data.remove(name);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
