#pragma once

#include "vault/RecordLine.h"

#include <QStringList>

#include <array>
#include <optional>

// Where the record fields stand in a CSV file: this program's export, and the exports of
// other password stores, whose columns are found by their header names in any order.
class CsvColumns
{
public:
    // The header found in the file's first row, or named on the command line.
    explicit CsvColumns(const QStringList &header);

    // This program's own header and the row of a stored line under it.
    static QStringList exportHeader();
    static QStringList exportRow(const QString &line);

    // The names accepted for each field, one line a field in the export's order.
    static QString acceptedNames();
    // The field a column name gives, letter case and spaces ignored.
    static std::optional<RecordLine::Field> fieldOf(const QString &name);

    bool has(RecordLine::Field field) const { return m_columns[field] >= 0; }
    // The header's names that give no field, each once.
    const QStringList &ignored() const { return m_ignored; }
    // The five fields of a row, in record order; a missing cell gives an empty field.
    QStringList fields(const QStringList &row) const;

private:
    std::array<qsizetype, RecordLine::fieldCount> m_columns;
    QStringList m_ignored;
};
