#include "RecordMerge.h"

#include "RecordBook.h"
#include "RecordLine.h"

#include <QHash>
#include <QMap>

namespace {

// The removals of a copy without those its own records contradict.
RemovalList asWritten(const RecordMerge::Copy &copy)
{
    RemovalList removals = copy.removals;
    for (const QString &line : copy.records)
        removals.undo(line);
    return removals;
}

} // namespace

RecordMerge::RecordMerge(const Copy &ours, const Copy &theirs)
    : m_removals(asWritten(ours))
{
    m_removals.takeAll(asWritten(theirs));
    QHash<QString, int> ourCount;
    ourCount.reserve(ours.records.size());
    for (const QString &line : ours.records)
        ++ourCount[line];
    for (const QString &line : ours.records) {
        if (m_removals.isRemoved(line))
            m_removed.append(line);
        else
            m_records.append(line);
    }
    const qsizetype oursKept = m_records.size();
    QHash<QString, int> theirCount;
    theirCount.reserve(theirs.records.size());
    for (const QString &line : theirs.records) {
        if (++theirCount[line] > ourCount.value(line) && !m_removals.isRemoved(line)) {
            m_records.append(line);
            m_added.append(line);
        }
    }
    for (const QString &line : m_records.first(oursKept)) {
        if (!theirCount.contains(line))
            m_oursAlone.append(line);
    }
}

RecordMerge RecordMerge::fromBase(
    const QStringList &base, const QStringList &ours, const QStringList &theirs)
{
    const RemovalList none {QByteArray()};
    Copy our {ours, none}, their {theirs, none};
    for (Copy *copy : {&our, &their}) {
        const auto [removed, added]
            = RecordBook::difference(RecordBook(base), RecordBook(copy->records));
        copy->removals.rewrite(removed, added, 0);
    }
    return RecordMerge(our, their);
}

QList<QStringList> RecordMerge::changedOnBothSides() const
{
    const auto serviceOf = [](const QString &line) {
        return RecordLine::recordFields(line).at(RecordLine::Service);
    };
    QMap<QString, QStringList> ourLines;
    for (const QString &line : m_oursAlone)
        ourLines[serviceOf(line)].append(line);
    QMap<QString, QStringList> both;
    for (const QString &line : m_added) {
        const QString service = serviceOf(line);
        if (ourLines.contains(service))
            both[service] += both.contains(service) ? QStringList {line}
                                                    : ourLines[service] + QStringList {line};
    }
    return both.values();
}
