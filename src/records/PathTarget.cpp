#include "PathTarget.h"

#include <QDir>
#include <QFileInfo>

QString shellTarget(const QString &path, const QString &homeFolder)
{
    if (path.isEmpty())
        return path;
    QString local = path;
    if (local == u'~' || local.startsWith(QLatin1String("~/")))
        local.replace(0, 1, homeFolder);
    const QFileInfo file(QDir(homeFolder), local);
    return file.exists() ? file.absoluteFilePath() : path;
}
