#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringMatcher>

// The records a search finds: those whose service, username, other info or path holds the
// search text, letter case and accents ignored. Rows are the found records in the book's
// order; without a search text every record is a row. Each record's text is folded once and
// kept while the record stays; nothing is folded until a search needs it.
class RecordFilter
{
public:
    // The text as compared: decomposed, its accents dropped, its case folded, letters without
    // a decomposition written plain (ß as ss, ø as o).
    static QString fold(QStringView text);

    // The book's records, in its order.
    void setRecords(const QStringList &records);
    // The book inserted the line at index.
    void insert(qsizetype index, const QString &line);
    // The row that insert(index, line) would give the line, or -1 when it would not be shown.
    qsizetype rowFor(qsizetype index, const QString &line) const;
    void setText(const QString &text);
    const QString &text() const { return m_text; }

    qsizetype rowCount() const { return isActive() ? m_rows.size() : m_records.size(); }
    // The record a row shows, -1 for none.
    qsizetype recordAt(qsizetype row) const;
    // The row showing the record, -1 when none does.
    qsizetype rowOf(qsizetype record) const;

private:
    bool isActive() const { return !m_needle.isEmpty(); }
    bool holdsNeedle(const QString &folded) const;
    // Brings the folded texts in step with the records, keeping those of unchanged lines.
    void refold();
    // Looks through every record.
    void find();

    QStringList m_records;
    QStringList m_foldedLines; // the records whose folded texts m_folded holds
    QStringList m_folded;
    QString m_text;
    QString m_needle; // the text folded
    QStringMatcher m_matcher;
    QList<qsizetype> m_rows;
};
