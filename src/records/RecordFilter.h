#pragma once

#include "vault/RecordBook.h"

#include <QList>
#include <QString>
#include <QStringList>

// The records a search finds: those whose service, username, other info or path holds the
// search text, letter case and accents ignored. Rows are the found records in the book's
// order; without a search text every record is a row. Each record's text is folded once and
// kept while the record stays; nothing is folded until a search is prepared or needs it.
class RecordFilter
{
public:
    // The text as compared: decomposed, its accents dropped, its case folded, letters without
    // a decomposition written plain (ß as ss, ø as o).
    static QString fold(QStringView text);

    // The book's records, in its order.
    void setRecords(const RecordBook &records);
    // The row that the line would take inserted at index, or -1 when it would not be shown.
    qsizetype rowFor(qsizetype index, const QString &line) const;
    // Folds the texts of the records not folded yet, so that the first key finds at once.
    void prepare();
    void setText(QString text);

    qsizetype rowCount() const { return isActive() ? m_rows.size() : m_records.count(); }
    // The record a row shows, -1 for none.
    qsizetype recordAt(qsizetype row) const;
    // The row showing the record, -1 when none does.
    qsizetype rowOf(qsizetype record) const;

private:
    bool isActive() const { return !m_needle.isEmpty(); }
    QStringView foldedText(qsizetype record) const;
    // Looks through every record.
    void find();

    RecordBook m_records;
    RecordBook m_foldedLines; // the records whose texts m_folded holds
    QString m_folded; // their folded texts, one after another
    QList<qsizetype> m_starts; // where each text starts in m_folded, then its end
    QString m_needle; // the text folded
    QList<qsizetype> m_rows;
};
