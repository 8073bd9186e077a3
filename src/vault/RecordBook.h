#pragma once

#include "LineFile.h"

#include <QByteArray>
#include <QCollator>
#include <QList>
#include <QStringList>

#include <vector>

// The records in the lists' order: by service name, then by whole line, letter case ignored.
// Each record is held as its coded line, the bytes its file stores, one after another in one
// buffer: a rewrite writes them as they are, and a line's text is decoded only when it is
// shown, searched or compared.
class RecordBook
{
public:
    RecordBook();
    explicit RecordBook(const QStringList &lines)
        : RecordBook()
    {
        load(lines);
    }

    // Replaces the content with the lines, sorted once.
    void load(const QStringList &lines);
    // Replaces the content with the coded lines of a file's content (split as LineFile splits
    // them, empty lines skipped, a byte order mark at its start dropped unless kept); a line
    // that is not UTF-8 is read as RecordLine::fromBytes() reads it. Lines already in order
    // are not sorted again.
    void loadCoded(
        QByteArray content, LineFile::ByteOrderMark mark = LineFile::ByteOrderMark::Drop);

    // The place where insert() puts the line.
    qsizetype sortedIndex(const QString &line) const;
    // Inserts the line at its sorted place and returns that place.
    qsizetype insert(const QString &line);
    void removeAt(qsizetype index);

    // The first entry equal to the line (exact, case-sensitive), or -1.
    qsizetype indexOf(const QString &line) const;
    qsizetype count() const { return m_entries.size(); }
    QString record(qsizetype index) const;
    QString service(qsizetype index) const;
    QStringList records() const;
    QStringList services() const;
    QByteArrayView codedLine(qsizetype index) const
    {
        return QByteArrayView(m_coded).sliced(m_entries[index].start, m_entries[index].size);
    }
    // The coded lines as their file holds them, each ended by CR LF; they read back whole by
    // loadCoded() with the same mark rule.
    QByteArray codedContent(LineFile::ByteOrderMark mark = LineFile::ByteOrderMark::Drop) const;

    // The lines one book holds and the other does not (in no copy), each once.
    struct Difference
    {
        QStringList removed;
        QStringList added;
    };
    static Difference difference(const RecordBook &before, const RecordBook &after);

private:
    struct Entry
    {
        qsizetype start;
        int size;
        int serviceSize;
    };
    void append(QByteArrayView coded);
    // The order of two records by service name, then by whole line; a line is decoded (by
    // calling lineA or lineB) only when the service names are alike.
    template <typename LineA, typename LineB>
    bool lessThan(const QString &serviceA, LineA lineA, const QString &serviceB, LineB lineB) const;
    // The entries from first on sorted and merged with those before, which are in order.
    void sortFrom(qsizetype first);
    // The order of records of these service names and lines (decoded from the book when none
    // are given), those from first on sorted and merged with those before.
    std::vector<qsizetype> sortedOrder(
        const QStringList &services, const QStringList &lines, qsizetype first) const;
    // Drops the bytes of removed lines once they are half the buffer.
    void compact();

    QCollator m_collator;
    QByteArray m_coded;
    QList<Entry> m_entries;
    qsizetype m_unused = 0;
};
