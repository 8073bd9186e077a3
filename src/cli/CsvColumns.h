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

    // The names accepted for each field, one line a field in the export's order.
    static QString acceptedNames();

    bool has(RecordLine::Field field) const { return m_columns[field] >= 0; }
    // The header's names that give no field.
    const QStringList &ignored() const { return m_ignored; }
    // The five fields of a row, in record order; a missing cell gives an empty field.
    QStringList fields(const QStringList &row) const;

private:
    std::array<qsizetype, RecordLine::fieldCount> m_columns;
    QStringList m_ignored;
};
