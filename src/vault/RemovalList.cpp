#include "RemovalList.h"

#include "RecordLine.h"
#include "platform/Clock.h"

#include <QDate>
#include <QSet>

#include <algorithm>
#include <limits>
#include <sodium.h>

namespace {

constexpr char header[] = "Vaultine removals 2";
constexpr char firstHeader[] = "Vaultine removals 1";
constexpr qsizetype keySize = crypto_generichash_BYTES;
constexpr qsizetype idSize = 8;
constexpr qsizetype hashSize = 16;

QByteArray keyedHash(QByteArrayView bytes, const QByteArray &key, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(out.data()), size_t(size),
        reinterpret_cast<const unsigned char *>(bytes.data()), size_t(bytes.size()),
        reinterpret_cast<const unsigned char *>(key.constData()), size_t(key.size()));
    return out;
}

QByteArray idOf(const QByteArray &key)
{
    return keyedHash("Vaultine removals key check", key, idSize);
}

// The key wrapped under a secret's hash, or unwrapped: the same step both ways.
QByteArray wrapped(const QByteArray &key, const QByteArray &id, const QByteArray &wrappingKey)
{
    QByteArray out = keyedHash(id, wrappingKey, keySize);
    for (qsizetype i = 0; i < keySize; ++i)
        out[i] = char(out[i] ^ key.at(i));
    return out;
}

QByteArray wrappingKeyOf(const QByteArray &secret)
{
    return keyedHash(secret, {}, keySize);
}

} // namespace

RemovalList::RemovalList(const QByteArray &secret)
    : m_wrappingKeys {wrappingKeyOf(secret)}
{ }

std::optional<RemovalList> RemovalList::fromContent(
    QByteArrayView content, const QByteArray &secret)
{
    RemovalList list(secret);
    if (content.isEmpty())
        return list;
    const QList<QByteArray> rows = content.toByteArray().trimmed().split('\n');
    const QList<QByteArray> first = rows.first().split(' ');
    QByteArray id; // of the section the rows belong to
    bool unread = false;
    if (first.size() == 5 && first.first(3).join(' ') == firstHeader) {
        // One key of a random salt and the secret, none wrapped: entries under another secret
        // are of no use.
        const QByteArray salt = QByteArray::fromHex(first[3]);
        const QByteArray key = keyedHash(
            salt, secret.isEmpty() ? QByteArray() : keyedHash(secret, {}, keySize), keySize);
        id = idOf(key);
        unread = id.toHex() != first[4];
        if (!unread)
            list.sectionOf(id).key = key;
    } else if (rows.first() != header) {
        return std::nullopt;
    }
    for (const QByteArray &row : rows.sliced(1)) {
        const QList<QByteArray> fields = row.trimmed().split(' ');
        if (fields.size() == 2 && fields.first() == "use") {
            list.m_primaryId = QByteArray::fromHex(fields[1]);
            continue;
        }
        if (fields.size() == 3 && fields.first() == "key") {
            id = QByteArray::fromHex(fields[1]);
            const QByteArray wrap = QByteArray::fromHex(fields[2]);
            if (id.size() != idSize || wrap.size() != keySize)
                return std::nullopt;
            unread = false;
            Section &section = list.sectionOf(id);
            const QByteArray key = wrapped(wrap, id, list.m_wrappingKeys.first());
            if (idOf(key) == id)
                section.key = key;
            else if (!section.wraps.contains(wrap))
                section.wraps.append(wrap);
            continue;
        }
        // Rows repeated in lists joined line by line (a union merge of the file): the entry
        // ahead counts.
        bool generationRead = false, dayRead = false;
        const Entry entry {
            fields.value(1).toInt(&generationRead), fields.value(2).toLongLong(&dayRead)};
        const QByteArray hash = QByteArray::fromHex(fields.first());
        if (fields.size() != 3 || hash.size() != hashSize || !generationRead || !dayRead
            || entry.generation < 0 || (id.isEmpty() && !unread))
            return std::nullopt;
        if (!unread)
            take(list.sectionOf(id), hash, entry);
    }
    return list;
}

QByteArray RemovalList::content(qint64 today) const
{
    QByteArray out = QByteArray(header) + '\n';
    if (!m_primaryId.isEmpty())
        out += "use " + m_primaryId.toHex() + '\n';
    for (const Section &section : m_sections) {
        QList<QByteArray> rows;
        for (auto entry = section.entries.begin(); entry != section.entries.end(); ++entry) {
            if (today - entry->day <= keptDays)
                rows.append(entry.key().toHex() + ' ' + QByteArray::number(entry->generation) + ' '
                    + QByteArray::number(entry->day) + '\n');
        }
        if (rows.isEmpty() && section.id != m_primaryId)
            continue;
        std::sort(rows.begin(), rows.end());
        QList<QByteArray> wraps = section.wraps;
        if (!section.key.isEmpty()) {
            wraps.clear();
            for (const QByteArray &wrappingKey :
                section.renewed ? m_wrappingKeys.last(1) : m_wrappingKeys)
                wraps.append(wrapped(section.key, section.id, wrappingKey));
        }
        for (const QByteArray &wrap : wraps)
            out += "key " + section.id.toHex() + ' ' + wrap.toHex() + '\n';
        out += rows.join();
    }
    return out;
}

