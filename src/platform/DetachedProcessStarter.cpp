#include "DetachedProcessStarter.h"

#include <QProcess>

bool DetachedProcessStarter::startProgram(const QString &path)
{
    return QProcess::startDetached(path, {});
}
