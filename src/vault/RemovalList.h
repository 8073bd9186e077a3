#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
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
// The hashes are keyed by random keys, one per copy that started a list on its own and one per
// change of level or password; a merge keeps the entries of every key, so copies that started
// apart come together and a removal passes through a copy that never held the record. Each key
// is stored wrapped under the secret of the folder's level: nothing at the levels where the
// records are readable anyway, what the master password guards at the others, so that there no
// entry can be tested without it. A change of level or password wraps the keys under the new
// secret too before it starts, so a list cut short in a change still opens, and new entries go
// under a new key, which no earlier copy of the list holds.
//
// A removal is noted after the records' file is written, so that no copy of the list marks
// removed a line whose removal a failed or killed write left in the records; a line added again
// before it, so that none marks removed a line the records hold again. A line that a copy's own
// records hold while its list marks it removed (a backup of the records put back, or a sync tool
// that passed the list on before the records) is live for that copy.
class RemovalList
{
public:
    static inline const QString fileName = QStringLiteral("CF2DB.removed");
    static constexpr qint64 keptDays = 180;

    // An empty list, written under the secret.
    explicit RemovalList(const QByteArray &secret);
    // The list a file holds (empty content: a new list); none when it is not one. The keys the
    // secret does not unwrap are kept as they are, their entries unread.
    static std::optional<RemovalList> fromContent(QByteArrayView content, const QByteArray &secret);
    // The file's content, without the entries older than keptDays.
    QByteArray content(qint64 today) const;
    // Days since 1970-01-01 of the clock's date.
    static qint64 today(const Clock &clock);
    // Written under this secret as well.
    void addSecret(const QByteArray &secret);
    // New entries go under a new key.
    void renewKey();

    bool isEmpty() const;
    int generation(const QString &line) const { return entryOf(line).generation; }
    bool isRemoved(const QString &line) const { return generation(line) % 2 == 1; }

    // Some line removed in the list before is live in this one.
    bool addsAgainSince(const RemovalList &before) const;

    // A live line removed; a removed line added again; a line held that was marked removed.
    void remove(const QString &line, qint64 day) { step(line, 0, day); }
    void addAgain(const QString &line, qint64 day) { step(line, 1, day); }
    void undo(const QString &line);
    // The lines that left the file are removed, those that came back added again. Only the
    // lines that changed are hashed: a line the file kept stays as the list has it.
    void rewrite(const QStringList &removed, const QStringList &added, qint64 day);
    // Every entry of the other list where it is ahead of this one's.
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
    struct Section
    {
        QByteArray id; // a check of the key
        QByteArray key; // empty when no secret of ours unwraps it
        QList<QByteArray> wraps; // as read, for a key not unwrapped
        QHash<QByteArray, Entry> entries;
        bool retired = false; // no new entries
        bool renewed = false; // wrapped under the newest secret alone
    };
    RemovalList() = default;
    static QByteArray hashIn(const Section &section, const QString &line);
    Entry entryOf(const QString &line) const;
    Section &sectionOf(const QByteArray &id);
    // The section new entries go to, made when there is none.
    Section &primary();
    void step(const QString &line, int parity, qint64 day);
    static void take(Section &section, const QByteArray &hash, const Entry &entry);

    QList<QByteArray> m_wrappingKeys; // the secrets' hashes
    QList<Section> m_sections; // by id
    QByteArray m_primaryId;
};
