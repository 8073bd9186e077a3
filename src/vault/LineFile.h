#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <limits>
#include <optional>

// Text files of lines ended by CR LF, written so that no failure leaves a part of a file.
// Only regular files are read: a pipe or a device in a file's place is unreadable.
namespace LineFile {

// Every line written ends with it.
inline constexpr char lineBreak[] = "\r\n";

enum class ReadStatus { Read, Missing, Failed };

// Whether a UTF-8 byte order mark at the very start of a file (an editor put it there) is
// dropped: it is for text, not for enciphered bytes.
enum class ByteOrderMark { Drop, Keep };

struct ReadResult
{
    ReadStatus status;
    QList<QByteArray> lines;
};

struct Content
{
    ReadStatus status;
    QByteArray bytes;
};

// The whole file; a file larger than the limit is unreadable.
Content readContent(const QString &path, qint64 limit = std::numeric_limits<qint64>::max());

// The content less a byte order mark at its start.
QByteArrayView withoutByteOrderMark(QByteArrayView content);

// What goes before a text starting a file whose reader drops a byte order mark, so that a
// text that begins with one reads back whole: one more mark.
QByteArray byteOrderMarkKeeping(QByteArrayView start);

// The lines of a file's content: a line ends at LF, with the CR before it; a CR at the very
// end is the first half of a line end. A last line without a line end is a line.
QList<QByteArrayView> splitLines(QByteArrayView content);
QList<QStringView> splitLines(QStringView content);

// Reads every line as splitLines() splits them.
ReadResult readLines(const QString &path, ByteOrderMark mark = ByteOrderMark::Drop);

// The whole content before the final line break: the one line of a file whose line may hold
// CR and LF bytes. None when the file is missing or unreadable.
std::optional<QByteArray> readLine(const QString &path);

// The lines, each ended by CR LF.
QByteArray joined(const QList<QByteArray> &lines);

// Replaces the file with the lines (mode 0600) only when all of them were written; the lines
// read back whole by readLines() with the same mark rule.
bool writeLines(
    const QString &path, const QList<QByteArray> &lines, ByteOrderMark mark = ByteOrderMark::Drop);
// The same with lines already joined.
bool writeContent(const QString &path, const QByteArray &content);

// Appends one line (creating the file with mode 0600), ending first a last line that has no
// line break or only its CR; on failure the file keeps its old size. The line reads back whole
// by readLines() with the same mark rule.
bool appendLine(
    const QString &path, const QByteArray &line, ByteOrderMark mark = ByteOrderMark::Drop);

// What writeContent() saves before it renames it over the file, after the file's name.
inline constexpr char newSuffix[] = ".vaultine-new";

// The files a write to this path left when it was killed: those of writeContent() (the name
// with newSuffix, and that with a dot and six letters or digits after it), or those of a plain
// save file, which earlier versions wrote (the name, a dot and six letters or digits).
enum class Writer { Content, SaveFile };
void removeWriteLeftovers(const QString &path, Writer writer = Writer::Content);

} // namespace LineFile
