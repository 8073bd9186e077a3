#pragma once

#include "LineFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One record as one line: Service, Username, Password, Other Info and Path joined by ":!".
namespace RecordLine {

enum Field { Service = 0, Username = 1, Password = 2, OtherInfo = 3, Path = 4 };
constexpr int fieldCount = 5;
inline constexpr QLatin1StringView separator(":!");

QString join(const QStringList &fields);

// The text before the first ":!"; a line without one is its own service name.
QString serviceName(const QString &line);

// The fields a line fills when shown: the text before each of the first four ":!" found,
// then the rest when it is not empty. A line without ":!" fills none.
QStringList splitFields(const QString &line);
// All five fields of a line, empty where it has none; the service name is the list's, so a
// line without ":!" keeps it.
QStringList recordFields(const QString &line);

// A line break in a field is stored as U+2028 LINE SEPARATOR, never as CR or LF, so that a
// record stays one line in every file. The text as a field holds it: each CR LF, CR and LF
// one U+2028.
QString storedText(QString text);
// A field as given out to people and scripts: each U+2028 a LF.
QString outputText(QString field);
// recordFields() as given out.
QStringList outputFields(const QString &line);

// Lines are UTF-8 on disk. A line that is not valid UTF-8 (written by the earlier Windows
// program) is read as Windows-1252, its five undefined bytes as Latin-1; it is written back
// as UTF-8.
QByteArray toBytes(const QString &line);
QString fromBytes(const QByteArray &bytes);
// The lines as a file's content: UTF-8, each line ended by CR LF, read back whole by
// linesFromBytes() with the same mark rule (where the reader drops a byte order mark, a first
// line that begins with one gets one more).
QByteArray linesToBytes(
    const QStringList &lines, LineFile::ByteOrderMark mark = LineFile::ByteOrderMark::Drop);
// The non-empty lines of a file's content (split as LineFile splits them, a byte order mark
// at its start dropped unless kept), read as fromBytes() reads them: the whole content at once
// when it is UTF-8.
QStringList linesFromBytes(
    const QByteArray &content, LineFile::ByteOrderMark mark = LineFile::ByteOrderMark::Drop);

} // namespace RecordLine
