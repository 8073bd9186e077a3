#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class Clock;

// The records removed from a folder's file, kept beside it ("Data/CF2DB.removed") so that a merge
// with another copy leaves out what either side removed, the old version of an edit too. Per
// record line it holds a keyed hash (never the line), a generation and the day of its last
// change: an odd generation is a removal, an even one above zero an add of the same line after
// it, so the highest generation of both sides says what holds. Entries older than 180 days are
// dropped when the list is written.
//
// The hash key comes from a random salt in the list's first line and from the secret of the
// folder's level: nothing at the levels where the records are readable anyway, what the master
// password guards at the others, so that there no entry can be tested without it. A key check
// beside the salt tells lists of one key from others.
class RemovalList
{
public:
    static inline const QString fileName = QStringLiteral("CF2DB.removed");
    static constexpr qint64 keptDays = 180;

    // An empty list under a fresh salt.
    explicit RemovalList(const QByteArray &secret);
    // The list a file holds (empty content: a new list); none when it is not one. A list whose key
    // check fails (the level or the master password changed since) starts anew under its salt.
    static std::optional<RemovalList> fromContent(QByteArrayView content, const QByteArray &secret);
    // The file's content, without the entries older than keptDays.
    QByteArray content(qint64 today) const;
    // Days since 1970-01-01 of the clock's date.
    static qint64 today(const Clock &clock);

    bool sameKey(const RemovalList &other) const { return m_check == other.m_check; }
    // The same key, no entries: the removals of a copy that keeps none.
    void clear() { m_entries.clear(); }
    int generation(const QString &line) const;
    bool isRemoved(const QString &line) const { return generation(line) % 2 == 1; }

    // A live line removed; a removed line added again; a removal whose file was not written.
    void remove(const QString &line, qint64 day) { step(line, 0, +1, day); }
    void addAgain(const QString &line, qint64 day) { step(line, 1, +1, day); }
    void undo(const QString &line) { step(line, 1, -1, -1); }
    // The records of the file went from before to after: what left it is removed, what came
    // back is added again, a line both hold that is marked removed was a rewrite cut short.
    void rewrite(const QStringList &before, const QStringList &after, qint64 day);
    // The line's entry in the other list (of any key) where it is ahead of this one's.
    void takeLine(const RemovalList &other, const QString &line);
    // Every entry of the other list of the same key where it is ahead of this one's.
    void takeAll(const RemovalList &other);

private:
    struct Entry
    {
        int generation = 0;
        qint64 day = 0;
        bool isAheadOf(const Entry &other) const
        {
            return generation != other.generation ? generation > other.generation : day > other.day;
        }
    };
    RemovalList(const QByteArray &salt, const QByteArray &secret);
    QByteArray hashOf(const QString &line) const;
    void step(const QString &line, int parity, int by, qint64 day);
    void take(const QByteArray &hash, const Entry &entry);

    QByteArray m_salt;
    QByteArray m_key;
    QByteArray m_check;
    QHash<QByteArray, Entry> m_entries;
};
