#pragma once

#include "RemovalList.h"

#include <QList>
#include <QStringList>

// Two copies of a folder's records brought together: the records of both, as many times as the
// copy that holds a line most often holds it, without the lines that either removed. Both sides'
// adds and edits come in and the old versions go; the result is the same whichever side is ours,
// and merging it again changes nothing. A line that a copy holds while its own list marks it
// removed is live for that copy.
class RecordMerge
{
public:
    struct Copy
    {
        QStringList records;
        RemovalList removals;
    };

    // The result's removals are written under our secret.
    RecordMerge(const Copy &ours, const Copy &theirs);
    // A three-way merge: each side removed what it lacks of the base.
    static RecordMerge fromBase(
        const QStringList &base, const QStringList &ours, const QStringList &theirs);

    const QStringList &records() const { return m_records; }
    const RemovalList &removals() const { return m_removals; }
    // The lines that come from them, and ours that go.
    const QStringList &added() const { return m_added; }
    const QStringList &removed() const { return m_removed; }
    // Records of one service that each side changed or added apart (an edit of the username
    // on one side and of the password on the other, say): every version kept.
    QList<QStringList> changedOnBothSides() const;

private:
    RemovalList m_removals;
    QStringList m_records;
    QStringList m_added;
    QStringList m_removed;
    QStringList m_oursAlone;
};
