#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
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
// The list is written before the records. Its entries of the last change stay pending, beside
// the stamp of the records' file as it was before that change: a file with that stamp still
// was never rewritten, so those entries are taken back; any other file came after them. In a
// copy of the list, whose stamp names another machine's file, they are settled by the records
// that came with it.
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
    // The entries of the last change kept when the records' file is no longer the one of the
    // stamp given, taken back when it is.
    void settle(const QByteArray &recordsStamp);
    // The entries of the last change kept where the records show that change (a removed line
    // is not among them, a line added again is), taken back where they do not.
    void settle(const QStringList &records);
    // The entries of the change under way wait for a rewrite of the file of this stamp.
    void setRecordsStamp(const QByteArray &recordsStamp) { m_recordsStamp = recordsStamp; }

    bool isEmpty() const;
    int generation(const QString &line) const { return entryOf(line).generation; }
    bool isRemoved(const QString &line) const { return generation(line) % 2 == 1; }

    // A live line removed; a removed line added again.
    void remove(const QString &line, qint64 day) { step(line, 0, day); }
    void addAgain(const QString &line, qint64 day) { step(line, 1, day); }
    // The records of the file went from before to after: what left it is removed, what came
    // back is added again.
    void rewrite(const QStringList &before, const QStringList &after, qint64 day);
    // Every entry of the other list where it is ahead of this one's.
    void takeAll(const RemovalList &other);

private:
    struct Entry
    {
        int generation = 0;
        qint64 day = 0;
        bool pending = false;
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
    bool hasPending() const;
    void settleWith(
        const std::function<bool(const Section &, const QByteArray &, const Entry &)> &happened);

    QList<QByteArray> m_wrappingKeys; // the secrets' hashes
    QList<Section> m_sections; // by id
    QByteArray m_primaryId;
    QByteArray m_recordsStamp;
};