qint64 RemovalList::today(const Clock &clock)
{
    const QDate date = QDate::fromString(clock.today(), QStringLiteral("MM-dd-yyyy"));
    return date.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
}

void RemovalList::addSecret(const QByteArray &secret)
{
    const QByteArray wrappingKey = wrappingKeyOf(secret);
    if (!m_wrappingKeys.contains(wrappingKey))
        m_wrappingKeys.append(wrappingKey);
}

void RemovalList::renewKey()
{
    m_primaryId.clear();
    for (Section &section : m_sections)
        section.retired = true;
    primary().renewed = true;
}

bool RemovalList::addsAgainSince(const RemovalList &before) const
{
    for (const Section &section : m_sections) {
        const auto was = std::find_if(before.m_sections.begin(), before.m_sections.end(),
            [&](const Section &other) { return other.id == section.id; });
        for (auto entry = section.entries.begin(); entry != section.entries.end(); ++entry) {
            const int earlier
                = was == before.m_sections.end() ? 0 : was->entries.value(entry.key()).generation;
            if (entry->generation % 2 == 0 && earlier % 2 == 1)
                return true;
        }
    }
    return false;
}

bool RemovalList::isEmpty() const
{
    return std::all_of(m_sections.begin(), m_sections.end(),
        [](const Section &section) { return section.entries.isEmpty(); });
}

QByteArray RemovalList::hashIn(const Section &section, const QString &line)
{
    return keyedHash(RecordLine::toBytes(line), section.key, hashSize);
}

RemovalList::Entry RemovalList::entryOf(const QString &line) const
{
    Entry found;
    for (const Section &section : m_sections) {
        if (section.key.isEmpty() || section.entries.isEmpty())
            continue;
        const Entry entry = section.entries.value(hashIn(section, line));
        if (entry.isAheadOf(found))
            found = entry;
    }
    return found;
}

RemovalList::Section &RemovalList::sectionOf(const QByteArray &id)
{
    const auto at = std::lower_bound(m_sections.begin(), m_sections.end(), id,
        [](const Section &section, const QByteArray &id) { return section.id < id; });
    if (at != m_sections.end() && at->id == id)
        return *at;
    return *m_sections.insert(at, Section {id, {}, {}, {}});
}

RemovalList::Section &RemovalList::primary()
{
    for (Section &section : m_sections) {
        if (!section.key.isEmpty() && !section.retired
            && (m_primaryId.isEmpty() || section.id == m_primaryId)) {
            m_primaryId = section.id;
            return section;
        }
    }
    QByteArray key(keySize, Qt::Uninitialized);
    randombytes_buf(key.data(), size_t(key.size()));
    m_primaryId = idOf(key);
    Section &made = sectionOf(m_primaryId);
    made.key = key;
    return made;
}

void RemovalList::step(const QString &line, int parity, qint64 day)
{
    const Entry now = entryOf(line);
    if (now.generation % 2 != parity || now.generation == std::numeric_limits<int>::max())
        return;
    Section &section = primary();
    section.entries.insert(hashIn(section, line), {now.generation + 1, day});
}

void RemovalList::undo(const QString &line)
{
    const Entry now = entryOf(line);
    if (now.generation % 2 != 1)
        return;
    for (Section &section : m_sections) {
        if (section.key.isEmpty())
            continue;
        const auto found = section.entries.find(hashIn(section, line));
        if (found == section.entries.end() || found->generation != now.generation)
            continue;
        if (--found->generation == 0)
            section.entries.erase(found);
    }
}

void RemovalList::rewrite(const QStringList &removed, const QStringList &added, qint64 day)
{
    for (const QString &line : removed)
        remove(line, day);
    for (const QString &line : isEmpty() ? QStringList() : added)
        addAgain(line, day);
}

void RemovalList::take(Section &section, const QByteArray &hash, const Entry &entry)
{
    const auto found = section.entries.constFind(hash);
    if (found == section.entries.constEnd() || entry.isAheadOf(*found))
        section.entries.insert(hash, entry);
}

void RemovalList::takeAll(const RemovalList &other)
{
    for (const Section &theirs : other.m_sections) {
        Section &ours = sectionOf(theirs.id);
        if (ours.key.isEmpty())
            ours.key = theirs.key;
        for (const QByteArray &wrap : theirs.wraps) {
            if (!ours.wraps.contains(wrap))
                ours.wraps.append(wrap);
        }
        for (auto entry = theirs.entries.begin(); entry != theirs.entries.end(); ++entry)
            take(ours, entry.key(), *entry);
    }
}
