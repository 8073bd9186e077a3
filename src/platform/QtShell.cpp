#include "QtShell.h"

#include <QDesktopServices>
#include <QUrl>

bool QtShell::open(const QString &target)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(target));
}
