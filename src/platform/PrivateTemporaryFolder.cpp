#include "PrivateTemporaryFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPrivateFolderOfUser(const QString &path)
{
    struct stat info;
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

} // namespace

QString PrivateTemporaryFolder::LocateSpecialFolder() const
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolderOfUser(runtime))
        return QDir(runtime).absolutePath();

    const QString path = QStandardPaths::writableLocation(QStandardPaths::TempLocation)
        + QStringLiteral("/vaultine-%1").arg(geteuid());
    mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolderOfUser(path) ? path : QString();
}
