#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Comma-separated values as RFC 4180 has them: a field holding a comma, a quote or a line
// break is quoted and its quotes doubled; a quoted field may span lines. Files read may
// separate their cells by semicolons or tabs instead.
class CsvTable
{
public:
    struct Row
    {
        qsizetype line; // where the row starts in the file, counted from 1
        QStringList cells;
        friend bool operator==(const Row &, const Row &) = default;
    };
    struct Table
    {
        QList<Row> rows;
        // The line where the file stops parsing (an unclosed quote, a stray quote); 0 when
        // it parses. A file that does not parse gives no rows.
        qsizetype badLine = 0;
    };

    static QString formatRow(const QStringList &fields);
    // The rows of a file: UTF-16 after its byte-order mark, else UTF-8 (Windows-1252 when it
    // is not), a byte-order mark dropped; rows ended by CR LF, LF or CR alone; cells
    // separated by the comma, semicolon or tab that the first line holds most of; spaces
    // around a quoted field dropped. A row has the cells it holds, no more.
    static Table parse(const QByteArray &content);
};
