#pragma once

#include "CsvColumns.h"
#include "CsvTable.h"

#include <QList>
#include <QStringList>

#include <optional>

class RecordBook;

// The new record lines that the rows of a CSV file give. The columns are named by the file's
// first line, by the caller when the file has none, or, in a file of label/value pairs
// (service,label,value,label,value,...), by the labels of each row. Every row that is not
// blank gives one record; a record without a service name is named after its address's host.
// A row holding ":!" or more cells than the header, or a record already stored or given by
// an earlier row, is told by its line and skipped.
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

    // Columns, when given, name the file's columns: its first line is a record.
    explicit CsvImport(CsvTable::Table table, const QStringList &columns = {});

    // The records of a file of the program's former version (coded lines of parts separated
    // by colons, no comma, semicolon or tab in the first) under this program's header; none
    // when the content is not such a file.
    static std::optional<CsvTable::Table> formerDatabase(const QByteArray &content);

    // Why the file is refused as a whole (it does not parse, its columns are not known, it
    // has no service or address column or no data row); empty when it is not.
    QString refusal() const;
    // The names of columns and labels that give no field, each once.
    const QStringList &ignoredColumns() const { return m_ignored; }
    Outcome newRecords(const RecordBook &stored) const;

private:
    enum class Shape { Header, Pairs, Unknown };

    QList<CsvTable::Row> dataRows() const;
    // The five fields of a data row, or none when it has more cells than the header.
    std::optional<QStringList> fieldsOf(const QStringList &cells) const;

    CsvTable::Table m_table;
    Shape m_shape = Shape::Header;
    bool m_headerLine = true;
    qsizetype m_width = 0; // of a row under the header
    CsvColumns m_columns;
    QStringList m_unknownNames; // of the columns given
    QStringList m_ignored;
};
