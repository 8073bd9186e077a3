#include "QtShell.h"

#include <QDesktopServices>
#include <QUrl>

void QtShell::open(const QString &target)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}
