#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Comma-separated values as RFC 4180 has them: a field holding a comma, a quote or a line
// break is quoted and its quotes doubled; a quoted field may span lines.
class CsvTable
{
public:
    static QString formatRow(const QStringList &fields);
    // The rows of a file: UTF-8 (Windows-1252 when it is not), a byte-order mark dropped,
    // rows ended by CR LF or LF. A row has the cells it holds, no more.
    static QList<QStringList> parse(const QByteArray &content);
};
