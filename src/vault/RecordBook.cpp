#include "RecordBook.h"

#include "RecordCodec.h"
#include "RecordLine.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

const QByteArray codedSeparator
    = EncodeRecord(QByteArray(RecordLine::separator.data(), RecordLine::separator.size()));

// The lines held are UTF-8, read as the file's lines are: byte order marks are text, which
// fromUtf8() would drop at the start.
QString decoded(QByteArrayView coded)
{
    const QByteArray text = DecodeRecord(coded.toByteArray());
    return text.startsWith("\xEF\xBB\xBF") ? RecordLine::fromBytes(text) : QString::fromUtf8(text);
}

qsizetype serviceSizeOf(QByteArrayView coded)
{
    const qsizetype end = coded.indexOf(codedSeparator);
    return end < 0 ? coded.size() : end;
}

} // namespace

RecordBook::RecordBook()
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

template <typename LineA, typename LineB>
bool RecordBook::lessThan(
    const QString &serviceA, LineA lineA, const QString &serviceB, LineB lineB) const
{
    if (const int byService = m_collator.compare(serviceA, serviceB))
        return byService < 0;
    const QString a = lineA();
    const QString b = lineB();
    if (const int byLine = m_collator.compare(a, b))
        return byLine < 0;
    return a < b;
}

void RecordBook::append(QByteArrayView coded)
{
    m_entries.append({m_coded.size(), int(coded.size()), int(serviceSizeOf(coded))});
    m_coded.append(coded);
}

void RecordBook::load(const QStringList &lines)
{
    QStringList services;
    services.reserve(lines.size());
    for (const QString &line : lines)
        services.append(RecordLine::serviceName(line));
    m_coded.clear();
    m_entries.clear();
    m_unused = 0;
    for (const qsizetype i : sortedOrder(services, lines, 0)) {
        if (!lines[i].isEmpty())
            append(EncodeRecord(RecordLine::toBytes(lines[i])));
    }
}

void RecordBook::loadCoded(QByteArray content, LineFile::ByteOrderMark mark)
{
    const QByteArrayView text
        = mark == LineFile::ByteOrderMark::Drop ? LineFile::withoutByteOrderMark(content) : content;
    const QList<QByteArrayView> lines = LineFile::splitLines(text);
    m_entries.clear();
    m_entries.reserve(lines.size());
    m_unused = 0;
    if (text.isValidUtf8()) {
        // The lines stay where the content holds them.
        const char *base = content.constData();
        for (const QByteArrayView line : lines) {
            if (!line.isEmpty())
                m_entries.append({line.data() - base, int(line.size()), int(serviceSizeOf(line))});
        }
        m_coded = std::move(content);
    } else {
        // A line that is not UTF-8 is held, and written back, as UTF-8.
        m_coded.clear();
        m_coded.reserve(content.size());
        for (const QByteArrayView line : lines) {
            if (line.isEmpty())
                continue;
            if (line.isValidUtf8())
                append(line);
            else
                append(EncodeRecord(
                    RecordLine::toBytes(RecordLine::fromBytes(DecodeRecord(line.toByteArray())))));
        }
    }
    // Files a rewrite left are in order: one look at each neighbour shows it.
    qsizetype ordered = std::min<qsizetype>(1, count());
    QString previous = ordered ? service(0) : QString();
    for (; ordered < count(); ++ordered) {
        QString next = service(ordered);
        if (lessThan(
                next, [&] { return record(ordered); }, previous,
                [&] { return record(ordered - 1); }))
            break;
        previous = std::move(next);
    }
    sortFrom(ordered);
}

void RecordBook::sortFrom(qsizetype first)
{
    if (first >= count())
        return;
    // A few lines appended after the last rewrite are compared as they come; a file in no
    // order is decoded whole once.
    const QStringList lines = count() - first > 64 ? records() : QStringList();
    QList<Entry> sorted;
    sorted.reserve(count());
    for (const qsizetype i : sortedOrder(services(), lines, first))
        sorted.append(m_entries[i]);
    m_entries = std::move(sorted);
}

