#pragma once

#include "vault/RecordLine.h"

#include <QStringList>

#include <array>

// Where the record fields stand in a CSV file: this program's export, and the exports of
// other password stores, whose columns are found by their header names in any order.
class CsvColumns
{
public:
    // The header found in the file's first row; names compared ignoring letter case.
    explicit CsvColumns(const QStringList &header);

    // This program's own header and the row of a stored line under it.
    static QStringList exportHeader();
    static QStringList exportRow(const QString &line);

    bool has(RecordLine::Field field) const { return m_columns[field] >= 0; }
    // The five fields of a row, in record order; a missing cell gives an empty field.
    QStringList fields(const QStringList &row) const;

private:
    std::array<qsizetype, RecordLine::fieldCount> m_columns;
};
