#include "CutTail.h"

#include "DataFolder.h"
#include "platform/Clock.h"

#include <QDateTime>

#include <algorithm>

namespace CutTail {

namespace {

// Unique in the folder: a second cut within the same millisecond gets a number after it.
QString asideName(const DataFolder &folder, const QString &name, const Clock &clock)
{
    const QDateTime now(
        QDate::fromString(clock.today(), QStringLiteral("MM-dd-yyyy")), clock.timeOfDay());
    const QString base = name + now.toString(QStringLiteral(".'cut'-yyyyMMdd-HHmmss-zzz"));
    QString aside = base;
    for (int i = 2; folder.exists(aside); ++i)
        aside = base + u'-' + QString::number(i);
    return aside;
}

} // namespace

qsizetype wholeLength(QByteArrayView content)
{
    // A CR ends a line whose LF did not reach the disk, also when zeros follow it.
    return std::max(content.lastIndexOf('\n'), content.lastIndexOf('\r')) + 1;
}

Outcome keep(const DataFolder &folder, const QString &name, const Clock &clock, bool mayWrite)
{
    // The last byte tells a whole file without reading it all.
    const DataFolder::Content end = folder.readEnd(name, 1);
    if (end.status != DataFolder::Status::Read || wholeLength(end.bytes) == end.bytes.size())
        return {};
    const DataFolder::Content file = folder.read(name);
    const qsizetype whole = wholeLength(file.bytes);
    if (file.status != DataFolder::Status::Read)
        return {Kind::Unread, folder.failure()};
    if (whole == file.bytes.size()) // written whole meanwhile
        return {};
    const QString path = folder.path() + u'/' + name;
    if (!mayWrite)
        return {Kind::Left, path};
    // The cut end is on disk under a name of its own before the file is written without it.
    const QString aside = asideName(folder, name, clock);
    if (!folder.write(aside, file.bytes.sliced(whole)))
        return {Kind::Left, path + u'\n' + folder.failure()};
    if (folder.write(name, file.bytes.first(whole)))
        return {Kind::SetAside, folder.path() + u'/' + aside};
    // The copy stays: a write that failed after its rename may have left the file without them.
    return {Kind::Left, path + u'\n' + folder.failure()};
}

} // namespace CutTail