std::vector<qsizetype> RecordBook::sortedOrder(
    const QStringList &services, const QStringList &lines, qsizetype first) const
{
    // A locale's collation is costly: one sort key per service name instead of a collation at
    // every comparison, when many are sorted.
    std::vector<QCollatorSortKey> keys;
    if (m_collator.locale().language() != QLocale::C && services.size() - first > 64) {
        keys.reserve(services.size());
        for (const QString &service : services)
            keys.push_back(m_collator.sortKey(service));
    }
    const auto line = [&](qsizetype i) { return lines.isEmpty() ? record(i) : lines[i]; };
    const auto less = [&](qsizetype a, qsizetype b) {
        if (!keys.empty()) {
            if (const int byService = keys[a].compare(keys[b]))
                return byService < 0;
        }
        return lessThan(
            services[a], [&] { return line(a); }, services[b], [&] { return line(b); });
    };
    std::vector<qsizetype> order(services.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin() + first, order.end(), less);
    std::inplace_merge(order.begin(), order.begin() + first, order.end(), less);
    return order;
}

qsizetype RecordBook::sortedIndex(const QString &given) const
{
    // Placed as the text held (UTF-8 holds no lone surrogate) sorts.
    const QString line = RecordLine::fromBytes(RecordLine::toBytes(given));
    const QString name = RecordLine::serviceName(line);
    qsizetype low = 0;
    qsizetype high = count();
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (lessThan(
                name, [&] { return line; }, service(middle), [&] { return record(middle); }))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

qsizetype RecordBook::insert(const QString &line)
{
    const qsizetype index = sortedIndex(line);
    append(EncodeRecord(RecordLine::toBytes(line)));
    m_entries.move(m_entries.size() - 1, index);
    return index;
}

void RecordBook::removeAt(qsizetype index)
{
    m_unused += m_entries[index].size;
    m_entries.removeAt(index);
    compact();
}

void RecordBook::compact()
{
    if (m_unused * 2 <= m_coded.size())
        return;
    const QByteArray held = std::exchange(m_coded, {});
    m_coded.reserve(held.size() - m_unused);
    for (Entry &entry : m_entries) {
        const qsizetype start = m_coded.size();
        m_coded.append(held.constData() + entry.start, entry.size);
        entry.start = start;
    }
    m_unused = 0;
}

qsizetype RecordBook::indexOf(const QString &line) const
{
    const QByteArray coded = EncodeRecord(RecordLine::toBytes(line));
    for (qsizetype i = 0; i < count(); ++i) {
        if (codedLine(i) == coded)
            return i;
    }
    return -1;
}

QString RecordBook::record(qsizetype index) const
{
    return decoded(codedLine(index));
}

QString RecordBook::service(qsizetype index) const
{
    return decoded(codedLine(index).first(m_entries[index].serviceSize));
}

QStringList RecordBook::records() const
{
    QStringList lines;
    lines.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        lines.append(record(i));
    return lines;
}

QStringList RecordBook::services() const
{
    QStringList names;
    names.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        names.append(service(i));
    return names;
}

QByteArray RecordBook::codedContent(LineFile::ByteOrderMark mark) const
{
    const QByteArray guard = mark == LineFile::ByteOrderMark::Drop && count() > 0
        ? LineFile::byteOrderMarkKeeping(codedLine(0))
        : QByteArray();
    qsizetype size = guard.size();
    for (const Entry &entry : m_entries)
        size += entry.size + 2;
    QByteArray content(size, Qt::Uninitialized);
    char *to = content.data();
    std::memcpy(to, guard.constData(), guard.size());
    to += guard.size();
    for (const Entry &entry : m_entries) {
        std::memcpy(to, m_coded.constData() + entry.start, entry.size);
        to += entry.size;
        *to++ = '\r';
        *to++ = '\n';
    }
    return content;
}

RecordBook::Difference RecordBook::difference(const RecordBook &before, const RecordBook &after)
{
    // Both books are in one order: a walk through the two finds what differs.
    Difference difference;
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < before.count() || j < after.count()) {
        if (i < before.count() && j < after.count() && before.codedLine(i) == after.codedLine(j)) {
            ++i;
            ++j;
        } else if (j == after.count()
            || (i < before.count()
                && before.lessThan(
                    before.service(i), [&] { return before.record(i); }, after.service(j),
                    [&] { return after.record(j); }))) {
            difference.removed.append(before.record(i++));
        } else {
            difference.added.append(after.record(j++));
        }
    }
    // Only lines that one book holds in no copy, each once.
    const auto held = [](const RecordBook &book, QStringList &lines) {
        lines.removeDuplicates();
        lines.removeIf([&](const QString &line) { return book.indexOf(line) >= 0; });
    };
    held(after, difference.removed);
    held(before, difference.added);
    return difference;
}
