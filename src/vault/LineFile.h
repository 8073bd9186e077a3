#pragma once

#include "DataFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// Text files of lines ended by CR LF, written so that no failure leaves a part of a file.
// Only regular files of their folder's owner are read, never through a link: a pipe or a device
// in a file's place is unreadable.
namespace LineFile {

// Every line written ends with it.
inline constexpr char lineBreak[] = "\r\n";

using ReadStatus = DataFolder::Status;

// Whether a UTF-8 byte order mark at the very start of a file (an editor put it there) is
// dropped: it is for text, not for enciphered bytes.
enum class ByteOrderMark { Drop, Keep };

struct ReadResult
{
    ReadStatus status;
    QList<QByteArray> lines;
    QString failure {}; // when the content was refused: why
};

using Content = DataFolder::Content;

// The whole file, read as DataFolder reads it; a file larger than the limit is unreadable.
Content readContent(const QString &path, qint64 limit = DataFolder::databaseLimit);

// The content less a byte order mark at its start.
QByteArrayView withoutByteOrderMark(QByteArrayView content);

// What goes before a text starting a file whose reader drops a byte order mark, so that a
// text that begins with one reads back whole: one more mark.
QByteArray byteOrderMarkKeeping(QByteArrayView start);

// The lines of a file's content: a line ends at LF, with the CR before it; a CR at the very
// end is the first half of a line end. A last line without a line end is a line.
QList<QByteArrayView> splitLines(QByteArrayView content);
QList<QStringView> splitLines(QStringView content);

// The lines of a file's content as splitLines() splits them, less a byte order mark at its
// start when it is dropped.
QList<QByteArray> linesOf(QByteArrayView content, ByteOrderMark mark = ByteOrderMark::Drop);

// Reads every line as splitLines() splits them.
ReadResult readLines(const QString &path, ByteOrderMark mark = ByteOrderMark::Drop);

// The whole content before the final line break: the one line of a file whose line may hold
// CR and LF bytes.
QByteArray soleLine(QByteArray content);

// The lines, each ended by CR LF.
QByteArray joined(const QList<QByteArray> &lines);
// The lines as a file holds them: they read back whole by linesOf() with the same mark rule.
QByteArray fileContent(const QList<QByteArray> &lines, ByteOrderMark mark = ByteOrderMark::Drop);

// Replaces the file with the lines (mode 0600) only when all of them were written; the lines
// read back whole by readLines() with the same mark rule.
bool writeLines(
    const QString &path, const QList<QByteArray> &lines, ByteOrderMark mark = ByteOrderMark::Drop);
// The same with lines already joined.
bool writeContent(const QString &path, const QByteArray &content);

// What appending one line to a file of that size and last byte writes: the line ended, after
// the end of a last line that has no line break or only its CR. The line reads back whole by
// linesOf() with the same mark rule.
QByteArray appendix(
    const QByteArray &line, qint64 size, char last, ByteOrderMark mark = ByteOrderMark::Drop);

// Whether the name is what a write to the file left when it was killed: the name with
// DataFolder's new or old suffix (and maybe a dot and six letters or digits after it, as
// earlier versions wrote), or for a plain save file,
// which earlier versions wrote, the name, a dot and six letters or digits.
enum class Writer { Content, SaveFile };
bool isWriteLeftover(const QString &name, const QString &fileName, Writer writer = Writer::Content);

} // namespace LineFile
