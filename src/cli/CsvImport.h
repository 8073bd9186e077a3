#pragma once

#include "CsvColumns.h"

#include <QList>
#include <QStringList>

class RecordBook;

// The new record lines that the rows of a CSV file give: a row the records cannot hold is
// told by its number (the header is row 1) and skipped; a record already stored or given by
// an earlier row is counted as a duplicate.
class CsvImport
{
public:
    struct Outcome
    {
        QStringList lines;
        int duplicates = 0;
        QStringList skipped; // one note a skipped row
    };

    explicit CsvImport(QList<QStringList> rows);

    // False when the header names no service or no password column.
    bool hasColumns() const;
    Outcome newRecords(const RecordBook &stored) const;

private:
    QList<QStringList> m_rows;
    CsvColumns m_columns;
};
