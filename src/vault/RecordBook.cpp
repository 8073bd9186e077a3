#include "RecordBook.h"

#include "RecordLine.h"

#include <algorithm>
#include <numeric>
#include <vector>

RecordBook::RecordBook()
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool RecordBook::lessThan(const QString &serviceA, const QString &lineA, const QString &serviceB,
    const QString &lineB) const
{
    if (const int byService = m_collator.compare(serviceA, serviceB))
        return byService < 0;
    if (const int byLine = m_collator.compare(lineA, lineB))
        return byLine < 0;
    return lineA < lineB;
}

void RecordBook::load(QStringList lines)
{
    QStringList services;
    services.reserve(lines.size());
    for (const QString &line : std::as_const(lines))
        services.append(RecordLine::serviceName(line));

    std::vector<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    const auto byLine = [&](qsizetype a, qsizetype b) {
        return lessThan(services[a], lines[a], services[b], lines[b]);
    };
    if (m_collator.locale().language() == QLocale::C) {
        std::stable_sort(order.begin(), order.end(), byLine);
    } else {
        // A locale's collation is costly: one sort key per service name instead of a
        // collation at every comparison.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(services.size());
        for (const QString &service : std::as_const(services))
            keys.push_back(m_collator.sortKey(service));
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            const int byService = keys[a].compare(keys[b]);
            return byService ? byService < 0 : byLine(a, b);
        });
    }

    m_records.clear();
    m_services.clear();
    m_records.reserve(lines.size());
    m_services.reserve(lines.size());
    for (const qsizetype i : order) {
        m_records.append(std::move(lines[i]));
        m_services.append(std::move(services[i]));
    }
}

qsizetype RecordBook::sortedIndex(const QString &line) const
{
    const QString service = RecordLine::serviceName(line);
    qsizetype low = 0;
    qsizetype high = m_records.size();
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (lessThan(service, line, m_services[middle], m_records[middle]))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

qsizetype RecordBook::insert(const QString &line)
{
    const qsizetype index = sortedIndex(line);
    m_records.insert(index, line);
    m_services.insert(index, RecordLine::serviceName(line));
    return index;
}

void RecordBook::removeAt(qsizetype index)
{
    m_records.removeAt(index);
    m_services.removeAt(index);
}
