#include "RecordMerge.h"

#include "RecordLine.h"

#include <QHash>
#include <QMap>

namespace {

// The removals of a copy without those its own file contradicts.
RemovalList asWritten(const RecordMerge::Copy &copy)
{
    RemovalList removals = copy.removals;
    for (const QString &line : copy.records) {
        if (removals.isRemoved(line))
            removals.undo(line);
    }
    return removals;
}

} // namespace

RecordMerge::RecordMerge(const Copy &ours, const Copy &theirs)
    : m_removals(asWritten(ours))
{
    const RemovalList their = asWritten(theirs);
    const bool sameKey = m_removals.sameKey(their);
    if (sameKey)
        m_removals.takeAll(their);
    QHash<QString, int> ourCount;
    ourCount.reserve(ours.records.size());
    for (const QString &line : ours.records)
        ++ourCount[line];
    for (const QString &line : theirs.records) {
        if (!sameKey && !ourCount.contains(line))
            m_removals.takeLine(their, line);
    }
    for (const QString &line : ours.records) {
        if (!sameKey)
            m_removals.takeLine(their, line);
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
    our.removals.rewrite(base, ours, 0);
    their.removals.rewrite(base, theirs, 0);
    return RecordMerge(our, their);
}

QList<QStringList> RecordMerge::changedOnBothSides() const
{
    const auto serviceAndUser = [](const QString &line) {
        const QStringList fields = RecordLine::recordFields(line);
        return fields.at(RecordLine::Service) + u'\n' + fields.at(RecordLine::Username);
    };
    QMap<QString, QStringList> ourLines;
    for (const QString &line : m_oursAlone)
        ourLines[serviceAndUser(line)].append(line);
    QMap<QString, QStringList> both;
    for (const QString &line : m_added) {
        const QString key = serviceAndUser(line);
        if (ourLines.contains(key))
            both[key]
                += both.contains(key) ? QStringList {line} : ourLines[key] + QStringList {line};
    }
    return both.values();
}
