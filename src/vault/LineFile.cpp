#include "LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>

namespace LineFile {

namespace {

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");

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
    const QFileInfo file(path);
    return DataFolder(file.absolutePath()).read(file.fileName(), limit);
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

QList<QByteArray> linesOf(QByteArrayView content, ByteOrderMark mark)
{
    QList<QByteArray> lines;
    for (const QByteArrayView line :
        splitLines(mark == ByteOrderMark::Drop ? withoutByteOrderMark(content) : content))
        lines.append(line.toByteArray());
    return lines;
}

ReadResult readLines(const QString &path, ByteOrderMark mark)
{
    const Content content = readContent(path);
    return {content.status, linesOf(content.bytes, mark)};
}

QByteArray soleLine(QByteArray content)
{
    if (content.endsWith(lineBreak))
        content.chop(2);
    else if (content.endsWith('\n'))
        content.chop(1);
    return content;
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

QByteArray fileContent(const QList<QByteArray> &lines, ByteOrderMark mark)
{
    const bool guarded = mark == ByteOrderMark::Drop && !lines.isEmpty();
    return (guarded ? byteOrderMarkKeeping(lines.first()) : QByteArray()) + joined(lines);
}

bool writeLines(const QString &path, const QList<QByteArray> &lines, ByteOrderMark mark)
{
    return writeContent(path, fileContent(lines, mark));
}

bool writeContent(const QString &path, const QByteArray &content)
{
    // Saved whole under a name of the program's own, then renamed over the file (the file a
    // link names): a kill leaves the old file or the new one, and what removeWriteLeftovers()
    // removes, never a copy a user named.
    const QFileInfo given(path);
    const QString target = given.exists() ? given.canonicalFilePath() : path;
    const QString next = target + QLatin1String(DataFolder::newSuffix);
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

QByteArray appendix(const QByteArray &line, qint64 size, char last, ByteOrderMark mark)
{
    if (size == 0)
        return (mark == ByteOrderMark::Drop ? byteOrderMarkKeeping(line) : QByteArray()) + line
            + lineBreak;
    return (last == '\n'          ? QByteArray()
                   : last == '\r' ? QByteArray("\n")
                                  : QByteArray(lineBreak))
        + line + lineBreak;
}

bool isWriteLeftover(const QString &name, const QString &fileName, Writer writer)
{
    const QString saveFileName = QStringLiteral("\\.[A-Za-z0-9]{6}");
    const QString tail = writer == Writer::SaveFile
        ? saveFileName
        : QStringLiteral("(%1|%2)(%3)?")
              .arg(QRegularExpression::escape(QLatin1String(DataFolder::newSuffix)),
                  QRegularExpression::escape(QLatin1String(DataFolder::oldSuffix)), saveFileName);
    const QRegularExpression leftover(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(fileName) + tail));
    return leftover.match(name).hasMatch();
}

} // namespace LineFile
