#include "LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LineFile {

namespace {

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");

QByteArray withLineBreak(const QByteArray &line)
{
    return line + lineBreak;
}

// What the last line needs so that a line appended after it starts a line of its own.
QByteArray lineEndToComplete(QFile &file, qint64 size)
{
    if (size == 0 || !file.seek(size - 1))
        return {};
    const QByteArray last = file.read(1);
    return last == "\n" ? QByteArray() : last == "\r" ? QByteArray("\n") : QByteArray(lineBreak);
}

template <typename View, typename Char>
QList<View> split(View content, Char lineFeed, Char carriageReturn)
{
    QList<View> lines;
    while (!content.isEmpty()) {
        const qsizetype end = content.indexOf(lineFeed);
        View line = end < 0 ? content : content.first(end);
        content = end < 0 ? View() : content.sliced(end + 1);
        if (line.endsWith(carriageReturn))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    return file.write(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

Content readContent(const QString &path, qint64 limit)
{
    // Without blocking: a pipe put in the file's place must not stop the program.
    const int handle
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed, {}};
    QFile file;
    struct stat info;
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return {ReadStatus::Failed, {}};
    }
    if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > limit)
        return {ReadStatus::Failed, {}};
    // The file may have grown since: read one byte past the limit to see it.
    QByteArray bytes
        = limit < std::numeric_limits<qint64>::max() ? file.read(limit + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() > limit)
        return {ReadStatus::Failed, {}};
    return {ReadStatus::Read, bytes};
}

QByteArrayView withoutByteOrderMark(QByteArrayView content)
{
    return content.startsWith(byteOrderMark) ? content.sliced(byteOrderMark.size()) : content;
}

QByteArray byteOrderMarkKeeping(QByteArrayView start)
{
    return start.startsWith(byteOrderMark) ? byteOrderMark.toByteArray() : QByteArray();
}

QList<QByteArrayView> splitLines(QByteArrayView content)
{
    return split(content, '\n', '\r');
}

QList<QStringView> splitLines(QStringView content)
{
    return split(content, u'\n', u'\r');
}

ReadResult readLines(const QString &path, ByteOrderMark mark)
{
    const Content content = readContent(path);
    if (content.status != ReadStatus::Read)
        return {content.status, {}};
    QByteArrayView bytes(content.bytes);
    if (mark == ByteOrderMark::Drop)
        bytes = withoutByteOrderMark(bytes);
    QList<QByteArray> lines;
    for (const QByteArrayView line : splitLines(bytes))
        lines.append(line.toByteArray());
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

bool writeLines(const QString &path, const QList<QByteArray> &lines, ByteOrderMark mark)
{
    const bool guarded = mark == ByteOrderMark::Drop && !lines.isEmpty();
    return writeContent(
        path, (guarded ? byteOrderMarkKeeping(lines.first()) : QByteArray()) + joined(lines));
}

bool writeContent(const QString &path, const QByteArray &content)
{
    // Saved whole under a name of the program's own, then renamed over the file (the file a
    // link names): a kill leaves the old file or the new one, and what removeWriteLeftovers()
    // removes, never a copy a user named.
    const QFileInfo given(path);
    const QString target = given.exists() ? given.canonicalFilePath() : path;
    const QString next = target + QLatin1String(newSuffix);
    QSaveFile file(next);
    if ((given.exists() && !given.isWritable()) || !file.open(QIODevice::WriteOnly)
        || !file.setPermissions(privateFile))
        return false;
    // commit() renames even a file whose write failed: check the write first.
    if (!writeAll(file, content) || !file.flush() || file.size() != content.size()) {
        file.cancelWriting();
        return false;
    }
    if (file.commit()
        && std::rename(QFile::encodeName(next).constData(), QFile::encodeName(target).constData())
            == 0)
        return true;
    QFile::remove(next);
    return false;
}

bool appendLine(const QString &path, const QByteArray &line, ByteOrderMark mark)
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
    const bool first = oldSize == 0 && mark == ByteOrderMark::Drop;
    const QByteArray bytes = (first ? byteOrderMarkKeeping(line) : lineEndToComplete(file, oldSize))
        + withLineBreak(line);
    if (writeAll(file, bytes) && file.flush() && fsync(file.handle()) == 0)
        return true;
    file.resize(oldSize);
    return false;
}

void removeWriteLeftovers(const QString &path, Writer writer)
{
    const QFileInfo target(path);
    const QString saveFileName = QStringLiteral("\\.[A-Za-z0-9]{6}");
    const QString tail = writer == Writer::SaveFile
        ? saveFileName
        : QRegularExpression::escape(QLatin1String(newSuffix)) + '(' + saveFileName + ")?";
    const QRegularExpression leftover(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(target.fileName()) + tail));
    QDir folder = target.dir();
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (leftover.match(name).hasMatch())
            folder.remove(name);
    }
}

} // namespace LineFile
