#include "LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <unistd.h>

namespace LineFile {

namespace {

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

constexpr char lineBreak[] = "\r\n";

QByteArray withLineBreak(const QByteArray &line)
{
    return line + lineBreak;
}

bool lastLineUnended(QFile &file, qint64 size)
{
    return size > 0 && file.seek(size - 1) && file.read(1) != "\n";
}

bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    return file.write(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

Content readContent(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {ReadStatus::Missing, {}};
    if (!file.open(QIODevice::ReadOnly))
        return {ReadStatus::Failed, {}};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {ReadStatus::Failed, {}};
    return {ReadStatus::Read, bytes};
}

ReadResult readLines(const QString &path)
{
    const Content content = readContent(path);
    if (content.status != ReadStatus::Read)
        return {content.status, {}};
    QList<QByteArray> lines = content.bytes.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return {ReadStatus::Read, lines};
}

std::optional<QByteArray> readLine(const QString &path)
{
    Content content = readContent(path);
    if (content.status != ReadStatus::Read)
        return std::nullopt;
    if (content.bytes.endsWith(lineBreak))
        content.bytes.chop(2);
    else if (content.bytes.endsWith('\n'))
        content.bytes.chop(1);
    return content.bytes;
}

QByteArray joined(const QList<QByteArray> &lines)
{
    qsizetype size = 0;
    for (const QByteArray &line : lines)
        size += line.size() + qsizetype(sizeof lineBreak - 1);
    QByteArray content;
    content.reserve(size);
    for (const QByteArray &line : lines)
        content.append(line).append(lineBreak);
    return content;
}

bool writeLines(const QString &path, const QList<QByteArray> &lines)
{
    return writeContent(path, joined(lines));
}

bool writeContent(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(privateFile))
        return false;
    // commit() renames even a file whose write failed: check the write first.
    if (!writeAll(file, content) || !file.flush() || file.size() != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool appendLine(const QString &path, const QByteArray &line)
{
    QFile file(path);
    const bool created = !file.exists();
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    if (created && !file.setPermissions(privateFile)) {
        file.remove();
        return false;
    }
    const qint64 oldSize = file.size();
    QByteArray bytes = withLineBreak(line);
    if (lastLineUnended(file, oldSize))
        bytes.prepend(lineBreak);
    if (writeAll(file, bytes) && file.flush() && fsync(file.handle()) == 0)
        return true;
    file.resize(oldSize);
    return false;
}

void removeWriteLeftovers(const QString &path)
{
    const QFileInfo target(path);
    const QRegularExpression leftover(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(target.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    QDir folder = target.dir();
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (leftover.match(name).hasMatch())
            folder.remove(name);
    }
}

} // namespace LineFile
