#include "RemovalList.h"

#include "RecordLine.h"
#include "platform/Clock.h"

#include <QDate>
#include <QSet>

#include <algorithm>
#include <sodium.h>

namespace {

constexpr char header[] = "Vaultine removals 1";
constexpr qsizetype saltSize = 16;
constexpr qsizetype hashSize = 16;

QByteArray keyedHash(QByteArrayView bytes, const QByteArray &key, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(out.data()), size_t(size),
        reinterpret_cast<const unsigned char *>(bytes.data()), size_t(bytes.size()),
        reinterpret_cast<const unsigned char *>(key.constData()), size_t(key.size()));
    return out;
}

} // namespace

RemovalList::RemovalList(const QByteArray &salt, const QByteArray &secret)
    : m_salt(salt)
    // The secret hashed first: a password may be of any length, a key of 16 to 64 bytes.
    , m_key(keyedHash(salt,
          secret.isEmpty() ? QByteArray() : keyedHash(secret, {}, crypto_generichash_BYTES),
          crypto_generichash_BYTES))
    , m_check(keyedHash("Vaultine removals key check", m_key, 8))
{ }

RemovalList::RemovalList(const QByteArray &secret)
    : RemovalList(
        [] {
            QByteArray salt(saltSize, Qt::Uninitialized);
            randombytes_buf(salt.data(), size_t(salt.size()));
            return salt;
        }(),
        secret)
{ }

std::optional<RemovalList> RemovalList::fromContent(
    QByteArrayView content, const QByteArray &secret)
{
    if (content.isEmpty())
        return RemovalList(secret);
    const QList<QByteArray> rows = content.toByteArray().trimmed().split('\n');
    const QList<QByteArray> first = rows.first().split(' ');
    if (first.size() != 5 || first.first(3).join(' ') != header)
        return std::nullopt;
    RemovalList list(QByteArray::fromHex(first[3]), secret);
    if (list.m_salt.size() != saltSize)
        return std::nullopt;
    const bool sameKey = list.m_check.toHex() == first[4];
    for (const QByteArray &row : rows.sliced(1)) {
        // Rows of lists joined line by line (a union merge of the file) name a hash twice: the
        // entry ahead counts.
        const QList<QByteArray> fields = row.trimmed().split(' ');
        bool generationRead = false, dayRead = false;
        const Entry entry {
            fields.value(1).toInt(&generationRead), fields.value(2).toLongLong(&dayRead)};
        const QByteArray hash = QByteArray::fromHex(fields.first());
        if (fields.size() != 3 || hash.size() != hashSize || !generationRead || !dayRead
            || entry.generation < 0)
            return std::nullopt;
        if (sameKey)
            list.take(hash, entry);
    }
    return list;
}

QByteArray RemovalList::content(qint64 today) const
{
    QList<QByteArray> rows;
    for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
        if (today - entry->day <= keptDays)
            rows.append(entry.key().toHex() + ' ' + QByteArray::number(entry->generation) + ' '
                + QByteArray::number(entry->day) + '\n');
    }
    std::sort(rows.begin(), rows.end());
    return header + (' ' + m_salt.toHex()) + ' ' + m_check.toHex() + '\n' + rows.join();
}

qint64 RemovalList::today(const Clock &clock)
{
    const QDate date = QDate::fromString(clock.today(), QStringLiteral("MM-dd-yyyy"));
    return date.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
}

QByteArray RemovalList::hashOf(const QString &line) const
{
    return keyedHash(RecordLine::toBytes(line), m_key, hashSize);
}

int RemovalList::generation(const QString &line) const
{
    return m_entries.value(hashOf(line)).generation;
}

void RemovalList::step(const QString &line, int parity, int by, qint64 day)
{
    const QByteArray hash = hashOf(line);
    Entry &entry = m_entries[hash];
    if (entry.generation % 2 == parity) {
        entry.generation += by;
        entry.day = day < 0 ? entry.day : day;
    }
    if (entry.generation == 0)
        m_entries.remove(hash);
}

void RemovalList::rewrite(const QStringList &before, const QStringList &after, qint64 day)
{
    const QSet<QString> was(before.begin(), before.end());
    const QSet<QString> is(after.begin(), after.end());
    for (const QString &line : m_entries.isEmpty() ? QSet<QString>() : is) {
        if (was.contains(line))
            undo(line);
        else
            addAgain(line, day);
    }
    for (const QString &line : was) {
        if (!is.contains(line))
            remove(line, day);
    }
}

void RemovalList::take(const QByteArray &hash, const Entry &entry)
{
    const auto found = m_entries.constFind(hash);
    if (found == m_entries.constEnd() || entry.isAheadOf(*found))
        m_entries.insert(hash, entry);
}

void RemovalList::takeLine(const RemovalList &other, const QString &line)
{
    const auto found = other.m_entries.constFind(other.hashOf(line));
    if (found != other.m_entries.constEnd())
        take(hashOf(line), *found);
}

void RemovalList::takeAll(const RemovalList &other)
{
    for (auto entry = other.m_entries.begin(); entry != other.m_entries.end(); ++entry)
        take(entry.key(), *entry);
}
