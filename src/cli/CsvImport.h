#pragma once

#include "CsvColumns.h"
#include "CsvTable.h"

#include <QList>
#include <QStringList>

class RecordBook;

// The new record lines that the rows of a CSV file give: every row that is not blank gives one
// record; a row holding ":!" or more cells than the header, or a record already stored or
// given by an earlier row, is told by its line and skipped.
class CsvImport
{
public:
    struct Outcome
    {
        QStringList lines;
        int duplicates = 0;
        int skipped = 0; // rows the records cannot hold
        QStringList notes; // one a skipped row or duplicate
    };

    explicit CsvImport(CsvTable::Table table);

    // Why the file is refused as a whole (it does not parse, has no service column or no data
    // row); empty when it is not.
    QString refusal() const;
    const QStringList &ignoredColumns() const { return m_columns.ignored(); }
    Outcome newRecords(const RecordBook &stored) const;

private:
    bool hasData() const;

    CsvTable::Table m_table;
    CsvColumns m_columns;
};
