#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Text files of lines ended by CR LF, written so that no failure leaves a part of a file.
namespace LineFile {

enum class ReadStatus { Read, Missing, Failed };

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

// The whole file.
Content readContent(const QString &path);

// Reads every line; a line break is LF with an optional CR before it.
ReadResult readLines(const QString &path);

// The whole content before the final line break: the one line of a file whose line may hold
// CR and LF bytes. None when the file is missing or unreadable.
std::optional<QByteArray> readLine(const QString &path);

// The lines, each ended by CR LF.
QByteArray joined(const QList<QByteArray> &lines);

// Replaces the file with the lines (mode 0600) only when all of them were written.
bool writeLines(const QString &path, const QList<QByteArray> &lines);
// The same with lines already joined.
bool writeContent(const QString &path, const QByteArray &content);

// Appends one line (creating the file with mode 0600), ending first a last line that has no
// line break; on failure the file keeps its old size.
bool appendLine(const QString &path, const QByteArray &line);

// Removes the temporary files that writeLines() to this path left when killed at the rename:
// the file name, a dot and six letters or digits.
void removeWriteLeftovers(const QString &path);

} // namespace LineFile
