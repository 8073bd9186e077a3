#include "Preferences.h"

namespace {

constexpr char clipboardKey[] = "clipboard-seconds";
constexpr char idleLockKey[] = "idle-lock-minutes";
// The most the file may hold: a few short lines.
constexpr qint64 sizeLimit = 4096;

// The value of a line "key=value" when it is a number from 0 to max.
void take(const QByteArray &key, const QByteArray &value, const char *name, int max, int &number)
{
    bool ok = false;
    const int read = value.toInt(&ok);
    if (key == name && ok && read >= 0 && read <= max)
        number = read;
}

} // namespace

Preferences::Preferences(const QString &dataFolder)
    : m_folder(dataFolder)
{ }

Preferences::Values Preferences::parse(const QByteArray &content)
{
    Values values;
    for (const QByteArray &line : content.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed(), value = line.mid(equals + 1).trimmed();
        take(key, value, clipboardKey, maxClipboardSeconds, values.clipboardSeconds);
        take(key, value, idleLockKey, maxIdleLockMinutes, values.idleLockMinutes);
    }
    return values;
}

QByteArray Preferences::compose(const Values &values)
{
    return QByteArray(clipboardKey) + '=' + QByteArray::number(values.clipboardSeconds) + '\n'
        + idleLockKey + '=' + QByteArray::number(values.idleLockMinutes) + '\n';
}

Preferences::Values Preferences::read() const
{
    const DataFolder::Content content = m_folder.read(fileName, sizeLimit);
    return parse(content.status == DataFolder::Status::Read ? content.bytes : QByteArray());
}

bool Preferences::write(const Values &values) const
{
    return m_folder.write(fileName, compose(values));
}
